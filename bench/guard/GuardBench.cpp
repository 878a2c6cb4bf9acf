// The guard and the comparison of versions on a 2,000-line quote made from a demo quote, against
// a plain walk of every cell of its line tables (the least any reading of the lines costs),
// interleaved medians of 9 runs in one process. The documents are open: opening a file is
// timed apart, as the composition and the workspace hold theirs open.
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "common/OpenFamily.h"
#include "common/SmallDemo.h"
#include "common/PackageFloor.h"
#include "common/QuietFunnel.h"
#include "composition/ColumnMap.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "core/ProcessState.h"
#include "guard/PriceMemory.h"
#include "guard/QuoteComparison.h"
#include "guard/QuoteGuard.h"
#include "install/DemoFamily.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

constexpr int kLines = 2000;

struct Article {
  QString code;
  double cost, price;
};

// The first line table of `doc` grown to kLines lines of demo articles.
void growQuote(word::WordDocument& doc, const QList<Article>& articles) {
  const auto loc = composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
  const auto cols = composition::ColumnMap::read(doc, loc.layout->headerTable);
  const int table = composition::lineTables(doc, *loc.layout).front();
  while (doc.rowCount(table) < kLines) doc.appendRow(table);
  const auto put = [&](int row, const char* code, const QString& text) {
    if (const int c = cols.column(QLatin1String(code))) doc.setCellText({table, row, c}, text);
  };
  for (int row = 1; row <= kLines; ++row) {
    const Article& a = articles[row % articles.size()];
    const auto money = [](double v) { return composition::formatMasked(v, "# ### ##0.00", ','); };
    put(row, "CODART", a.code);
    put(row, "QTE", QString::number(row % 7 + 1));
    // One line in 40 sold under its cost.
    put(row, "PUBRUT", money(row % 40 == 0 ? a.cost * 0.9 : a.price));
    put(row, "PCREM", row % 3 == 0 ? "5" : "");
    put(row, "PDR", money(a.cost));
  }
}

// The next version: a line in ten re-priced, a line in fifty gone, the second half moved into a
// table of its own.
void reviseQuote(word::WordDocument& doc) {
  const auto loc = composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
  const auto cols = composition::ColumnMap::read(doc, loc.layout->headerTable);
  const int table = composition::lineTables(doc, *loc.layout).front();
  const int price = cols.column("PUBRUT");
  for (int row = 10; row <= kLines; row += 10) doc.setCellText({table, row, price}, "999,00");
  for (int row = kLines - 50; row > 0; row -= 50) doc.deleteRow(table, row);
  doc.splitTable(table, doc.rowCount(table) / 2);
}

void walkCells(const word::WordDocument& doc, const std::vector<int>& tables, int& chars) {
  for (int t : tables)
    for (int row = 1; row <= doc.rowCount(t); ++row)
      for (int c = 1; c <= doc.cellCount(t, row); ++c)
        chars += int(doc.cellText({t, row, c}).size());
}

}  // namespace

int main() {
  bench::SmallDemo demo;
  if (!demo.opened) return 1;
  core::ProcessState& state = demo.state;
  const QTemporaryDir& dir = demo.dir;
  const install::FamilyLayout& layout = demo.layout;

  QList<Article> articles;
  for (db::Recordset a =
           state.base(core::entry::Stock)
               .db.OpenRecordset(
                   "select TARTI_CODART, TARTI_PMP, TARTI_PVU1 from TARTI where TARTI_Type = 'A'");
       !a.EOF_(); a.MoveNext())
    articles.append({a.text("TARTI_CODART"), composition::round2(a.number("TARTI_PMP")),
                     a.number("TARTI_PVU1")});
  const QString first = dir.filePath("first.docx"), second = dir.filePath("second.docx");
  {
    const QString folder = layout.dataFolder + "DOC_TAROVENT/";
    QString demoQuote;
    for (const QString& f : QDir(folder).entryList(QDir::Files, QDir::Name))
      if (demoQuote.isEmpty() && guard::quoteKeyOfFile(f)) demoQuote = folder + f;
    word::WordDocument doc = word::WordDocument::open(demoQuote);
    growQuote(doc, articles);
    doc.saveAs(first);
    reviseQuote(doc);
    doc.saveAs(second);
  }
  QElapsedTimer opening;
  opening.start();
  word::WordDocument a = word::WordDocument::open(first);
  const double openMs = double(opening.nsecsElapsed()) / 1e6;
  word::WordDocument b = word::WordDocument::open(second);
  const auto loc = composition::Reperer_Tableaux(a, composition::LocatePurpose::Recalculation);
  const std::vector<int> tables = composition::lineTables(a, *loc.layout);

  int chars = 0;
  size_t findings = 0, differences = 0;
  const bench::Timings guard = bench::interleaved(
      9, [&] { walkCells(a, tables, chars); },
      [&] {
        const auto q = guard::readQuote(a);
        findings = guard::guardQuote(*q, guard::readGuardRules(state, *q)).size();
      });
  const bench::Timings compare = bench::interleaved(
      9, [&] { walkCells(a, tables, chars); },
      [&] {
        const auto before = guard::readQuote(a), after = guard::readQuote(b);
        differences = guard::compareQuotes(*before, *after).differences.size();
      });
  std::printf("quote: %d lines; opening its file: %.1f ms (not counted below)\n", kLines, openMs);
  std::printf("floor: every cell text of the line tables: %.1f ms\n", guard.floorMs);
  std::printf(
      "guard (lines read, floor prices and threshold read, %zu findings): %.1f ms "
      "(%.1f ms processor), %.2f x floor, target < 50 ms: %s\n",
      findings, guard.engineMs, guard.engineCpuMs, guard.engineMs / guard.floorMs,
      guard.engineMs < 50 ? "met" : "MISSED");
  std::printf(
      "comparison (two versions read and matched, %zu differences): %.1f ms "
      "(%.1f ms processor), %.2f x floor, target < 50 ms: %s\n",
      differences, compare.engineMs, compare.engineCpuMs, compare.engineMs / compare.floorMs,
      compare.engineMs < 50 ? "met" : "MISSED");
  return chars > 0 ? 0 : 1;
}
