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

  // Dossiers and their quote versions, as the statistics and numbering read them.
  void fillQuotes() {
    exec(
        "CREATE TABLE TDOS (TDOS_SOC TEXT(2), TDOS_NUMDOSS LONG, TDOS_CLIENT TEXT(10), "
        "TDOS_CAL TEXT(5), TDOS_RESUME TEXT(50), TDOS_CM TEXT(10), "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TDOS_SOC, TDOS_NUMDOSS))");
    exec(
        "CREATE TABLE TDEV (TDEV_SOC TEXT(2), TDEV_NUMDOSS LONG, TDEV_NSEQ LONG, "
        "TDEV_DATE DATETIME, TDEV_DATREL DATETIME, TDEV_MONTANT DOUBLE, "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ))");
    for (const char* values :
         {"'AB', 1, 'C1', 'JM', 'Pompe', 'cm1'", "'AB', 2, 'C2', 'PL', 'Vanne', Null",
          "'XY', 1, 'C1', 'JM', 'Moteur', Null"})
      exec(QStringLiteral("INSERT INTO TDOS VALUES (%1)").arg(values));
    for (const char* values :
         {"'AB', 1, 0, #01/10/2025#, #02/01/2025#, 100.5", "'AB', 1, 1, #03/10/2025#, Null, 200",
          "'AB', 1, 2, #04/10/2025#, #05/01/2025#, 300",
          "'AB', 2, 0, #02/15/2025#, #01/01/2100#, 50",
          "'XY', 1, 0, #12/31/2024#, #01/15/2025#, 75",
          "'ZZ', 9, 0, #06/01/2025#, #06/02/2025#, 10"})
      exec(QStringLiteral("INSERT INTO TDEV VALUES (%1)").arg(values));
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
  EXPECT_EQ(rows("SELECT Left(NOM, 3) & '-' & N, N & Null, '' & Null FROM T ORDER BY NOM"),
            QStringList({"Dur-7|7|", "mar-|<null>|"}));
  EXPECT_EQ(rows("SELECT UCase(Mid(NOM, 2, 3)) FROM T ORDER BY NOM"), QStringList({"URA", "ART"}));
  EXPECT_EQ(rows("SELECT InStr(NOM, 'R') FROM T ORDER BY NOM"), QStringList({"3", "3"}));
  // A number searched as text, from a given position.
  exec("INSERT INTO T (NOM, N) VALUES ('prix', 45)");
  EXPECT_EQ(rows("SELECT NOM FROM T WHERE InStr(1, N, '4') <> 0"), QStringList{"prix"});
  EXPECT_EQ(rows("SELECT NOM FROM T WHERE InStr(2, NOM, 'r') = 3 ORDER BY NOM"),
            QStringList({"Durand", "martin"}));
  EXPECT_EQ(rows("SELECT NOM FROM T WHERE Left(N, 1) = '4'"), QStringList{"prix"});
  exec("DELETE FROM T WHERE NOM = 'prix'");
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
  // Without its counter field the table takes rows as before; added again, the field counts.
  exec("ALTER TABLE T DROP COLUMN ID");
  exec("INSERT INTO T (NOM) VALUES ('b')");
  EXPECT_EQ(rows("SELECT NOM FROM T ORDER BY NOM"), QStringList({"a", "b"}));
  exec("DELETE FROM T");
  exec("ALTER TABLE T ADD COLUMN ID COUNTER");
  exec("INSERT INTO T (ID, NOM) VALUES (20, 'c')");
  exec("INSERT INTO T (NOM) VALUES ('d')");
  EXPECT_EQ(rows("SELECT ID & NOM FROM T ORDER BY ID"), QStringList({"20c", "21d"}));
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

TEST_P(JetBackendsTest, RightJoinKeepsVersionsWithoutDossierUpToToday) {
  fillQuotes();
  exec("UPDATE TDEV SET TDEV_DATREL = Date() + 1 WHERE TDEV_SOC = 'XY'");
  const QString from =
      "FROM TDOS RIGHT JOIN TDEV ON (TDOS.TDOS_NUMDOSS = TDEV.TDEV_NUMDOSS) AND "
      "(TDOS.TDOS_SOC = TDEV.TDEV_SOC) where TDEV.TDEV_DATREL Is Not Null And "
      "TDEV.TDEV_DATREL <= Date() ";
  const QString order =
      "ORDER BY TDEV.TDEV_DATREL, TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS, TDEV.TDEV_NSEQ;";
  EXPECT_EQ(rows("SELECT TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDOS_CLIENT " + from + order),
            (QStringList{"AB|1|0|C1", "AB|1|2|C1", "ZZ|9|0|<null>"}));
  EXPECT_EQ(rows("SELECT TDEV.TDEV_NSEQ " + from + "and TDOS.TDOS_CAL = 'jm' " + order),
            (QStringList{"0", "2"}));
}

