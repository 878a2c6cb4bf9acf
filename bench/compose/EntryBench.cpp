// Line entry's own cost: 200 lines typed into the entry panel as a user types them (the code,
// Enter for its look-up, the quantity, Ctrl+Enter to write it) against the session's own
// insertion of the same lines, priced beforehand. Both write into the same 20-line quote; the
// runs are interleaved and each figure is the median of 5. Target: panel / session <= 2.
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "common/OpenFamily.h"
#include "common/QuietFunnel.h"
#include "common/Timing.h"
#include "composition/CompositionSession.h"
#include "composition/EntryPanel.h"
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

constexpr int kLines = 200;
constexpr int kArticles = 20;

QString code(int i) { return QStringLiteral("ART%1").arg(i % kArticles, 2, 10, QLatin1Char('0')); }
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

class Bench {
 public:
  explicit Bench(const QString& folder) : m_folder(folder), m_state(m_yes) {
    const install::FamilyLayout family = install::initFamily(folder + "/f", true);
    if (!bench::openFamily(m_state, family.workingFolder)) throw std::runtime_error("family");
    m_state.params.tarifMat = "V";
    m_state.params.tarifMo = "V";
    for (int i = 0; i < kArticles; ++i)
      m_state.base(core::entry::Stock)
          .db.Execute(QStringLiteral("insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, "
                                     "TARTI_PMP, TARTI_PVU1, TARTI_UNST_LIB) values ('%1', "
                                     "'Article %2', 'A', %3, %4, 'U')")
                          .arg(code(i))
                          .arg(i)
                          .arg(5 + i)
                          .arg(10 + i));
    const QString dotx = folder + "/STD.dotx";
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
    word::WordDocument doc = word::WordDocument::fromTemplate(dotx);
    m_source = folder + "/quote.docx";
    doc.saveAs(m_source);
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

  double session(const std::vector<EntryLine>& lines) {
    auto s = open();
    const double ms = bench::timed([&] {
      for (const EntryLine& l : lines) s->insertLine(l);
    });
    check(*s);
    s->close();
    return ms;
  }

  double panel() {
    auto s = open();
    EntryPanel panel(*s);
    panel.resize(1100, 320);
    panel.show();
    panel.activateWindow();
    QApplication::processEvents();
    const double ms = bench::timed([&] {
      for (int i = 0; i < kLines; ++i) {
        panel.takeFocus();
        type(code(i));
        key(Qt::Key_Return);
        type(quantity(i));
        key(Qt::Key_Return, Qt::ControlModifier);
      }
    });
    check(*s);
    s->close();
    return ms;
  }

 private:
  std::unique_ptr<CompositionSession> open() {
    const QString path = m_folder + "/work.docx";
    QFile::remove(path);
    QFile::copy(m_source, path);
    OpenRequest request;
    request.documentPath = path;
    auto s = CompositionSession::open(m_state, request);
    if (!s) throw std::runtime_error("open");
    m_table = Reperer_Tableaux(s->document(), LocatePurpose::Recalculation).layout->firstLineTable;
    s->setCursor(m_table, 1);
    return s;
  }
  // Both ways must have written every line, without a message.
  void check(CompositionSession& s) const {
    if (s.document().rowCount(m_table) < kLines || m_yes.shown > 0)
      std::fprintf(stderr, "only %d rows written, %d messages\n", s.document().rowCount(m_table),
                   m_yes.shown);
    s.document().setModified(false);
  }

  QString m_folder, m_source;
  bench::QuietFunnel m_yes;
  core::ProcessState m_state;
  int m_table = 0;
};

void print(const char* what, double ms) { std::printf("%-56s %9.2f ms\n", what, ms); }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  Bench bench(dir.path());
  const std::vector<EntryLine> lines = bench.priced();
  bench.session(lines);  // warm-up
  bench.panel();
  std::vector<double> session, panel;
  for (int run = 0; run < 5; ++run) {
    session.push_back(bench.session(lines));
    panel.push_back(bench.panel());
  }
  const double s = bench::median(session), p = bench::median(panel);
  print("session: 200 lines inserted, priced beforehand", s);
  print("entry panel: 200 lines typed (code, Enter, quantity, Ctrl+Enter)", p);
  std::printf("ratio entry panel / session: %.2f (target <= 2)\n", p / s);
  return 0;
}
