
#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

using SchemaTest = DbTest;

TEST_F(SchemaTest, CreateTableReportsEveryFieldProperty) {
  exec(
      "CREATE TABLE TPAR (TPAR_ID COUNTER, TPAR_Ver TEXT(10), TPAR_NOTE MEMO, TPAR_N LONG "
      "DEFAULT 0, TPAR_S SHORT, TPAR_B BYTE, TPAR_D DOUBLE, TPAR_F SINGLE, TPAR_C CURRENCY, "
      "TPAR_DT DATETIME, TPAR_OK YESNO DEFAULT False, CONSTRAINT PrimaryKey PRIMARY KEY "
      "(TPAR_ID))");
  const TableDef def = m_db.tableDef("tpar");
  EXPECT_EQ(def.Name(), "TPAR");
  ASSERT_EQ(def.Fields().size(), 11);
  struct Expect {
    const char* name;
    FieldType type;
    int size;
  };
  const Expect expected[] = {
      {"TPAR_ID", FieldType::Long, 4},    {"TPAR_Ver", FieldType::Text, 10},
      {"TPAR_NOTE", FieldType::Memo, 0},  {"TPAR_N", FieldType::Long, 4},
      {"TPAR_S", FieldType::Integer, 2},  {"TPAR_B", FieldType::Byte, 1},
      {"TPAR_D", FieldType::Double, 8},   {"TPAR_F", FieldType::Single, 4},
      {"TPAR_C", FieldType::Currency, 8}, {"TPAR_DT", FieldType::Date, 8},
      {"TPAR_OK", FieldType::Boolean, 1},
  };
  for (int i = 0; i < 11; ++i) {
    const FieldSpec& f = def.Fields()[i];
    EXPECT_EQ(f.name, expected[i].name);
    EXPECT_EQ(f.type, expected[i].type) << f.name.toStdString();
    EXPECT_EQ(f.effectiveSize(), expected[i].size) << f.name.toStdString();
  }
  EXPECT_TRUE(def.Field("TPAR_ID").attributes() & attr::AutoIncrement);
  EXPECT_EQ(def.Field("TPAR_OK").defaultValue, "False");
  EXPECT_EQ(def.Field("TPAR_N").defaultValue, "0");
  EXPECT_TRUE(def.Field("TPAR_Ver").allowZeroLength);
  ASSERT_EQ(def.Indexes().size(), 1);
  EXPECT_TRUE(def.Indexes()[0].primary);
  EXPECT_DB_ERROR(exec("CREATE TABLE TPAR (X LONG)"), err::TableExists);

  // Defaults and the counter apply to new records.
  Recordset rs = m_db.OpenRecordset("TPAR");
  rs.AddNew();
  rs.setValue("TPAR_Ver", "9.5");
  rs.Update();
  rs.MoveFirst();
  EXPECT_EQ(rs.value("TPAR_ID").toInt(), 1);
  EXPECT_EQ(rs.value("TPAR_OK").toBool(), false);
  EXPECT_EQ(rs.value("TPAR_N").toInt(), 0);
}

TEST_F(SchemaTest, TableDefAppendedWithFieldsAndIndexes) {
  TableDef def("TMACRO");
  def.addField(TableDef::CreateField("TMACRO_NOM", FieldType::Text, 30));
  def.addField(TableDef::CreateField("TMACRO_TOUCHES", FieldType::Memo));
  FieldSpec strict = TableDef::CreateField("TMACRO_CODE", FieldType::Text, 5);
  strict.allowZeroLength = false;
  def.addField(strict);
  IndexSpec pk{"PrimaryKey", {"TMACRO_NOM"}, {false}, true, true};
  IndexSpec uniq{"CODE", {"TMACRO_CODE"}, {false}, true, false};
  def.addIndex(pk);
  def.addIndex(uniq);
  m_db.appendTableDef(def);
  const TableDef back = m_db.tableDef("TMACRO");
  EXPECT_FALSE(back.Field("TMACRO_CODE").allowZeroLength);
  ASSERT_EQ(back.Indexes().size(), 2);
  exec("INSERT INTO TMACRO VALUES ('F2', 'abc', 'X')");
  EXPECT_DB_ERROR(exec("INSERT INTO TMACRO VALUES ('F3', 'abc', 'x')"), err::DuplicateKey);
  EXPECT_DB_ERROR(exec("INSERT INTO TMACRO VALUES ('F4', 'abc', '')"), err::ZeroLengthNotAllowed);
  EXPECT_DB_ERROR(exec("INSERT INTO TMACRO VALUES ('f2', 'abc', 'Y')"), err::DuplicateKey);
}

