#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>

#include "WindowTestSupport.h"
#include "dossiers/DuplicationPanel.h"

namespace tarovent::dossiers {
namespace {

using ui::Answer;

// The panel alone in a host window, over dossier AB 5 (versions 0 to 2) and an active CD.
class DuplicationPanelTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    m_db.Execute("INSERT INTO TSOC VALUES ('CD', 'Carrosserie Dubois', 10, False)");
    m_db.Execute(
        "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_USER3) "
        "VALUES ('AB', 5, 'C1', 'A1', 'trois')");
    for (int v = 0; v <= 2; ++v)
      m_db.Execute(QStringLiteral("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES "
                                  "('AB', 5, %1)")
                       .arg(v));
    m_state->localDb = workDatabase();
    ASSERT_TRUE(test::writeFile(path("00005_02.AB"), "v2"));
    auto* host = new QWidget;
    host->setObjectName("FDEV");
    m_window.reset(host);
    m_panel = new DuplicationPanel(*m_state, host);
    host->resize(1280, 800);
    tarovent::test::showActive(host);
  }
  QStringList offered() {
    QStringList codes;
    auto* box = get<QComboBox>("DBC_NEWSOC");
    for (int i = 0; i < box->count(); ++i) codes << box->itemData(i).toString();
    return codes;
  }

  // The panel opened on AB 5 version 2, CD chosen; `m_done` records the copies made.
  void openTowardsCD() {
    QObject::connect(m_panel, &DuplicationPanel::duplicated,
                     [this](const QString& company, long number) {
                       m_done.append({company, number});
                     });
    ASSERT_TRUE(m_panel->open("AB", 5, 2));
    auto* targets = get<QComboBox>("DBC_NEWSOC");
    targets->setCurrentIndex(targets->findData("CD"));
  }

  DuplicationPanel* m_panel = nullptr;
  QList<std::pair<QString, long>> m_done;
};

TEST_F(DuplicationPanelTest, OffersActiveCompaniesOwnFirst) {
  ASSERT_TRUE(m_panel->open("AB", 5, 2));
  EXPECT_EQ(offered(), (QStringList{"AB", "CD"}));
  // A dossier of a deactivated company: its company is not offered.
  m_panel->hide();
  ASSERT_TRUE(m_panel->open("ZZ", 3, 0));
  EXPECT_EQ(offered(), (QStringList{"AB", "CD"}));
}

TEST_F(DuplicationPanelTest, RefusedWithoutVersionOrWithPendingChanges) {
  EXPECT_FALSE(m_panel->open("AB", 5, -1));
  EXPECT_EQ(m_messages.texts(), QStringList{"Aucune version de ce devis n'a encore été créée"});
  m_panel->setGuard([] { return false; });
  EXPECT_FALSE(m_panel->open("AB", 5, 2));
  EXPECT_FALSE(m_panel->isVisible());
}

TEST_F(DuplicationPanelTest, ConfirmedDuplicationIntoAnotherCompany) {
  openTowardsCD();
  get<QCheckBox>("CHK_DupliWord")->setChecked(true);
  m_messages.script({Answer::Cancel});
  click("CMD_OKDupli");
  EXPECT_EQ(m_messages.texts(), QStringList{"Confirmez la duplication (Dossier 5   version 2)"});
  EXPECT_EQ(counter("CD"), 10);
  m_messages.script({Answer::Ok});
  click("CMD_OKDupli");
  EXPECT_EQ(m_done, (QList<std::pair<QString, long>>{{"CD", 11}}));
  EXPECT_FALSE(m_panel->isVisible());
  EXPECT_TRUE(QFile::exists(path("00011_00.CD")));

  // The copy's text cannot take its name (a folder stands there): the user is told where it is.
  ASSERT_TRUE(QDir().mkpath(path("00012_00.CD") + "/occupé"));
  ASSERT_TRUE(m_panel->open("AB", 5, 2));
  get<QComboBox>("DBC_NEWSOC")->setCurrentIndex(get<QComboBox>("DBC_NEWSOC")->findData("CD"));
  get<QCheckBox>("CHK_DupliWord")->setChecked(true);
  m_messages.clear();
  m_messages.script({Answer::Ok});
  click("CMD_OKDupli");
  EXPECT_EQ(m_done.size(), 2);
  EXPECT_EQ(m_messages.texts().value(1),
            "Le dossier est copié, mais son texte n'a pas pu prendre son nom : il est resté dans " +
                path("00012_00.CD") + ".copie");
  EXPECT_TRUE(QFile::exists(path("00012_00.CD") + ".copie"));
}

}  // namespace
}  // namespace tarovent::dossiers
