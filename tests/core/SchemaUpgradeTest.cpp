#include "CoreTestSupport.h"
#include "core/SchemaUpgrade.h"

namespace tarovent::core::test {
namespace {

class SchemaUpgradeTest : public FamilyTest {
 protected:
  bool upgrade(QString& log) {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(mainFile());
    return Mise_A_Niveau(db, m_messages, log);
  }
};

TEST_F(SchemaUpgradeTest, EveryStepInOrderThenNothingLeft) {
  sql(mainFile(),
      {"DROP TABLE TMP_MAIL", "DROP TABLE TMP_DOS", "DROP TABLE TMP_DEV",
       "ALTER TABLE TSOC DROP COLUMN TSOC_Desactive", "ALTER TABLE TDOS DROP COLUMN TDOS_NUMDOS",
       "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('AB', 1)"});
  QString log;
  EXPECT_TRUE(upgrade(log));
  EXPECT_EQ(log,
            "\n- Ajout champ TSOC_Desactive - Table : TSOC\n- Ajout champ TDOS_NUMDOS - "
            "Table : TDOS\n- Ajout table TMP_DOS\n- Ajout table TMP_DEV");
  EXPECT_EQ(m_messages.texts(),
            QStringList({"Une mise à jour de structure des données a été effectuée.\n" + log +
                         "\n\nL'application doit être redémarrée..."}));
  db::Workspace ws;
  db::Database db = ws.OpenDatabase(mainFile());
  const db::TableDef mail = db.tableDef("TMP_MAIL");
  ASSERT_EQ(mail.Fields().size(), 7);
  EXPECT_EQ(mail.Fields()[4].name, "TMAIL_CORPS");
  EXPECT_EQ(mail.Field("TMAIL_ADRESSE").effectiveSize(), 255);
  EXPECT_TRUE(mail.Field("TMAIL_SUJET").allowZeroLength);
  EXPECT_EQ(db.tableDef("TSOC").Field("TSOC_Desactive").defaultValue, "False");
  EXPECT_TRUE(db.tableDef("TDOS").Field("TDOS_NUMDOS").autoIncrement);
  // The dossiers' fields, none of their rows (a dossier always has its company).
  EXPECT_EQ(db.tableDef("TMP_DOS").Fields().size(), db.tableDef("TDOS").Fields().size());
  EXPECT_EQ(db.OpenRecordset("TMP_DOS").RecordCount(), 0);
  db.Close();

  // Complete now: nothing to do, nothing said.
  QString again;
  m_messages.clear();
  EXPECT_FALSE(upgrade(again));
  EXPECT_TRUE(again.isEmpty());
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

// The quote guard's threshold and price memory come to an older database like the rest; the
// threshold starts at 0, which leaves the margin unchecked.
TEST_F(SchemaUpgradeTest, AddsTheMarginThresholdAndThePriceMemory) {
  sql(mainFile(),
      {"ALTER TABLE TPAR DROP COLUMN TPAR_SEUILMARGE", "DROP TABLE TMEMPRIX", "DROP TABLE TENVOI"});
  QString log;
  EXPECT_TRUE(upgrade(log));
  EXPECT_EQ(log,
            "\n- Ajout champ TPAR_SEUILMARGE - Table : TPAR\n- Ajout table TMEMPRIX\n- Ajout "
            "table TENVOI");
  db::Workspace ws;
  db::Database db = ws.OpenDatabase(mainFile());
  EXPECT_EQ(db.OpenRecordset("select TPAR_SEUILMARGE from TPAR").number("TPAR_SEUILMARGE"), 0);
  EXPECT_EQ(db.tableDef("TMEMPRIX").Fields().size(), 10);
  EXPECT_EQ(db.tableDef("TENVOI").Fields().size(), 5);
  db.Close();
  QString again;
  EXPECT_FALSE(upgrade(again));
}

TEST_F(SchemaUpgradeTest, EngineErrorSelectsTheOtherMessage) {
  // Without TDOS the copy into TMP_DOS fails; the next step still runs.
  sql(mainFile(), {"DROP TABLE TMP_DOS", "DROP TABLE TMP_DEV", "DROP TABLE TDOS"});
  QString log;
  EXPECT_TRUE(upgrade(log));
  EXPECT_TRUE(log.contains("- Ajout table TMP_DEV"));
  const QString said = m_messages.texts().join('|');
  EXPECT_TRUE(said.startsWith("Une mise à jour de structure doit être effectuée."));
  EXPECT_TRUE(said.endsWith("Cela impose que tous les utilisateurs quittent MILOSTAR..."));
}

}  // namespace
}  // namespace tarovent::core::test
