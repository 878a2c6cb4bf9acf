#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTimer>

#include "core/Balloon.h"
#include "core/CalendarDialog.h"
#include "core/CoreWindows.h"
#include "core/FormHelpers.h"
#include "core/Help.h"
#include "core/HelpWindow.h"
#include "core/KeySender.h"
#include "core/MessageWindow.h"
#include "core/ProcessState.h"
#include "core/SystemVersion.h"
#include "core/WindowSearch.h"
#include "ui/BoundComboBox.h"
#include "ui/DataControl.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core {
namespace {

using test::child;

class WindowHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    m_state.programFolder = m_dir.path() + "/";
    registerCoreWindows(m_state);
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "FAIDE" || w->objectName() == "Fmessage") delete w;
  }
  static HelpWindow* helpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) return h;
    return nullptr;
  }

  QTemporaryDir m_dir;
  ui::ScriptedResponder m_messages;
  ProcessState m_state{m_messages};
};

TEST_F(WindowHelpers, F1OpensTheHelpAtTheContextOfTheFocusedControl) {
  QWidget window;
  window.setProperty("helpContext", 5100);
  auto* plain = new QLineEdit(&window);
  auto* special = new QLineEdit(&window);
  special->setProperty("helpContext", 5300);
  test::showActive(&window);

  plain->setFocus();
  Envoyer_Touches("{F1}", true);
  HelpWindow* help = helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->anchor(), "5100");  // the window's context

  special->setFocus();
  test::pressKey(special, Qt::Key_F1);
  EXPECT_EQ(helpWindow(), help);  // the same window, moved on
  EXPECT_EQ(help->anchor(), "5300");

  showHelp(m_state, 999999);  // unknown: the start of the help
  EXPECT_EQ(help->anchor(), "");
}

TEST_F(WindowHelpers, InAMenuTheHighlightedEntryGivesTheContext) {
  QMenu menu;
  menu.menuAction()->setProperty("helpContext", 5000);
  QAction* types = menu.addAction("Types de devis");
  types->setProperty("helpContext", 5300);
  menu.addAction("Sans aide");
  menu.popup(QPoint(0, 0));
  EXPECT_EQ(helpContextOf(&menu), 5000);
  menu.setActiveAction(types);
  EXPECT_EQ(helpContextOf(&menu), 5300);
  menu.setActiveAction(menu.actions().at(1));
  EXPECT_EQ(helpContextOf(&menu), 5000);
}

TEST_F(WindowHelpers, HelpFileOfTheProgramFolderComesFirst) {
  EXPECT_EQ(Fichier_Aide(m_state, "TAROVENT"), "");
  QFile f(m_dir.path() + "/TAROVENT.html");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<html><body><h1 id=\"1100\">Aide du site</h1></body></html>");
  f.close();
  EXPECT_EQ(Fichier_Aide(m_state, "TAROVENT"), m_dir.path() + "/TAROVENT.html");
  showHelp(m_state, 1100);
  HelpWindow* help = helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(child<QTextBrowser>(help, "TXT_Aide")->toPlainText().contains("Aide du site"));
}

TEST_F(WindowHelpers, WaitingMessageOpensUpdatesAndCloses) {
  // Logic asks through the process state; the windows' registration makes it show.
  registerCoreWindows(m_state);
  m_state.showWaiting("Génération du fichier PDF en cours ...", "00012_00.AB");
  MessageWindow* m = openMessageWindow();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(child<QLabel>(m, "CTL_Infos")->text(), "00012_00.AB");
  Afficher_Message(m_state, "Préparation du mail en cours ...");
  EXPECT_EQ(child<QLabel>(openMessageWindow(), "CTL_Texte")->text(),
            "Préparation du mail en cours ...");
  m_state.showWaiting({});
  EXPECT_EQ(openMessageWindow(), nullptr);
}

