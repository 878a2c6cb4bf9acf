// import DIR QUOTEFILE WORKBOOK --sheet NAME --presentation X|M|A|B|C [--cursor TABLE ROW]
// [--answers …]: imports the selected rows of a workbook, as saved, into a quote document
// named by its quote number ("00012_00.AB"), then closes it saving.
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "QuoteOpening.h"
#include "composition/CompositionSession.h"
#include "composition/TableLocator.h"
#include "composition/WorkbookImport.h"
#include "core/ProcessState.h"
#include "platform/excel/Workbook.h"
#include "platform/ooxml/OoxmlError.h"

using namespace tarovent;

namespace {

// The first line table of the document, where the lines go unless told otherwise.
bool placeCursor(composition::CompositionSession& s, int table, int row) {
  if (table > 0) return s.setCursor(table, row);
  const composition::LocateResult located =
      composition::Reperer_Tableaux(s.document(), composition::LocatePurpose::Recalculation);
  if (!located.layout) return false;
  const std::vector<int> tables = composition::lineTables(s.document(), *located.layout);
  return !tables.empty() && s.setCursor(tables.front(), 1);
}

}  // namespace

int runImportCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  const auto usage = [&] {
    err << "Utilisation : tarovent-admin import DOSSIER DEVIS CLASSEUR --sheet FEUILLE "
           "--presentation X|M|A|B|C [--cursor TABLEAU LIGNE] [--answers oui,non,...]\n";
    return 2;
  };
  const std::optional<admin::VerbArguments> a = admin::splitArguments(
      args, {{"--sheet", 1}, {"--presentation", 1}, {"--answers", 1}, {"--cursor", 2}});
  if (!a) return usage();
  int table = 0, row = 1;
  if (a->has("--cursor")) {
    bool ok1 = false, ok2 = false;
    table = a->options["--cursor"][0].toInt(&ok1);
    row = a->options["--cursor"][1].toInt(&ok2);
    if (!ok1 || !ok2 || table < 1 || row < 1) return usage();
  }
  const QString sheet = a->value("--sheet");
  const auto presentation = composition::presentationFromLetter(a->value("--presentation"));
  const QStringList& positional = a->positional;
  if (positional.size() != 3 || sheet.isEmpty() || !presentation) return usage();
  const QString file = QFileInfo(positional[1]).absoluteFilePath();
  const QRegularExpressionMatch number =
      QRegularExpression("^(\\d{5})_(\\d{2})\\.").match(QFileInfo(file).fileName());
  if (!number.hasMatch()) {
    err << "Le devis " << positional[1] << " ne porte pas de numéro de devis (00012_00.AB).\n";
    return 1;
  }

  std::optional<excel::Workbook> workbook;
  try {
    workbook = excel::Workbook::open(positional[2]);
  } catch (const ooxml::OoxmlError& e) {
    err << e.message() << '\n';
    return 1;
  }
  if (workbook->sheetIndex(sheet) < 0) {
    err << "La feuille " << sheet << " n'existe pas dans " << positional[2] << ".\n";
    return 1;
  }

  admin::AnsweringFunnel funnel(out, a->value("--answers").split(',', Qt::SkipEmptyParts));
  core::ProcessState state(funnel);
  if (!admin::openFamily(state, positional[0], err)) return 1;
  auto session = admin::openQuoteSession(state, file, number.captured(1).toLong(),
                                         number.captured(2).toInt(), err);
  if (!session) return 1;
  composition::ImportResult result;
  if (placeCursor(*session, table, row))
    result = composition::Importer_Classeur(*session, *workbook, *presentation);
  out << "Lignes importées : " << result.lines << '\n';
  if (result.hours != 0) out << "Heures importées : " << result.hours << '\n';
  out.flush();
  funnel.setAnswers({result.completed ? QStringLiteral("yes") : QStringLiteral("no")});
  const bool closed = session->close();
  return !result.completed || !closed || funnel.failed() ? 1 : 0;
}
