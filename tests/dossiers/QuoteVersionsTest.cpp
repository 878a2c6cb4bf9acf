#include <QDir>
#include <QLocale>

#include "DossierTestSupport.h"
#include "VersionTestSupport.h"
#include "dossiers/QuoteVersions.h"

namespace tarovent::dossiers {
namespace {

using ui::Answer;

class QuoteVersionsTest : public test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_dossier = test::setUpVersions(*m_state, m_db, m_dir.path() + '/');
    m_rules = std::make_unique<QuoteVersions>(*m_state);
  }
  QString field(int sequence, const QString& name) {
    return test::versionField(m_db, sequence, name);
  }
  HandOver prepare(int sequence = 1, const QString& mat = "V", const QString& mo = "R") {
    return m_rules->prepareComposition(m_dossier, sequence, mat, mo);
  }
  const core::QuoteContext& context() const { return m_state->quote; }

  std::unique_ptr<core::ProcessState> m_state;
  std::unique_ptr<QuoteVersions> m_rules;
  DossierKey m_dossier;
};

TEST_F(QuoteVersionsTest, TheFirstVersionTakesTheTypesModesTheNextOnesThoseOfTheLast) {
  NewVersion v = m_rules->newVersion(m_dossier);
  EXPECT_EQ(QStringLiteral("%1 %2%3 %4").arg(v.sequence).arg(v.tarMat, v.tarMo).arg(v.previous),
            "0 VR -1");
  EXPECT_TRUE(v.reminder.isNull());

  // A type without modes, or an unknown one: the general parameters' modes.
  for (const char* type : {"OLD", "NONE"}) {
    m_dossier.type = type;
    v = m_rules->newVersion(m_dossier);
    EXPECT_EQ(v.tarMat + v.tarMo, "RV") << type;
  }
  m_db.Execute("UPDATE TTYP SET TTYP_TARMAT = '', TTYP_TARMO = 'V' WHERE TTYP_CODE = 'A1'");
  m_dossier.type = "A1";
  v = m_rules->newVersion(m_dossier);
  EXPECT_EQ(v.tarMat + v.tarMo, "RV") << "an empty mode counts as none";

  // Versions 0, 1 and 3 (2 was deleted): the next is 4, with the modes of 3, not of the type.
  test::insertVersion(m_db, 0, "R", "R");
  test::insertVersion(m_db, 1, "V", "V");
  test::insertVersion(m_db, 3, "P", "V", "#01/15/2027#");
  v = m_rules->newVersion(m_dossier);
  EXPECT_EQ(QStringLiteral("%1 %2%3 %4").arg(v.sequence).arg(v.tarMat, v.tarMo).arg(v.previous),
            "4 PV 3");
  EXPECT_EQ(v.reminder.toDate(), QDate(2027, 1, 15));
}

TEST_F(QuoteVersionsTest, OnlyTheFormerLatestVersionGivesUpItsReminder) {
  test::insertVersion(m_db, 0, "V", "R", "#12/01/2026#");
  test::insertVersion(m_db, 1, "V", "R", "#01/15/2027#");
  m_rules->passReminderOn(m_dossier, 1);
  EXPECT_EQ(field(1, "TDEV_DATREL"), "");
  EXPECT_NE(field(0, "TDEV_DATREL"), "") << "only the version that was the latest";
  m_rules->passReminderOn(m_dossier, -1);  // a first version has nothing to take over
}

TEST_F(QuoteVersionsTest, VatRateFollowsTheClientsCountry) {
  struct Case {
    const char* country;
    double rate;
  };
  for (const Case& c : {Case{"F", 20}, Case{"", 20}, Case{"  ", 20}, Case{"f", 20}, Case{"B", 0},
                        Case{"FR", 0}, Case{"D", 0}})
    EXPECT_EQ(QuoteVersions::vatRate(c.country, 20), c.rate) << c.country;
  EXPECT_EQ(m_rules->newVersion(m_dossier).vatRate, 20);
  m_dossier.client = "C2";
  EXPECT_EQ(m_rules->newVersion(m_dossier).vatRate, 0);
  m_db.Execute("UPDATE TCLI SET TCLI_PAYS = Null WHERE TCLI_CODE = 'C2'");
  EXPECT_EQ(m_rules->newVersion(m_dossier).vatRate, 20);
}

TEST_F(QuoteVersionsTest, ModesAndSecondCurrencyAsShown) {
  const std::pair<const char*, const char*> modes[] = {{"R", "R"}, {"V", "V1"}, {"P", "V2"},
                                                       {"", ""},   {"X", ""},   {"v", ""}};
  for (const auto& [stored, shown] : modes)
    EXPECT_EQ(QuoteVersions::shownMaterialsMode(stored), shown) << stored;

  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  core::GeneralParameters p;
  p.coeffDev = 6.55957;
  p.libDev2 = "FRF";
  EXPECT_EQ(QuoteVersions::secondCurrency(1000, p), "6 559,57 FRF");
  EXPECT_EQ(QuoteVersions::secondCurrency(-1e6, p), "-6 559 570,00 FRF");
  // Half up, where printf would round 0.125 to even.
  p.coeffDev = 1;
  EXPECT_EQ(QuoteVersions::secondCurrency(0.125, p), "0,13 FRF");
  EXPECT_EQ(QuoteVersions::secondCurrency(0, p), "0,00 FRF");
  QLocale::setDefault(before);
}

