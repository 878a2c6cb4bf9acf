#include <gtest/gtest.h>

#include <QRegularExpression>

#include "BothBackends.h"
#include "QtPrinters.h"
#include "platform/db/Database.h"
#include "platform/db/PgDatabase.h"
#include "platform/db/KeyPredicate.h"
#include "platform/db/PgKeys.h"
#include "platform/db/PgSession.h"
#include "platform/db/RowReader.h"

namespace tarovent::db::test {
namespace {

// A table with a key, a required field and a field that may be Null, each indexed.
class IndexOrderTest : public BothBackendsTest {
 protected:
  void SetUp() override {
    createDatabase("TAROVENT.MDB");
    if (HasFatalFailure() || IsSkipped()) return;
    m_db.Execute(
        "CREATE TABLE T (ID LONG, CODE TEXT(5) NOT NULL, NOM TEXT(10), "
        "CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
    m_db.Execute("CREATE UNIQUE INDEX IXCODE ON T (CODE)");
    m_db.Execute("CREATE INDEX IXNOM ON T (NOM)");
    for (const char* row : {"1, 'c', 'b'", "2, 'a', Null", "3, 'b', 'a'", "4, 'd', Null"})
      m_db.Execute(QStringLiteral("INSERT INTO T (ID, CODE, NOM) VALUES (%1)").arg(row));
  }

  static QString ids(Recordset& rs, bool backward = false) {
    QString out;
    if (backward)
      for (rs.MoveLast(); !rs.BOF(); rs.MovePrevious()) out += rs.text("ID");
    else
      for (rs.MoveFirst(); !rs.EOF_(); rs.MoveNext()) out += rs.text("ID");
    return out;
  }

  QString ids(const QString& source, RecordsetType type, bool backward = false) {
    Recordset rs = m_db.OpenRecordset(source, type);
    return ids(rs, backward);
  }
};

TAROVENT_ON_BOTH_BACKENDS(IndexOrderTest);

TEST_P(IndexOrderTest, NullsComeFirstGoingUpAndLastGoingDownInEveryRecordset) {
  for (RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot}) {
    SCOPED_TRACE(int(type));
    EXPECT_EQ(ids("SELECT * FROM T ORDER BY NOM, ID", type), "2431");
    EXPECT_EQ(ids("SELECT * FROM T ORDER BY NOM DESC, ID DESC", type), "1342");
    EXPECT_EQ(ids("SELECT * FROM T ORDER BY NOM, ID", type, true), "1342");
    EXPECT_EQ(ids("SELECT * FROM T ORDER BY CODE", type), "2314");
    EXPECT_EQ(ids("SELECT * FROM T ORDER BY ID DESC", type), "4321");
    EXPECT_EQ(ids("SELECT ID, NOM FROM T ORDER BY ID", type, true), "4321");
    EXPECT_EQ(ids("SELECT TOP 2 * FROM T ORDER BY ID DESC", type), "43");
    EXPECT_EQ(ids("SELECT TOP 3 * FROM T ORDER BY NOM DESC, ID", type), "132");
  }
  QString read;
  for (const char* jet : {"SELECT ID FROM T ORDER BY NOM, ID", "SELECT TOP 2 ID FROM T ORDER BY ID DESC"})
    m_db.forEachRow(jet, [&](const RowReader& row) { read += row.text("ID"); });
  EXPECT_EQ(read, "243143");
  EXPECT_EQ(ids("T", RecordsetType::Dynaset), "1234");
  EXPECT_EQ(ids("T", RecordsetType::Dynaset, true), "4321");

  Recordset table = m_db.OpenRecordset("T", RecordsetType::Table);
  table.setIndex("IXNOM");
  EXPECT_EQ(ids(table), "2431");
  EXPECT_EQ(ids(table, true), "1342");
  table.Seek(">=", QVariant());
  EXPECT_EQ(table.text("ID"), "2");
  table.setIndex("PrimaryKey");
  EXPECT_EQ(ids(table, true), "4321");
  table.Seek("<", 3);
  EXPECT_EQ(table.text("ID"), "2");
}

// On the server: the orders recordsets ask for are read from the table's indexes, never got
// by sorting the whole table (sorting is priced out here, so that a plan sorts only when it
// has no other way).
class ServerIndexOrderTest : public IndexOrderTest {
 protected:
  void SetUp() override {
    IndexOrderTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    m_pg = m_db.server();
    session().exec("SET enable_sort = off");
  }

