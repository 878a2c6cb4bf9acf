#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <QTableView>

#include "EntryFixture.h"
#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/QuoteDocumentModel.h"
#include "composition/QuoteView.h"
#include "guard/MarginTally.h"
#include "guard/QuoteGuard.h"
#include "install/DemoDocuments.h"
#include "install/templates/TemplateBuilder.h"
#include "ui/MessageBox.h"
#include "ui/TypeAhead.h"
#include "ui/UiTestSupport.h"

namespace tarovent::composition {
namespace {

using ui::Answer;

// The composition window of version 0 of dossier 12, driven by keys sent to whatever has the
// keyboard, as a user types.
class KeyboardQuoteTest : public fixtures::EntryTest {
 protected:
  // The quote's document and context, then the window as the workspace opens it.
  void open(int lines = 3) {
    auto session = openQuote(lines);
    ASSERT_TRUE(session);
    session->close();
    showWindow();
  }
  // The same, the version's document made from the standard template, without lines yet.
  void openNewQuote() {
    auto session = openQuote(0);
    ASSERT_TRUE(session);
    const QString path = session->documentPath();
    session->close();
    const QString dotx = m_dir.filePath("STD.dotx");
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
    install::DemoQuote q;
    q.fileName = QFileInfo(path).fileName();
    q.templatePath = dotx;
    install::writeDemoQuote(QFileInfo(path).absolutePath() + "/", q);
    showWindow();
    m_table = Reperer_Tableaux(m_window->session().document(), LocatePurpose::Recalculation)
                  .layout->firstLineTable;
  }
  void showWindow() {
    m_state->compositionOrigin = "FDEV";
    m_window.reset(FCOMPO::create(*m_state));
    ASSERT_TRUE(m_window) << m_messages.texts().join('|').toStdString();
    m_window->session().setDecimalSeparator(',');
    m_window->resize(1280, 800);
    test::showActive(m_window.get());
    m_messages.clear();
  }
  void TearDown() override {
    if (m_window) {
      m_window->session().document().setModified(false);
      m_window->closeComposition();
    }
    m_window.reset();
  }
  static void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    test::pressKey(QApplication::focusWidget(), k, mods);
  }
  static void type(const QString& text) { test::typeText(QApplication::focusWidget(), text); }
  static QString focused() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
  // A line typed in line entry: its code, Enter, its quantity, then, when one is given, Enter
  // and its unit price; Ctrl+Enter writes it.
  void writeLine(const QString& code, const QString& quantity, const QString& price = {}) {
    type(code);
    key(Qt::Key_Return);
    type(quantity);
    if (!price.isEmpty()) {
      key(Qt::Key_Return);
      EXPECT_EQ(focused(), "CTX_TPRO_PU") << code.toStdString();
      type(price);
    }
    key(Qt::Key_Return, Qt::ControlModifier);
  }
  QString margin() const { return m_window->findChild<QLabel*>("CTL_TauxMarge")->text(); }
  // The margin as the whole document gives it now.
  QString marginReadNow() {
    const auto quote = guard::readQuote(m_window->session().document());
    if (!quote) return {};
    const guard::GuardRules rules = guard::readGuardRules(*m_state, *quote);
    return guard::marginText(guard::quoteMargin(*quote, rules), rules.marginThreshold);
  }

