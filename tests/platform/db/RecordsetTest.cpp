#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

class TableRecordsetTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TDEV (TDEV_SOC TEXT(2), TDEV_NUMDOSS LONG, TDEV_NSEQ SHORT, "
        "TDEV_NOM TEXT(50), TDEV_MONTANT DOUBLE, CONSTRAINT PrimaryKey PRIMARY KEY "
        "(TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ))");
    // Inserted out of order: the recordset must follow the index, not the insertion.
    const char* rows[] = {"'B', 1, 0, 'Zoé'",    "'A', 2, 1, 'élève'", "'A', 2, 0, 'Bâle'",
                          "'A', 1, 0, 'cerise'", "'B', 3, 0, 'ÉLAN'",  "'A', 5, 2, 'abc'"};
    for (const char* r : rows)
      exec(QStringLiteral("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_NOM) VALUES "
                          "(%1)")
               .arg(r));
  }

  Recordset openByKey() {
    Recordset rs = m_db.OpenRecordset("TDEV", RecordsetType::Table);
    rs.setIndex("PrimaryKey");
    return rs;
  }

  static QString key(const Recordset& rs) {
    return rs.text("TDEV_SOC") + rs.text("TDEV_NUMDOSS") + "/" + rs.text("TDEV_NSEQ");
  }

  static QStringList walk(Recordset& rs) {
    QStringList out;
    rs.MoveFirst();
    while (!rs.EOF_()) {
      out << key(rs);
      rs.MoveNext();
    }
    return out;
  }
};

TEST_F(TableRecordsetTest, FollowsItsIndexAndCountsExactly) {
  Recordset rs = openByKey();
  EXPECT_EQ(walk(rs), QStringList({"A1/0", "A2/0", "A2/1", "A5/2", "B1/0", "B3/0"}));
  EXPECT_EQ(rs.RecordCount(), 6);
  rs.MoveLast();
  QStringList back;
  while (!rs.BOF()) {
    back << key(rs);
    rs.MovePrevious();
  }
  EXPECT_EQ(back, QStringList({"B3/0", "B1/0", "A5/2", "A2/1", "A2/0", "A1/0"}));
}

TEST_F(TableRecordsetTest, SeekOnFullAndLeadingKeys) {
  Recordset rs = openByKey();
  struct Case {
    const char* op;
    QVariantList key;
    const char* expected;  // nullptr: no match
  };
  const Case cases[] = {
      {"=", {"A", 2, 1}, "A2/1"},  {"=", {"a", 2, 1}, "A2/1"},  // case does not matter in keys
      {"=", {"A", 2, 7}, nullptr}, {">=", {"A", 2, 2}, "A5/2"}, {">", {"A", 2, 1}, "A5/2"},
      {"<=", {"A", 2, 5}, "A2/1"}, {"<", {"A", 2, 0}, "A1/0"},  {"<", {"A", 1, 0}, nullptr},
      {"=", {"A"}, "A1/0"},  // leading field only: first of its group
      {">", {"A"}, "A1/0"},  // missing key fields count as lowest
      {"<", {"B"}, "A5/2"},  // last key before every "B"
      {">=", {"A", 3}, "A5/2"},    {"<=", {"A", 2}, "A1/0"},    {">", {"B", 3}, "B3/0"},
      {">", {"B", 4}, nullptr},
  };
  for (const auto& c : cases) {
    rs.Seek(c.op, c.key);
    SCOPED_TRACE(std::string(c.op) + " " + QVariant(c.key).toStringList().join(',').toStdString());
    if (c.expected) {
      ASSERT_FALSE(rs.NoMatch());
      EXPECT_EQ(key(rs), c.expected);
    } else {
      EXPECT_TRUE(rs.NoMatch());
    }
  }
}

TEST_F(TableRecordsetTest, WalksOnFromASeek) {
  Recordset rs = openByKey();
  rs.Seek(">=", "A", 2);
  rs.MoveNext();
  EXPECT_EQ(key(rs), "A2/1");
  rs.Seek("=", "A", 5, 2);
  rs.MoveNext();
  EXPECT_EQ(key(rs), "B1/0");
  rs.MovePrevious();
  rs.MovePrevious();
  EXPECT_EQ(key(rs), "A2/1");
  rs.Seek("<", "B");
  rs.MovePrevious();
  EXPECT_EQ(key(rs), "A2/1");
  rs.MoveNext();
  rs.MoveNext();
  EXPECT_EQ(key(rs), "B1/0");
}