  PgSession& session() { return m_pg->session(); }

  // The plan of `sql` when it sorts the whole set, empty when it reads the order from an index
  // (maybe completing it by the key within equal values: an incremental sort).
  QString wholeSort(const QString& sql) {
    const PgRows plan = session().query("EXPLAIN " + sql);
    QStringList lines;
    for (const QVariantList& row : plan.rows) lines << row.value(0).toString();
    static const QRegularExpression sort(QStringLiteral(R"((^|->\s+)Sort\s+\()"));
    for (const QString& line : std::as_const(lines))
      if (sort.match(line).hasMatch()) return lines.join(u'\n');
    return {};
  }

  std::shared_ptr<PgDatabase> m_pg;
};

INSTANTIATE_TEST_SUITE_P(Server, ServerIndexOrderTest,
                         ::testing::Values(::tarovent::db::test::Backend::Postgres),
                         ::tarovent::db::test::backendName);

TEST_P(ServerIndexOrderTest, RecordsetOrdersWalkTheIndexes) {
  const PgTable& t = m_pg->table("T");
  const QString from = "SELECT \"ID\" FROM \"" + t.schema + "\".\"T\" ORDER BY ";
  const KeyColumn id{"\"ID\"", false};
  const QList<QList<KeyColumn>> orders = {
      {id}, {{"\"CODE\"", false}, id}, {{"\"NOM\"", false}, id}};
  for (const QList<KeyColumn>& order : orders)
    for (bool backward : {false, true})
      EXPECT_EQ(wholeSort(from + pgOrderBy(order, t, backward)), QString())
          << order.first().sql.toStdString() << backward;
  // A query of the table alone, in the key's order or an index's.
  for (const char* jet : {"SELECT * FROM T ORDER BY ID", "SELECT * FROM T ORDER BY ID DESC",
                          "SELECT T.* FROM T ORDER BY T.ID", "SELECT * FROM T ORDER BY CODE DESC",
                          "SELECT * FROM T ORDER BY NOM", "SELECT TOP 1 ID FROM T ORDER BY ID DESC"}) {
    const QString sql = m_pg->selectSql(session().translate(jet));
    EXPECT_EQ(wholeSort(sql), QString()) << jet;
  }
}

TEST_P(ServerIndexOrderTest, TheStatementsOfATableRecordsetWalkItsIndexes) {
  session().exec("SET plan_cache_mode = force_generic_plan");
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  QString walked;
  const QList<std::pair<QString, QVariant>> seeks = {
      {"PrimaryKey", 3}, {"IXCODE", "b"}, {"IXNOM", "b"}};
  for (const auto& [index, key] : seeks) {
    rs.setIndex(index);
    walked += ids(rs) + ids(rs, true) + u' ';
    rs.Seek(">=", key);
    walked += rs.NoMatch() ? QStringLiteral("- ") : rs.text("ID") + u' ';
  }
  EXPECT_EQ(walked, "12344321 3 23144132 3 24311342 1 ");
  // Every statement the walks prepared, with Nulls for its values.
  const PgRows statements = session().query(
      "SELECT name, coalesce(array_length(parameter_types, 1), 0), statement FROM "
      "pg_prepared_statements WHERE statement LIKE '%ORDER BY%'");
  ASSERT_FALSE(statements.rows.isEmpty());
  for (const QVariantList& s : statements.rows) {
    const QStringList nulls(s.value(1).toInt(), QStringLiteral("NULL"));
    const QString args = nulls.isEmpty() ? QString() : '(' + nulls.join(", ") + ')';
    EXPECT_EQ(wholeSort("EXECUTE " + s.value(0).toString() + args), QString())
        << s.value(2).toString().toStdString();
  }
}

}  // namespace
}  // namespace tarovent::db::test
