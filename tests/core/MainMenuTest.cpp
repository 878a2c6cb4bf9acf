#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "CoreTestSupport.h"
#include "core/CoreWindows.h"
#include "core/FPARGDEV.h"
#include "core/Help.h"
#include "core/HelpWindow.h"
#include "core/HomeWindow.h"
#include "core/MainMenu.h"
#include "core/MenuButtons.h"
#include "core/WindowTranslation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core::test {
namespace {

TEST(MenuButtonsTest, HidingTheMiddleButtonMovesTheNextOneAndShowingPutsItLast) {
  QList<MenuButton> row = {{"CMD_M_A", 0, 100, false},
                           {"CMD_M_B", 0, 80, false},
                           {"CMD_M_C", 0, 120, false},
                           {"OTHER", 5000, 10, true}};
  for (const char* n : {"CMD_M_A", "CMD_M_B", "CMD_M_C"}) ASSERT_TRUE(allumerMenu(row, n, 45));
  EXPECT_EQ(row[0].left, 45);   // nothing visible yet among the CMD_M_ buttons
  EXPECT_EQ(row[1].left, 190);  // 45 + 100 + 45
  EXPECT_EQ(row[2].left, 315);  // 190 + 80 + 45
  ASSERT_TRUE(eteindreMenu(row, "cmd_m_b", 45));
  EXPECT_FALSE(row[1].visible);
  EXPECT_EQ(row[2].left, 190);  // moved left by 80 + 45
  EXPECT_EQ(row[0].left, 45);
  ASSERT_TRUE(allumerMenu(row, "CMD_M_B", 45));
  EXPECT_EQ(row[1].left, 355);  // after the right-most visible: 190 + 120 + 45
  EXPECT_FALSE(allumerMenu(row, "CMD_M_NONE", 45));
  EXPECT_FALSE(eteindreMenu(row, "OTHER", 45));
}

// Regression: a window opening put out its button that was not lit, and the lit ones after it
// moved left by its width, off the strip.
TEST(MenuButtonsTest, PuttingOutAnUnlitButtonMovesNothing) {
  QList<MenuButton> row = {{"CMD_M_A", 0, 100, false}, {"CMD_M_B", 0, 80, false}};
  ASSERT_TRUE(allumerMenu(row, "CMD_M_B", 3));
  ASSERT_TRUE(eteindreMenu(row, "CMD_M_A", 3));
  EXPECT_EQ(row[1].left, 3);
  EXPECT_TRUE(row[1].visible);
  EXPECT_FALSE(row[0].visible);
}

TEST(MenuButtonsTest, ScreenRules) {
  EXPECT_EQ(mainMenuWidthTwips(12000), 12000);
  EXPECT_EQ(mainMenuWidthTwips(15360), 15360 - 2445);
  EXPECT_EQ(topOffsetTwips(9000, 700), 0);
  EXPECT_EQ(topOffsetTwips(11520, 700), 701);
}

class MainMenuTest : public FamilyTest {
 protected:
  std::unique_ptr<MainMenu> startMenu() {
    registerCoreWindows(*m_state);
    auto menu = std::make_unique<MainMenu>(*m_state);
    EXPECT_TRUE(menu->start()) << m_messages.texts().join('|').toStdString();
    menu->refreshEntries();
    return menu;
  }
};

TEST_F(MainMenuTest, EntriesHelpAndEnabling) {
  auto menu = startMenu();
  EXPECT_EQ(menu->menuEntry("M_PARAM")->property("helpContext").toInt(), 5400);
  // Entries whose window is not registered are disabled.
  EXPECT_TRUE(menu->menuEntry("M_PARAM")->isEnabled());
  EXPECT_FALSE(menu->menuEntry("M_DEVI_DEVIS")->isEnabled());
  // Without a commercial database there is no profitability report.
  EXPECT_FALSE(menu->menuEntry("M_RENTA")->isVisible());
  ASSERT_FALSE(menu->workArea()->subWindowList().isEmpty());
  EXPECT_EQ(menu->workArea()->subWindowList().first()->widget()->objectName(), "FAcceuil");
}

// Without a mouse every menu of the bar opens by Alt and its letter (the style gives the bar no
// other way in), and every entry of a menu has a letter of its own there.
TEST_F(MainMenuTest, EveryMenuAndEntryHasItsOwnAccessKey) {
  auto menu = startMenu();
  const auto faults = [](const QList<QAction*>& actions, const QString& where) {
    QStringList found;
    QMap<QChar, QString> owners;
    for (const QAction* a : actions) {
      if (a->isSeparator()) continue;
      // "?" is F1 on whatever has the keyboard.
      if (a->text() == "?") continue;
      const QChar key = tarovent::test::accessKey(a->text());
      if (key.isNull())
        found << where + ": " + a->text() + " has no letter";
      else if (owners.contains(key))
        found << where + ": " + a->text() + " and " + owners.value(key) + " share " + key;
      else
        owners.insert(key, a->text());
    }
    return found;
  };
  QStringList all = faults(menu->menuBar()->actions(), "bar");
  for (const QAction* a : menu->menuBar()->actions())
    if (a->menu()) all += faults(a->menu()->actions(), a->text());
  EXPECT_EQ(all, QStringList());
}

// Alt alone puts the keyboard on the menu bar, whose arrows then reach every menu: the way in
// when the form in front uses the menu's letter for one of its own boxes.
TEST_F(MainMenuTest, AltAloneGivesTheKeyboardToTheMenuBar) {
  auto menu = startMenu();
  tarovent::test::showActive(menu.get());
  QMenuBar* bar = menu->menuBar();
  tarovent::test::pressAltAlone(QApplication::focusWidget() ? QApplication::focusWidget()
                                                              : menu.get());
  ASSERT_NE(bar->activeAction(), nullptr);
  EXPECT_EQ(bar->activeAction()->objectName(), "M_DEVIS");
  tarovent::test::pressKey(bar, Qt::Key_Right);
  ASSERT_NE(bar->activeAction(), nullptr);
  EXPECT_EQ(bar->activeAction()->objectName(), "M_CLI");
  tarovent::test::pressKey(bar, Qt::Key_Down);
  QMenu* clients = bar->activeAction()->menu();
  ASSERT_NE(clients, nullptr);
  EXPECT_TRUE(clients->isVisible());
  tarovent::test::pressKey(clients, Qt::Key_Escape);
  tarovent::test::pressKey(bar, Qt::Key_Escape);
  EXPECT_FALSE(clients->isVisible());
}

// Regression: the home window kept its 800 x 600 look on any screen.
TEST_F(MainMenuTest, HomeWindowFitsLargerScreensOnce) {
  const double drawn = HomeWindow(*m_state).font().pointSizeF();
  auto menu = startMenu();
  menu->resize(1280, 800);
  tarovent::test::showActive(menu.get());
  auto* home = dynamic_cast<HomeWindow*>(menu->workArea()->subWindowList().first()->widget());
  ASSERT_NE(home, nullptr);
  const double fitted = home->font().pointSizeF();
  EXPECT_GT(fitted, drawn * 1.1);
  home->fitToScreen(800);
  EXPECT_EQ(home->font().pointSizeF(), fitted);

  // On the screen it is drawn for it stays as it is.
  QMdiArea area;
  area.resize(1280, 740);
  auto* small = new HomeWindow(*m_state);
  QMdiSubWindow* sub = area.addSubWindow(small);
  small->fitToScreen(600);
  sub->showMaximized();
  tarovent::test::showActive(&area);
  EXPECT_EQ(small->font().pointSizeF(), drawn);
  EXPECT_EQ(m_state->workingHeight, 600);
}

TEST_F(MainMenuTest, PictureButtonsLightAndGoOut) {
  auto menu = startMenu();
  auto* cli = tarovent::test::child<QToolButton>(menu.get(), "CMD_M_CLIDEV");
  auto* rel = tarovent::test::child<QToolButton>(menu.get(), "CMD_M_RELA");
  menu->Allumer_Menu("CMD_M_CLIDEV");
  menu->Allumer_Menu("CMD_M_RELA");
  EXPECT_EQ(cli->x(), 3);
  EXPECT_EQ(rel->x(), 3 + cli->width() + 3);
  menu->Eteindre_Menu("CMD_M_CLIDEV");
  EXPECT_EQ(rel->x(), 3);
  menu->Eteindre_Menu("CMD_M_NOPE");
  EXPECT_EQ(m_messages.texts().last(),
            "Procédure Eteindre_Menu : Nom de contrôle inconnu CMD_M_NOPE");
}

// Regression: the notices window closed with Qt's English "Close".
TEST_F(MainMenuTest, NoticesWindowClosesWithFermer) {
  auto menu = startMenu();  // before the notices exist: start-up would show them
  m_state->programFolder = m_dir.path() + "/";
  {
    db::Workspace ws;
    db::Database db = ws.CreateDatabase(m_dir.path() + "/VovavidirV95_New.mdb");
    db.Execute(
        "CREATE TABLE TNOTES (TNOTES_VERSION TEXT(20), TNOTES_DATE DATETIME, TNOTES_TEXTE MEMO)");
    db.Execute("INSERT INTO TNOTES VALUES ('9.5.02', #12/01/2026#, 'Corrections')");
  }
  QStringList buttons;
  tarovent::test::showActive(menu.get());
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d) return;
    for (auto* b : d->findChildren<QPushButton*>()) buttons << b->text();
    d->reject();
  });
  // Opened by its letter, from the bar itself.
  tarovent::test::pressKey(menu.get(), Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(buttons, QStringList{"Fermer"});
}

