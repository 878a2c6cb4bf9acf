#include <gtest/gtest.h>

#include <QDate>
#include <QTemporaryDir>

#include "PgCluster.h"
#include "QtPrinters.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/PgSession.h"

namespace tarovent::db::test {
namespace {

// A value as both backends must give it: Null "<null>", True -1, dates ISO.
QString valueText(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return QStringLiteral("<null>");
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case QMetaType::Double:
      return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QDate:
      return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
      return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default:
      return v.toString();
  }
}

QString rowText(const QVariantList& row) {
  QStringList fields;
  for (const QVariant& v : row) fields << valueText(v);
  return fields.join(u'|');
}

// The same Jet statements on each backend.
class JetBackend {
 public:
  virtual ~JetBackend() = default;
  // An action query or DDL.
  virtual void execute(const QString& jet) = 0;
  // The rows of a SELECT, each as rowText.
  virtual QStringList select(const QString& jet) = 0;
};

class SqliteBackend : public JetBackend {
 public:
  SqliteBackend() : m_db(m_ws.CreateDatabase(m_dir.filePath("TEST.MDB"))) {}
  void execute(const QString& jet) override { m_db.Execute(jet); }
  QStringList select(const QString& jet) override {
    QStringList out;
    Recordset rs = m_db.OpenRecordset(jet, RecordsetType::Snapshot, rsopt::ReadOnly);
    for (; !rs.EOF_(); rs.MoveNext()) {
      QVariantList row;
      for (int i = 0; i < rs.fieldCount(); ++i) row << rs.value(i);
      out << rowText(row);
    }
    return out;
  }

 private:
  QTemporaryDir m_dir;
  Workspace m_ws;
  Database m_db;
};

class PgBackend : public JetBackend {
 public:
  explicit PgBackend(const PgCluster& cluster)
      : m_s(PgSession::open(cluster.conninfo(), PgCluster::freshSchema(), true)) {}
  void execute(const QString& jet) override { m_s->execute(jet); }
  QStringList select(const QString& jet) override {
    QStringList out;
    for (const QVariantList& row : m_s->select(jet).rows) out << rowText(row);
    return out;
  }

 private:
  std::unique_ptr<PgSession> m_s;
};

enum class Backend { Sqlite, Postgres };

class JetBackendsTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::Sqlite) {
      m_b = std::make_unique<SqliteBackend>();
      return;
    }
    PgCluster* cluster = nullptr;
    TAROVENT_REQUIRE_PG(cluster);
    m_b = std::make_unique<PgBackend>(*cluster);
  }

  void exec(const QString& jet) { m_b->execute(jet); }
  QStringList rows(const QString& jet) { return m_b->select(jet); }

  // The error number of a statement, 0 when it runs; its message is kept.
  int errorOf(const QString& jet) {
    try {
      m_b->execute(jet);
    } catch (const DbError& e) {
      m_lastMessage = e.description();
      return e.number();
    }
    return 0;
  }

  std::unique_ptr<JetBackend> m_b;
  QString m_lastMessage;
};

INSTANTIATE_TEST_SUITE_P(Backends, JetBackendsTest,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                           return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
                         });

