// Recalculates and saves a 2,000-line quote of demo articles (one in ten manufactured) against
// the same package rewritten plainly (every entry read, the main part parsed and serialized
// with pugixml, every entry written back), interleaved medians of 9 runs; then values an
// article whose four-level bill holds about 5,000 links.
// With --once it does one recalculation and save, and with --floor one plain rewrite, timed
// alone, for a profiler (valgrind --tool=callgrind --toggle-collect='*recalculateOnce*');
// --loop and --floorloop do 40 of them and print the monotonic clock before and after on
// standard error, for a sampling profiler's time filter (perf record -k CLOCK_MONOTONIC).
#include <zip.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "articles/ArticleFiles.h"
#include "articles/CostRollup.h"
#include "common/DeepBill.h"
#include "common/OpenFamily.h"
#include "common/SmallDemo.h"
#include "common/PackageFloor.h"
#include "common/QuietFunnel.h"
#include "composition/NumberFormat.h"
#include "composition/Recalculation.h"
#include "core/ProcessState.h"
#include "install/DemoFamily.h"
#include "install/Installer.h"
#include "install/templates/WordprocessingXml.h"
#include "platform/db/Database.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

constexpr int kRows = 2000;
const QStringList kCodes{"CODART", "LIBART", "QTE",   "UNITE", "PUBRUT",
                         "PCREM",  "PUNET",  "MTNET", "PDR",   "MTPDR"};

QString cell(const QString& text) {
  return "<w:tc><w:tcPr><w:tcW w:w=\"960\" w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:t "
         "xml:space=\"preserve\">" +
         text.toHtmlEscaped() + "</w:t></w:r></w:p></w:tc>";
}

QString table(const QStringList& rows) {
  QString grid;
  for (int i = 0; i < kCodes.size(); ++i) grid += "<w:gridCol w:w=\"960\"/>";
  return "<w:tbl><w:tblPr><w:tblW w:w=\"9600\" w:type=\"dxa\"/></w:tblPr><w:tblGrid>" + grid +
         "</w:tblGrid>" + rows.join(QString()) + "</w:tbl>";
}

void writeQuote(const QString& path, const QStringList& bought, const QStringList& made) {
  QString header = "<w:tr>";
  int id = 1;
  for (const QString& code : kCodes) {
    header += "<w:tc><w:p><w:bookmarkStart w:id=\"" + QString::number(id) + "\" w:name=\"" + code +
              "\"/><w:r><w:t>" + code + "</w:t></w:r><w:bookmarkEnd w:id=\"" + QString::number(id) +
              "\"/></w:p></w:tc>";
    ++id;
  }
  header += "</w:tr>";
  QStringList rows;
  for (int r = 0; r < kRows; ++r) {
    const QString code = r % 10 == 0 ? made[r / 10 % made.size()] : bought[r % bought.size()];
    QString row = "<w:tr>" + cell(code) + cell("Article " + code) +
                  cell(QString::number(r % 7 + 1)) + cell("U") +
                  cell(composition::formatMasked(10 + r % 50, "# ### ##0.00", ',')) +
                  cell(r % 3 == 0 ? "5" : "");
    for (int c = 6; c < kCodes.size(); ++c) row += cell("");
    rows << row + "</w:tr>";
  }
  QString totals;
  int bid = 90;
  for (const char* b : {"SMTBRUT", "SMTREM", "SMTNET", "SMTTVA", "STTC", "SPDRTOT", "SMARGE"})
    totals += QStringLiteral(
                  "<w:p><w:bookmarkStart w:id=\"%1\" w:name=\"%2\"/><w:r><w:t>0</w:t>"
                  "</w:r><w:bookmarkEnd w:id=\"%1\"/></w:p>")
                  .arg(bid++)
                  .arg(b);
  const QString body =
      "<w:p><w:r><w:t>Devis</w:t></w:r></w:p>" + table({header}) + "<w:p/>" + table(rows) + totals;
  templates::WordprocessingXml::package(body, "<w:p/>", "<w:p/>", false, false).saveAs(path);
}