  std::unique_ptr<FCOMPO> m_window;
};

// The margin in the status bar follows the lines written, labour and repeated codes included,
// and a line deleted from the document.
TEST_F(KeyboardQuoteTest, TheMarginFollowsEveryLineWrittenOrDeleted) {
  open();
  const QString before = margin();
  EXPECT_EQ(before, marginReadNow());
  m_window->entryPanel().takeFocus();
  // The screw's discount class has a 0 % rate: the client's discount is kept.
  m_messages.setFallback(Answer::No);
  writeLine("VIS", "2");
  // The three lines of the quote, the new one, and the empty row added at opening after them.
  ASSERT_EQ(m_window->session().document().rowCount(m_table), 5);
  // Written after the quote's last line, not above it.
  EXPECT_EQ(m_window->session().document().cellText({m_table, 4, 1}).trimmed(), "VIS");
  EXPECT_NE(margin(), before);
  EXPECT_EQ(margin(), marginReadNow());
  m_window->entryPanel().setSource(EntrySource::Labour);
  m_window->entryPanel().takeFocus();
  writeLine("SOUD", "1,5");
  EXPECT_EQ(margin(), marginReadNow());
  m_window->entryPanel().setSource(EntrySource::Stock);
  m_window->entryPanel().takeFocus();
  writeLine("VIS", "1 234,5");
  EXPECT_EQ(margin(), marginReadNow());
  EXPECT_EQ(m_window->session().document().rowCount(m_table), 7);

  // Delete on a line of the document, confirmed.
  const QString withAll = margin();
  m_window->view().grid().setFocus();
  m_window->view().setCursor({m_table, 1});
  m_messages.script({Answer::Yes});
  key(Qt::Key_Delete);
  EXPECT_EQ(m_window->session().document().rowCount(m_table), 6);
  EXPECT_NE(margin(), withAll);
  EXPECT_EQ(margin(), marginReadNow());
}

// The totals band and the cursor's place in the status bar are right after each line written,
// without a recalculation or a move of the cursor.
TEST_F(KeyboardQuoteTest, TheTotalsAndThePlaceFollowEachLineWritten) {
  open();
  auto* net = m_window->findChild<QLabel*>("CTL_SMTNET");
  auto* place = m_window->findChild<QLabel*>("CTL_Position");
  ASSERT_TRUE(net && place);
  // At opening, the place where the next line goes: after the quote's three lines.
  EXPECT_EQ(place->text(), QString("Tableau %1, ligne 4").arg(m_table));
  m_messages.setFallback(Answer::No);
  m_window->entryPanel().takeFocus();
  QString shown = net->text();
  for (const char* quantity : {"2", "3"}) {
    writeLine("VIS", quantity);
    QApplication::processEvents();
    net = m_window->findChild<QLabel*>("CTL_SMTNET");
    EXPECT_NE(net->text(), shown) << quantity;
    shown = net->text();
    const auto c = m_window->session().cursor();
    EXPECT_EQ(place->text(), QString("Tableau %1, ligne %2").arg(c.table).arg(c.row));
  }
  // A recalculation finds nothing to change.
  key(Qt::Key_Escape);
  key(Qt::Key_F9);
  ASSERT_TRUE(m_window->session().lastRecalculation().completed);
  EXPECT_EQ(m_window->findChild<QLabel*>("CTL_SMTNET")->text(), shown);
}

// Regression: typed quickly, the lines after one whose price raised a question (the screw's
// discount class at 0 %) were lost: the question's box blocked the window they were typed in.
// The whole burst is queued as the window system queues it before anything runs.
TEST_F(KeyboardQuoteTest, LinesTypedAheadOfAPriceQuestionAreAllWritten) {
  openNewQuote();
  ui::MessageBoxFunnel boxes("Tarovent");
  m_state->setMessages(boxes);
  m_window->entryPanel().takeFocus();
  ASSERT_EQ(focused(), "CTX_CODART");
  // Each box that opens is answered by Enter, its default ("Non": the client's discount).
  int answered = 0;
  QTimer answer;
  answer.setInterval(5);
  QPointer<QMessageBox> seen;
  QElapsedTimer shown;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    // Answered once it could be read, as a user does.
    if (seen != box) {
      seen = box;
      shown.start();
    }
    if (shown.elapsed() < ui::TypeAhead::kSettleMs + 30) return;
    ++answered;
    test::pressKey(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
  });
  answer.start();
  word::WordDocument& doc = m_window->session().document();
  const int before = doc.rowCount(m_table);
  QWindow* window = m_window->windowHandle();
  const auto post = [window](int key, Qt::KeyboardModifiers mods, const QString& text) {
    for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease})
      QCoreApplication::postEvent(window, new QKeyEvent(t, key, mods, text));
  };
  const QStringList lines = {"VIS 2", "VIS 3", "VIS 4", "VIS 5", "VIS 6"};
  for (const QString& line : lines) {
    const QStringList parts = line.split(' ');
    for (const QChar c : parts[0]) post(c.unicode(), Qt::NoModifier, QString(c));
    post(Qt::Key_Return, Qt::NoModifier, "\r");
    for (const QChar c : parts[1]) post(c.unicode(), Qt::NoModifier, QString(c));
    post(Qt::Key_Return, Qt::ControlModifier, "\r");
  }
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 3000 && doc.rowCount(m_table) < before + lines.size())
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  QApplication::processEvents();
  answer.stop();
  m_state->setMessages(m_messages);
  EXPECT_GE(answered, 1);
  EXPECT_EQ(doc.rowCount(m_table), before + lines.size());
  const int quantity = m_window->session().columns().column("QTE");
  QStringList written;
  for (int r = 1; r <= doc.rowCount(m_table); ++r)
    if (const QString q = doc.cellText({m_table, r, quantity}); !q.isEmpty()) written << q;
  EXPECT_EQ(written, QStringList({"2,000", "3,000", "4,000", "5,000", "6,000"}));
}

