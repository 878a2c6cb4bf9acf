#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTreeWidget>

#include "EntryFixture.h"
#include "composition/EntryPanel.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "ui/ButtonEnterKey.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::composition {
namespace {

using ui::Answer;

class EntryPanelTest : public fixtures::EntryTest {
 protected:
  void open() {
    m_session = openQuote();
    ASSERT_TRUE(m_session);
    panel = std::make_unique<EntryPanel>(*m_session);
    QObject::connect(panel.get(), &EntryPanel::lineWritten, [this] { ++written; });
    QObject::connect(panel.get(), &EntryPanel::leaveRequested, [this] { ++left; });
    panel->resize(1100, 320);
    test::showActive(panel.get());
  }
  static void press(int key, const QString& text = {},
                    Qt::KeyboardModifiers mods = Qt::NoModifier) {
    test::pressKey(QApplication::focusWidget(), key, mods, text);
  }
  static void type(const QString& text) {
    for (const QChar c : text) press(c.toUpper().unicode(), QString(c));
  }
  static QString focused() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
  // The field once the events at hand are processed, as the screen shows it.
  QString shown(const char* name) const {
    QApplication::processEvents();
    return now(name);
  }
  // The field as it stands, events unprocessed.
  QString now(const char* name) const {
    return panel->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
  }
  QString currentCode() const {
    QApplication::processEvents();
    return list()->model()->index(list()->currentIndex().row(), 0).data().toString();
  }
  QTableView* list() const { return panel->findChild<QTableView*>("DBG_Liste"); }
  QStringList listCodes() const {
    QStringList codes;
    for (int r = 0; r < list()->model()->rowCount(); ++r)
      codes << list()->model()->index(r, 0).data().toString();
    return codes;
  }

  std::unique_ptr<CompositionSession> m_session;
  std::unique_ptr<EntryPanel> panel;
  int written = 0, left = 0;
};

TEST_F(EntryPanelTest, ALineIsComposedFromTheKeyboard) {
  open();
  panel->takeFocus();
  EXPECT_EQ(focused(), "CTX_CODART");
  type("VIS");
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "CTX_QTE");
  EXPECT_EQ(shown("CTX_TPRO_LIB") + " " + shown("CTX_TPRO_PU"), "Vis M8 12,50");
  // The list follows the code typed.
  EXPECT_EQ(currentCode(), "VIS");

  // A price below the floor, left with Tab, goes back up with its message.
  press(Qt::Key_Tab);
  EXPECT_EQ(focused(), "CTX_TPRO_PU");
  panel->findChild<QLineEdit*>("CTX_TPRO_PU")->selectAll();
  type("15");
  press(Qt::Key_Tab);
  EXPECT_EQ(shown("CTX_TPRO_PU"), "20,00");
  EXPECT_EQ(m_messages.texts().size(), 1);  // the floor price's

  // Enter and the arrows move from field to field; a quantity that is not a number keeps the
  // keyboard, with its message, and writes nothing.
  EXPECT_EQ(focused(), "CTX_TPRO_PU_Bis");
  press(Qt::Key_Up);
  press(Qt::Key_Up);
  EXPECT_EQ(focused(), "CTX_QTE");
  type("2x");
  m_messages.clear();
  press(Qt::Key_Enter);
  EXPECT_EQ(focused(), "CTX_QTE");
  EXPECT_EQ(shown("CTX_QTE"), "2x");
  EXPECT_EQ(m_messages.texts().size(), 1);
  press(Qt::Key_Enter, {}, Qt::ControlModifier);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(m_messages.texts().size(), 2);
  panel->findChild<QLineEdit*>("CTX_QTE")->selectAll();
  type("2");
  press(Qt::Key_Down);
  EXPECT_EQ(focused(), "CTX_TPRO_PU");
  EXPECT_EQ(written, 0);

  // Ctrl+Enter writes the line above the cursor; the class rate 0 is refused.
  m_messages.clear();
  m_messages.script({Answer::No});
  press(Qt::Key_Enter, {}, Qt::ControlModifier);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(m_messages.entries().size(), 1);
  EXPECT_EQ(m_session->cursor(), (Cursor{m_table, 2}));
  EXPECT_EQ(cell(*m_session, 1, 1) + " " + cell(*m_session, 1, 7), "VIS 38,00");
  EXPECT_EQ(focused(), "CTX_CODART");
  // The fields are emptied: Enter again writes no second line.
  EXPECT_EQ(shown("CTX_CODART") + shown("CTX_TPRO_LIB") + shown("CTX_TPRO_PU"), "");
  press(Qt::Key_Enter, {}, Qt::ControlModifier);
  EXPECT_EQ(written, 1);