TEST_F(WindowHelpers, CalendarChosenByTheConfigurationFillsTheBox) {
  QWidget window;
  // A year typed on four digits opens the calendar on that year, however old.
  auto* date = new QLineEdit("14/07/1945", &window);
  test::showActive(&window);
  for (int choice : {0, 1}) {
    m_state.config.calendar = choice;
    QString shown;
    bool yearByKey = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<CalendarDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      shown = d->objectName() + " " + d->date().toString("dd/MM/yyyy");
      if (auto* year = d->findChild<QSpinBox*>("CTX_Annee")) {
        test::showActive(d);
        Envoyer_Touches("%a", true);  // the year's label
        yearByKey = year->hasFocus();
      }
      d->setDate(QDate(2026, 12, 24 + choice));
      d->accept();
    });
    const QDate chosen = Afficher_Calendrier(m_state, date);
    EXPECT_EQ(shown, QString(choice ? "F_CALENDAR2 " : "F_CALENDAR ") +
                         (choice ? "24/12/2026" : "14/07/1945"));
    EXPECT_EQ(chosen, QDate(2026, 12, 24 + choice));
    EXPECT_EQ(yearByKey, choice == 1);
    EXPECT_EQ(date->text(), QDate(2026, 12, 24 + choice).toString("dd/MM/yyyy"));
  }
  QTimer::singleShot(0, [] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
  });
  EXPECT_FALSE(Afficher_Calendrier(m_state, date).isValid());
  EXPECT_EQ(date->text(), "25/12/2026");
  // F4 in a date box opens it too.
  attachCalendar(m_state, date);
  date->setFocus();
  QTimer::singleShot(0, [] {
    if (auto* d = qobject_cast<CalendarDialog*>(QApplication::activeModalWidget())) {
      d->setDate(QDate(2027, 1, 4));
      d->accept();
    }
  });
  test::pressKey(date, Qt::Key_F4);
  EXPECT_EQ(date->text(), "04/01/2027");
}

TEST_F(WindowHelpers, WindowsAreFoundByPartOfTheirTitle) {
  QWidget dossiers;
  dossiers.setWindowTitle("Gestion des devis");
  QWidget hidden;
  hidden.setWindowTitle("Devis masqué");
  dossiers.show();
  EXPECT_EQ(Chercher_Fenetre("DEVIS"), &dossiers);
  EXPECT_EQ(Chercher_Fenetre("masqué"), nullptr);
  dossiers.showMinimized();
  Activer_Fenetre(&dossiers);
  EXPECT_FALSE(dossiers.isMinimized());
}

TEST_F(WindowHelpers, DataControlsAreLinkedAndListsFreed) {
  QWidget window;
  auto* first = new ui::DataControl(&window);
  auto* combo = new ui::BoundComboBox(&window);
  combo->setRows({{"A", "Un"}});
  Lier_Donnees(m_state, &window, "/data/TAROVENT.MDB");
  EXPECT_EQ(first->DatabaseName(), "/data/TAROVENT.MDB");
  Liberer_Listes(&window);
  EXPECT_EQ(combo->count(), 0);

  // The main database is open already: the data controls use the same handle.
  BaseEntry& main = m_state.base(entry::Main);
  main.folder = m_dir.path() + "/";
  main.file = "TAROVENT.MDB";
  main.db = m_state.workspace.CreateDatabase(main.path());
  Lier_Donnees(m_state, &window,
               main.folder + "../" + QDir(m_dir.path()).dirName() + "/TAROVENT.MDB");
  EXPECT_EQ(first->database().connection(), main.db.connection());
}

TEST_F(WindowHelpers, BalloonClosesWhenTheMouseMovesOverIt) {
  QPointer<Balloon> b = Balloon::showAt("Double-cliquez pour ouvrir", QPoint(50, 50));
  auto* text = child<QPlainTextEdit>(b, "TxtBulle");
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(text->viewport(), &move);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.isNull());
}

TEST(SystemVersion, MajorAndMinorOfTheVersionText) {
  EXPECT_EQ(majorMinor("6.1.0-18-amd64"), "6.1");
  EXPECT_EQ(majorMinor("10.0"), "10.0");
  EXPECT_EQ(majorMinor("inconnu"), "Système non prévu");
}

}  // namespace
}  // namespace tarovent::core