// Regression: the help opened at every start, under the main window, and Esc left it open.
TEST_F(MainMenuTest, HelpFromQuestionMarkOpensAboveTheMenuAndClosingItMarksItSeen) {
  sql(mainFile(), {"UPDATE TPAR SET TPAR_DOCINIT = False"});
  auto menu = startMenu();
  EXPECT_FALSE(m_state->params.docInit);
  menu->setHelpHandler([this](int context) { showHelp(*m_state, context); });
  tarovent::test::showActive(menu.get());
  menu->menuEntry("M_HELP")->trigger();  // F1 to the focused control
  HelpWindow* help = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) help = h;
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->parentWidget(), menu.get());  // above the menu
  tarovent::test::pressKey(help, Qt::Key_Escape);
  EXPECT_FALSE(help->isVisible());
  db::Workspace ws;
  EXPECT_TRUE(ws.OpenDatabase(mainFile()).OpenRecordset("TPAR").flag("TPAR_DOCINIT"));
}

TEST_F(MainMenuTest, ParametersOpenOnTheMainDatabaseInTheMiddleOfTheScreen) {
  auto menu = startMenu();
  tarovent::test::showActive(menu.get());
  QString caption;
  QRect frame;
  QTimer::singleShot(0, [&] {
    auto* w = qobject_cast<FPARGDEV*>(QApplication::activeModalWidget());
    if (!w) return;
    caption = w->windowTitle();
    frame = w->frameGeometry();
    w->findChild<QPushButton*>("Cmd_Quitter")->click();
  });
  menu->menuEntry("M_PARAM")->trigger();
  EXPECT_EQ(caption, "Paramètres généraux" + QString(20, ' ') + "DONNEES");
  EXPECT_NEAR(frame.center().x(),
              QGuiApplication::primaryScreen()->availableGeometry().center().x(), 2);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(MainMenuTest, EnglishCaptionsWithALanguage) {
  sql(m_layout.dataFolder + "BDTRAD.MDB",
      {"INSERT INTO TTRAD VALUES ('Gestion des &devis', '&Quote management', Null)",
       "INSERT INTO TTRAD VALUES ('&Quitter', 'E&xit', Null)",
       "INSERT INTO TTRAD VALUES ('TAROVENT - Gestion des devis', 'TAROVENT - Quotes', Null)",
       "INSERT INTO TTRAD VALUES ('Libellé', 'Label', Null)"});
  writeIni("LANGUE=1\n");
  auto menu = startMenu();
  EXPECT_EQ(menu->menuEntry("M_DEVI_DEVIS")->text(), "&Quote management");
  EXPECT_EQ(menu->menuEntry("M_CLIDEV")->text(), "&Fiches clients");  // no translation
  EXPECT_TRUE(menu->windowTitle().startsWith("TAROVENT - Quotes   V"));

  QWidget w;
  w.setWindowTitle("Libellé");
  auto* label = new QLabel("Libellé", &w);
  label->setToolTip("Libellé");
  auto* button = new QPushButton("&Quitter", &w);
  // Access keys on captions the table holds without them.
  auto* keyed = new QLabel("&Libellé", &w);
  auto* keyedElsewhere = new QLabel("Libell&é", &w);
  auto* literal = new QLabel("Libellé && co", &w);
  Traduire_Fenetre(*m_state, &w);
  EXPECT_EQ(keyed->text(), "&Label");
  EXPECT_EQ(keyedElsewhere->text(), "&Label");
  EXPECT_EQ(literal->text(), "Libellé && co");
  EXPECT_EQ(w.windowTitle() + ' ' + label->toolTip() + ' ' + button->text(), "Label Label E&xit");
}

}  // namespace
}  // namespace tarovent::core::test
