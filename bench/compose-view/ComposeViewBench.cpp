// The quote on screen: draws the first screen of a 2,000-line and of a 200-line quote offscreen
// at 1280 x 800, and times one line inserted and drawn again, interleaved medians of 9 runs. The
// baseline is the same work done plainly: every row of the document read, and the model built
// again after the insertion.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "common/PackageFloor.h"
#include "common/QuietFunnel.h"
#include "common/QuoteLines.h"
#include "composition/ColumnMap.h"
#include "composition/QuoteDocumentModel.h"
#include "composition/QuoteView.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::composition;

namespace {

struct Quote {
  Quote(const QString& folder, int lines)
      : doc(std::make_unique<word::WordDocument>(
            word::WordDocument::open(bench::writeQuote(folder, lines)))),
        layout(*Reperer_Tableaux(*doc, LocatePurpose::Recalculation).layout),
        columns(ColumnMap::read(*doc, layout.headerTable)) {}
  std::unique_ptr<word::WordDocument> doc;
  TableLayout layout;
  ColumnMap columns;
};

void firstScreen(Quote& q, bench::QuietFunnel& quiet) {
  QuoteView view(*q.doc, q.layout, q.columns, quiet);
  view.resize(1280, 800);
  view.grab();
}

// Every row read, as a model without a cache would on opening.
void everyRow(Quote& q) {
  for (int r = 1; r <= q.doc->rowCount(q.layout.firstLineTable); ++r)
    readRowContent(*q.doc, q.layout.firstLineTable, r, q.columns.columnCount());
}

// One line written above the middle of the table, then the screen drawn on it.
void insertLine(Quote& q, QuoteView& view, int i, bool rebuild) {
  const int table = q.layout.firstLineTable;
  const int row = q.doc->insertRow(table, q.doc->rowCount(table) / 2, word::RowPlacement::Above);
  LineWriter(q.columns, LineOptions{}).write(*q.doc, table, row, bench::seriesArticle(100000 + i));
  if (rebuild)
    view.model().documentReset();
  else
    view.model().rowsInserted(table, row, 1);
  view.setCursor({table, row});
  view.grab();
}

void print(const char* what, double ms, double cpu) {
  std::printf("%-52s %8.2f ms (%.2f ms processor)\n", what, ms, cpu);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  Quote small(dir.path(), 200);
  Quote large(dir.path(), 2000);
  bench::QuietFunnel quiet;
  firstScreen(small, quiet);  // fonts and styles loaded once

  const bench::Timings draw = bench::interleaved(
      9, [&] { firstScreen(small, quiet); }, [&] { firstScreen(large, quiet); });
  print("first screen, 200 lines", draw.floorMs, draw.floorCpuMs);
  print("first screen, 2,000 lines", draw.engineMs, draw.engineCpuMs);
  std::printf("ratio 2,000 / 200 lines: %.2f wall, %.2f processor (target <= 2)\n",
              draw.engineMs / draw.floorMs, draw.engineCpuMs / draw.floorCpuMs);
  const bench::Timings plain = bench::interleaved(
      9, [&] { everyRow(large); }, [&] { firstScreen(large, quiet); });
  print("baseline: every row of 2,000 read", plain.floorMs, plain.floorCpuMs);

  QuoteView smallView(*small.doc, small.layout, small.columns, quiet);
  QuoteView largeView(*large.doc, large.layout, large.columns, quiet);
  for (QuoteView* v : {&smallView, &largeView}) {
    v->resize(1280, 800);
    v->show();
    v->grab();
  }
  int n = 0;
  const bench::Timings insert = bench::interleaved(
      9, [&] { insertLine(small, smallView, n++, false); },
      [&] { insertLine(large, largeView, n++, false); });
  print("one insertion + refresh, 200 lines", insert.floorMs, insert.floorCpuMs);
  print("one insertion + refresh, 2,000 lines", insert.engineMs, insert.engineCpuMs);
  std::printf("ratio 2,000 / 200 lines: %.2f wall, %.2f processor (target <= 2)\n",
              insert.engineMs / insert.floorMs, insert.engineCpuMs / insert.floorCpuMs);
  const bench::Timings rebuilt = bench::interleaved(
      9, [&] { insertLine(large, largeView, n++, true); },
      [&] { insertLine(large, largeView, n++, false); });
  print("baseline: insertion + model rebuilt, 2,000 lines", rebuilt.floorMs, rebuilt.floorCpuMs);
  print("insertion + rows inserted, 2,000 lines", rebuilt.engineMs, rebuilt.engineCpuMs);
  return 0;
}
