#include <QMainWindow>

#include "RecordKeys.h"
#include "dossiers/FDEV.h"

namespace tarovent::test {
namespace {

using ui::Answer;

class Quitting : public RecordKeys {
 protected:
  // A company and an option of the demo, each with a pending change typed in its window.
  void changeCompanyAndOption() {
    m_company = scalar("select min(TSOC_CODE) from TSOC").toString();
    m_option = scalar("select min(TPRO_Code) from TPRO").toString();
    ASSERT_FALSE(m_company.isEmpty() || m_option.isEmpty());
    ASSERT_TRUE(open("M_TABL_SOCI"));
    alt('o');  // N&om en clair
    ASSERT_EQ(focusedName(), "FSOC_LIB");
    retype("Société d'été");
    ASSERT_TRUE(open("M_TABL_PRO"));
    alt('d');  // &Description
    ASSERT_EQ(focusedName(), "FPRO_LIB");
    retype("Pose à l'étage");
  }
  QString companyName() {
    return scalar("select TSOC_LIB from TSOC where TSOC_CODE = '" + m_company + "'").toString();
  }
  QString optionText() {
    return scalar("select TPRO_LIB from TPRO where TPRO_Code = '" + m_option + "'").toString();
  }
  QString m_company, m_option;
};

// The program's Quitter (and Alt+F4, which closes the main window the same way) asks each
// window holding a change, the one in front first; Cancel keeps the program and the change.
TEST_F(Quitting, EachWindowWithAChangeIsAskedAndCancelStops) {
  changeCompanyAndOption();
  const QString company = companyName(), option = optionText();

  m_messages.script({Answer::Cancel});
  m_menu->menuEntry("M_DEVI_QUIT")->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(m_menu->isVisible());
  EXPECT_TRUE(isOpen("FSOC") && isOpen("FPRO"));
  ASSERT_EQ(m_messages.entries().size(), 1) << said().toStdString();
  EXPECT_EQ(m_messages.entries().at(0).buttons, ui::Buttons::YesNoCancel);
  EXPECT_EQ(companyName(), company);
  EXPECT_EQ(optionText(), option);

  // Options (in front) saved, companies dropped: then the program ends.
  m_messages.clear();
  m_messages.script({Answer::Yes, Answer::No});
  EXPECT_TRUE(m_menu->close());
  QApplication::processEvents();
  EXPECT_EQ(m_messages.entries().size(), 2) << said().toStdString();
  EXPECT_EQ(optionText(), "Pose à l'étage");
  EXPECT_EQ(companyName(), company);
  EXPECT_FALSE(m_menu->isVisible());
}

// The close box of a window (and Alt+F4 inside it) asks as well: Cancel keeps the window with
// the change, Yes saves it before the window goes, and no empty frame stays behind.
TEST_F(Quitting, TheCloseBoxOfAWindowAsksBeforeLosingAChange) {
  changeCompanyAndOption();
  QMdiSubWindow* options = m_menu->workArea()->activeSubWindow();
  m_messages.script({Answer::Cancel});
  EXPECT_FALSE(options->close());
  EXPECT_TRUE(isOpen("FPRO"));
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(options->close());
  QApplication::processEvents();
  EXPECT_FALSE(isOpen("FPRO"));
  EXPECT_EQ(optionText(), "Pose à l'étage");
  EXPECT_EQ(m_menu->workArea()->subWindowList().size(), 2);  // home and the companies
}

// The dossier workspace's close box: a dossier changed and not saved is asked about.
TEST_F(Quitting, TheWorkspaceAsksAboutItsDossierBeforeClosing) {
  QWidget* w = open("M_DEVI_DEVIS");
  ASSERT_TRUE(w);
  auto* workspace = static_cast<dossiers::FDEV*>(w);
  auto* summary = w->findChild<QLineEdit*>("FDOS_RESUME");
  ASSERT_TRUE(summary);
  summary->setFocus();
  retype("Portail coulissant");
  ASSERT_TRUE(workspace->currentDossier().present());
  const auto key = workspace->currentDossier();
  const auto stored = [&] {
    return scalar(QStringLiteral("select TDOS_RESUME from TDOS where TDOS_SOC = '%1' and "
                                 "TDOS_NUMDOSS = %2")
                      .arg(key.company)
                      .arg(key.number))
        .toString();
  };
  const QString before = stored();
  m_messages.script({Answer::Cancel});
  EXPECT_FALSE(m_menu->workArea()->activeSubWindow()->close());
  EXPECT_EQ(stored(), before);
  EXPECT_EQ(summary->text(), "Portail coulissant");
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(m_menu->workArea()->activeSubWindow()->close()) << said().toStdString();
  EXPECT_EQ(stored(), "Portail coulissant");
}

// Regression: a window closing gave the work area to the home page, which covered the window
// that had opened it (the quote types behind a closed composition, every window after the
// custom fields).
TEST_F(Quitting, AClosedWindowGivesTheAreaBackToTheOneBefore) {
  QWidget* types = open("M_TABL_TYPE");
  ASSERT_TRUE(types);
  QWidget* options = open("M_TABL_PRO");
  ASSERT_TRUE(options);
  ASSERT_TRUE(closeBox(options));
  QApplication::processEvents();
  ASSERT_TRUE(m_menu->workArea()->activeSubWindow());
  EXPECT_EQ(m_menu->workArea()->activeSubWindow()->widget(), types);
}

}  // namespace
}  // namespace tarovent::test