TEST_F(SchemaTest, FieldsAppendedToTablesWithRows) {
  exec("CREATE TABLE TDOS (TDOS_SOC TEXT(2), TDOS_NUMDOSS LONG)");
  for (int i = 0; i < 5; ++i) exec(QStringLiteral("INSERT INTO TDOS VALUES ('A', %1)").arg(10 - i));

  FieldSpec counter = TableDef::CreateField("TDOS_NUMDOS", FieldType::Long);
  counter.autoIncrement = true;
  m_db.appendField("TDOS", counter);
  EXPECT_EQ(column("select TDOS_NUMDOS from TDOS order by TDOS_NUMDOSS DESC", "TDOS_NUMDOS"),
            QStringList({"1", "2", "3", "4", "5"}));
  exec("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('B', 1)");
  EXPECT_EQ(column("select TDOS_NUMDOS from TDOS where TDOS_SOC = 'B'", "TDOS_NUMDOS"),
            QStringList({"6"}));

  FieldSpec flag = TableDef::CreateField("TDOS_Desactive", FieldType::Boolean);
  flag.defaultValue = "False";
  m_db.appendField("TDOS", flag);
  EXPECT_EQ(m_db.tableDef("TDOS").Field("TDOS_Desactive").defaultValue, "False");
  EXPECT_EQ(column("select * from TDOS where TDOS_Desactive = false", "TDOS_SOC").size(), 6);

  // A default the engine computes needs a rebuilt table; rows and counter survive it.
  FieldSpec created = TableDef::CreateField("TDOS_CREE", FieldType::Date);
  created.defaultValue = "Date()";
  m_db.appendField("TDOS", created);
  exec("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('C', 1)");
  EXPECT_EQ(column("select TDOS_NUMDOS from TDOS where TDOS_SOC = 'C'", "TDOS_NUMDOS"),
            QStringList({"7"}));
  EXPECT_EQ(column("select TDOS_CREE from TDOS where TDOS_SOC = 'C'", "TDOS_CREE"),
            QStringList({QDate::currentDate().toString(Qt::ISODate)}));

  EXPECT_DB_ERROR(m_db.appendField("TDOS", flag), 3191);
}

TEST_F(SchemaTest, AlterDropIndexAndTable) {
  exec("CREATE TABLE T1 (A TEXT(5), B LONG, C DOUBLE)");
  exec("ALTER TABLE T1 ADD COLUMN D TEXT(20)");
  exec("ALTER TABLE T1 ADD E YESNO");
  exec("INSERT INTO T1 (A, B, C, D) VALUES ('x', 1, 2.5, 'dd')");
  exec("CREATE UNIQUE INDEX IXB ON T1 (B)");
  EXPECT_DB_ERROR(exec("ALTER TABLE T1 DROP COLUMN B"), 3280);
  exec("ALTER TABLE T1 DROP COLUMN C");
  EXPECT_FALSE(m_db.tableDef("T1").hasField("C"));
  exec("DROP INDEX IXB ON T1");
  exec("ALTER TABLE T1 DROP COLUMN B");
  EXPECT_EQ(column("select * from T1", "D"), QStringList({"dd"}));
  // An index made primary on an existing table: Seek works on it.
  exec("CREATE INDEX PrimaryKey ON T1 (A) WITH PRIMARY");
  Recordset rs = m_db.OpenRecordset("T1");
  rs.setIndex("PrimaryKey");
  rs.Seek("=", "X");
  EXPECT_FALSE(rs.NoMatch());
  rs.Close();
  exec("DROP TABLE T1");
  EXPECT_FALSE(m_db.hasTable("T1"));
  EXPECT_DB_ERROR(exec("DROP TABLE T1"), err::ObjectNotFound);
}

TEST_F(SchemaTest, SavedQueries) {
  exec("CREATE TABLE TDOS (TDOS_SOC TEXT(2), TDOS_NUMDOSS LONG, TDOS_CLIENT TEXT(10))");
  exec("INSERT INTO TDOS VALUES ('AB', 12, 'C01')");
  exec("INSERT INTO TDOS VALUES ('AB', 3, 'C02')");
  m_db.CreateQueryDef("RDOS",
                      "SELECT [TDOS_SOC] & Right('00000' & [TDOS_NUMDOSS],5) AS NUMDEV, TDOS.* "
                      "FROM TDOS;");
  EXPECT_TRUE(m_db.hasQueryDef("rdos"));
  EXPECT_EQ(m_db.QueryDefNames(), QStringList({"RDOS"}));
  Recordset rs = m_db.OpenRecordset("RDOS");
  rs.FindFirst("NUMDEV = 'AB00012'");
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.text("TDOS_CLIENT"), "C01");
  // Other queries read from it.
  EXPECT_EQ(column("select NUMDEV from RDOS order by NUMDEV", "NUMDEV"),
            QStringList({"AB00003", "AB00012"}));
  m_db.CreateQueryDef("PURGE", "delete * from TDOS where TDOS_NUMDOSS < 10");
  EXPECT_EQ(m_db.Execute("PURGE"), 1);
  EXPECT_DB_ERROR(m_db.CreateQueryDef("RDOS", "select * from TDOS"), 3012);
  m_db.DeleteQueryDef("RDOS");
  EXPECT_FALSE(m_db.hasQueryDef("RDOS"));
  EXPECT_FALSE(m_db.TableDefNames().contains("MSysTaroventQueries"));
}

TEST_F(SchemaTest, OpeningMissingOrForeignFilesFails) {
  EXPECT_DB_ERROR(m_ws.OpenDatabase(path("NOPE.MDB")), err::FileNotFound);
  EXPECT_DB_ERROR(m_ws.CreateDatabase(path("TEST.MDB")), 3204);
}

}  // namespace
}  // namespace tarovent::db::test