// Lines typed in a burst, queued as the window system queues them: once they are all written
// and drawn, the row under the cursor is wholly in sight, not cut at the grid's bottom edge.
TEST_F(KeyboardQuoteTest, TheCursorRowIsWhollyInSightAfterABurstOfLines) {
  m_state->base(core::entry::Stock).db.Execute(QStringLiteral(
      "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVU1, TARTI_UNST_LIB) "
      "values ('A1', 'Equerre', 'A', 20, 'U')"));
  openNewQuote();
  m_messages.setFallback(Answer::No);
  m_window->entryPanel().takeFocus();
  word::WordDocument& doc = m_window->session().document();
  QWindow* window = m_window->windowHandle();
  const auto post = [window](int key, Qt::KeyboardModifiers mods, const QString& text) {
    for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease})
      QCoreApplication::postEvent(window, new QKeyEvent(t, key, mods, text));
  };
  QTableView& grid = m_window->view().grid();
  const auto inSight = [&grid] {
    return grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex()));
  };
  // Bursts of several lengths: the row may end anywhere against the grid's bottom edge.
  for (const int burst : {12, 7, 3, 1, 5}) {
    const int before = doc.rowCount(m_table);
    for (int i = 0; i < burst; ++i) {
      for (const QChar c : QStringLiteral("A1")) post(c.unicode(), Qt::NoModifier, QString(c));
      post(Qt::Key_Return, Qt::NoModifier, "\r");
      post('2', Qt::NoModifier, "2");
      post(Qt::Key_Return, Qt::ControlModifier, "\r");
    }
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000 && doc.rowCount(m_table) < before + burst)
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(doc.rowCount(m_table), before + burst);
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_TRUE(grid.currentIndex().isValid());
    EXPECT_EQ(grid.currentIndex().row(), m_window->view().model().rowAt(
                                             {m_table, m_window->session().cursor().row}));
    EXPECT_TRUE(inSight()) << burst << ": row " << grid.currentIndex().row() << " at y "
                           << grid.visualRect(grid.currentIndex()).y() << " h "
                           << grid.visualRect(grid.currentIndex()).height() << " in "
                           << grid.viewport()->height();
  }
}

