// doc recalc DIR FILE: recalculates a quote document as the composition does.
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "QuoteOpening.h"
#include "articles/ArticleFiles.h"
#include "composition/NumberFormat.h"
#include "composition/Recalculation.h"
#include "composition/Totals.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

int runRecalcCommand(const QStringList& argsIn) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = argsIn;
  composition::RecalcOptions o;
  QStringList answers;
  QStringList positional;
  QString amount;
  const auto usage = [&] {
    err << "Utilisation : tarovent-admin doc recalc DOSSIER FICHIER [--from-quote --vat TAUX] "
           "[--mat R|V|P] [--mo R|V] [--mode N] [--percents MAT,UNIT,MO,SPECIAL] [--amount X] "
           "[--answers yes,no,...]\n";
    return 2;
  };
  while (!args.isEmpty()) {
    const QString a = args.takeFirst();
    const auto value = [&]() -> QString { return args.isEmpty() ? QString() : args.takeFirst(); };
    if (a == "--from-quote") {
      o.fromQuote = true;
    } else if (a == "--vat") {
      o.vatField = value();
    } else if (a == "--mat") {
      const QString m = value().toUpper();
      o.adjustment.materialsPrice = m == "R" ? "PDR" : m == "P" ? "PV2" : "PV1";
    } else if (a == "--mo") {
      o.adjustment.labourPrice = value().toUpper() == "R" ? "PDR" : "PV";
    } else if (a == "--mode") {
      o.adjustment.mode = value().toInt();
    } else if (a == "--percents") {
      const QStringList p = value().split(',');
      o.adjustment.materials = composition::parseNumber(p.value(0));
      o.adjustment.unitComponents = composition::parseNumber(p.value(1));
      o.adjustment.labour = composition::parseNumber(p.value(2));
      o.adjustment.specialSupplies = composition::parseNumber(p.value(3));
      o.adjustment.majoration = o.adjustment.materials;
    } else if (a == "--amount") {
      amount = value();
      o.adjustment.forcedAmount = composition::parseNumber(amount);
    } else if (a == "--answers") {
      answers = value().split(',', Qt::SkipEmptyParts);
    } else if (a.startsWith("--")) {
      return usage();
    } else {
      positional << a;
    }
  }
  if (positional.size() != 2) return usage();
  if (!QFileInfo(positional[1]).isFile()) {
    err << "Document " << positional[1] << " introuvable.\n";
    return 1;
  }
  admin::AnsweringFunnel funnel(out, answers);
  // A forced amount left blank is refused as the adjustment window refuses it.
  if (o.adjustment.mode == 3 && !composition::Valider_Ajustement(3, {}, amount, funnel)) return 1;
  core::ProcessState state(funnel);
  out.flush();
  if (!admin::openFamily(state, positional[0], err)) return 1;
  articles::ArticleFiles files(state);
  try {
    word::WordDocument doc = word::WordDocument::open(positional[1]);
    o.decimalSeparator =
        composition::documentDecimalSeparator(doc, composition::workstationDecimalSeparator());
    const composition::RecalcResult r = composition::Recalcul_Document(state, files, doc, o);
    out.flush();
    if (!r.completed) return 1;
    for (auto it = r.bookmarks.cbegin(); it != r.bookmarks.cend(); ++it)
      out << it.key() << '=' << it.value() << '\n';
    doc.save();
  } catch (const ooxml::OoxmlError& e) {
    out.flush();
    err << "Impossible de recalculer le document " << positional[1] << " : " << e.message() << '\n';
    return 1;
  } catch (const db::DbError& e) {
    out.flush();
    err << "Impossible de recalculer le document " << positional[1] << " : " << e.description()
        << "   Err. n° " << e.number() << '\n';
    return 1;
  }
  return funnel.failed() ? 1 : 0;
}
