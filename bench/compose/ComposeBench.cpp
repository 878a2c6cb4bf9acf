// Composing a quote without windows: opens a 2,000-line quote, inserts 100 lines one by one at
// random cursors through line entry, adds 10 sub-totals, recalculates and saves. The baseline
// is the same document loaded and saved plainly in the same run; the time per insertion is also
// measured on a 200-line quote, to show that it does not grow with the quote. Runs interleaved,
// medians of 5.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "common/NewFamily.h"
#include "common/QuoteLines.h"
#include "common/Timing.h"
#include "composition/CompositionSession.h"
#include "composition/LineEntry.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::composition;

namespace {

struct Composed {
  double totalMs = 0;
  double perInsertionMs = 0;
};

class Bench {
 public:
  explicit Bench(const QString& folder) : m_folder(folder), m_family(folder + "/f") {
    m_family.priceAtSale();
    m_family.state.mainDb().Execute(
        "insert into TPRO (TPRO_Code, TPRO_LIB, TPRO_PU) values ('OPT1', 'Peinture époxy', 150)");
  }
  int messages() const { return m_family.quiet.shown; }

  // Load and save, nothing else.
  double plain(const QString& source) {
    const QString path = copy(source);
    QElapsedTimer t;
    t.start();
    word::WordDocument doc = word::WordDocument::open(path);
    doc.setModified(true);
    doc.save();
    return double(t.nsecsElapsed()) / 1e6;
  }

  Composed compose(const QString& source, unsigned seed) {
    const QString path = copy(source);
    std::mt19937 random(seed);
    Composed c;
    double inserting = 0;
    QElapsedTimer total;
    total.start();
    OpenRequest request;
    request.documentPath = path;
    auto session = CompositionSession::open(m_family.state, request);
    const int table =
        Reperer_Tableaux(session->document(), LocatePurpose::Recalculation).layout->firstLineTable;
    LineEntry entry(*session);
    for (int i = 0; i < 100; ++i) {
      const int rows = session->document().rowCount(table);
      session->setCursor(table, int(random() % unsigned(rows)) + 1);
      // A written line empties the fields: each line is picked again.
      entry.pick(EntrySource::Options, "OPT1");
      entry.setText("CTX_QTE", "2");
      QElapsedTimer one;
      one.start();
      entry.insert();
      inserting += double(one.nsecsElapsed()) / 1e6;
    }
    // Ten sections, each closed by its sub-total, from the bottom of the table up.
    for (int i = 0; i < 10; ++i) {
      const int rows = session->document().rowCount(table);
      session->setCursor(table, rows - int(random() % unsigned(rows / 12)));
      session->split();
      session->setCursor(table, 1);
      session->subTotal();
    }
    session->recalculate();
    session->close();
    c.totalMs = double(total.nsecsElapsed()) / 1e6;
    c.perInsertionMs = inserting / 100;
    return c;
  }

 private:
  QString copy(const QString& source) {
    const QString path = m_folder + "/work.docx";
    QFile::remove(path);
    QFile::copy(source, path);
    return path;
  }

  QString m_folder;
  bench::NewFamily m_family;
};

void print(const char* what, double ms) { std::printf("%-56s %9.2f ms\n", what, ms); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString small = bench::writeQuote(dir.path(), 200);
  const QString large = bench::writeQuote(dir.path(), 2000);
  Bench bench(dir.path());
  bench.compose(small, 1);  // warm-up

  std::vector<double> plain, total, perLarge, perSmall;
  for (unsigned run = 0; run < 5; ++run) {
    plain.push_back(bench.plain(large));
    const Composed l = bench.compose(large, run + 10);
    total.push_back(l.totalMs);
    perLarge.push_back(l.perInsertionMs);
    perSmall.push_back(bench.compose(small, run + 10).perInsertionMs);
  }
  const double base = bench::median(plain), whole = bench::median(total);
  print("baseline: 2,000-line quote loaded and saved", base);
  print("composed: open, 100 insertions, 10 sub-totals, recalc, save", whole);
  std::printf("ratio composed / baseline: %.2f\n", whole / base);
  const double pl = bench::median(perLarge), ps = bench::median(perSmall);
  print("one insertion, 2,000-line quote", pl);
  print("one insertion, 200-line quote", ps);
  std::printf("ratio per insertion 2,000 / 200 lines: %.2f (target <= 2)\n", pl / ps);
  if (bench.messages() > 0) std::fprintf(stderr, "%d messages shown\n", bench.messages());
  return 0;
}
