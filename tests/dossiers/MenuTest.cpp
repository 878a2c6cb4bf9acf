#include <QAction>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "DemoMenuTest.h"
#include "core/MainMenu.h"
#include "dossiers/DossierWindows.h"
#include "ui/ButtonEnterKey.h"
#include "ui/FormAccessKeys.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;

// The windows of the dossiers opened from the main menu of the demo family.
class DossierMenu : public tarovent::test::DemoMenuTest {
 protected:
  DossierMenu() : DemoMenuTest(registerDossierWindows) {}
  QWidget* openFromMenu(const char* entry, const char* window) {
    m_menu->menuEntry(entry)->trigger();
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    EXPECT_TRUE(sub && sub->widget() && sub->widget()->objectName() == window) << window;
    return sub ? sub->widget() : nullptr;
  }
};

TEST_F(DossierMenu, EntriesOpenTheWindowsThatExist) {
  ASSERT_TRUE(openFromMenu("M_TABL_SOCI", "FSOC"));
  ASSERT_TRUE(openFromMenu("M_TABL_PRO", "FPRO"));
  m_menu->Allumer_Menu("CMD_M_TABL_TYPE");
  QWidget* types = openFromMenu("M_TABL_TYPE", "FTYP");
  ASSERT_TRUE(types);
  EXPECT_FALSE(lit("CMD_M_TABL_TYPE"));  // switched off while the window is open
  types->findChild<QPushButton*>("Cmd_Quitter")->click();
  QApplication::processEvents();
  EXPECT_TRUE(lit("CMD_M_TABL_TYPE"));  // and on again once it is closed
  m_menu->Allumer_Menu("CMD_M_DEVI_DEVIS");
  ASSERT_TRUE(openFromMenu("M_DEVI_DEVIS", "FDEV"));
  EXPECT_EQ(m_menu->workArea()->subWindowList().size(), 4);  // home, FSOC, FPRO and FDEV
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(DossierMenu, AccessKeysOfEveryWindowWork) { expectWorkingAccessKeys(); }

// Regression: the version commands of the workspace ("Composer" first) had no letter.
TEST_F(DossierMenu, TheVersionCommandsHaveLettersOfTheirOwn) {
  QWidget* fdev = openFromMenu("M_DEVI_DEVIS", "FDEV");
  ASSERT_TRUE(fdev);
  for (const char* name : {"Cmd_DevADD", "Cmd_DevUpdate", "Cmd_DevVoir", "Cmd_DevEditer"}) {
    auto* button = fdev->findChild<QPushButton*>(name);
    ASSERT_TRUE(button) << name;
    const QChar letter = tarovent::test::accessKey(button->text());
    ASSERT_FALSE(letter.isNull()) << name;
    if (button->isEnabled()) {
      EXPECT_EQ(ui::FormAccessKeys::target(fdev, letter), button) << name;
    }
  }
  EXPECT_EQ(tarovent::test::keyboardFaults(fdev), QStringList());
  // The letters of the main menu stay with it.
  QWidget* focus = QApplication::focusWidget();
  EXPECT_EQ(menuOpenedBy('T'), "&Tables");
  if (focus) focus->setFocus();
}

// Regression: the size chosen with F12 was remembered but the workspace opened maximised again.
TEST_F(DossierMenu, TheWorkspaceOpensAgainInTheSizeChosenWithF12) {
  QWidget* fdev = openFromMenu("M_DEVI_DEVIS", "FDEV");
  ASSERT_TRUE(fdev);
  auto* sub = qobject_cast<QMdiSubWindow*>(fdev->parentWidget());
  ASSERT_TRUE(sub && sub->isMaximized());
  pressKey(QApplication::focusWidget(), Qt::Key_F12);
  EXPECT_FALSE(sub->isMaximized());
  fdev->findChild<QPushButton*>("Cmd_Quitter")->click();
  QApplication::processEvents();
  fdev = openFromMenu("M_DEVI_DEVIS", "FDEV");
  ASSERT_TRUE(fdev);
  EXPECT_FALSE(qobject_cast<QMdiSubWindow*>(fdev->parentWidget())->isMaximized());
  // Back to maximised: the choice lasts as long as the process.
  pressKey(QApplication::focusWidget(), Qt::Key_F12);
  EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(fdev->parentWidget())->isMaximized());
}

