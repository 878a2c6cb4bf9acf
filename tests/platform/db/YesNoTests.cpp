#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// Yes/No fields hold the engine's True, -1, wherever it is written or read.
class YesNoTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TTYP (TTYP_CODE TEXT(10), TTYP_LIB TEXT(50), TTYP_Desactive YESNO "
        "DEFAULT False, TTYP_Gras YESNO DEFAULT True)");
    exec("INSERT INTO TTYP (TTYP_CODE, TTYP_LIB, TTYP_Desactive) VALUES ('A', 'Alpha', True)");
    exec("INSERT INTO TTYP (TTYP_CODE, TTYP_LIB, TTYP_Desactive) VALUES ('B', 'Beta', False)");
    Recordset rs = m_db.OpenRecordset("TTYP", RecordsetType::Table);
    rs.AddNew();
    rs.setValue("TTYP_CODE", "C");
    rs.setValue("TTYP_LIB", "Gamma");
    rs.setValue("TTYP_Desactive", true);
    rs.Update();
    rs.AddNew();
    rs.setValue("TTYP_CODE", "D");
    rs.setValue("TTYP_LIB", "Delta");
    rs.Update();
  }
};

// Stored, defaulted and computed alike.
TEST_F(YesNoTest, TrueIsMinusOneInStorageAndSql) {
  EXPECT_EQ(column("select TTYP_Desactive + 0 as X from TTYP order by TTYP_CODE", "X"),
            QStringList({"-1", "0", "-1", "0"}));
  EXPECT_EQ(column("select TTYP_Gras + 0 as X from TTYP order by TTYP_CODE", "X"),
            QStringList({"-1", "-1", "-1", "-1"}));
  EXPECT_EQ(column("select (TTYP_CODE > 'B') as F from TTYP order by TTYP_CODE", "F"),
            QStringList({"0", "0", "-1", "-1"}));
  EXPECT_EQ(column("select TTYP_CODE In ('A', 'B') as F from TTYP order by TTYP_CODE", "F"),
            QStringList({"-1", "-1", "0", "0"}));
}

TEST_F(YesNoTest, EveryWayOfAskingForTrueAgrees) {
  const QStringList inactive = {"A", "C"};
  for (const char* where : {"TTYP_Desactive = -1", "TTYP_Desactive = True", "TTYP_Desactive <> 0",
                            "TTYP_Desactive", "Not TTYP_Desactive = False"}) {
    EXPECT_EQ(
        column(QStringLiteral("select TTYP_CODE from TTYP where %1 order by TTYP_CODE").arg(where),
               "TTYP_CODE"),
        inactive)
        << where;
    for (const char* source : {"select * from TTYP order by TTYP_CODE", "TTYP"}) {
      Recordset rs = m_db.OpenRecordset(source, RecordsetType::Dynaset);
      QStringList found;
      rs.FindFirst(where);
      while (!rs.NoMatch()) {
        found << at(rs, "TTYP_CODE");
        rs.FindNext(where);
      }
      EXPECT_EQ(found, inactive) << where << " in " << source;
    }
  }
  EXPECT_EQ(column("select TTYP_CODE from TTYP where TTYP_Desactive = 1", "TTYP_CODE"),
            QStringList{});
}

TEST_F(YesNoTest, ADescendingSortListsActiveTypesFirst) {
  EXPECT_EQ(column("select TTYP_LIB from TTYP order by TTYP_Desactive DESC, TTYP_LIB", "TTYP_LIB"),
            QStringList({"Beta", "Delta", "Alpha", "Gamma"}));
  exec("CREATE INDEX IXD ON TTYP (TTYP_Desactive DESC, TTYP_LIB)");
  Recordset rs = m_db.OpenRecordset("TTYP", RecordsetType::Table);
  rs.setIndex("IXD");
  EXPECT_EQ(at(rs, "TTYP_LIB"), "Beta");
}

}  // namespace
}  // namespace tarovent::db::test
