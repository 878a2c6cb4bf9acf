#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "core/SchemaUpgrade.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "server/FamilyOnServer.h"
#include "ui/MessageFunnel.h"

using namespace tarovent;

namespace {

// Tables of a new installation whose composite keys the program seeks on, one per file.
struct TableCase {
  const char* file;
  const char* table;
  const char* index;
  const char* key;
};

const TableCase kTables[] = {
    {"../DBPATH.MDB", "TPATH", "PrimaryKey", "TPATH_NUM"},
    {"TAROVENT.MDB", "TDEV", "Primarykey", "TDEV_SOC TDEV_NUMDOSS TDEV_NSEQ"},
    {"CORVELIN.MDB", "TLIEN", "PrimaryKey", "TLIEN_PERE TLIEN_VARPERE TLIEN_FILS TLIEN_VARFILS"},
    {"PALUNDA.MDB", "TCLI_CONTACT", "PrimaryKey", "TCLI_CONTACT_CodCli TCLI_CONTACT_Num"},
    {"DAVRISET.MDB", "TGAM", "PrimaryKey", "TGAM_Codart TGAM_Vargam TGAM_Numope"},
    {"TARIFS.MDB", "TTRF", "PrimaryKey", "TTRF_CODFOURN TTRF_REFFOURN"},
    {"ACHATS.MDB", "TCMD_DETAIL", "PrimaryKey", "TCMD_DETAIL_NumCmde TCMD_DETAIL_NumLig"},
    {"SIGNETS.MDB", "TSIGNETS", "PrimaryKey", "SIGNETS_Appli SIGNETS_nomdot SIGNETS_nomsignet"},
};

QStringList words(const char* text) {
  return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts);
}

class NewInstallation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir;
    s_server.make();
    s_server.use();
    s_layout = install::initFamily(s_dir->filePath("fam"), true);
    db::setDefaultServer({});
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
    s_server.drop();
  }
  void SetUp() override { s_server.use(); }
  static inline tarovent::test::SuiteServer s_server;
  static QTemporaryDir* s_dir;
  static install::FamilyLayout s_layout;
};
QTemporaryDir* NewInstallation::s_dir = nullptr;
install::FamilyLayout NewInstallation::s_layout;

TEST_F(NewInstallation, EveryDatabaseHasItsKeys) {
  db::Workspace ws;
  for (const TableCase& c : kTables) {
    SCOPED_TRACE(std::string(c.file) + " " + c.table);
    db::Database db = ws.OpenDatabase(s_layout.dataFolder + c.file, true);
    ASSERT_TRUE(db.hasTable(c.table));
    const db::TableDef def = db.tableDef(c.table);
    const db::IndexSpec* key = nullptr;
    for (const auto& ix : def.Indexes())
      if (ix.name == QLatin1String(c.index)) key = &ix;
    ASSERT_NE(key, nullptr) << "index " << c.index;
    EXPECT_TRUE(key->primary);
    EXPECT_EQ(key->fields, words(c.key));
  }
}

TEST_F(NewInstallation, KeysRefuseDuplicatesIgnoringCaseAndCountersNumber) {
  db::Workspace ws;
  db::Database main = ws.OpenDatabase(s_layout.dataFolder + "TAROVENT.MDB");
  main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('ab', 1, 'X')");
  main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('ab', 2, 'X')");
  EXPECT_ANY_THROW(
      main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('AB', 1, 'Y')"));
  db::Recordset rs = main.OpenRecordset("select TDOS_NUMDOS from TDOS order by TDOS_NUMDOSS");
  EXPECT_EQ(rs.number("TDOS_NUMDOS"), 1);
  rs.MoveNext();
  EXPECT_EQ(rs.number("TDOS_NUMDOS"), 2);
  main.Execute("delete * from TDOS");
}

TEST_F(NewInstallation, CatalogueNamesEveryDatabaseAndTheUpgradeHasNothingToAdd) {
  db::Workspace ws;
  db::Database cat = ws.OpenDatabase(s_layout.root + "DBPATH.MDB", true);
  db::Recordset rs = cat.OpenRecordset("select * from TPATH order by TPATH_NUM");
  QStringList entries;
  for (; !rs.EOF_(); rs.MoveNext()) {
    entries << rs.text("TPATH_NUM") + ":" + rs.text("TPATH_NOMMDB");
    EXPECT_TRUE(ws.exists(rs.text("TPATH_path") + rs.text("TPATH_NOMMDB")));
  }
  EXPECT_EQ(entries, QStringList({"1:CORVELIN.MDB", "2:PALUNDA.MDB", "3:DAVRISET.MDB",
                                  "4:TAROVENT.MDB", "5:TARIFS.MDB", "6:ACHATS.MDB"}));
  EXPECT_TRUE(QFileInfo::exists(s_layout.dataFolder + "VIDE.dotx"));

  db::Database main = ws.OpenDatabase(s_layout.dataFolder + "TAROVENT.MDB");
  ui::ScriptedResponder messages;
  QString log;
  EXPECT_FALSE(core::Mise_A_Niveau(main, messages, log));
  EXPECT_TRUE(messages.texts().isEmpty());
}

TEST(NewInstallationWithoutSiblings, HoldsOnlyTheProgramsOwnDatabases) {
  QTemporaryDir dir;
  const auto layout = install::initFamily(dir.filePath("seul"), false);
  db::Workspace ws;
  EXPECT_FALSE(ws.exists(layout.dataFolder + "PALUNDA.MDB"));
  EXPECT_FALSE(ws.exists(layout.dataFolder + "BASEDOC.MDB"));
  EXPECT_TRUE(ws.exists(layout.dataFolder + "SIGNETS.MDB"));
  db::Database cat = ws.OpenDatabase(layout.root + "DBPATH.MDB", true);
  EXPECT_EQ(cat.OpenRecordset("TPATH", db::RecordsetType::Table).RecordCount(), 1);
  EXPECT_THROW(install::initFamily(dir.filePath("seul"), false), std::runtime_error);
}

}  // namespace