// A line changed in place (F2) or deleted: its row, the sub-total under the table and the
// totals band show the new amounts at once, as after a line written, without F9.
TEST_F(KeyboardQuoteTest, AChangedOrDeletedLineIsShownWithItsSubTotalAndTotals) {
  m_state->base(core::entry::Stock).db.Execute(QStringLiteral(
      "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVU1, TARTI_UNST_LIB) "
      "values ('A1', 'Equerre', 'A', 20, 'U')"));
  openNewQuote();
  m_window->entryPanel().takeFocus();
  writeLine("A1", "2");  // net 2 x 19,00 = 38,00
  writeLine("A1", "3");  // 57,00
  key(Qt::Key_Escape);
  ASSERT_EQ(focused(), "DBG_Document");
  key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  QApplication::processEvents();
  QuoteDocumentModel& model = m_window->view().model();
  const ColumnMap& columns = m_window->session().columns();
  const auto shown = [&](int row, const char* code) {
    return model.index(row, columns.column(QString::fromLatin1(code)) - 1)
        .data()
        .toString()
        .trimmed();
  };
  const auto net = [&] {
    return m_window->findChild<QLabel*>("CTL_SMTNET")->text().trimmed();
  };
  // The sub-total's row: after the line table's rows (the two lines and the empty one).
  const int subTotal = model.rowAt({m_table + 1, 1});
  ASSERT_GE(subTotal, 0);
  ASSERT_EQ(shown(subTotal, "LIBART"), "*** Sous total");
  EXPECT_EQ(shown(subTotal, "MTNET"), "95,00");
  EXPECT_EQ(net(), "95,00");

  // The second line: 5 instead of 3, with 10 % discount instead of the client's 5 %.
  m_window->view().setCursor({m_table, 2});
  key(Qt::Key_F2);
  ASSERT_EQ(focused(), "CTX_ModQte");
  type("5");
  key(Qt::Key_Return);
  key(Qt::Key_Return);
  ASSERT_EQ(focused(), "CTX_ModRemise");
  QApplication::focusWidget()->setProperty("text", QString());
  type("10");
  key(Qt::Key_Return);
  EXPECT_EQ(focused(), "DBG_Document");
  EXPECT_EQ(m_messages.texts(), QStringList{});
  QApplication::processEvents();
  const int second = model.rowAt({m_table, 2});
  EXPECT_EQ(shown(second, "QTE"), "5,000");
  EXPECT_EQ(shown(second, "PCREM"), "10,00");
  EXPECT_EQ(shown(second, "MTNET"), "90,00");  // 5 x 18,00
  EXPECT_EQ(shown(subTotal, "MTNET"), "128,00");
  EXPECT_EQ(net(), "128,00");
  EXPECT_EQ(m_window->session().document().bookmarkText("SMTNET").trimmed(), "128,00");

  // The first line deleted, once confirmed.
  m_window->view().setCursor({m_table, 1});
  m_messages.script({Answer::Yes});
  key(Qt::Key_Delete);
  QApplication::processEvents();
  const int after = model.rowAt({m_table + 1, 1});
  ASSERT_EQ(shown(after, "LIBART"), "*** Sous total");
  EXPECT_EQ(shown(after, "MTNET"), "90,00");
  EXPECT_EQ(net(), "90,00");
}

using MarginTallyTest = fixtures::EntryTest;

// Lines written one above the other before the margin is asked for, and an exploded article
// with its components: the tally counts each new row once, where it now stands.
TEST_F(MarginTallyTest, TheMarginTallyCountsTheRowsWrittenSinceItWasLastAsked) {
  auto session = openQuote(3);
  ASSERT_TRUE(session);
  guard::MarginTally tally(*m_state);
  session->setChangeListener(&tally);
  word::WordDocument& doc = session->document();
  const auto readNow = [&] {
    const auto quote = guard::readQuote(doc);
    const guard::GuardRules rules = guard::readGuardRules(*m_state, *quote);
    return guard::marginText(guard::quoteMargin(*quote, rules), rules.marginThreshold);
  };
  EXPECT_EQ(tally.text(doc), readNow());
  const auto entryLine = [](const char* code, const char* type, double quantity, double price,
                            double cost) {
    EntryLine l;
    l.code = l.designation = QString::fromLatin1(code);
    l.type = QString::fromLatin1(type);
    l.quantity = quantity;
    l.unitPrice = price;
    l.costPrice = cost;
    return l;
  };
  const EntryLine screw = entryLine("VIS", "A", 4, 20, 11.5);
  const EntryLine sheet = entryLine("TOLE", "A", 3, 20, 0);  // its cost is the article's
  m_messages.setFallback(ui::Answer::No);
  ASSERT_TRUE(session->insertLine(screw));
  session->setCursor(m_table, 1);
  ASSERT_TRUE(session->insertLine(sheet));
  EXPECT_EQ(tally.text(doc), readNow());
  EXPECT_NE(tally.text(doc), QString());

  const EntryLine gate = entryLine("PORTAIL", "F", 1, 900, 0);
  m_messages.setFallback(ui::Answer::Yes);  // with its components
  ASSERT_TRUE(session->insertLine(gate));
  EXPECT_EQ(doc.rowCount(m_table), 7);  // the gate and its screws
  EXPECT_EQ(tally.text(doc), readNow());
  session->setChangeListener(nullptr);
}