TEST_P(JetBackendsTest, TopUnionSubqueriesAndJoins) {
  fillQuotes();
  EXPECT_EQ(rows("SELECT TOP 2 TDEV_MONTANT FROM TDEV ORDER BY TDEV_MONTANT DESC"),
            (QStringList{"300", "200"}));
  EXPECT_EQ(rows("SELECT TDOS_SOC FROM TDOS UNION SELECT TDEV_SOC FROM TDEV ORDER BY 1"),
            (QStringList{"AB", "XY", "ZZ"}));
  EXPECT_EQ(rows("SELECT DISTINCT TDEV_SOC FROM TDEV WHERE TDEV_SOC NOT IN (SELECT TDOS_SOC FROM "
                 "TDOS) OR EXISTS (SELECT * FROM TDOS WHERE TDOS_SOC = 'zz')"),
            QStringList{"ZZ"});
  EXPECT_EQ(rows("SELECT X.N FROM (SELECT Count(*) AS N FROM TDEV) AS X"), QStringList{"6"});
  // A subquery in FROM needs no name of its own.
  EXPECT_EQ(rows("SELECT Count(*) FROM (SELECT DISTINCT TDEV_SOC FROM TDEV)"), QStringList{"3"});
  EXPECT_EQ(rows("SELECT N FROM (SELECT Count(*) AS N FROM TDEV) INNER JOIN (SELECT Count(*) AS "
                 "M FROM TDOS) ON N > M"),
            QStringList{"6"});
  // Computed text keeps the engine's comparison rules outside the query that computes it.
  const QString mixed = "IIf(TDOS_SOC = 'XY', LCase(TDOS_RESUME), UCase(TDOS_RESUME)) & ''";
  EXPECT_EQ(rows("SELECT X.R FROM (SELECT " + mixed + " AS R FROM TDOS) AS X ORDER BY X.R"),
            (QStringList{"moteur", "POMPE", "VANNE"}));
  EXPECT_EQ(rows("SELECT Max(" + mixed + "), Min(" + mixed + ") FROM TDOS"),
            QStringList{"VANNE|moteur"});
  EXPECT_EQ(rows("SELECT TDEV.TDEV_SOC AS SOC, Max(TDEV.TDEV_NUMDOSS) AS NUMDOSS, "
                 "Max(TDEV.TDEV_DATE) AS DATMAX FROM TDEV INNER JOIN TDOS ON (TDEV.TDEV_NUMDOSS = "
                 "TDOS.TDOS_NUMDOSS) AND (TDEV.TDEV_SOC = TDOS.TDOS_SOC) GROUP BY TDEV.TDEV_SOC "
                 "ORDER BY TDEV.TDEV_SOC;"),
            (QStringList{"AB|2|2025-04-10", "XY|1|2024-12-31"}));
  EXPECT_EQ(rows("SELECT A.TDOS_NUMDOSS FROM TDOS A INNER JOIN (TDEV B INNER JOIN TDOS C ON "
                 "B.TDEV_SOC = C.TDOS_SOC AND B.TDEV_NUMDOSS = C.TDOS_NUMDOSS) ON A.TDOS_SOC = "
                 "B.TDEV_SOC AND A.TDOS_NUMDOSS = B.TDEV_NUMDOSS WHERE B.TDEV_NSEQ = 1"),
            QStringList{"1"});
}

TEST_P(JetBackendsTest, DeleteFormsUpdateAndConcatenationWithEmptyText) {
  fillQuotes();
  exec("DELETE TDEV.* FROM TDEV WHERE TDEV.TDEV_SOC = 'ab' AND TDEV_NSEQ > 0");
  EXPECT_EQ(rows("SELECT Count(*) FROM TDEV"), QStringList{"4"});
  exec("DELETE FROM TDEV WHERE TDEV_SOC = 'zz';");
  EXPECT_EQ(rows("SELECT Count(*) FROM TDEV"), QStringList{"3"});
  exec(
      "UPDATE TDEV SET TDEV.TDEV_DATREL = #01/01/2100#, TDEV_MONTANT = TDEV_MONTANT * 2 "
      "WHERE TDEV_SOC = 'xy'");
  EXPECT_EQ(rows("SELECT TDEV_DATREL, TDEV_MONTANT FROM TDEV WHERE TDEV_SOC = 'XY'"),
            QStringList{"2100-01-01|150"});
  exec("delete * from TDEV");
  EXPECT_EQ(rows("SELECT Count(*) FROM TDEV"), QStringList{"0"});

  exec("CREATE TABLE TAFF (TAFF_NUMAFF TEXT(10), TAFF_NUMDEV TEXT(20))");
  for (const char* values : {"'A1', 'AB00012_00'", "'A2', ''", "'A3', Null", "'A4', 'ab00013'"})
    exec(QStringLiteral("INSERT INTO TAFF VALUES (%1)").arg(values));
  EXPECT_EQ(rows("select TAFF_NUMAFF from TAFF where TAFF_NUMDEV & '' <> '' ORDER BY 1"),
            (QStringList{"A1", "A4"}));
  EXPECT_EQ(rows("select TAFF_NUMAFF from TAFF where left(TAFF_NUMDEV,7) = 'AB00013'"),
            QStringList{"A4"});
}

}  // namespace
}  // namespace tarovent::db::test