  // Enter from the last field reaches the insertion button, which Enter presses.
  ui::installButtonEnterKey(*qApp);
  type("TOLE");
  press(Qt::Key_Return);
  type("3");
  panel->findChild<QLineEdit*>("CTX_TXTVA")->setFocus();
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "Cmd_Inserer");
  press(Qt::Key_Return);
  EXPECT_EQ(written, 2);
  EXPECT_EQ(cell(*m_session, 2, 1) + " " + cell(*m_session, 2, 3), "TOLE 3,000");

  press(Qt::Key_Escape);
  EXPECT_EQ(left, 1);
}

// Keys come faster than the screen is drawn: the fields and the list are shown once the keys
// are processed, but whatever the keyboard reaches shows the line's text at once, and nothing
// typed is lost or overwritten.
TEST_F(EntryPanelTest, KeysFasterThanTheScreenLoseNothing) {
  open();
  panel->takeFocus();
  for (const auto& [code, quantity] : {std::pair{"VIS", "2"}, {"TOLE", "3"}, {"VIS", "4"}}) {
    type(code);
    press(Qt::Key_Return);
    EXPECT_EQ(now("CTX_QTE"), "");  // where the keyboard goes is shown already
    type(quantity);
    press(Qt::Key_Enter, {}, Qt::ControlModifier);
  }
  EXPECT_EQ(written, 3);
  EXPECT_EQ(cell(*m_session, 1, 1) + cell(*m_session, 1, 3), "VIS2,000");
  EXPECT_EQ(cell(*m_session, 2, 1) + cell(*m_session, 2, 3), "TOLE3,000");
  EXPECT_EQ(cell(*m_session, 3, 1) + cell(*m_session, 3, 3), "VIS4,000");
  EXPECT_EQ(now("CTX_CODART"), "");

  // A field reached by Tab right after a look-up shows the article's price (its break for the
  // quantity left); what is typed there stays once the screen catches up.
  type("TOLE");
  press(Qt::Key_Return);
  press(Qt::Key_Tab);
  EXPECT_EQ(focused(), "CTX_TPRO_PU");
  EXPECT_EQ(now("CTX_TPRO_PU"), "9,00");
  press(Qt::Key_End);
  type("5");
  EXPECT_EQ(now("CTX_TPRO_PU"), "9,005");
  // The list is on the article looked up before the screen is drawn; the price, left for it,
  // is the one typed.
  EXPECT_EQ(panel->selectedArticle().first, "TOLE");
  EXPECT_EQ(shown("CTX_TPRO_PU"), "9,01");
  EXPECT_EQ(shown("CTX_TPRO_LIB"), "Tôle");
}

// Another workstation raises an article's price and changes price breaks between lines typed
// without a pause: each look-up after the screen caught up reads them, though the keys of one
// burst share one read of the bases.
TEST_F(EntryPanelTest, AnotherWorkstationsChangesReachTheNextLookUp) {
  open();
  db::Workspace other;
  db::Database stock = other.OpenDatabase(m_state->base(core::entry::Stock).db.Name());
  db::Database commercial = other.OpenDatabase(m_state->base(core::entry::Commercial).db.Name());
  panel->takeFocus();
  // The price the code's look-up shows; the line is written with the quantity's break.
  const auto line = [&](const char* code, const char* quantity) {
    type(code);
    press(Qt::Key_Return);
    const QString price = panel->entry().text("CTX_TPRO_PU");
    type(quantity);
    press(Qt::Key_Enter, {}, Qt::ControlModifier);
    return price;
  };
  EXPECT_EQ(line("VIS", "2"), "12,50");
  EXPECT_EQ(line("TOLE", "5"), "20,00");
  QApplication::processEvents();
  stock.Execute("update TARTI set TARTI_PVU1 = 14 where TARTI_CODART = 'VIS'");
  commercial.Execute("insert into TPRIX values ('VIS', 10, 13, 12)");
  commercial.Execute("delete from TPRIX where TPRIX_CODART = 'TOLE' and TPRIX_MAXTRANCHE = 10");
  EXPECT_EQ(line("VIS", "2"), "14,00");
  EXPECT_EQ(line("TOLE", "5"), "20,00");
  QApplication::processEvents();
  EXPECT_EQ(written, 4);
  EXPECT_EQ(cell(*m_session, 1, 4) + " " + cell(*m_session, 2, 4), "12,50 9,00");
  EXPECT_EQ(cell(*m_session, 3, 4) + " " + cell(*m_session, 4, 4), "13,00 7,00");

  // What the program writes itself is read at once, whatever the keys at hand.
  m_state->base(core::entry::Stock).db.Execute(
      "update TARTI set TARTI_PVU1 = 16 where TARTI_CODART = 'VIS'");
  EXPECT_EQ(line("VIS", "2"), "16,00");
}