TEST_P(JetBackendsTest, TextComparesWithoutCaseButWithAccentsInOrderKeysAndCriteria) {
  exec("CREATE TABLE T (NOM TEXT(20), N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (NOM))");
  int n = 0;
  for (const char* nom : {"fa", "élève", "ELF", "Éb", "Eleve", "eb"})
    exec(QStringLiteral("INSERT INTO T (NOM, N) VALUES ('%1', %2)")
             .arg(QString::fromUtf8(nom))
             .arg(++n));
  EXPECT_EQ(rows("SELECT NOM FROM T ORDER BY NOM"),
            QStringList({"eb", "Éb", "Eleve", "élève", "ELF", "fa"}));
  EXPECT_EQ(rows("SELECT N FROM T WHERE NOM = 'ELEVE'"), QStringList{"5"});
  EXPECT_EQ(rows("SELECT N FROM T WHERE NOM > 'ÉLÈVE' ORDER BY N"), QStringList({"1", "3"}));
  EXPECT_EQ(rows("SELECT Count(*) FROM T WHERE NOM In ('EB', 'FA')"), QStringList{"2"});

  // A key differing by case only is the same key; by an accent, another one.
  EXPECT_EQ(errorOf("INSERT INTO T (NOM, N) VALUES ('ELEVE', 9)"), err::DuplicateKey);
  EXPECT_TRUE(m_lastMessage.startsWith("Les modifications n'ont pas été effectuées"))
      << m_lastMessage.toStdString();
  EXPECT_EQ(errorOf("INSERT INTO T (NOM, N) VALUES ('ÉLEVE', 9)"), 0);
}

TEST_P(JetBackendsTest, ConditionsReadAsTheEnginesTrueAndYesNoFieldsAsConditions) {
  exec("CREATE TABLE T (N LONG, F YESNO)");
  exec("INSERT INTO T (N, F) VALUES (1, True)");
  exec("INSERT INTO T (N, F) VALUES (2, False)");
  exec("INSERT INTO T (N, F) VALUES (3, True)");
  EXPECT_EQ(rows("SELECT N > 1 AS B, Not (N > 1) AS C, True AS V, N Is Null AS Z FROM T "
                 "ORDER BY N"),
            QStringList({"0|-1|-1|0", "-1|0|-1|0", "-1|0|-1|0"}));
  EXPECT_EQ(rows("SELECT N FROM T WHERE F ORDER BY N"), QStringList({"1", "3"}));
  EXPECT_EQ(rows("SELECT N FROM T WHERE Not F"), QStringList{"2"});
  EXPECT_EQ(rows("SELECT N FROM T WHERE F And N > 1"), QStringList{"3"});
  EXPECT_EQ(rows("SELECT IIf(F, 'oui', 'non') FROM T ORDER BY N"),
            QStringList({"oui", "non", "oui"}));
  // True is -1: a descending sort lists False first.
  EXPECT_EQ(rows("SELECT N FROM T ORDER BY F DESC, N"), QStringList({"2", "1", "3"}));
  exec("UPDATE T SET F = N > 2");
  EXPECT_EQ(rows("SELECT F FROM T ORDER BY N"), QStringList({"0", "0", "-1"}));
}

TEST_P(JetBackendsTest, LikeFollowsTheEnginesPatterns) {
  exec("CREATE TABLE T (NOM TEXT(20))");
  for (const char* nom : {"ABC", "abd", "A1C", "xyz", "Été", "a.c"})
    exec(QStringLiteral("INSERT INTO T (NOM) VALUES ('%1')").arg(QString::fromUtf8(nom)));
  const auto like = [&](const QString& pattern) {
    QStringList found = rows("SELECT NOM FROM T WHERE NOM Like '" + pattern + "'");
    found.sort();
    return found;
  };
  EXPECT_EQ(like("a*"), QStringList({"A1C", "ABC", "a.c", "abd"}));
  EXPECT_EQ(like("A#C"), QStringList{"A1C"});
  EXPECT_EQ(like("?b?"), QStringList({"ABC", "abd"}));
  EXPECT_EQ(like("[!a]*"), QStringList({"xyz", "Été"}));
  EXPECT_EQ(like("[a-b]b[c-d]"), QStringList({"ABC", "abd"}));
  EXPECT_EQ(like("ÉTÉ"), QStringList{"Été"});
  EXPECT_EQ(like("a.c"), QStringList{"a.c"});  // a dot is no wildcard
  QStringList unlike = rows("SELECT NOM FROM T WHERE NOM Not Like '*b*'");
  unlike.sort();
  EXPECT_EQ(unlike, QStringList({"A1C", "a.c", "xyz", "Été"}));
}