TEST_F(TableRecordsetTest, TextIndexIgnoresCaseAndAccentCase) {
  exec("CREATE INDEX NOM ON TDEV (TDEV_NOM)");
  Recordset rs = m_db.OpenRecordset("TDEV", RecordsetType::Table);
  rs.setIndex("NOM");
  QStringList names;
  while (!rs.EOF_()) {
    names << rs.text("TDEV_NOM");
    rs.MoveNext();
  }
  EXPECT_EQ(names, QStringList({"abc", "Bâle", "cerise", "ÉLAN", "élève", "Zoé"}));
  rs.Seek("=", "ÉLÈVE");
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.text("TDEV_NOM"), "élève");
  rs.Seek("=", "eleve");  // an unaccented e is another letter
  EXPECT_TRUE(rs.NoMatch());
}

TEST_F(TableRecordsetTest, EmptyTableAndMovingPastTheEnds) {
  exec("CREATE TABLE TVIDE (A LONG, CONSTRAINT PrimaryKey PRIMARY KEY (A))");
  Recordset rs = m_db.OpenRecordset("TVIDE");
  EXPECT_TRUE(rs.BOF());
  EXPECT_TRUE(rs.EOF_());
  EXPECT_EQ(rs.RecordCount(), 0);
  EXPECT_DB_ERROR(rs.MoveNext(), err::NoCurrentRecord);
  EXPECT_DB_ERROR(rs.value("A"), err::NoCurrentRecord);
  rs.setIndex("PrimaryKey");
  rs.Seek("=", 1);
  EXPECT_TRUE(rs.NoMatch());

  Recordset full = openByKey();
  full.MoveLast();
  full.MoveNext();
  EXPECT_TRUE(full.EOF_());
  EXPECT_FALSE(full.BOF());
  EXPECT_DB_ERROR(full.MoveNext(), err::NoCurrentRecord);
  full.MovePrevious();  // from EOF back to the last record
  EXPECT_EQ(key(full), "B3/0");
}

TEST_F(TableRecordsetTest, AddEditDeleteKeepTheCurrentRecordRight) {
  Recordset rs = openByKey();
  rs.Seek("=", "A", 2, 0);
  const QByteArray mark = rs.Bookmark();
  rs.AddNew();
  EXPECT_EQ(rs.EditMode(), EditMode::Add);
  rs.setValue("TDEV_SOC", "A");
  rs.setValue("TDEV_NUMDOSS", 4);
  rs.setValue("TDEV_NSEQ", 0);
  rs.setValue("TDEV_NOM", "D'Artagnan");
  rs.Update();
  EXPECT_EQ(rs.EditMode(), EditMode::None);
  EXPECT_EQ(key(rs), "A2/0");  // the record current before AddNew stays current
  EXPECT_EQ(rs.RecordCount(), 7);
  rs.setBookmark(rs.LastModified());
  EXPECT_EQ(rs.text("TDEV_NOM"), "D'Artagnan");

  rs.setBookmark(mark);
  rs.Edit();
  rs.setValue("TDEV_MONTANT", "12,5");  // text from a box, comma decimal
  rs.Update();
  EXPECT_DOUBLE_EQ(rs.number("TDEV_MONTANT"), 12.5);
  rs.Edit();
  rs.setValue("TDEV_MONTANT", 99);
  rs.CancelUpdate();
  EXPECT_DOUBLE_EQ(rs.number("TDEV_MONTANT"), 12.5);

  EXPECT_DB_ERROR(rs.setValue("TDEV_NOM", "x"), err::UpdateWithoutEdit);
  EXPECT_DB_ERROR(rs.Update(), err::UpdateWithoutEdit);
  EXPECT_DB_ERROR(rs.value("NOPE"), err::ItemNotFound);

  // Deleting another row leaves this bookmark valid; deleting the current one leaves a hole
  // that MoveNext walks out of.
  Recordset other = openByKey();
  other.Seek("=", "A", 1, 0);
  other.Delete();
  rs.setBookmark(mark);
  EXPECT_EQ(key(rs), "A2/0");
  rs.Delete();
  EXPECT_DB_ERROR(rs.value("TDEV_NOM"), err::RecordDeleted);
  rs.MoveNext();
  EXPECT_EQ(key(rs), "A2/1");
  EXPECT_EQ(walk(rs), QStringList({"A2/1", "A4/0", "A5/2", "B1/0", "B3/0"}));
  EXPECT_DB_ERROR(rs.setBookmark(mark), err::RecordDeleted);
}

TEST_F(TableRecordsetTest, PositionsCloneAndKeyChanges) {
  Recordset rs = openByKey();
  rs.Seek("=", "A", 5, 2);
  EXPECT_EQ(rs.AbsolutePosition(), 3);
  rs.setAbsolutePosition(1);
  EXPECT_EQ(key(rs), "A2/0");

  Recordset copy = rs.Clone();
  copy.MoveLast();
  EXPECT_EQ(key(copy), "B3/0");
  EXPECT_EQ(key(rs), "A2/0");  // independent cursors

  // Changing the key of the current record moves it in the order.
  rs.Edit();
  rs.setValue("TDEV_SOC", "C");
  rs.Update();
  EXPECT_EQ(key(rs), "C2/0");
  rs.MovePrevious();
  EXPECT_EQ(key(rs), "B3/0");
}

