// compose DIR FILE [--type CODE | --quote NUMDOSS NSEQ] --script SCRIPT: runs a script of
// composition commands on a document, without windows ("save" saves on the way), then closes
// it saving.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>
#include <optional>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "QuoteOpening.h"
#include "composition/CompositionSession.h"
#include "composition/LineEntry.h"
#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"

using namespace tarovent;

namespace {

bool yesNo(const QString& word, bool& value) {
  const QString w = word.toLower();
  if (w == "yes" || w == "oui") return value = true, true;
  if (w == "no" || w == "non") return value = false, true;
  return false;
}

std::optional<composition::EntrySource> sourceNamed(const QString& word) {
  using composition::EntrySource;
  static const QHash<QString, EntrySource> sources = {{"option", EntrySource::Options},
                                                      {"article", EntrySource::Stock},
                                                      {"labour", EntrySource::Labour},
                                                      {"tariff", EntrySource::Tariffs}};
  const auto it = sources.constFind(word.toLower());
  if (it == sources.cend()) return std::nullopt;
  return *it;
}

// Runs one script line; false when it stopped on a message.
bool runLine(composition::CompositionSession& s, composition::LineEntry& entry,
             admin::AnsweringFunnel& funnel, const QString& line, QTextStream& out) {
  QStringList words = line.split(' ', Qt::SkipEmptyParts);
  const QString verb = words.takeFirst().toLower();
  const QString rest = line.trimmed().mid(verb.size()).trimmed();
  const auto refuse = [&](const QString& text) {
    funnel.show(text, ui::Icon::Warning, {});
    return false;
  };
  bool flag = false;
  if (verb == "cursor" && words.size() == 2) return s.setCursor(words[0].toInt(), words[1].toInt());
  if (verb == "newtable") return s.newTable();
  if (verb == "save") {
    if (!s.save()) return false;
    out << "enregistré\n";
    out.flush();
    return true;
  }
  if (verb == "split") return s.split();
  if (verb == "subtotal") return s.subTotal();
  if (verb == "subtotal+") return s.extendedSubTotal(rest.isEmpty() ? "Sous-total" : rest);
  if (verb == "print-price" && words.size() == 1 && yesNo(words[0], flag)) {
    s.setPrintPrice(flag);
    return true;
  }
  if (verb == "print-qty" && words.size() == 1 && yesNo(words[0], flag)) {
    s.setPrintQuantity(flag);
    return true;
  }
  if (verb == "levels" && words.size() <= 2) return s.applyLevels(words.value(0), words.value(1));
  if (verb == "mask") return s.switchTableHidden();
  if (verb == "recalc" || (verb == "adjust" && !words.isEmpty())) {
    const bool done =
        verb == "recalc" ? s.recalculate() : s.adjust(words.takeFirst().toInt(), words);
    if (done) {
      const auto& totals = s.lastRecalculation().bookmarks;
      for (auto it = totals.cbegin(); it != totals.cend(); ++it)
        out << it.key() << '=' << it.value() << '\n';
      out.flush();
    }
    return done;
  }
  if (verb == "answers") {
    funnel.setAnswers(rest.split(',', Qt::SkipEmptyParts));
    return true;
  }
  if (verb == "pick" && (words.size() == 2 || words.size() == 3)) {
    const auto source = sourceNamed(words[0]);
    if (!source) return refuse(QStringLiteral("source inconnue : ") + words[0]);
    return entry.pick(*source, words[1], words.value(2));
  }
  if (verb == "set" && !words.isEmpty()) {
    const QString value = rest.mid(words[0].size()).trimmed();
    if (!entry.setText(words[0], value))
      return refuse(QStringLiteral("champ inconnu : ") + words[0]);
    const composition::LeaveOutcome left = entry.leave(words[0]);
    return left != composition::LeaveOutcome::NotFound &&
           left != composition::LeaveOutcome::Refused;
  }
  if (verb == "insert") return entry.insert();
  if (verb == "append") return entry.append();
  return refuse(QStringLiteral("commande incomprise : ") + line.trimmed());
}

}  // namespace

int runComposeCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  const auto usage = [&] {
    err << "Utilisation : tarovent-admin compose DOSSIER FICHIER [--type CODE | --quote NUMDOSS "
           "NSEQ] --script SCRIPT\n";
    return 2;
  };
  const std::optional<admin::VerbArguments> a =
      admin::splitArguments(args, {{"--type", 1}, {"--quote", 2}, {"--script", 1}});
  if (!a) return usage();
  long dossier = -1;
  int seq = -1;
  if (a->has("--quote")) {
    bool ok1 = false, ok2 = false;
    dossier = a->options["--quote"][0].toLong(&ok1);
    seq = a->options["--quote"][1].toInt(&ok2);
    if (!ok1 || !ok2) return usage();
  }
  const QString type = a->value("--type"), script = a->value("--script");
  const QStringList& positional = a->positional;
  if (positional.size() != 2 || script.isEmpty() || (!type.isEmpty() && dossier >= 0))
    return usage();
  QFile scriptFile(script);
  if (!scriptFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
    err << "Script " << script << " illisible.\n";
    return 1;
  }
  const QStringList lines = QString::fromUtf8(scriptFile.readAll()).split('\n');
  const QString file = QFileInfo(positional[1]).absoluteFilePath();

  admin::AnsweringFunnel funnel(out);
  core::ProcessState state(funnel);
  if (!admin::openFamily(state, positional[0], err)) return 1;
  std::unique_ptr<composition::CompositionSession> session;
  if (dossier >= 0) {
    session = admin::openQuoteSession(state, file, dossier, seq, err);
  } else {
    if (!QFileInfo::exists(file)) {
      err << "Document " << positional[1] << " introuvable.\n";
      return 1;
    }
    try {
      admin::readDefaultTariffModes(state);
    } catch (const db::DbError& e) {
      err << e.description() << '\n';
      return 1;
    }
    composition::OpenRequest request;
    request.documentPath = file;
    request.typeCode = type;
    session = composition::CompositionSession::open(state, request);
  }
  if (!session) return 1;

  composition::LineEntry entry(*session);
  bool stopped = false;
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    if (!runLine(*session, entry, funnel, line, out)) {
      stopped = true;
      break;
    }
  }
  // A script stopped half-way leaves the file as it was.
  funnel.setAnswers({stopped ? QStringLiteral("no") : QStringLiteral("yes")});
  const bool closed = session->close();
  return stopped || !closed || funnel.failed() ? 1 : 0;
}