// Kept out of line so that a profiler can collect this call alone.
[[gnu::noinline]] void recalculateOnce(core::ProcessState& state, articles::ArticleFiles& files,
                                       const QString& quote, const QString& out) {
  word::WordDocument doc = word::WordDocument::open(quote);
  composition::RecalcOptions o;
  o.fromQuote = true;
  o.vatField = "20";
  composition::Recalcul_Document(state, files, doc, o);
  doc.saveAs(out);
}

[[gnu::noinline]] void plainRewriteOnce(const QString& quote, const QString& out) {
  bench::plainRewrite(quote, out);
}

}  // namespace

int main(int argc, char** argv) {
  const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  bench::SmallDemo demo;
  if (!demo.opened) return 1;
  core::ProcessState& state = demo.state;
  const QTemporaryDir& dir = demo.dir;
  bench::openRoutings(state);
  articles::ArticleFiles files(state);

  QStringList bought, made;
  db::Recordset arts =
      state.base(core::entry::Stock)
          .db.OpenRecordset("select TARTI_CODART, TARTI_Type from TARTI order by TARTI_CODART");
  for (; !arts.EOF_(); arts.MoveNext())
    (arts.text("TARTI_Type") == "F" ? made : bought) << arts.text("TARTI_CODART");

  const QString quote = dir.filePath("quote.docx");
  writeQuote(quote, bought, made);
  if (mode == "--loop" || mode == "--floorloop") {
    timespec t0{};
    clock_gettime(CLOCK_MONOTONIC, &t0);
    std::fprintf(stderr, "start %ld.%09ld\n", long(t0.tv_sec), long(t0.tv_nsec));
    for (int i = 0; i < 40; ++i)
      if (mode == "--loop")
        recalculateOnce(state, files, quote, dir.filePath("recalculated.docx"));
      else
        plainRewriteOnce(quote, dir.filePath("plain.docx"));
    clock_gettime(CLOCK_MONOTONIC, &t0);
    std::fprintf(stderr, "end %ld.%09ld\n", long(t0.tv_sec), long(t0.tv_nsec));
    return 0;
  }
  if (mode == "--once" || mode == "--floor") {
    QElapsedTimer timer;
    timer.start();
    if (mode == "--once")
      recalculateOnce(state, files, quote, dir.filePath("recalculated.docx"));
    else
      plainRewriteOnce(quote, dir.filePath("plain.docx"));
    std::printf("%s: %.1f ms\n", argv[1], double(timer.nsecsElapsed()) / 1e6);
    return 0;
  }
  const bench::Timings t = bench::interleaved(
      9, [&] { plainRewriteOnce(quote, dir.filePath("plain.docx")); },
      [&] { recalculateOnce(state, files, quote, dir.filePath("recalculated.docx")); });
  std::printf("quote: %d lines (%lld manufactured articles in the demo)\n", kRows,
              static_cast<long long>(made.size()));
  bench::printTimings(t, "recalculation and durable save", 3);

  db::Database& stock = state.base(core::entry::Stock).db;
  std::printf("bill of materials: %d links on four levels\n", bench::addDeepBill(stock));
  double cost = 0;
  std::vector<double> rolls;
  for (int i = 0; i < 3; ++i) {
    QElapsedTimer timer;
    timer.start();
    const auto v = articles::Valoriser_Article(files, demo.quiet, "BENCHROOT", "00");
    cost = v ? v->cout_matiere : -1;
    rolls.push_back(double(timer.nsecsElapsed()) / 1e6);
  }
  const double rollMs = bench::median(rolls);
  std::printf("Valoriser_Article: %8.1f ms per call (materials cost %.2f)\n", rollMs, cost);
  return 0;
}
