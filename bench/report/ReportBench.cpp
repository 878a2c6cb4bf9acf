// The quote statistics on the large demo family: TMP_RENTA filled and matched with the affairs
// as FRENTA prints it, against the same work written as plain SQLite statements; then the first
// page of the preview F_RPT after the fill, and the whole PDF. Targets: the fill within twice the
// baseline, the first page under 0.5 s.

#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "common/LargeDemo.h"
#include "common/Offscreen.h"
#include "common/OpenFamily.h"
#include "common/QuietFunnel.h"
#include "common/Timing.h"
#include "install/ReportFiles.h"
#include "platform/db/Connection.h"
#include "platform/db/DbError.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportViewer.h"
#include "reports/QuoteStatistics.h"

using namespace tarovent;
using bench::median;
using bench::timed;

namespace {

constexpr int kRuns = 3;

void exec(sqlite3* db, const QString& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
    fprintf(stderr, "%s\n", error);
    sqlite3_free(error);
    std::exit(1);
  }
}

// The same rows as the program's fill: the last version of each dossier by SQLite's own
// max() row, then the affairs joined on the seven first characters of their quote number.
void plainFill(core::ProcessState& state) {
  db::Connection& c = *state.localDb.connection();
  const QString main = c.attach(state.base(core::entry::Main).path());
  const QString com = c.attach(state.base(core::entry::Commercial).path());
  sqlite3* h = c.handle();
  exec(h, "BEGIN IMMEDIATE");
  exec(h, "DELETE FROM TMP_RENTA");
  exec(h, QStringLiteral(
              "INSERT INTO TMP_RENTA (SOC, NUMDOSS, NUMDEV, DATDEV, DATREL, MONTANT, CLIENT, TYPE, "
              "CAL, RESUME, USER1, USER2, NUMAFF, CM) SELECT d.TDEV_SOC, d.TDEV_NUMDOSS, "
              "max(d.TDEV_NSEQ), d.TDEV_DATE, d.TDEV_DATREL, d.TDEV_MONTANT, o.TDOS_CLIENT, "
              "o.TDOS_TYPE, o.TDOS_CAL, o.TDOS_RESUME, o.TDOS_USER1, o.TDOS_USER2, '', o.TDOS_CM "
              "FROM %1.TDEV d LEFT JOIN %1.TDOS o ON o.TDOS_NUMDOSS = d.TDEV_NUMDOSS AND "
              "o.TDOS_SOC = d.TDEV_SOC LEFT JOIN %2.TCLI t ON o.TDOS_CLIENT = t.TCLI_CODE WHERE "
              "d.TDEV_DATE >= '1900-01-01' AND d.TDEV_DATE <= '2100-12-31' GROUP BY d.TDEV_SOC, "
              "d.TDEV_NUMDOSS ORDER BY 1, 2")
              .arg(main, com));
  for (const char* table : {"TAFF", "TAFS"})
    exec(h, QStringLiteral("UPDATE TMP_RENTA SET NUMAFF = a.n, DATAFF = a.d FROM (SELECT "
                           "upper(substr(%2_NUMDEV, 1, 7)) AS k, %2_NUMAFF AS n, %2_DATCREA AS "
                           "d FROM %1.%2 GROUP BY 1) a WHERE NUMAFF = '' AND a.k = upper(SOC || "
                           "substr('00000' || NUMDOSS, -5))")
                .arg(com, QLatin1String(table)));
  exec(h, "COMMIT");
}

long count(db::Database& db, const QString& sql) {
  db::Recordset rs = db.OpenRecordset(sql);
  return rs.EOF_() ? 0 : long(rs.number(rs.fieldName(0)));
}

}  // namespace

int main(int argc, char** argv) {
  bench::quietOffscreen();
  QApplication app(argc, argv);
  try {
    const install::FamilyLayout family =
        bench::largeDemo(QStringLiteral(TAROVENT_BENCH_FOLDER) + "/famille-grande");
    // A family built before the report files existed gets them now.
    if (!QFile::exists(family.workingFolder + "IMPRENTA.RPT"))
      install::writeReportFiles(family.workingFolder);
    bench::QuietFunnel quiet;
    core::ProcessState state(quiet);
    if (!bench::openFamily(state, family.workingFolder)) {
      fprintf(stderr, "La famille ne peut pas être ouverte.\n");
      return 1;
    }
    reports::QuoteStatistics statistics(state);
    const double affairs = timed([&] { statistics.loadAffairs(); });
    std::vector<double> fill, match, baseline;
    for (int run = 0; run < kRuns; ++run) {
      fill.push_back(timed([&] { statistics.fillTable({}); }));
      match.push_back(timed([&] { statistics.matchAffairs(reports::QuoteChoice::All); }));
      baseline.push_back(timed([&] { plainFill(state); }));
    }
    const long plainRows = count(state.localDb, "select count(*) from TMP_RENTA");
    const long plainWon = count(state.localDb, "select count(*) from TMP_RENTA where NUMAFF <> ''");
    statistics.fillTable({});
    statistics.matchAffairs(reports::QuoteChoice::All);
    const long rows = count(state.localDb, "select count(*) from TMP_RENTA");
    const long won = count(state.localDb, "select count(*) from TMP_RENTA where NUMAFF <> ''");
    const double ours = median(fill) + median(match);
    printf("TMP_RENTA : %ld dossiers, %ld devis aboutis (SQLite seul : %ld, %ld)\n", rows, won,
           plainRows, plainWon);
    printf("  lecture des affaires (une fois, à l'ouverture de FRENTA) : %.0f ms\n", affairs);
    printf("  remplissage %.0f ms + affaires %.0f ms = %.0f ms ; SQLite seul %.0f ms ; "
           "rapport %.2f (cible ≤ 2)\n",
           median(fill), median(match), ours, median(baseline), ours / median(baseline));

    const QString file = family.workingFolder + "IMPRENTA.RPT";
    std::vector<double> first;
    int pages = 0;
    for (int run = 0; run < kRuns; ++run) {
      first.push_back(timed([&] {
        report::Report r(file);
        r.setParameter("PERIODE", "Toutes dates");
        r.start(state.localDb);
        report::ReportViewer viewer(std::move(r));
        viewer.resize(1280, 800);
        viewer.show();
        viewer.grab();
      }));
    }
    printf("première page de l'aperçu F_RPT : %.0f ms (cible < 500 ms)\n", median(first));
    QTemporaryDir dir;
    report::Report whole(file);
    whole.start(state.localDb);
    const double pdf = timed([&] { whole.writePdf(dir.filePath("IMPRENTA.pdf")); });
    pages = whole.pageCount();
    printf("PDF entier : %d pages en %.1f s (%.1f ms par page), %lld octets\n", pages,
           pdf / 1000.0, pdf / std::max(pages, 1),
           QFile(dir.filePath("IMPRENTA.pdf")).size());
  } catch (const db::DbError& e) {
    fprintf(stderr, "Erreur n° %d : %s\n", e.number(), qPrintable(e.description()));
    return 1;
  } catch (const report::ReportError& e) {
    fprintf(stderr, "%s\n", qPrintable(e.text()));
    return 1;
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