// A newcomer's morning on the demo family with the keyboard alone: a dossier for a client, two
// versions, the dossier duplicated.
TEST_F(DossierMenu, ADossierFromStartToDuplicateWithTheKeyboardAlone) {
  ui::installButtonEnterKey(*qApp);  // as the program does at start
  db::Database& main = m_state->mainDb();
  const auto scalar = [&main](const QString& sql) {
    return main.OpenRecordset(sql).value(0).toString();
  };
  const QString client = m_state->base(core::entry::Commercial)
                             .db.OpenRecordset("select min(TCLI_CODE) from TCLI where TCLI_Valide")
                             .value(0)
                             .toString();
  ASSERT_FALSE(client.isEmpty());
  const long before = scalar("select TSOC_NSEQ from TSOC where TSOC_CODE = 'AB'").toLong();

  ASSERT_TRUE(openFromMenu("M_DEVI_DEVIS", "FDEV"));
  const auto focused = [] {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  };
  const auto key = [](int k, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      const QString& text = {}) {
    pressKey(QApplication::focusWidget(), k, mods, text);
    // A button pressed by its access key clicks a moment later.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 250) QApplication::processEvents();
  };

  key(Qt::Key_N, Qt::AltModifier);  // Nouveau
  ASSERT_EQ(focused(), "DBC_SOC") << m_messages.texts().join(QLatin1Char('|')).toStdString();
  key(Qt::Key_A, Qt::NoModifier, "A");
  key(Qt::Key_Y, Qt::AltModifier);  // Type
  ASSERT_EQ(focused(), "DBC_TYP");
  key(Qt::Key_Down);
  key(Qt::Key_C, Qt::AltModifier);  // Client
  ASSERT_EQ(focused(), "CTX_DOS_CodCli");
  // Regression: Alt+T went to the vehicle box instead of the Tables menu.
  EXPECT_EQ(menuOpenedBy('T'), "&Tables");
  ASSERT_EQ(focused(), "CTX_DOS_CodCli");
  typeText(QApplication::focusWidget(), client);
  key(Qt::Key_Return);
  key(Qt::Key_F8);
  ASSERT_EQ(focused(), "Cmd_DevADD") << m_messages.texts().join('|').toStdString();
  const long number = scalar("select TSOC_NSEQ from TSOC where TSOC_CODE = 'AB'").toLong();
  EXPECT_EQ(number, before + 1);
  EXPECT_EQ(scalar(QStringLiteral("select TDOS_CLIENT from TDOS where TDOS_SOC = 'AB' and "
                                  "TDOS_NUMDOSS = %1")
                       .arg(number)),
            client);

  // Version 0, then version 1: Enter on "Créer", today's date on entering the date box, F10.
  for (int sequence : {0, 1}) {
    key(Qt::Key_Return);
    ASSERT_EQ(focused(), "FDEV_DATE");
    key(Qt::Key_F10);
    ASSERT_EQ(focused(), "Cmd_DevEditer") << m_messages.texts().join('|').toStdString();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from TDEV where TDEV_SOC = 'AB' and "
                                    "TDEV_NUMDOSS = %1 and TDEV_NSEQ = %2")
                         .arg(number)
                         .arg(sequence)),
              "1");
    if (sequence == 0)
      for (int i = 0; i < 5; ++i) key(Qt::Key_Backtab, Qt::ShiftModifier);  // back to "Créer"
  }

  // Duplicated into the same company: the copy is the next number, with one version 0.
  key(Qt::Key_U, Qt::AltModifier);  // Dupliquer
  ASSERT_EQ(focused(), "DBC_NEWSOC");
  for (int i = 0; i < 4 && focused() != "CMD_OKDupli"; ++i) key(Qt::Key_Tab);
  ASSERT_EQ(focused(), "CMD_OKDupli");
  m_messages.script({ui::Answer::Ok});  // "Confirmez la duplication …"
  key(Qt::Key_Return);
  const long copy = scalar("select TSOC_NSEQ from TSOC where TSOC_CODE = 'AB'").toLong();
  EXPECT_EQ(copy, number + 1) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(scalar(QStringLiteral("select count(*) from TDEV where TDEV_SOC = 'AB' and "
                                  "TDEV_NUMDOSS = %1")
                       .arg(copy)),
            "1");
}

}  // namespace
}  // namespace tarovent::dossiers
