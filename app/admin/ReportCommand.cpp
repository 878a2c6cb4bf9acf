// report DIR FRENTA|FLSTAFF ...: the statistics windows' work without windows. FRENTA prints the
// messages the window would show, then the rows of TMP_RENTA, and with --pdf the report's PDF
// path on the last line; FLSTAFF prints the rows of the window, then its averages.
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "QuoteOpening.h"
#include "core/ProcessState.h"
#include "core/ReportChoice.h"
#include "platform/db/DbError.h"
#include "platform/db/RowReader.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/text/TypedText.h"
#include "reports/OrderCostStatistics.h"
#include "reports/QuoteStatistics.h"
#include "ui/NumericInput.h"

using namespace tarovent;

namespace {

const char* kUsage =
    "Utilisation : tarovent-admin report DOSSIER FRENTA [--from JJ/MM/AAAA] [--to JJ/MM/AAAA] "
    "[--client C] [--category C] [--rep C] [--type T] [--user1 V] [--user2 V] "
    "[--won|--lost|--all] [--pdf FICHIER]\n"
    "  tarovent-admin report DOSSIER FLSTAFF --from JJ/MM/AAAA --to JJ/MM/AAAA [--work-type T]\n";

struct Options {
  QString family, window;
  QHash<QString, QString> values;  // option -> value
  QString choice = QStringLiteral("--all");
  bool ok = true;
};

Options parse(QStringList args) {
  static const QStringList valued = {"--from", "--to",    "--client", "--category", "--rep",
                                     "--type", "--user1", "--user2",  "--pdf",      "--work-type"};
  Options o;
  QStringList positional;
  while (!args.isEmpty()) {
    const QString a = args.takeFirst();
    if (valued.contains(a) && !args.isEmpty()) {
      o.values.insert(a, args.takeFirst());
    } else if (a == "--won" || a == "--lost" || a == "--all") {
      o.choice = a;
    } else if (a.startsWith("--")) {
      o.ok = false;
    } else {
      positional << a;
    }
  }
  if (positional.size() != 2) o.ok = false;
  o.family = positional.value(0);
  o.window = positional.value(1).toUpper();
  return o;
}

// A date option; false after a message when it is given and not a date.
bool dateOption(const Options& o, const QString& name, QDate& date, QTextStream& err) {
  date = {};
  if (!o.values.contains(name)) return true;
  date = text::readTypedDay(o.values.value(name));
  if (date.isValid()) return true;
  err << "Date incorrecte pour " << name << " : " << o.values.value(name) << '\n';
  return false;
}

QString cell(const QVariant& v) {
  if (v.isNull()) return {};
  if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
    return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
  if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'f', 2);
  return v.toString();
}

int runQuoteStatistics(core::ProcessState& state, const Options& o, QTextStream& out,
                       QTextStream& err) {
  reports::QuoteCriteria c;
  if (!dateOption(o, "--from", c.from, err) || !dateOption(o, "--to", c.to, err)) return 2;
  c.client = o.values.value("--client");
  c.category = o.values.value("--category");
  c.rep = o.values.value("--rep");
  c.type = o.values.value("--type");
  c.user1 = o.values.value("--user1");
  c.user2 = o.values.value("--user2");
  c.choice = o.choice == "--won"    ? reports::QuoteChoice::Won
             : o.choice == "--lost" ? reports::QuoteChoice::NotWon
                                    : reports::QuoteChoice::All;
  reports::QuoteStatistics statistics(state);
  try {
    statistics.loadAffairs();
  } catch (const db::DbError& e) {
    err << e.description() << '\n';
    return 1;
  }
  if (statistics.fill(c) != reports::QuoteStatistics::Outcome::Filled) return 1;
  statistics.workDatabase().forEachRow(
      QStringLiteral("select SOC, NUMDOSS, NUMDEV, DATDEV, MONTANT, CLIENT, NUMAFF, DATAFF from "
                     "TMP_RENTA"),
      [&out](const db::RowReader& r) {
        QStringList cells;
        for (const char* f :
             {"SOC", "NUMDOSS", "NUMDEV", "DATDEV", "MONTANT", "CLIENT", "NUMAFF", "DATAFF"})
          cells << cell(r.value(f));
        out << cells.join('\t') << '\n';
      });
  if (!o.values.contains("--pdf")) return 0;
  // Without a window, several report files resolve to the first by name.
  const QStringList files =
      core::reportFiles(core::reportFolder(state), QStringLiteral("IMPRENTA"));
  if (files.isEmpty()) {
    out << state.messages().tr(QStringLiteral("Aucun modèle d'impression trouvé")) << '\n';
    return 1;
  }
  try {
    report::Report r(files.first());
    r.setDecimalSeparator(ui::workstationDecimalSeparator());
    const QHash<QString, QString> parameters = reports::QuoteStatistics::reportParameters(c);
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
      r.setParameter(it.key(), *it);
    r.start(statistics.workDatabase());
    QString error;
    if (!r.writePdf(o.values.value("--pdf"), &error)) {
      out << error << '\n';
      return 1;
    }
  } catch (const report::ReportError& e) {
    out << admin::oneLine(e.text()) << '\n';
    return 1;
  }
  out << o.values.value("--pdf") << '\n';
  return 0;
}

int runOrderCostStatistics(core::ProcessState& state, const Options& o, QTextStream& out,
                           QTextStream& err) {
  reports::OrderPeriod p;
  if (!dateOption(o, "--from", p.from, err) || !dateOption(o, "--to", p.to, err)) return 2;
  if (!p.from.isValid() || !p.to.isValid()) {
    err << kUsage;
    return 2;
  }
  p.workType = o.values.value("--work-type");
  reports::OrderCostStatistics statistics(state);
  if (statistics.compute(p) != reports::OrderCostStatistics::Outcome::Filled) return 1;
  const QChar separator = ui::workstationDecimalSeparator();
  for (const QStringList& row : reports::orderCostCells(statistics, separator))
    out << row.join('\t') << '\n';
  out << "Moyennes\t" << reports::orderCostAverageCells(statistics, separator).join('\t') << '\n';
  return 0;
}

}  // namespace

int runReportCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  const Options o = parse(args);
  if (!o.ok || (o.window != "FRENTA" && o.window != "FLSTAFF")) {
    err << kUsage;
    return 2;
  }
  admin::PrintingFunnel funnel(out);
  core::ProcessState state(funnel);
  if (!admin::openFamily(state, o.family, err)) return 1;
  const int status = o.window == "FRENTA" ? runQuoteStatistics(state, o, out, err)
                                          : runOrderCostStatistics(state, o, out, err);
  out.flush();
  return status;
}
