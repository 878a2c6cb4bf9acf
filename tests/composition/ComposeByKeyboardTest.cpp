#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>

#include "EntryFixture.h"
#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/QuoteView.h"
#include "install/DemoDocuments.h"
#include "install/templates/TemplateBuilder.h"
#include "ui/UiTestSupport.h"

namespace tarovent::composition {
namespace {

QuoteLine plain(const QString& code, double quantity, double price) {
  QuoteLine l;
  l.code = code;
  l.designation = code;
  l.quantity = quantity;
  l.grossPrice = price;
  Calcul_Ligne(l);
  return l;
}

// The template of type "DEV" composed from the quote types window, with the keyboard alone.
class ComposeByKeyboardTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->compositionOrigin = "FTYP";
    m_state->compositionType = "DEV";
    const QString dotx = m_dir.filePath("STD.dotx");
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
    install::DemoQuote q;
    q.fileName = "DEV.dotx";
    q.templatePath = dotx;
    q.lines = {plain("X1", 3, 10), plain("X2", 2, 100)};
    install::writeDemoQuote(m_layout.dataFolder, q);
  }
  static void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    const QString& text = {}) {
    test::pressKey(QApplication::focusWidget(), key, mods, text);
  }
  static void type(const QString& text) {
    for (const QChar c : text) press(c.toUpper().unicode(), Qt::NoModifier, QString(c));
  }
  static QString focused() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
};

TEST_F(ComposeByKeyboardTest, AWholeQuoteIsComposedWithTheKeyboardAlone) {
  std::unique_ptr<FCOMPO> window(FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  window->session().setDecimalSeparator(',');
  window->resize(1280, 800);
  test::showActive(window.get());
  const QString path = window->session().documentPath();
  const int table = Reperer_Tableaux(window->session().document(), LocatePurpose::Recalculation)
                        .layout->firstLineTable;

  // On the first line, Enter goes to line entry; a typed code, its quantity,
  // Ctrl+Enter writes it.
  window->view().grid().setFocus();
  press(Qt::Key_Home);
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "CTX_CODART");
  type("TOLE");
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "CTX_QTE");
  type("3");
  press(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(window->session().document().cellText({table, 1, 1}), "TOLE");
  EXPECT_EQ(window->session().cursor(), (Cursor{table, 2}));
  EXPECT_EQ(focused(), "CTX_CODART");
  // Escape goes back to the document, on the row the line was written above.
  press(Qt::Key_Escape);
  EXPECT_EQ(focused(), window->view().grid().objectName());
  EXPECT_EQ(window->view().cursor(), (TableCursor{table, 2}));

  // A sub-total after the table, the totals, then closing with the save.
  press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  m_messages.script({ui::Answer::Yes});  // the totals of a template, once confirmed
  press(Qt::Key_F9);
  EXPECT_TRUE(window->session().lastRecalculation().completed)
      << m_messages.texts().join("|").toStdString() << focused().toStdString();
  m_messages.clear();
  m_messages.script({ui::Answer::Yes});
  press(Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrer le document?"});
  EXPECT_FALSE(m_state->compositionInProgress);
  window.reset();

  word::WordDocument saved = word::WordDocument::open(path);
  // TOLE, the two lines of the template, and the empty row added after them at opening.
  EXPECT_EQ(saved.rowCount(table), 4);
  EXPECT_EQ(saved.cellText({table, 1, 1}), "TOLE");
  EXPECT_EQ(saved.cellText({table, 4, 1}), "");
  EXPECT_EQ(saved.cellText({table + 1, 1, 1}), "*** Sous total");
}

// Lines typed faster than the screen is drawn: each lands above the cursor in turn, and the
// document's cursor is where the session's is before anything is drawn, for a command typed
// right after; once drawn, its row is in sight.
TEST_F(ComposeByKeyboardTest, LinesTypedWithoutPauseFollowEachOther) {
  std::unique_ptr<FCOMPO> window(FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  window->session().setDecimalSeparator(',');
  window->resize(1280, 800);
  test::showActive(window.get());
  const int table = Reperer_Tableaux(window->session().document(), LocatePurpose::Recalculation)
                        .layout->firstLineTable;
  window->view().grid().setFocus();
  press(Qt::Key_Home);
  press(Qt::Key_Return);
  // More lines than the view shows: the cursor goes out of sight unless the view follows.
  QStringList codes;
  for (int i = 0; i < 30; ++i) codes << (i % 2 ? "VIS" : "TOLE");
  for (int i = 0; i < codes.size(); ++i) {
    type(codes[i]);
    press(Qt::Key_Return);
    type(QString::number(i + 1));
    press(Qt::Key_Return, Qt::ControlModifier);
  }
  for (int i = 0; i < codes.size(); ++i)
    EXPECT_EQ(window->session().document().cellText({table, i + 1, 1}), codes[i]) << i;
  EXPECT_EQ(window->session().cursor(), (Cursor{table, int(codes.size()) + 1}));
  press(Qt::Key_Escape);
  EXPECT_EQ(window->view().cursor(), (TableCursor{table, int(codes.size()) + 1}));
  // The line under the cursor is X1, the template's first.
  EXPECT_EQ(window->session().document().cellText({table, int(codes.size()) + 1, 1}), "X1");

  QApplication::processEvents();
  QTableView& grid = window->view().grid();
  EXPECT_TRUE(grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex())))
      << grid.currentIndex().row() << " " << grid.visualRect(grid.currentIndex()).y() << " "
      << grid.viewport()->height() << " " << grid.hasFocus();
  EXPECT_EQ(window->entryPanel().findChild<QLineEdit*>("CTX_CODART")->text(), "");
  window->session().document().setModified(false);
}

}  // namespace
}  // namespace tarovent::composition
