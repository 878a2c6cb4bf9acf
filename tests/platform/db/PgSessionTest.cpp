#include <gtest/gtest.h>

#include <QDate>
#include <thread>

#include "PgCluster.h"
#include "QtPrinters.h"
#include "platform/db/DbError.h"
#include "platform/db/PgSession.h"

namespace tarovent::db::test {
namespace {

// Each test works on a schema of its own in the program's throw-away server.
class PgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAROVENT_REQUIRE_PG(m_cluster);
    m_schema = PgCluster::freshSchema();
    m_s = PgSession::open(m_cluster->conninfo(), m_schema, true);
  }

  std::unique_ptr<PgSession> another(const QString& schema) {
    return PgSession::open(m_cluster->conninfo(), schema, false);
  }

  void exec(const QString& jet) { m_s->execute(jet); }

  // The first column of a Jet SELECT, as text (Null as "<null>").
  QStringList column(const QString& jet) { return column(*m_s, jet); }
  static QStringList column(PgSession& s, const QString& jet) {
    QStringList out;
    for (const QVariantList& row : s.select(jet).rows)
      out << (row[0].isNull() ? QStringLiteral("<null>") : row[0].toString());
    return out;
  }

  PgCluster* m_cluster = nullptr;
  QString m_schema;
  std::unique_ptr<PgSession> m_s;
};