// A quote of ten lines typed as a user types, French numbers with their thousands and decimal
// marks, every line at the client's 5 % discount: the totals are those worked out by hand.
TEST_F(KeyboardQuoteTest, TenLinesTypedWithFrenchNumbersGiveTheTotalsWorkedOutByHand) {
  for (const char* sql :
       {"insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PMP, TARTI_PVU1, "
        "TARTI_UNST_LIB) values ('A1', 'Equerre', 'A', 8, 20, 'U')",
        "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVU1, TARTI_UNST_LIB) "
        "values ('A2', 'Profilé', 'A', 1234.6, 'M')",
        "insert into TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PVU1, TARTI_UNST_LIB) "
        "values ('A3', 'Charnière', 'A', 3.2, 'U')"})
    m_state->base(core::entry::Stock).db.Execute(QString::fromUtf8(sql));
  openNewQuote();
  // From the document, Enter hands the keyboard to line entry.
  m_window->view().grid().setFocus();
  key(Qt::Key_Return);
  ASSERT_EQ(focused(), "CTX_CODART");

  // gross amount, net amount (net unit price = gross x 0,95, rounded to the cent)
  writeLine("A1", "12,5");             // 250,00     237,50  (19,00)
  writeLine("A2", "1");                // 1 234,60   1 172,87
  writeLine("A3", "3", "1.234,60");    // 3 703,80   3 518,61
  writeLine("A1", "1 000");            // 20 000,00  19 000,00
  writeLine("A3", "2,5", "12,40");     // 31,00      29,45  (11,78)
  writeLine("A3", "12,5");             // 40,00      38,00  (3,04)
  writeLine("A2", "0,5", "1 234,40");  // 617,20     586,34  (1 172,68)
  writeLine("A1", "1.5");              // 30,00      28,50
  writeLine("A3", "100", "0,85");      // 85,00      81,00  (0,81)
  writeLine("A2", "2", "1234,6");      // 2 469,20   2 345,74
  EXPECT_EQ(m_messages.texts(), QStringList{});
  word::WordDocument& doc = m_window->session().document();
  ASSERT_EQ(doc.rowCount(m_table), 11);  // the ten lines above the template's empty row
  const ColumnMap& columns = m_window->session().columns();
  const auto cell = [&](int row, const char* code) {
    return doc.cellText({m_table, row, columns.column(QString::fromLatin1(code))});
  };
  EXPECT_EQ(cell(3, "QTE"), "3,000");
  EXPECT_EQ(cell(3, "PUBRUT"), "1 234,60");
  EXPECT_EQ(cell(4, "QTE"), "1 000,000");
  EXPECT_EQ(cell(7, "PUNET"), "1 172,68");
  EXPECT_EQ(cell(8, "QTE"), "1,500");
  EXPECT_EQ(cell(10, "MTNET"), "2 345,74");

  // Escape back to the document, F9 for the totals, Ctrl+S to keep them.
  key(Qt::Key_Escape);
  ASSERT_EQ(focused(), "DBG_Document");
  key(Qt::Key_F9);
  ASSERT_TRUE(m_window->session().lastRecalculation().completed)
      << m_messages.texts().join('|').toStdString();
  const QStringList expected = {"28 460,80", "1 422,79", "27 038,01", "5 407,60", "32 445,61"};
  const QStringList totals = {"SMTBRUT", "SMTREM", "SMTNET", "SMTTVA", "STTC"};
  for (int i = 0; i < totals.size(); ++i) {
    EXPECT_EQ(doc.bookmarkText(totals[i]).trimmed(), expected[i]) << totals[i].toStdString();
    auto* shown = m_window->findChild<QLabel*>("CTL_" + totals[i]);
    ASSERT_TRUE(shown) << totals[i].toStdString();
    EXPECT_EQ(shown->text().trimmed(), expected[i]) << totals[i].toStdString();
  }
  const QString path = m_window->session().documentPath();
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(doc.isModified());
  word::WordDocument saved = word::WordDocument::open(path);
  EXPECT_EQ(saved.bookmarkText("STTC").trimmed(), "32 445,61");
}

}  // namespace
}  // namespace tarovent::composition
