#include "CoreTestSupport.h"
#include "core/Translator.h"

namespace tarovent::core::test {
namespace {

class TranslatorTest : public FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    sql(m_layout.dataFolder + "BDTRAD.MDB",
        {"INSERT INTO TTRAD VALUES ('Quitter', 'Quit', Null)",
         "INSERT INTO TTRAD VALUES ('Enregistrez ou annulez votre saisie', 'Save or cancel "
         "your input', Null)",
         "INSERT INTO TTRAD VALUES ('Enregistrez ou annulez d''abord votre saisie', 'First save "
         "or cancel your input', Null)",
         "INSERT INTO TTRAD VALUES ('Gestion des &devis', 'Manage &quotes', 'Gestion')"});
  }

  void start(const QByteArray& ini) {
    writeIni(ini);
    Catalogue c(*m_state);
    openBases(c);
  }
};

// Language 0, a language whose column is empty, and one without a column change nothing.
TEST_F(TranslatorTest, WithoutALanguageNothingChanges) {
  sql(m_layout.dataFolder + "BDTRAD.MDB", {"UPDATE TTRAD SET T_TRAD2 = ''"});
  for (const char* ini : {"LANGUE=0\n", "LANGUE=2\n", "LANGUE=7\n"}) {
    start(ini);
    EXPECT_FALSE(m_state->translator().active()) << ini;
    EXPECT_EQ(m_state->Traduire("  Quitter "), "  Quitter ");
  }
}

TEST_F(TranslatorTest, KeepsSpacesAndTellsLongTextsApart) {
  start("LANGUE=1\nFONT=Arial\n");
  const Translator& t = m_state->translator();
  EXPECT_EQ(t.font(), "Arial");
  EXPECT_EQ(t.Traduire("  Quitter "), "  Quit ");
  EXPECT_EQ(t.Traduire("QUITTER"), "Quit");
  // Both texts share their first 20 characters.
  EXPECT_EQ(t.Traduire("Enregistrez ou annulez votre saisie"), "Save or cancel your input");
  EXPECT_EQ(t.Traduire("Enregistrez ou annulez d'abord votre saisie"),
            "First save or cancel your input");
  EXPECT_EQ(t.Traduire("Enregistrez ou annulez autre chose"), "Enregistrez ou annulez autre chose");
  EXPECT_EQ(t.Traduire("Gestion des &devis"), "Manage &quotes");
  EXPECT_EQ(t.Traduire("Inconnu"), "Inconnu");
  EXPECT_EQ(m_messages.tr("Quitter"), "Quit");  // the funnel uses the same table
}

TEST_F(TranslatorTest, MissingTranslationDatabaseEndsTheProgram) {
  ASSERT_TRUE(db::Workspace().deleteDatabase(m_layout.dataFolder + "BDTRAD.MDB"));
  writeIni("LANGUE=1\n");
  Catalogue c(*m_state);
  ASSERT_TRUE(c.Lire_Catalogue());
  bool fatal = false;
  EXPECT_FALSE(c.Ouvrir_Bases(fatal));
  EXPECT_TRUE(fatal);
  EXPECT_EQ(m_messages.texts().value(m_messages.texts().size() - 1),
            "Base de traduction non trouvée (Translation database not found)");
}

}  // namespace
}  // namespace tarovent::core::test