TEST_F(EntryPanelTest, ListsFollowTheTreeAndTyping) {
  open();
  auto* tree = panel->findChild<QTreeWidget*>("TRV_Sources");
  tree->setFocus();
  press(Qt::Key_Up);
  EXPECT_EQ(panel->entry().source(), EntrySource::Options);
  EXPECT_EQ(listCodes(), QStringList{"OPT1"});
  press(Qt::Key_Down);
  EXPECT_EQ(panel->entry().source(), EntrySource::Stock);
  EXPECT_EQ(listCodes(), (QStringList{"PORTAIL", "TOLE", "VIS"}));  // no inactive article
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "DBG_Liste");
  type("t");
  EXPECT_EQ(list()->currentIndex().row(), 1);
  type("z");
  EXPECT_EQ(list()->currentIndex().row(), 2);
  press(Qt::Key_Backspace);
  press(Qt::Key_Return);
  EXPECT_EQ(shown("CTX_CODART"), "TOLE");
  EXPECT_EQ(focused(), "CTX_QTE");

  // Non-referenced tariff lines, by the beginning of the column or by what it holds.
  panel->setSource(EntrySource::Tariffs);
  QStringList asked;
  QString answer = "R";
  panel->setPrompt([&](const QString& q) -> std::optional<QString> {
    asked << q;
    return answer;
  });
  panel->searchNonReferenced(false);
  EXPECT_EQ(listCodes(), QStringList{"R-12"});
  list()->setCurrentIndex(list()->model()->index(0, 2));
  answer = "ag";
  panel->searchNonReferenced(true);
  EXPECT_EQ(listCodes(), QStringList{"B-7"});
  EXPECT_EQ(asked, (QStringList{"Critère de sélection (Référence) : ",
                                "Expression à rechercher (Désignation) : "}));
  press(Qt::Key_Return);
  EXPECT_EQ(shown("CTX_CODFOURN"), "F2");

  // The price column is searched in the prices.
  list()->setCurrentIndex(list()->model()->index(0, 3));
  answer = "4";
  panel->searchNonReferenced(true);
  EXPECT_EQ(listCodes(), QStringList{"R-12"});

  // On the supplier column, typing positions the tariff list by supplier.
  panel->setSource(EntrySource::Tariffs);
  list()->setFocus();
  list()->setCurrentIndex(list()->model()->index(0, 1));
  type("f2");
  EXPECT_EQ(list()->model()->index(list()->currentIndex().row(), 0).data().toString(), "B-7");
  type("0");  // past every supplier: the last one
  EXPECT_EQ(list()->model()->index(list()->currentIndex().row(), 1).data().toString(), "F2");
}

TEST_F(EntryPanelTest, ComposedCodeComesBackAndUnconfiguredBasesAreOff) {
  m_state->base(core::entry::Tariffs).folder.clear();
  open();
  auto* tree = panel->findChild<QTreeWidget*>("TRV_Sources");
  EXPECT_FALSE(tree->topLevelItem(int(EntrySource::Tariffs))->flags() & Qt::ItemIsEnabled);
  m_state->compositeCode = "TOLE";
  panel->windowActivated();
  EXPECT_EQ(focused(), "CTX_CODART");
  press(Qt::Key_Return);
  EXPECT_EQ(shown("CTX_TPRO_LIB"), "Tôle");
  EXPECT_EQ(focused(), "CTX_QTE");

  // A creation form cancelled (it takes back the code it was given) leaves the code and what
  // came with it empty; one still open leaves them.
  registerWindows({"FCREART"});
  panel->takeFocus();
  type("NOPE");
  m_messages.script({Answer::Yes});
  press(Qt::Key_Return);
  EXPECT_EQ(m_opener.opened, QStringList{"FCREART"});
  panel->windowActivated();
  EXPECT_EQ(shown("CTX_CODART"), "NOPE");
  m_state->creationCode.clear();
  panel->windowActivated();
  EXPECT_EQ(shown("CTX_CODART") + shown("CTX_TPRO_LIB") + shown("CTX_UNITE") + shown("CTX_TYPE"),
            "");
  EXPECT_EQ(focused(), "CTX_CODART");
}

TEST_F(EntryPanelTest, Screenshots) {
  const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "TAROVENT_SCREENSHOTS names no folder";
  open();
  m_state->compositeCode = "VIS";
  panel->windowActivated();
  press(Qt::Key_Return);
  for (const QSize size : {QSize(1280, 330), QSize(1920, 440)}) {
    panel->resize(size);
    QApplication::processEvents();
    EXPECT_TRUE(ui::saveScreenshot(
        panel.get(),
        folder + QStringLiteral("/EntryPanel_%1x%2.png").arg(size.width()).arg(size.height())));
  }
}

}  // namespace
}  // namespace tarovent::composition
