#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

// Recordsets keep their statements and field lookups from one row to the next: what they
// keep must follow the fields each write gives and the table as it is now.
class StatementCacheTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE T (K TEXT(5), N LONG DEFAULT 7, C DOUBLE, CONSTRAINT PrimaryKey PRIMARY "
        "KEY (K))");
  }

  void add(Recordset& rs, const QString& k, const QVariant& n = {}, const QVariant& c = {}) {
    rs.AddNew();
    rs.setValue("K", k);
    if (n.isValid()) rs.setValue("N", n);
    if (c.isValid()) rs.setValue("C", c);
    rs.Update();
  }

  QStringList rows() { return column("select K & ':' & N & ':' & C as R from T order by K", "R"); }
};

TEST_F(StatementCacheTest, EachWriteSetsExactlyTheFieldsItWasGiven) {
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  add(rs, "A", 1, 1.5);
  add(rs, "B");  // N takes its default, C stays Null
  add(rs, "C", QVariant(), 2.5);
  add(rs, "D", 4);
  EXPECT_EQ(rows(), QStringList({"A:1:1.5", "B:7:", "C:7:2.5", "D:4:"}));
  // Edits of different fields, row after row, in one transaction and outside one.
  for (bool inTransaction : {true, false}) {
    if (inTransaction) m_ws.BeginTrans();
    rs.MoveFirst();
    for (int i = 0; !rs.EOF_(); ++i, rs.MoveNext()) {
      rs.Edit();
      if (i % 2 == 0)
        rs.setValue("N", rs.value("N").toInt() + 10);
      else
        rs.setValue("C", 9);
      rs.Update();
    }
    if (inTransaction) m_ws.CommitTrans();
  }
  EXPECT_EQ(rows(), QStringList({"A:21:1.5", "B:7:9", "C:27:2.5", "D:4:9"}));
}

TEST_F(StatementCacheTest, AHeldRecordsetWritesOnWhileItsTableChanges) {
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  add(rs, "A", 1, 1.0);
  rs.Seek("=", "A");
  rs.Edit();
  rs.setValue("N", 2);
  rs.Update();
  // A field added: rows written through the recordset get its default.
  exec("ALTER TABLE T ADD COLUMN D TEXT(5) DEFAULT 'x'");
  add(rs, "B", 3, 2.0);
  rs.Seek("=", "A");
  rs.Edit();
  rs.setValue("N", 4);
  rs.Update();
  EXPECT_EQ(column("select K & D as R from T order by K", "R"), QStringList({"Ax", "Bx"}));
  // The table rebuilt under the recordset, its primary key made again.
  exec("ALTER TABLE T DROP CONSTRAINT PrimaryKey");
  exec("CREATE INDEX PrimaryKey ON T (K) WITH PRIMARY");
  add(rs, "C", 5, 3.0);
  rs.Seek("=", "B");
  ASSERT_FALSE(rs.NoMatch());
  rs.Edit();
  rs.setValue("C", 6.5);
  rs.Update();
  EXPECT_EQ(rows(), QStringList({"A:4:1", "B:3:6.5", "C:5:3"}));
  EXPECT_DB_ERROR(add(rs, "A"), err::DuplicateKey);
  // A field the recordset has gone: its writes fail with the engine's error, nothing else.
  exec("ALTER TABLE T DROP COLUMN C");
  try {
    rs.MoveFirst();
    rs.Edit();
    rs.setValue("N", 8);
    rs.Update();
    ADD_FAILURE() << "a recordset over a dropped field wrote";
  } catch (const DbError& e) {
    EXPECT_NE(e.number(), 0);
  }
  Recordset fresh = m_db.OpenRecordset("T", RecordsetType::Table);
  fresh.setIndex("PrimaryKey");
  add(fresh, "E", 9);
  EXPECT_EQ(column("select K & ':' & N as R from T order by K", "R"),
            QStringList({"A:4", "B:3", "C:5", "E:9"}));
}

TEST_F(StatementCacheTest, ARecordsetReusedAfterRequeryOrAnIndexChange) {
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  add(rs, "B", 1);
  rs.Requery();
  add(rs, "A", 2);
  rs.MoveFirst();
  EXPECT_EQ(at(rs, "K"), "A");
  rs.Edit();
  rs.setValue("N", 3);
  rs.Update();
  exec("CREATE INDEX ByN ON T (N)");
  rs.setIndex("ByN");
  rs.Seek(">=", 2);
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(at(rs, "K"), "A");
  EXPECT_EQ(rows(), QStringList({"A:3:", "B:1:"}));
}

// Field names however spelt, looked up again after the field list has changed.
TEST_F(StatementCacheTest, FieldNamesFollowTheFieldsAfterRequery) {
  exec("INSERT INTO T (K, N, C) VALUES ('A', 1, 2.5)");
  Recordset rs = m_db.OpenRecordset("select * from T");
  for (const char* name : {"N", "n", " [N] ", "T.N", "[t].[n]"})
    EXPECT_EQ(rs.fieldIndex(name), 1) << name;
  EXPECT_EQ(rs.fieldIndex("D"), -1);
  EXPECT_DB_ERROR(rs.value("D"), err::ItemNotFound);
  EXPECT_DB_ERROR(rs.value("D"), err::ItemNotFound);
  exec("ALTER TABLE T DROP COLUMN N");
  exec("ALTER TABLE T ADD COLUMN D TEXT(5) DEFAULT 'x'");
  exec("UPDATE T SET D = 'y'");
  rs.Requery();
  EXPECT_EQ(rs.fieldIndex("N"), -1);
  EXPECT_EQ(rs.fieldIndex("C"), 1);
  EXPECT_EQ(rs.value("C").toDouble(), 2.5);
  EXPECT_EQ(at(rs, "D"), "y");
  EXPECT_EQ(at(rs, "[d]"), "y");
}

// Many rows through one INSERT: converted like a recordset's values, refused rows reported,
// and the whole undone with the transaction around it.
TEST_F(StatementCacheTest, ARowInserterWritesConvertedRowsAndRefusesWhatTheTableCannotTake) {
  EXPECT_THROW(RowInserter(m_db, "T", {"K", "Absent"}), DbError);
  {
    RowInserter ins(m_db, "T", {"k", "N", "C"});
    ins.add({"A", "12", 1.5});
    ins.add({"B", QVariant(), 2});
    EXPECT_THROW(ins.add({"A", 1, 1}), DbError);  // the key is taken
    EXPECT_THROW(ins.add({"C", 1}), DbError);     // one value short
    ins.add({"C", 2.6, 0.25});                    // rounded as a Long
  }
  EXPECT_EQ(rows(), (QStringList{"A:12:1.5", "B::2", "C:3:0.25"}));
  {
    TransactionGuard g(m_db);
    RowInserter ins(m_db, "T", {"K"});
    for (const char* k : {"D", "E", "F"}) ins.add({k});
  }
  EXPECT_EQ(rows().size(), 3);
  // One inserter across a schema change (its statement finalized) and a transaction begun
  // between two rows (which must hold the second one).
  RowInserter ins(m_db, "T", {"K"});
  ins.add({"G"});
  m_db.Execute("CREATE TABLE T2 (X LONG)");
  ins.add({"H"});
  {
    TransactionGuard g(m_db);
    ins.add({"I"});
  }
  EXPECT_EQ(rows().size(), 5);
}

}  // namespace
}  // namespace tarovent::db::test