TEST_F(PgTest, DefinitionsReadBackWithTheEnginesTypesAndDefaults) {
  exec(
      "CREATE TABLE T (ID COUNTER, OK YESNO DEFAULT True, NB SHORT DEFAULT -1, "
      "PRIX CURRENCY, NOM TEXT(12) DEFAULT \"x'y\", LE DATETIME DEFAULT Date(), NOTE MEMO, "
      "CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
  const QList<FieldSpec> f = m_s->tableFields("t");
  ASSERT_EQ(f.size(), 7);
  EXPECT_TRUE(f[0].autoIncrement);
  EXPECT_EQ(f[1].type, FieldType::Boolean);
  EXPECT_EQ(f[1].defaultValue, "True");
  EXPECT_EQ(f[2].type, FieldType::Integer);
  EXPECT_EQ(f[2].defaultValue, "-1");
  EXPECT_EQ(f[3].type, FieldType::Currency);
  EXPECT_EQ(f[4].size, 12);
  EXPECT_EQ(f[4].defaultValue, "\"x'y\"");
  EXPECT_EQ(f[5].defaultValue, "Date()");
  EXPECT_EQ(f[6].type, FieldType::Memo);
  // The defaults work, and the counter numbers.
  exec("INSERT INTO T (NOTE) VALUES ('a')");
  exec("INSERT INTO T (NOTE) VALUES ('b')");
  const PgRows r = m_s->select("SELECT ID, OK, NB, NOM, LE FROM T ORDER BY ID");
  ASSERT_EQ(r.rows.size(), 2);
  EXPECT_EQ(r.rows[1][0], QVariant(2LL));
  EXPECT_EQ(r.rows[0][1], QVariant(-1LL));
  EXPECT_EQ(r.rows[0][3], QVariant(QString("x'y")));
  EXPECT_EQ(r.rows[0][4], QVariant(QDate::currentDate()));
}

// What numbering does: read the last number, write the next, in one transaction. Two
// workstations at once must never be given the same number.
TEST_F(PgTest, TwoSessionsNumberingAtOnceNeverGiveOneNumberTwice) {
  exec("CREATE TABLE TCPT (SOC TEXT(2), N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (SOC))");
  exec("CREATE TABLE TNUM (N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (N))");
  exec("INSERT INTO TCPT (SOC, N) VALUES ('AB', 0)");
  constexpr int kTimes = 150;
  const auto number = [&](QString* failure) {
    try {
      std::unique_ptr<PgSession> s = another(m_schema);
      for (int i = 0; i < kTimes; ++i) {
        s->begin();
        const qlonglong next =
            s->select("SELECT N FROM TCPT WHERE SOC = 'AB'").rows.value(0).value(0).toLongLong() +
            1;
        s->execute(QStringLiteral("UPDATE TCPT SET N = %1 WHERE SOC = 'AB'").arg(next));
        s->execute(QStringLiteral("INSERT INTO TNUM (N) VALUES (%1)").arg(next));
        s->commit();
      }
    } catch (const DbError& e) {
      *failure = e.description();
    }
  };
  QString first, second;
  std::thread a(number, &first);
  std::thread b(number, &second);
  a.join();
  b.join();
  EXPECT_EQ(first, QString());
  EXPECT_EQ(second, QString());
  EXPECT_EQ(column("SELECT N FROM TCPT"), QStringList{QString::number(2 * kTimes)});
  EXPECT_EQ(column("SELECT Count(*) FROM TNUM"), QStringList{QString::number(2 * kTimes)});
}

TEST_F(PgTest, NestedTransactionsUndoOnlyTheirOwnPart) {
  exec("CREATE TABLE T (N LONG)");
  m_s->begin();
  exec("INSERT INTO T (N) VALUES (1)");
  m_s->begin();
  exec("INSERT INTO T (N) VALUES (2)");
  m_s->rollback();
  m_s->begin();
  exec("INSERT INTO T (N) VALUES (3)");
  m_s->commit();
  m_s->commit();
  EXPECT_EQ(column("SELECT N FROM T ORDER BY N"), QStringList({"1", "3"}));
  m_s->begin();
  exec("DELETE * FROM T");
  m_s->rollback();
  EXPECT_EQ(column("SELECT Count(*) FROM T"), QStringList{"2"});
  EXPECT_THROW(m_s->commit(), DbError);
}

// [path].TABLE and IN 'path' name another database of the family: a schema of the server.
TEST_F(PgTest, AnotherDatabaseOfTheFamilyIsReachedThroughItsSchema) {
  const QString other = PgCluster::freshSchema();
  std::unique_ptr<PgSession> stock = PgSession::open(m_cluster->conninfo(), other, true);
  stock->execute("CREATE TABLE TART (CODE TEXT(10), PRIX DOUBLE)");
  stock->execute("INSERT INTO TART (CODE, PRIX) VALUES ('VIS', 1.5)");
  exec("CREATE TABLE TLIG (CODE TEXT(10), QTE LONG)");
  exec("INSERT INTO TLIG (CODE, QTE) VALUES ('vis', 4)");
  const QString file = "C:\\MILOSTAR\\" + other.toUpper() + ".MDB";
  EXPECT_EQ(column("SELECT L.QTE * A.PRIX FROM TLIG AS L INNER JOIN [" + file +
                   "].TART AS A ON L.CODE = A.CODE"),
            QStringList{"6"});
  exec("INSERT INTO TART IN '" + file + "' (CODE, PRIX) VALUES ('ECROU', 0.25)");
  EXPECT_EQ(column(*stock, "SELECT Count(*) FROM TART"), QStringList{"2"});
  EXPECT_EQ(m_s->schemaOf("D:/x/" + m_schema.toUpper() + ".MDB"), "main");
}

TEST_F(PgTest, ALostServerConnectionGivesAFrenchMessage) {
  exec("CREATE TABLE T (N LONG)");
  const qlonglong pid = m_s->query("SELECT pg_backend_pid()").rows[0][0].toLongLong();
  std::unique_ptr<PgSession> other = another(m_schema);
  other->query(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
  try {
    exec("INSERT INTO T (N) VALUES (1)");
    ADD_FAILURE() << "no error";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), err::CannotOpen);
    EXPECT_TRUE(e.description().startsWith("La liaison avec le serveur")) << e.what();
  }
  EXPECT_THROW(another("inconnue"), DbError);
}

}  // namespace
}  // namespace tarovent::db::test