TEST_P(JetBackendsTest, FunctionsConcatenationAndDatesAsTheEngineComputesThem) {
  exec("CREATE TABLE T (NOM TEXT(20), N LONG, D DATETIME)");
  exec("INSERT INTO T (NOM, N, D) VALUES ('Durand', 7, #01/31/2024#)");
  exec("INSERT INTO T (NOM, N) VALUES ('martin', Null)");
  EXPECT_EQ(rows("SELECT Left(NOM, 3) & '-' & N FROM T ORDER BY NOM"),
            QStringList({"Dur-7", "mar-"}));
  EXPECT_EQ(rows("SELECT UCase(Mid(NOM, 2, 3)) FROM T ORDER BY NOM"), QStringList({"URA", "ART"}));
  EXPECT_EQ(rows("SELECT InStr(NOM, 'R') FROM T ORDER BY NOM"), QStringList({"3", "3"}));
  EXPECT_EQ(rows("SELECT Len(NOM) FROM T WHERE N Is Null"), QStringList{"6"});
  EXPECT_EQ(rows("SELECT D + 1, Year(D), D FROM T WHERE D = #01/31/2024#"),
            QStringList{"2024-02-01|2024|2024-01-31"});
  EXPECT_EQ(rows("SELECT NOM FROM T WHERE D < #02/01/2024# + 0.5"), QStringList{"Durand"});
  EXPECT_EQ(rows("SELECT First(NOM), Count(*) FROM T"), QStringList{"Durand|2"});
}

// Numbers given by a COUNTER field are never given again, and go on after one written by hand.
TEST_P(JetBackendsTest, CounterNumbersAreNeverGivenTwice) {
  exec("CREATE TABLE T (ID COUNTER, NOM TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (ID))");
  for (const char* n : {"a", "b", "c"})
    exec(QStringLiteral("INSERT INTO T (NOM) VALUES ('%1')").arg(n));
  exec("DELETE FROM T WHERE ID >= 2");
  exec("INSERT INTO T (NOM) VALUES ('d')");
  exec("DELETE * FROM T");
  exec("INSERT INTO T (NOM) VALUES ('e')");
  exec("INSERT INTO T (ID, NOM) VALUES (10, 'f')");
  exec("INSERT INTO T (NOM) VALUES ('g')");
  EXPECT_EQ(rows("SELECT ID & NOM FROM T ORDER BY ID"), QStringList({"5e", "10f", "11g"}));
  // A table made again under the same name starts afresh.
  exec("DROP TABLE T");
  exec("CREATE TABLE T (ID COUNTER, NOM TEXT(10))");
  exec("INSERT INTO T (NOM) VALUES ('a')");
  EXPECT_EQ(rows("SELECT ID FROM T"), QStringList{"1"});
}

TEST_P(JetBackendsTest, RefusedStatementsAndValuesGiveTheEnginesNumbers) {
  exec("CREATE TABLE T (NOM TEXT(5) NOT NULL, N LONG)");
  EXPECT_EQ(errorOf("INSERT INTO T (NOM) VALUES ('beaucoup trop long')"), err::FieldTooSmall);
  EXPECT_EQ(errorOf("INSERT INTO T (NOM, N) VALUES ('a', 'douze')"), err::TypeConversion);
  EXPECT_EQ(errorOf("INSERT INTO T (N) VALUES (1)"), err::FieldRequired);
  EXPECT_TRUE(m_lastMessage.startsWith("Un champ obligatoire est vide"))
      << m_lastMessage.toStdString();
  EXPECT_EQ(errorOf("DELETE * FROM TINCONNUE"), err::SourceNotFound);
  EXPECT_EQ(errorOf("CREATE TABLE T (X LONG)"), err::TableExists);
  EXPECT_EQ(errorOf("SELECT * FROM T"), err::CannotExecuteSelect);
  EXPECT_EQ(rows("SELECT Count(*) FROM T"), QStringList{"0"});
}

}  // namespace
}  // namespace tarovent::db::test
