#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

class DynasetTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TCLI (TCLI_CODE TEXT(10), TCLI_NOM TEXT(50), TCLI_CA DOUBLE, "
        "TCLI_CREE DATETIME, TCLI_ACTIF YESNO, CONSTRAINT PrimaryKey PRIMARY KEY (TCLI_CODE))");
    exec("CREATE TABLE TCLI_CONTACT (TCLI_CONTACT_CodCli TEXT(10), TCLI_CONTACT_Nom TEXT(50))");
    const char* rows[] = {
        "'C01', 'Ateliers d''Épinal', 1200, #01/15/2026#, True",
        "'C02', 'Bâtiments Rémois', 300.5, #03/02/2025#, False",
        "'C03', 'clinique du Lac', Null, Null, True",
        "'C04', 'Dupont & Fils', 50, #12/31/2025#, True",
    };
    for (const char* r : rows) exec(QStringLiteral("INSERT INTO TCLI VALUES (%1)").arg(r));
    exec("INSERT INTO TCLI_CONTACT VALUES ('C01', 'D''Artagnan')");
    exec("INSERT INTO TCLI_CONTACT VALUES ('C01', 'Porthos')");
    exec("INSERT INTO TCLI_CONTACT VALUES ('C04', 'Aramis')");
  }
};

TEST_F(DynasetTest, FindNextPreviousLastAndNoMatchKeepsPosition) {
  Recordset rs = m_db.OpenRecordset("select * from TCLI order by TCLI_CODE");
  rs.FindFirst("TCLI_ACTIF = True");
  EXPECT_EQ(rs.text("TCLI_CODE"), "C01");
  rs.FindNext("TCLI_ACTIF = True");
  EXPECT_EQ(rs.text("TCLI_CODE"), "C03");
  rs.FindLast("TCLI_ACTIF = True");
  EXPECT_EQ(rs.text("TCLI_CODE"), "C04");
  rs.FindPrevious("TCLI_ACTIF = True");
  EXPECT_EQ(rs.text("TCLI_CODE"), "C03");
  rs.FindNext("TCLI_CODE = 'C01'");
  EXPECT_TRUE(rs.NoMatch());
  EXPECT_EQ(rs.text("TCLI_CODE"), "C03");
  // Stored dates, yes/no values, Nulls and accents compare as the criteria read them.
  rs.FindFirst("TCLI_CREE < #01/01/2026# And Not TCLI_ACTIF");
  EXPECT_EQ(rs.text("TCLI_CODE"), "C02");
  rs.FindFirst("TCLI_CA Is Null Or TCLI_NOM = 'ateliers d''épinal'");
  EXPECT_EQ(rs.text("TCLI_CODE"), "C01");
  EXPECT_DB_ERROR(rs.FindFirst("TCLI_NOPE = 1"), err::ItemNotFound);
}

TEST_F(DynasetTest, EditsGoToTheTableAndBookmarksSurvive) {
  Recordset rs = m_db.OpenRecordset("select * from TCLI where TCLI_ACTIF = True order by TCLI_NOM");
  ASSERT_TRUE(rs.Updatable());
  EXPECT_EQ(rs.RecordCount(), 3);
  rs.FindFirst("TCLI_CODE = 'C03'");
  const QByteArray c03 = rs.Bookmark();
  rs.Edit();
  rs.setValue("TCLI_CA", 777);
  rs.Update();
  EXPECT_EQ(rs.number("TCLI_CA"), 777);

  rs.MoveFirst();
  rs.Delete();  // C01, another row than the bookmarked one
  rs.setBookmark(c03);
  EXPECT_EQ(rs.text("TCLI_CODE"), "C03");
  EXPECT_EQ(rs.RecordCount(), 2);

  rs.AddNew();
  rs.setValue("TCLI_CODE", "C05");
  rs.setValue("TCLI_NOM", "Zinc et Cie");
  rs.setValue("TCLI_ACTIF", true);
  rs.Update();
  rs.setBookmark(rs.LastModified());
  EXPECT_EQ(rs.text("TCLI_NOM"), "Zinc et Cie");
  rs.MoveLast();
  EXPECT_EQ(rs.text("TCLI_CODE"), "C05");  // added records come last

  EXPECT_EQ(column("select TCLI_CODE, TCLI_CA from TCLI order by TCLI_CODE", "TCLI_CA"),
            QStringList({"300.5", "777", "50", "<null>"}));
  // The walk skips the deleted row.
  QStringList codes;
  for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) codes << rs.text("TCLI_CODE");
  EXPECT_EQ(codes, QStringList({"C03", "C04", "C05"}));
}

