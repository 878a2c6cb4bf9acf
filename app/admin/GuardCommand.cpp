// guard DIR QUOTE, compare DIR QUOTE1 QUOTE2, index DIR: the quote guard from the command line.
// A quote is a document's path, or its name in the family's documents folder (00012_00.AB).
#include <QFileInfo>
#include <QTextStream>
#include <optional>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "guard/PriceMemory.h"
#include "guard/QuoteComparison.h"
#include "guard/QuoteGuard.h"
#include "install/DemoRecalc.h"
#include "install/Installer.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

// The family of `root`, opened as the composition opens it; false after its message.
bool openFamily(core::ProcessState& state, const QString& root, QTextStream& err) {
  state.workingFolder = install::familyLayout(root).workingFolder;
  if (install::openFamilyForRecalculation(state)) return true;
  err << "La famille " << root << " ne peut pas être ouverte.\n";
  return false;
}

QString documentPath(core::ProcessState& state, const QString& quote) {
  if (QFileInfo(quote).isFile()) return quote;
  return core::Chemin_Document(
      core::withSeparator(core::localPath(state.base(core::entry::Main).folder)), quote);
}

// The lines of a quote; none after its message when it cannot be read.
std::optional<guard::QuoteReading> readQuoteFile(core::ProcessState& state, const QString& quote,
                                                 QTextStream& err) {
  const QString path = documentPath(state, quote);
  if (!QFileInfo(path).isFile()) {
    err << "Document " << quote << " introuvable.\n";
    return std::nullopt;
  }
  try {
    word::WordDocument doc = word::WordDocument::open(path);
    QString message;
    std::optional<guard::QuoteReading> r = guard::readQuote(doc, &message);
    if (!r) err << message << '\n';
    return r;
  } catch (const ooxml::OoxmlError& e) {
    err << "Impossible de lire le document " << quote << " : " << e.message() << '\n';
    return std::nullopt;
  }
}

}  // namespace

int runGuardCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  if (args.size() != 2) {
    err << "Utilisation : tarovent-admin guard DOSSIER DEVIS\n";
    return 2;
  }
  admin::PrintingFunnel funnel(err);
  core::ProcessState state(funnel);
  if (!openFamily(state, args[0], err)) return 1;
  const std::optional<guard::QuoteReading> quote = readQuoteFile(state, args[1], err);
  if (!quote) return 1;
  for (const guard::GuardFinding& f :
       guard::guardQuote(*quote, guard::readGuardRules(state, *quote)))
    out << guard::findingText(f) << '\n';
  return 0;
}

int runCompareCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  if (args.size() != 3) {
    err << "Utilisation : tarovent-admin compare DOSSIER DEVIS1 DEVIS2\n";
    return 2;
  }
  admin::PrintingFunnel funnel(err);
  core::ProcessState state(funnel);
  if (!openFamily(state, args[0], err)) return 1;
  const std::optional<guard::QuoteReading> before = readQuoteFile(state, args[1], err);
  if (!before) return 1;
  const std::optional<guard::QuoteReading> after = readQuoteFile(state, args[2], err);
  if (!after) return 1;
  for (const QString& line :
       guard::comparisonText(guard::compareQuotes(*before, *after), state.Nb_Decimales))
    out << line << '\n';
  return 0;
}

int runIndexCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  if (args.size() != 1) {
    err << "Utilisation : tarovent-admin index DOSSIER\n";
    return 2;
  }
  admin::PrintingFunnel funnel(err);
  core::ProcessState state(funnel);
  if (!openFamily(state, args[0], err)) return 1;
  QStringList skipped;
  const int recorded = guard::rebuildPriceMemory(state, &skipped);
  for (const QString& name : skipped) out << "Document illisible : " << name << '\n';
  out << recorded << " devis indexés\n";
  return 0;
}
