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

#include "common/OpenFamily.h"
#include "common/Timing.h"
#include "composition/CompositionSession.h"
#include "composition/LineEntry.h"
#include "composition/LineWriter.h"
#include "composition/TableLocator.h"
#include "core/ProcessState.h"
#include "install/Installer.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::composition;

namespace {

class Yes : public ui::MessageFunnel {
 public:
  void show(const QString& text, ui::Icon, const QString&) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
  ui::Answer ask(const QString&, ui::Buttons buttons, int, ui::Icon, const QString&) override {
    return buttons == ui::Buttons::OkCancel ? ui::Answer::Ok : ui::Answer::Yes;
  }
  void beep() override {}
};

QuoteLine article(int i) {
  QuoteLine l;
  l.code = QStringLiteral("ART%1").arg(i, 5, 10, QLatin1Char('0'));
  l.designation = QStringLiteral("Article de série n° %1").arg(i);
  l.quantity = i % 7 + 1;
  l.unit = QStringLiteral("U");
  l.grossPrice = 10 + i % 50;
  Calcul_Ligne(l);
  return l;
}

QString buildQuote(const QString& folder, int lines) {
  const QString dotx = folder + "/STD.dotx";
  if (!QFile::exists(dotx))
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
  word::WordDocument doc = word::WordDocument::fromTemplate(dotx);
  const TableLayout layout = *Reperer_Tableaux(doc, LocatePurpose::Recalculation).layout;
  const LineWriter writer(ColumnMap::read(doc, layout.headerTable), LineOptions{});
  for (int i = 0; i < lines; ++i)
    writer.write(doc, layout.firstLineTable, i == 0 ? 1 : doc.appendRow(layout.firstLineTable),
                 article(i));
  const QString path = folder + QStringLiteral("/quote%1.docx").arg(lines);
  doc.saveAs(path);
  return path;
}

struct Composed {
  double totalMs = 0;
  double perInsertionMs = 0;
};

class Bench {
 public:
  explicit Bench(const QString& folder) : m_folder(folder), m_state(m_yes) {
    const install::FamilyLayout family = install::initFamily(folder + "/f", true);
    if (!bench::openFamily(m_state, family.workingFolder)) throw std::runtime_error("family");
    m_state.params.tarifMat = "V";
    m_state.params.tarifMo = "V";
    m_state.mainDb().Execute(
        "insert into TPRO (TPRO_Code, TPRO_LIB, TPRO_PU) values ('OPT1', 'Peinture époxy', 150)");
  }

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
    auto session = CompositionSession::open(m_state, request);
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
  Yes m_yes;
  core::ProcessState m_state;
};

void print(const char* what, double ms) { std::printf("%-56s %9.2f ms\n", what, ms); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString small = buildQuote(dir.path(), 200);
  const QString large = buildQuote(dir.path(), 2000);
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
  return 0;
}