TEST_F(DynasetTest, OnlyATableUnderAnAliasIsUpdatable) {
  Recordset aliased = m_db.OpenRecordset("SELECT C.* FROM TCLI AS C WHERE C.TCLI_CODE = 'C02'");
  aliased.Edit();
  aliased.setValue("TCLI_NOM", "Bâtiments de Reims");
  aliased.Update();
  EXPECT_EQ(column("select * from TCLI where TCLI_CODE = 'C02'", "TCLI_NOM"),
            QStringList({"Bâtiments de Reims"}));

  Recordset rs = m_db.OpenRecordset(
      "SELECT TCLI.TCLI_NOM, TCLI_CONTACT.TCLI_CONTACT_Nom FROM TCLI INNER JOIN TCLI_CONTACT ON "
      "TCLI.TCLI_CODE = TCLI_CONTACT.TCLI_CONTACT_CodCli ORDER BY TCLI_CONTACT_Nom");
  EXPECT_FALSE(rs.Updatable());
  EXPECT_EQ(rs.RecordCount(), 3);
  EXPECT_EQ(rs.text("TCLI_CONTACT.TCLI_CONTACT_Nom"), "Aramis");
  EXPECT_EQ(rs.text("TCLI_NOM"), "Dupont & Fils");
  EXPECT_DB_ERROR(rs.Edit(), err::ReadOnly);

  Recordset calc = m_db.OpenRecordset("SELECT TCLI_CODE, TCLI_CA * 2 AS DOUBLE_CA FROM TCLI");
  calc.Edit();
  EXPECT_DB_ERROR(calc.setValue("DOUBLE_CA", 3), 3164);
  calc.CancelUpdate();
}

TEST_F(DynasetTest, ValuesComeBackWithTheirTypes) {
  Recordset rs = m_db.OpenRecordset("select * from TCLI where TCLI_CODE = 'C01'");
  EXPECT_EQ(rs.value("TCLI_CREE").typeId(), QMetaType::QDate);
  EXPECT_EQ(rs.value("TCLI_CREE").toDate(), QDate(2026, 1, 15));
  EXPECT_EQ(rs.value("TCLI_ACTIF").typeId(), QMetaType::Bool);
  EXPECT_TRUE(rs.flag("TCLI_ACTIF"));
  EXPECT_EQ(rs.value("TCLI_CA").toDouble(), 1200);
  Recordset nulls = m_db.OpenRecordset("select * from TCLI where TCLI_CODE = 'C03'");
  EXPECT_TRUE(nulls.value("TCLI_CA").isNull());
  EXPECT_EQ(nulls.text("TCLI_CA"), "");
  EXPECT_EQ(nulls.number("TCLI_CA"), 0);
}

TEST_F(DynasetTest, EmptyResultAndClone) {
  Recordset rs = m_db.OpenRecordset("select * from TCLI where TCLI_CODE < ''");
  EXPECT_TRUE(rs.BOF());
  EXPECT_TRUE(rs.EOF_());
  EXPECT_EQ(rs.RecordCount(), 0);
  EXPECT_DB_ERROR(rs.MoveNext(), err::NoCurrentRecord);

  Recordset all = m_db.OpenRecordset("select * from TCLI order by TCLI_CODE");
  all.MoveLast();
  Recordset copy = all.Clone();
  copy.setBookmark(all.Bookmark());
  EXPECT_EQ(copy.text("TCLI_CODE"), "C04");
  copy.MoveFirst();
  EXPECT_EQ(all.text("TCLI_CODE"), "C04");
  EXPECT_EQ(all.AbsolutePosition(), 3);
  all.Requery();
  EXPECT_EQ(all.text("TCLI_CODE"), "C01");
}

TEST_F(DynasetTest, ActionQueryCannotBeOpenedAndTableTypeNeedsATable) {
  EXPECT_DB_ERROR(m_db.OpenRecordset("delete * from TCLI"), err::InvalidOperation);
  EXPECT_DB_ERROR(m_db.OpenRecordset("select * from TCLI", RecordsetType::Table),
                  err::InvalidOperation);
  EXPECT_DB_ERROR(m_db.OpenRecordset("TNOPE"), 3078);
}

}  // namespace
}  // namespace tarovent::db::test