TEST_F(QuoteVersionsTest, EditFillsTheQuoteContext) {
  test::writeFile(path("A1.dotx"), "template");
  ASSERT_EQ(prepare(1, "P", "V"), HandOver::Ready);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(context().company + context().sequence, "AB1");
  EXPECT_EQ(context().documentName, "00005_01.AB");
  EXPECT_EQ(context().templatePath, path("A1"));
  EXPECT_EQ(context().tarMat + context().tarMo, "PV");
  EXPECT_TRUE(context().newText);
  EXPECT_EQ(context().clientDiscount, 12.5);
  EXPECT_EQ(context().clientCategory, "GR");

  // Modes the composition would not know give way to the default ones.
  struct Case {
    const char *mat, *mo, *expected;
  };
  for (const Case& c : {Case{"", "", "RV"}, Case{"X", "P", "RV"}, Case{"R", "R", "RR"}}) {
    ASSERT_EQ(prepare(1, c.mat, c.mo), HandOver::Ready);
    EXPECT_EQ(context().tarMat + context().tarMo, c.expected) << c.mat << c.mo;
  }
}

TEST_F(QuoteVersionsTest, EditStopsWithoutAValidClient) {
  m_dossier.client = "GONE";
  EXPECT_EQ(prepare(), HandOver::ClientMissing);
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le client GONE n'existe plus\rvous devez choisir un client valide"});
  m_messages.clear();
  m_db.Execute("DELETE FROM TCLI");
  m_state->clientTable.Requery();
  EXPECT_EQ(prepare(), HandOver::Stopped);
  EXPECT_EQ(m_messages.texts(), QStringList{"La table des clients est vide."});
}

TEST_F(QuoteVersionsTest, AMissingTemplateFallsBackToTheEmptyOne) {
  test::writeFile(path("VIDE.dotx"), "empty");
  ASSERT_EQ(prepare(), HandOver::Ready);
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le fichier modèle " + path("A1.dotx") + " est introuvable."});
  EXPECT_EQ(context().templatePath, path("VIDE.dotx"));

  // A type's template under an older extension is found.
  m_messages.clear();
  test::writeFile(path("A1.dot"), "old template");
  ASSERT_EQ(prepare(), HandOver::Ready);
  EXPECT_TRUE(m_messages.texts().isEmpty());
  EXPECT_EQ(context().templatePath, path("A1"));
}

TEST_F(QuoteVersionsTest, AnExistingTextIsKeptOrOverwrittenAsAnswered) {
  test::writeFile(path("A1.dotx"), "template");
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("DOC_TAROVENT"));
  test::writeFile(path("DOC_TAROVENT/00005_01.AB"), "text");
  const QString keep = "Voulez-vous conserver le texte existant ?";
  const QString overwrite = "Confirmez-vous l'écrasement du texte existant ?";
  struct Case {
    QList<Answer> answers;
    HandOver outcome;
    bool newText;
    QStringList questions;
  };
  const Case cases[] = {
      {{Answer::Yes}, HandOver::Ready, false, {keep}},
      {{Answer::No, Answer::Yes}, HandOver::Ready, true, {keep, overwrite}},
      {{Answer::No, Answer::No}, HandOver::Ready, false, {keep, overwrite}},
      {{Answer::Cancel}, HandOver::Stopped, true, {keep}},
  };
  for (const Case& c : cases) {
    m_messages.clear();
    m_messages.script(c.answers);
    EXPECT_EQ(prepare(), c.outcome);
    EXPECT_EQ(m_messages.texts(), c.questions);
    EXPECT_EQ(context().newText, c.newText) << c.questions.size();
  }
}

TEST_F(QuoteVersionsTest, AFinalTextIsRefusedAReadOnlyOneIsNot) {
  test::writeFile(path("A1.dotx"), "template");
  const QString doc = path("00005_01.AB");
  test::writeFile(doc, "text", test::kReadOnlyArchived);
  EXPECT_EQ(prepare(), HandOver::Stopped);
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le fichier " + doc +
                        " est vérrouillé en lecture seule...\nIl ne devrait plus être modifié. "
                        "Il convient de créer une nouvelle version du devis ..."});
  m_messages.clear();
  QFile::setPermissions(doc, test::kReadOnly);
  m_messages.script({Answer::Yes});
  EXPECT_EQ(prepare(), HandOver::Ready);
  EXPECT_EQ(m_messages.texts(), QStringList{"Voulez-vous conserver le texte existant ?"});
  EXPECT_FALSE(context().newText);
}

TEST_F(QuoteVersionsTest, TheCompositionsModesAreWrittenBackWhenTheyDiffer) {
  test::insertVersion(m_db, 0, "", "R");
  m_state->quote.tarMat = "R";  // the default the empty stored mode was composed with
  m_state->quote.tarMo = "R";
  EXPECT_TRUE(QuoteVersions::writeBackModes(*m_state, "AB", 5, 0));
  EXPECT_EQ(field(0, "TDEV_TARMAT") + field(0, "TDEV_TARMO"), "RR");
  EXPECT_FALSE(QuoteVersions::writeBackModes(*m_state, "AB", 5, 0));
  m_state->quote.tarMo = "V";
  EXPECT_TRUE(QuoteVersions::writeBackModes(*m_state, "AB", 5, 0));
  EXPECT_EQ(field(0, "TDEV_TARMO"), "V");
  EXPECT_FALSE(QuoteVersions::writeBackModes(*m_state, "AB", 5, 7)) << "no such version";
}

}  // namespace
}  // namespace tarovent::dossiers
