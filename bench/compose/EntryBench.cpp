// Line entry's own cost: 200 lines, each of its own article (no code comes twice, so nothing
// the program keeps of an article between lines helps), written through the entry panel into
// a 20-line quote, against the session's own insertion of the same lines, priced beforehand.
// Five ways, runs interleaved, each figure the median of 9, on two clocks: the processor time
// of the thread (everything runs on it, nothing waits on files: what the machine's other work
// does to the clock is left out) and the time that passed (what a user waits for; compare it
// on a quiet machine):
//   session      the priced lines inserted by the session (the baseline);
//   line entry   each code looked up, its quantity left and the line inserted through line
//                entry, without widgets: the panel's work done plainly;
//   panel        the entry panel alone: the code and the quantity put into its fields as a
//                paste does, Enter for the look-up, Ctrl+Enter to write; the events the
//                lines leave are processed at the end, inside the time, as below;
//   window       the same in the composition window, whose document view, cursor and margin
//                rate follow every line; the events the lines leave (layouts, repaints) are
//                processed at the end, inside the time, as the event loop coalesces them for
//                lines written faster than the screen is drawn;
//   keyboard     the window with every character sent to the fields as a key event, as typed.
// Target: entry panel / session <= 2.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "common/NewFamily.h"
#include "common/QuoteLines.h"
#include "common/Timing.h"
#include "composition/CompositionSession.h"
#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/LineEntry.h"
#include "composition/QuoteView.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::composition;

namespace {

constexpr int kLines = 200;
constexpr int kArticles = kLines;

QString code(int i) { return QStringLiteral("ART%1").arg(i % kArticles, 3, 10, QLatin1Char('0')); }
QString quantity(int i) { return QStringLiteral("%1,5").arg(i % 9 + 1); }

void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QWidget* w = QApplication::focusWidget();
  QKeyEvent press(QEvent::KeyPress, k, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, k, mods, text);
  QApplication::sendEvent(w, &release);
}