TEST_F(TableRecordsetTest, DescendingIndexWalksBothWays) {
  exec("CREATE INDEX DESCIX ON TDEV (TDEV_SOC, TDEV_NUMDOSS DESC)");
  Recordset rs = m_db.OpenRecordset("TDEV");
  rs.setIndex("DESCIX");
  QStringList out;
  while (!rs.EOF_()) {
    out << rs.text("TDEV_SOC") + rs.text("TDEV_NUMDOSS");
    rs.MoveNext();
  }
  EXPECT_EQ(out, QStringList({"A5", "A2", "A2", "A1", "B3", "B1"}));
  rs.Seek(">=", "A", 3);
  EXPECT_EQ(rs.text("TDEV_NUMDOSS"), "2");
  rs.Seek("<=", "A", 3);
  EXPECT_EQ(rs.text("TDEV_NUMDOSS"), "5");
}

TEST_F(TableRecordsetTest, WithoutIndexSeekAndFindAreRefused) {
  Recordset rs = m_db.OpenRecordset("TDEV");
  EXPECT_DB_ERROR(rs.Seek("=", "A"), err::NoIndex);
  // A file's table is walked in insertion order; the server keeps none and walks the key.
  EXPECT_EQ(key(rs), onServer() ? "A1/0" : "B1/0");
  EXPECT_DB_ERROR(rs.setIndex("Nope"), err::IndexNotFound);
  EXPECT_DB_ERROR(rs.FindFirst("TDEV_SOC = 'A'"), err::OperationNotSupported);
  Recordset ro = m_db.OpenRecordset("TDEV", RecordsetType::Table, rsopt::ReadOnly);
  EXPECT_DB_ERROR(ro.Edit(), err::ReadOnly);
  EXPECT_DB_ERROR(ro.AddNew(), err::ReadOnly);
}

}  // namespace
}  // namespace tarovent::db::test

namespace tarovent::db::test {
namespace {

// The forward reader must give what a recordset gives for the same rows, the roll-up of bills
// relying on it: Null as 0 or empty, dates typed, a number kept as text with a comma, joins
// compared the engine's way (case ignored).
TEST_F(DbTest, ForwardRowsReadAsARecordsetDoes) {
  exec(
      "CREATE TABLE TL (TL_PERE TEXT(20), TL_FILS TEXT(20), TL_QTE DOUBLE, TL_DEB DATETIME, "
      "TL_NOTE TEXT(10))");
  exec("CREATE TABLE TA (TA_CODE TEXT(20), TA_PMP DOUBLE)");
  exec("INSERT INTO TL VALUES ('P', 'vis', 2.5, #03/15/2026#, '1,5')");
  exec("INSERT INTO TL (TL_PERE, TL_FILS) VALUES ('P', 'ECROU')");
  exec("INSERT INTO TA VALUES ('VIS', 12.25)");
  const QString sql =
      "select TL_FILS, TL_QTE, TL_DEB, TL_NOTE, TA_CODE, TA_PMP from TL left join TA on "
      "TL_FILS = TA_CODE where TL_PERE in ('P') order by TL_FILS";
  // Both read through the same names: RowReader by literal, Recordset by QString.
  const auto line = [](const auto& r) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(r.text("tl_fils"))
        .arg(r.number("TL_QTE"))
        .arg(r.value("TL_DEB").toDate().toString(Qt::ISODate) + r.value("TL_DEB").typeName())
        .arg(r.number("TL_NOTE"))
        .arg(r.value("TA_CODE").isNull() ? "-" : r.text("TA_CODE"))
        .arg(r.number("TA_PMP"));
  };
  QStringList forward, dynaset;
  m_db.forEachRow(sql, [&](const RowReader& r) { forward << line(r); });
  for (Recordset rs = m_db.OpenRecordset(sql); !rs.EOF_(); rs.MoveNext()) dynaset << line(rs);
  EXPECT_EQ(forward, (QStringList{"ECROU|0||0|-|0", "vis|2.5|2026-03-15QDate|1.5|VIS|12.25"}));
  EXPECT_EQ(forward, dynaset);

  // An unknown field and an action query fail with the engine's errors, as a recordset would.
  try {
    m_db.forEachRow(sql, [](const RowReader& r) { r.text("TL_ABSENT"); });
    ADD_FAILURE() << "unknown field read";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), err::ItemNotFound);
  }
  EXPECT_THROW(m_db.forEachRow("delete * from TL", [](const RowReader&) {}), DbError);
}

}  // namespace
}  // namespace tarovent::db::test
