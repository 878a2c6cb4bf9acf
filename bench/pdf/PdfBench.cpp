// Exports a 200-line quote to PDF ten times through the converter kept running, against ten
// runs of `soffice --convert-to pdf` started for each document (its profile folder already
// made), runs interleaved; prints the medians, the totals and the ratio.
// TAROVENT_PDF_TIMES=1 also prints, for each warm export, how long LibreOffice took to load,
// store and close the document.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "common/Timing.h"
#include "install/templates/WordprocessingXml.h"
#include "platform/os/LibreOfficeConverter.h"

using namespace tarovent;
using Xml = templates::WordprocessingXml;

namespace {

constexpr int kRows = 200;
constexpr int kRuns = 10;

void writeQuote(const QString& path) {
  const QList<int> widths{1400, 3400, 900, 700, 1300, 1300};
  QStringList rows;
  rows << Xml::row({{Xml::paragraph("Code"), 1400, "D9E2F3"},
                    {Xml::paragraph("Désignation"), 3400, "D9E2F3"},
                    {Xml::paragraph("Qté"), 900, "D9E2F3"},
                    {Xml::paragraph("Unité"), 700, "D9E2F3"},
                    {Xml::paragraph("PU net"), 1300, "D9E2F3"},
                    {Xml::paragraph("Montant"), 1300, "D9E2F3"}},
                   true);
  for (int r = 0; r < kRows; ++r) {
    const int qty = r % 7 + 1;
    const double price = 10.5 + r % 50;
    rows << Xml::row(
        {{Xml::paragraph(QStringLiteral("ART%1").arg(r, 4, 10, QChar('0'))), 1400, {}},
         {Xml::paragraph(QStringLiteral("Article de démonstration n° %1").arg(r)), 3400, {}},
         {Xml::paragraph(QString::number(qty), "right"), 900, {}},
         {Xml::paragraph("U"), 700, {}},
         {Xml::paragraph(QString::number(price, 'f', 2), "right"), 1300, {}},
         {Xml::paragraph(QString::number(price * qty, 'f', 2), "right"), 1300, {}}});
  }
  const QString body = Xml::paragraph(QList<Xml::Run>{{"DEVIS 00001_00.AB", true, 32}}) +
                       Xml::table(widths, rows, true) + Xml::paragraph("Fin du devis.");
  Xml::package(body, "<w:p/>", "<w:p/>", false, false).saveAs(path);
}

bool coldConvert(const QString& soffice, const QString& profile, const QString& doc,
                 const QString& outDir) {
  QProcess p;
  p.start(soffice, {"--headless", "--norestore", "-env:UserInstallation=file://" + profile,
                    "--convert-to", "pdf", "--outdir", outDir, doc});
  return p.waitForFinished(120000) && p.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // "bench_pdf FILE" writes the quote only, to look at it or convert it by hand.
  if (argc == 2) {
    writeQuote(QString::fromLocal8Bit(argv[1]));
    return 0;
  }
  const QString soffice = QStandardPaths::findExecutable("soffice");
  if (soffice.isEmpty()) {
    std::printf("%s\n", qPrintable(os::libreOfficeMissingMessage()));
    return 1;
  }
  QTemporaryDir dir;
  const QString doc = dir.filePath("00001_00.docx");
  writeQuote(doc);
  const QString coldProfile = dir.filePath("cold-profile");
  QDir().mkpath(dir.filePath("cold"));
  // Both sides start from a profile folder already made and a first conversion done.
  coldConvert(soffice, coldProfile, doc, dir.filePath("cold"));
  os::LibreOfficeConverter warm(dir.filePath("warm"), soffice);
  if (!os::convertAndWait(warm, {doc, dir.filePath("warm.pdf"), 0, 0}).ok) {
    std::printf("le convertisseur ne répond pas\n");
    return 1;
  }
  std::vector<double> warmMs, coldMs;
  for (int i = 0; i < kRuns; ++i) {
    bool ok = true;
    warmMs.push_back(bench::timed([&] {
      ok = os::convertAndWait(warm, {doc, dir.filePath("warm.pdf"), 0, 0}).ok;
    }));
    coldMs.push_back(bench::timed(
        [&] { ok = coldConvert(soffice, coldProfile, doc, dir.filePath("cold")) && ok; }));
    if (!ok || !os::looksLikePdf(dir.filePath("cold/00001_00.pdf"))) {
      std::printf("échec de conversion au passage %d\n", i + 1);
      return 1;
    }
  }
  double warmTotal = 0, coldTotal = 0;
  for (double v : warmMs) warmTotal += v;
  for (double v : coldMs) coldTotal += v;
  std::printf("devis de %d lignes, %d exports de chaque sorte\n", kRows, kRuns);
  std::printf("convertisseur gardé ouvert : médiane %.0f ms, total %.0f ms\n",
              bench::median(warmMs), warmTotal);
  std::printf("soffice --convert-to       : médiane %.0f ms, total %.0f ms\n",
              bench::median(coldMs), coldTotal);
  std::printf("rapport (médianes) : %.1f ; rapport (totaux) : %.1f\n",
              bench::median(coldMs) / bench::median(warmMs), coldTotal / warmTotal);
  return 0;
}