void type(const QString& text) {
  for (const QChar c : text) key(c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

// The text arrives in the focused field at once, replacing its selection, as a paste does.
void paste(const QString& text) {
  auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  if (!field) throw std::runtime_error("no field has the keyboard");
  field->insert(text);
}

class Bench {
 public:
  explicit Bench(const QString& folder) : m_folder(folder), m_family(folder + "/f") {
    m_family.priceAtSale();
    db::Database& stock = m_family.state.base(core::entry::Stock).db;
    db::TransactionGuard articles(stock);
    for (int i = 0; i < kArticles; ++i)
      stock.Execute(QStringLiteral("insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, "
                                   "TARTI_PMP, TARTI_PVU1, TARTI_UNST_LIB) values ('%1', "
                                   "'Article %2', 'A', %3, %4, 'U')")
                        .arg(code(i))
                        .arg(i)
                        .arg(5 + i)
                        .arg(10 + i));
    articles.commit();
    word::WordDocument doc = word::WordDocument::fromTemplate(bench::quoteTemplate(folder));
    m_source = folder + "/quote.docx";
    doc.saveAs(m_source);
    m_template = m_family.layout.dataFolder + "/BENCH.dotx";
  }

  // The lines as line entry prices them, for the session's own insertion.
  std::vector<EntryLine> priced() {
    auto session = open();
    LineEntry entry(*session);
    std::vector<EntryLine> lines;
    for (int i = 0; i < kLines; ++i) {
      entry.pick(EntrySource::Stock, code(i));
      entry.setText("CTX_QTE", quantity(i));
      lines.push_back(entry.line());
    }
    session->close();
    return lines;
  }

  bench::Clocks session(const std::vector<EntryLine>& lines) {
    auto s = open();
    const bench::Clocks ms = bench::clocked([&] {
      for (const EntryLine& l : lines) s->insertLine(l);
    });
    check(*s);
    return ms;
  }

  bench::Clocks lineEntry() {
    auto s = open();
    LineEntry entry(*s);
    const bench::Clocks ms = bench::clocked([&] {
      for (int i = 0; i < kLines; ++i) {
        entry.setText("CTX_CODART", code(i));
        entry.leave("CTX_CODART");
        entry.setText("CTX_QTE", quantity(i));
        entry.leave("CTX_QTE");
        entry.insert();
      }
    });
    check(*s);
    return ms;
  }

  // Through the fields and keys of the panel alone.
  bench::Clocks panel() {
    auto s = open();
    EntryPanel panel(*s);
    panel.resize(1100, 320);
    panel.show();
    panel.activateWindow();
    QApplication::processEvents();
    panel.takeFocus();
    const bench::Clocks ms = bench::clocked([&] {
      writeLines(paste);
      QApplication::processEvents();
    });
    check(*s);
    return ms;
  }

  // Through the panel of the composition window; `typed` sends every character as a key.
  bench::Clocks window(bool typed) {
    QFile::remove(m_template);
    QFile::copy(m_source, m_template);
    m_family.state.compositionOrigin = QStringLiteral("FTYP");
    m_family.state.compositionType = QStringLiteral("BENCH");
    std::unique_ptr<FCOMPO> w(FCOMPO::create(m_family.state));
    if (!w) throw std::runtime_error("composition");
    w->resize(1280, 800);
    w->show();
    w->activateWindow();
    QApplication::processEvents();
    // The lines go above the first row, as in the other ways.
    m_table = Reperer_Tableaux(w->session().document(), LocatePurpose::Recalculation)
                  .layout->firstLineTable;
    w->view().setCursor({m_table, 1});
    w->entryPanel().takeFocus();
    const bench::Clocks ms = bench::clocked([&] {
      writeLines(typed ? type : paste);
      QApplication::processEvents();
    });
    check(w->session(), false);
    w->closeComposition();
    return ms;
  }

 private:
  void writeLines(void (*enter)(const QString&)) {
    for (int i = 0; i < kLines; ++i) {
      enter(code(i));
      key(Qt::Key_Return);
      enter(quantity(i));
      key(Qt::Key_Return, Qt::ControlModifier);
    }
  }

  std::unique_ptr<CompositionSession> open() {
    const QString path = m_folder + "/work.docx";
    QFile::remove(path);
    QFile::copy(m_source, path);
    OpenRequest request;
    request.documentPath = path;
    auto s = CompositionSession::open(m_family.state, request);
    if (!s) throw std::runtime_error("open");
    m_table = Reperer_Tableaux(s->document(), LocatePurpose::Recalculation).layout->firstLineTable;
    s->setCursor(m_table, 1);
    return s;
  }
  // Every way must have written every line, without a message; the copy is dropped unsaved.
  void check(CompositionSession& s, bool close = true) {
    if (s.document().rowCount(m_table) < kLines || m_family.quiet.shown > 0)
      std::fprintf(stderr, "only %d rows written, %d messages (%s)\n",
                   s.document().rowCount(m_table), m_family.quiet.shown,
                   qPrintable(m_family.quiet.last));
    s.document().setModified(false);
    if (close) s.close();
  }

  QString m_folder, m_source, m_template;
  bench::NewFamily m_family;
  int m_table = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  Bench bench(dir.path());
  const std::vector<EntryLine> lines = bench.priced();
  // "--only WAY [N]" runs one way N times (three by default), nothing printed: for a profiler.
  if ((argc == 3 || argc == 4) && QByteArray(argv[1]) == "--only") {
    const QByteArray way = argv[2];
    const int runs = argc == 4 ? std::max(1, QByteArray(argv[3]).toInt()) : 3;
    for (int run = 0; run < runs; ++run) {
      if (way == "session") bench.session(lines);
      if (way == "entry") bench.lineEntry();
      if (way == "panel") bench.panel();
      if (way == "window") bench.window(false);
      if (way == "keyboard") bench.window(true);
    }
    return 0;
  }
  // Warm-up: fonts, styles and statements ready before anything is timed.
  bench.session(lines);
  bench.lineEntry();
  bench.panel();
  bench.window(false);
  bench.window(true);
  struct Way {
    const char* what;
    std::vector<double> cpu, wall;
    void add(bench::Clocks c) {
      cpu.push_back(c.cpu);
      wall.push_back(c.wall);
    }
  };
  Way ways[] = {{"session: 200 priced lines inserted", {}, {}},
                {"line entry: 200 codes looked up, quantities left, lines inserted", {}, {}},
                {"entry panel alone: code and quantity pasted, Enter, Ctrl+Enter", {}, {}},
                {"composition window: the same, its view and margin following", {}, {}},
                {"composition window: every character typed as a key", {}, {}}};
  for (int run = 0; run < 9; ++run) {
    ways[0].add(bench.session(lines));
    ways[1].add(bench.lineEntry());
    ways[2].add(bench.panel());
    ways[3].add(bench.window(false));
    ways[4].add(bench.window(true));
  }
  std::printf("%-64s %8s %8s\n", "milliseconds, median of 9", "cpu", "wall");
  for (const Way& w : ways)
    std::printf("%-64s %8.2f %8.2f\n", w.what, bench::median(w.cpu), bench::median(w.wall));
  const auto ratio = [&](const char* what, int a, int b, const char* target) {
    std::printf("ratio %-46s cpu %.2f, wall %.2f%s\n", what,
                bench::median(ways[a].cpu) / bench::median(ways[b].cpu),
                bench::median(ways[a].wall) / bench::median(ways[b].wall), target);
  };
  ratio("entry panel / session:", 2, 0, " (target <= 2)");
  ratio("window / session:", 3, 0, "");
  ratio("window / line entry (the widgets' own share):", 3, 1, "");
  ratio("keyboard / session:", 4, 0, "");
  return 0;
}
