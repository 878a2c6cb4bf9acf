#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDate>
#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "QtPrinters.h"
#include "platform/db/DbError.h"
#include "platform/db/JetFunctions.h"
#include "platform/db/JetSql.h"

namespace tarovent::db {
namespace {

// Runs translated Jet SQL on a real SQLite connection whose tables are declared the way the
// program declares them, and checks the rows it gives.
class JetSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_mainPath = m_dir.filePath("TAROVENT.MDB");
    ASSERT_EQ(sqlite3_open(m_mainPath.toUtf8().constData(), &m_db), SQLITE_OK);
    registerJetFunctions(m_db);
    exec("PRAGMA synchronous = OFF");
    m_attach = [this](const QString& path) { return attach(path); };
  }
  void TearDown() override { sqlite3_close(m_db); }

  QString attach(const QString& path) {
    if (path.compare(m_mainPath, Qt::CaseInsensitive) == 0) return QStringLiteral("main");
    const QString file = QDir(m_dir.path()).absoluteFilePath(path);
    if (!m_schemas.contains(file)) {
      const QString schema = QStringLiteral("db%1").arg(m_schemas.size() + 1);
      exec(QStringLiteral("ATTACH DATABASE %1 AS %2; PRAGMA %2.synchronous = OFF")
               .arg(quoteText(file), schema));
      m_schemas.insert(file, schema);
    }
    return m_schemas.value(file);
  }

  void exec(const QString& sql) {
    char* msg = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
      ADD_FAILURE() << msg << "\n" << sql.toStdString();
      sqlite3_free(msg);
    }
  }

  // Rows of an SQLite query, each as its fields joined by "|" (Null as "~").
  QStringList query(const QString& sql) {
    QStringList rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(m_db) << "\n" << sql.toStdString();
      return rows;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
      QStringList fields;
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        if (sqlite3_column_type(st, c) == SQLITE_NULL) {
          fields << "~";
        } else {
          fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        }
      }
      rows << fields.join('|');
    }
    sqlite3_finalize(st);
    return rows;
  }

  SqlTranslation translate(const QString& jet) { return translateJetSql(jet, m_attach); }

  // Translates and runs a Jet statement; returns the rows of a SELECT. A SELECT … INTO
  // creates its table here the simple way (the database layer keeps the declarations).
  QStringList jet(const QString& statement) {
    const SqlTranslation t = translate(statement);
    if (t.kind == SqlTranslation::Kind::SelectInto) {
      exec(QStringLiteral("CREATE TABLE %1.%2 AS %3")
               .arg(quoteIdentifier(t.schema), quoteIdentifier(t.table), t.sql));
      return {};
    }
    if (t.kind == SqlTranslation::Kind::Select) return query(t.sql);
    exec(t.sql);
    return {};
  }

  void createQuoteTables(const QString& schema = QStringLiteral("main")) {
    exec(QStringLiteral(
             R"(CREATE TABLE %1.TDOS ("TDOS_SOC" TEXT(2) COLLATE JET, "TDOS_NUMDOSS" LONG INTEGER,
                  "TDOS_CLIENT" TEXT(10) COLLATE JET, "TDOS_CAL" TEXT(5) COLLATE JET,
                  "TDOS_TYPE" TEXT(5) COLLATE JET, "TDOS_RESUME" TEXT(50) COLLATE JET,
                  "TDOS_USER1" TEXT(20) COLLATE JET, "TDOS_USER2" TEXT(20) COLLATE JET,
                  "TDOS_CM" TEXT(10) COLLATE JET, PRIMARY KEY ("TDOS_SOC", "TDOS_NUMDOSS"));
                CREATE TABLE %1.TDEV ("TDEV_SOC" TEXT(2) COLLATE JET, "TDEV_NUMDOSS" LONG INTEGER,
                  "TDEV_NSEQ" LONG INTEGER, "TDEV_DATE" DATETIME, "TDEV_DATREL" DATETIME,
                  "TDEV_MONTANT" DOUBLE, PRIMARY KEY ("TDEV_SOC", "TDEV_NUMDOSS", "TDEV_NSEQ"));)")
             .arg(schema));
  }

  void fillQuotes() {
    createQuoteTables();
    exec(R"(INSERT INTO TDOS VALUES ('AB', 1, 'C1', 'JM', 'T1', 'Pompe', 'u1', 'u2', 'cm1'),
                                    ('AB', 2, 'C2', 'PL', 'T2', 'Vanne', NULL, NULL, NULL),
                                    ('XY', 1, 'C1', 'JM', 'T1', 'Moteur', NULL, NULL, NULL);
            INSERT INTO TDEV VALUES ('AB', 1, 0, '2025-01-10', '2025-02-01', 100.5),
                                    ('AB', 1, 1, '2025-03-10', NULL, 200),
                                    ('AB', 1, 2, '2025-04-10', '2025-05-01', 300),
                                    ('AB', 2, 0, '2025-02-15', '2100-01-01', 50),
                                    ('XY', 1, 0, '2024-12-31', '2025-01-15', 75),
                                    ('ZZ', 9, 0, '2025-06-01', '2025-06-02', 10);)");
  }

  QTemporaryDir m_dir;
  QString m_mainPath;
  sqlite3* m_db = nullptr;
  QMap<QString, QString> m_schemas;
  AttachFunction m_attach;
};

TEST_F(JetSqlTest, JetTextComparisonIgnoresCaseAndAccentCase) {
  exec(R"(CREATE TABLE T ("NOM" TEXT(50) COLLATE JET, "N" LONG INTEGER);
          INSERT INTO T VALUES ('ÉLÈVE', 1), ('eleve', 2), ('b', 3), ('A', 4), ('C', 5),
                               ('D''Artagnan', 6), (NULL, 7);)");
  EXPECT_EQ(jet("SELECT N FROM T WHERE NOM = 'élève'"), QStringList{"1"});
  EXPECT_EQ(jet("SELECT N FROM T WHERE UCase(NOM) = \"élève\""), QStringList{"1"});
  EXPECT_EQ(jet("SELECT N FROM T WHERE NOM = 'd''artagnan'"), QStringList{"6"});
  EXPECT_EQ(jet("SELECT NOM FROM T WHERE N IN (3, 4, 5) ORDER BY NOM;"),
            (QStringList{"A", "b", "C"}));
  EXPECT_EQ(jet("SELECT NOM FROM T WHERE N BETWEEN 3 AND 5 ORDER BY Left(NOM, 1) DESC"),
            (QStringList{"C", "b", "A"}));
  EXPECT_EQ(jet("SELECT N FROM T WHERE NOM Like 'é*' OR NOM Like '?'  ORDER BY N"),
            (QStringList{"1", "3", "4", "5"}));
  EXPECT_EQ(jet("SELECT N FROM T WHERE NOM Not Like '*[aeiou]*' ORDER BY N"),
            (QStringList{"3", "5"}));
  EXPECT_EQ(jet("SELECT N FROM T WHERE NOM Is Null Or NOM = Null"), QStringList{"7"});
  EXPECT_EQ(jet("SELECT Count(*) AS K FROM T WHERE NOM Is Not Null And Not IsNull(NOM)"),
            QStringList{"6"});
}

TEST_F(JetSqlTest, StandAloneCriteriaAndOrderTerms) {
  exec(R"(CREATE TABLE T ("NOM" TEXT(50) COLLATE JET, "N" LONG INTEGER);
          INSERT INTO T VALUES ('élève', 1), ('Zoé', 2), ('ÉLÈVE', 3), ('abc', 4);)");
  const QString where = translateJetExpression("NOM = 'ÉLÈVE' Or Left(NOM, 1) = 'A'");
  const QString order = translateJetExpression("UCase(NOM) DESC, N");
  EXPECT_EQ(query("SELECT N FROM T WHERE " + where + " ORDER BY " + order),
            (QStringList{"1", "3", "4"}));
  EXPECT_EQ(
      query("SELECT N FROM T ORDER BY " + translateJetExpression("Left(NOM, 1) & '' ASC, N DESC")),
      (QStringList{"4", "3", "1", "2"}));
}

TEST_F(JetSqlTest, RecalculNumerosHavingOnGroupKey) {
  fillQuotes();
  EXPECT_EQ(jet("SELECT TDOS.TDOS_SOC, Max(TDOS.TDOS_NUMDOSS) AS DERNDOSS From TDOS "
                "GROUP BY TDOS.TDOS_SOC Having (((TDOS.TDOS_SOC) = 'ab')) ORDER BY TDOS.TDOS_SOC;"),
            QStringList{"AB|2"});
  EXPECT_EQ(
      jet("select * from TDEV where ( TDEV_SOC = 'AB' and TDEV_NUMDOSS = 1) order by TDEV_NSEQ")
          .size(),
      3);
  EXPECT_TRUE(jet("select * from TDEV where TDEV_SOC < '' ").isEmpty());
  // Unnamed aggregate and expression columns get the engine's names.
  const SqlTranslation t = translate("SELECT Max(TDEV_NSEQ), Count(*) + 1, TDEV_SOC FROM TDEV");
  EXPECT_EQ(query("SELECT MaxOfTDEV_NSEQ, Expr1000, TDEV_SOC FROM (" + t.sql + ")").size(), 1);
}

TEST_F(JetSqlTest, LastTakesTheLastRowOfEachGroupAcrossFiles) {
  fillQuotes();
  const QString clients = m_dir.filePath("CLIENTS.MDB");
  const QString schema = attach(clients);
  exec(QStringLiteral(R"(CREATE TABLE %1.TCLI ("TCLI_CODE" TEXT(10) COLLATE JET,
                           "TCLI_CATEG" TEXT(5) COLLATE JET);
                         INSERT INTO %1.TCLI VALUES ('c1', 'IND'), ('C2', 'PAR');)")
           .arg(schema));
  exec(R"(CREATE TABLE TMP_RENTA ("SOC" TEXT(2) COLLATE JET, "NUMDOSS" LONG INTEGER,
            "NUMDEV" LONG INTEGER, "DATREL" DATETIME, "MONTANT" DOUBLE, "CLIENT" TEXT(10) COLLATE JET,
            "NUMAFF" TEXT(20) COLLATE JET, "CM" TEXT(10) COLLATE JET))");
  jet("delete * from TMP_RENTA");
  jet("INSERT INTO TMP_RENTA ( SOC, NUMDOSS, NUMDEV, DATREL, MONTANT, CLIENT, NUMAFF, CM) "
      "SELECT TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS, Last(TDEV.TDEV_NSEQ) AS DNSEQ, "
      "Last(TDEV.TDEV_DATREL) AS DDATREL, Last(TDEV.TDEV_MONTANT) AS DMONTANT, "
      "Last(TDOS.TDOS_CLIENT) AS DCLIENT, '' AS Expr1 , last(TDOS.TDOS_CM) as CM "
      "FROM ([" +
      m_mainPath + "].TDEV LEFT JOIN [" + m_mainPath +
      "].TDOS "
      "ON (TDEV.TDEV_NUMDOSS = TDOS.TDOS_NUMDOSS) AND (TDEV.TDEV_SOC = TDOS.TDOS_SOC)) "
      "left join [" +
      clients +
      "].TCLI on TDOS.TDOS_CLIENT = TCLI.TCLI_CODE "
      "where TDEV_DATE >= #01/01/2025# AND TDEV_DATE <= #12/31/2100# AND TCLI_CATEG = 'ind' "
      "GROUP BY TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS ORDER BY TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS; ");
  // XY's only version is from 2024: filtered out before grouping.
  EXPECT_EQ(query("SELECT * FROM TMP_RENTA"), QStringList{"AB|1|2|2025-05-01|300.0|C1||cm1"});
  EXPECT_EQ(jet("SELECT First(TDEV_NSEQ) AS F, Last(TDEV_NSEQ) AS L FROM TDEV "
                "WHERE TDEV_SOC = 'AB' GROUP BY TDEV_NUMDOSS"),
            (QStringList{"0|2", "0|0"}));
}

// Last() keeps each row's value in place of the one before: a shorter text, a Null, a number.
TEST_F(JetSqlTest, FirstAndLastKeepTextNumbersAndNulls) {
  exec(R"(CREATE TABLE L ("G" LONG INTEGER, "V" TEXT(20) COLLATE JET, "N" DOUBLE);
          INSERT INTO L VALUES (1, 'une longue valeur', 1.5), (1, 'ab', NULL), (2, 'xyz', 2),
                               (2, NULL, 7), (3, NULL, NULL), (3, 'z', 0.25);)");
  EXPECT_EQ(jet("SELECT G, First(V) AS F, Last(V) AS L, First(N) AS FN, Last(N) AS LN FROM L "
                "GROUP BY G"),
            (QStringList{"1|une longue valeur|ab|1.5|~", "2|xyz|~|2.0|7.0", "3|~|z|~|0.25"}));
}

TEST_F(JetSqlTest, QuoteNumbersArePaddedWithRightAndConcatenation) {
  fillQuotes();
  EXPECT_EQ(jet("SELECT Right('00000' & TDEV_NUMDOSS,5) & '_' & Right('00' & TDEV_NSEQ,2) & '.' & "
                "TDEV_SOC AS NumDevis, * FROM TDOS RIGHT JOIN TDEV ON (TDOS.TDOS_NUMDOSS = "
                "TDEV.TDEV_NUMDOSS) AND (TDOS.TDOS_SOC = TDEV.TDEV_SOC) Where (((TDOS.TDOS_CAL) = "
                "'JM')) ORDER BY TDEV.TDEV_NUMDOSS DESC, NumDevis;")
                .replaceInStrings(QRegularExpression("\\|.*"), ""),
            (QStringList{"00001_00.AB", "00001_00.XY", "00001_01.AB", "00001_02.AB"}));
  EXPECT_EQ(jet("SELECT [TDOS_SOC] & Right('00000' & [TDOS_NUMDOSS],5) AS NUMDEV, TDOS.* FROM "
                "TDOS WHERE TDOS_NUMDOSS = 2;")
                .value(0)
                .section('|', 0, 2),
            "AB00002|AB|2");
  // Numbers print as the engine prints them: no ".0", no exponent.
  EXPECT_EQ(jet("SELECT TDEV_MONTANT & '', (TDEV_MONTANT * 2) & 'x', Null & Null FROM TDEV "
                "WHERE TDEV_NSEQ = 0 ORDER BY TDEV_MONTANT"),
            (QStringList{"10|20x|~", "50|100x|~", "75|150x|~", "100.5|201x|~"}));
}

TEST_F(JetSqlTest, SelectIntoAndInsertAcrossAttachedFiles) {
  fillQuotes();
  // Copy of the work tables into the local database, as at start-up.
  const QString local = m_dir.filePath("BDLOC.MDB");
  const SqlTranslation into =
      translate("SELECT DISTINCTROW * INTO TMP_DOS IN '" + local + "' from TDOS;");
  EXPECT_EQ(into.kind, SqlTranslation::Kind::SelectInto);
  EXPECT_EQ(into.table, "TMP_DOS");
  EXPECT_EQ(into.schema, attach(local));
  jet("SELECT DISTINCTROW * INTO TMP_DOS IN '" + local + "' from TDOS;");
  EXPECT_EQ(query("SELECT count(*) FROM " + into.schema + ".TMP_DOS"), QStringList{"3"});

  // Structure only.
  jet("SELECT TDEV.* INTO TMP_DEV From TDEV WHERE (((TDEV.TDEV_SOC) Is Null));");
  EXPECT_EQ(query("SELECT count(*) FROM TMP_DEV"), QStringList{"0"});

  // Into a table of another file named by its path.
  const QString other = m_dir.filePath("AUTRE.MDB");
  createQuoteTables(attach(other));
  jet("INSERT INTO [" + other + "].TDOS SELECT TDOS.* FROM TDOS WHERE TDOS_SOC = 'XY'");
  EXPECT_EQ(jet("SELECT T.TDOS_RESUME FROM [" + other + "].TDOS AS T"), QStringList{"Moteur"});
  EXPECT_EQ(jet("SELECT TDOS_RESUME FROM TDOS IN '" + other + "'"), QStringList{"Moteur"});
  jet("UPDATE [" + other + "].TDOS SET TDOS_RESUME = TDOS_RESUME & ' 2' WHERE TDOS_SOC = 'xy'");
  EXPECT_EQ(query("SELECT TDOS_RESUME FROM " + attach(other) + ".TDOS"), QStringList{"Moteur 2"});
  jet("delete * from [" + other + "].TDOS");
  EXPECT_EQ(query("SELECT count(*) FROM " + attach(other) + ".TDOS"), QStringList{"0"});
}

TEST_F(JetSqlTest, DatesYesNoAndLiterals) {
  exec(R"(CREATE TABLE TVIS ("TVIS_NumLig" LONG INTEGER, "TVIS_DatePrev" DATETIME,
            "TVIS_DateRea" DATETIME, "TVIS_Fait" YESNO INTEGER);
          INSERT INTO TVIS VALUES (1, '2025-12-30', NULL, 0), (2, '2025-12-31', NULL, 0),
            (3, '2025-12-31 08:30:00', '2026-01-02', -1), (4, '2025-06-01', NULL, -1);)");
  EXPECT_EQ(jet("Select TVIS_NumLig from TVIS WHERE TVIS_DatePrev<#12/31/2025# AND "
                "IsNull(TVIS_DateRea) ORDER BY TVIS_DatePrev DESC;"),
            (QStringList{"1", "4"}));
  EXPECT_EQ(jet("Select TVIS_NumLig from TVIS WHERE TVIS_DatePrev >= #12/31/25# ORDER BY 1"),
            (QStringList{"2", "3"}));
  EXPECT_EQ(jet("Select TVIS_NumLig from TVIS WHERE TVIS_DatePrev = #12/31/2025 08:30:00#"),
            QStringList{"3"});
  EXPECT_EQ(jet("Select TVIS_NumLig from TVIS WHERE TVIS_Fait = True AND Not TVIS_Fait = False "
                "AND TVIS_Fait = Yes ORDER BY TVIS_NumLig"),
            (QStringList{"3", "4"}));
  EXPECT_EQ(jet("Select TVIS_NumLig from TVIS WHERE TVIS_Fait=false AND Year(TVIS_DatePrev) = 2025 "
                "AND Month(TVIS_DatePrev) = 12 AND Day(TVIS_DatePrev) = 30"),
            QStringList{"1"});
  EXPECT_EQ(jet("Select TVIS_DatePrev + 2, TVIS_DateRea - #12/31/2025#, #01/02/2026# - 1 "
                "from TVIS WHERE TVIS_NumLig = 3"),
            QStringList{"2026-01-02 08:30:00|2|2026-01-01"});
  EXPECT_EQ(jet("SELECT Date() = Format(Now(), 'yyyy-mm-dd'), Year(Date()) >= 2025"),
            QStringList{"-1|-1"});
}

// Each Jet operator and function, translated and run by SQLite.
TEST_F(JetSqlTest, OperatorsAndFunctions) {
  const std::pair<const char*, const char*> cases[] = {
      {"7 / 2", "3.5"},
      {"7 \\ 2", "3"},
      {"7.6 \\ 2", "4"},
      {"7 Mod 2", "1"},
      {"2 ^ 10", "1024.0"},
      {"1 + 2 * 3", "7"},
      {"'a' + 'b'", "ab"},
      {"Left('abcdef', 2)", "ab"},
      {"Left(Null, 2)", "~"},
      {"Right('00000' & 12, 5)", "00012"},
      {"Mid('abcdef', 2, 3)", "bcd"},
      {"UCase$(Mid$('abc', 2))", "BC"},
      {"InStr(4, 'abcabc', 'c')", "6"},
      {"InStr(1, 'abC', 'c', 0)", "0"},
      {"InStr(Null, 'x')", "~"},
      {"UCase('élève')", "ÉLÈVE"},
      {"Trim('  a b  ')", "a b"},
      {"Len('élève')", "5"},
      {"Replace('a-b-c', '-', '+')", "a+b+c"},
      {"CStr(2.50)", "2.5"},
      {"Chr(65) & Asc('é')", "A233"},
      {"Nz(Null, 'x')", "x"},
      {"IIf(1 > 2, 'a', 'b')", "b"},
      {"CDbl('1,5')", "1.5"},
      {"CLng('2.5')", "2"},
      {"CLng(3.5)", "4"},
      {"CLng(-2.5)", "-2"},
      {"CInt(-1.5)", "-2"},
      {"CBool('Vrai')", "-1"},
      {"Val('  12 5abc')", "125"},
      {"Val('-3.5e2x')", "-350"},
      {"Int(-2.5)", "-3"},
      {"Fix(-2.5)", "-2"},
      {"Round(0.125, 2)", "0.12"},
      {"Round(2.5)", "2"},
      {"Year('2025-12-31')", "2025"},
      {"Month('2025-12-31 10:20:30')", "12"},
      {"Weekday('2025-12-07')", "1"},
      {"DateSerial(2025, 13, 1)", "2026-01-01"},
      {"#12/31/2025# + 0.5", "2025-12-31 12:00:00"},
      {"#03/01/2026# - #02/01/2026#", "28"},
      {"CDate('31/12/2025')", "2025-12-31"},
      {"DateAdd('m', 1, #01/31/2025#)", "2025-02-28"},
      {"DateAdd('yyyy', -1, #02/29/2024#)", "2023-02-28"},
      {"DateAdd('ww', 2, #12/25/2025#)", "2026-01-08"},
      {"DateDiff('d', '2025-12-31 23:00:00', '2026-01-01 01:00:00')", "1"},
      {"DateDiff('d', #12/31/2025#, DateAdd('m', 2, #12/31/2025#)) + 1", "60"},
      {"DateDiff('yyyy', #12/31/2025#, #01/01/2026#)", "1"},
      {"DateDiff('m', #03/31/2026#, #01/01/2026#)", "-2"},
      {"DateDiff('ww', #12/06/2025#, #12/07/2025#)", "1"},
      {"Str(12) & '|' & Str(-1.5)", " 12|-1.5"},
      {"Format('2025-03-04 05:06:07', 'dd/mm/yyyy hh:nn:ss')", "04/03/2025 05:06:07"},
      {"Format(#03/04/2025#, 'd/m/yy')", "4/3/25"},
      {"Format(1234567.456, '# ### ##0.00')", "1 234 567.46"},
      {"Format(12, '00000')", "00012"},
      {"Format(1234.5, 'Standard')", "1 234.50"},
      {"Format(0.256, 'Percent')", "25.60%"},
  };
  for (const auto& [expr, expected] : cases)
    EXPECT_EQ(jet(QStringLiteral("SELECT ") + QString::fromUtf8(expr)), QStringList{expected})
        << expr;
}

TEST_F(JetSqlTest, UpdatableTableOnlyForPlainSingleTableSelects) {
  fillQuotes();
  const QString other = m_dir.filePath("AUTRE.MDB");
  createQuoteTables(attach(other));
  EXPECT_EQ(translate("select * from TSOC where TSOC_Desactive=false;").updatableTable, "TSOC");
  const SqlTranslation remote = translate("SELECT * FROM [" + other + "].TDOS");
  EXPECT_EQ(remote.updatableTable, "TDOS");
  EXPECT_EQ(remote.updatableSchema, attach(other));
  EXPECT_EQ(translate("SELECT [TDOS_SOC] & 'x' AS K, TDOS.* FROM TDOS").updatableTable, "TDOS");
  const SqlTranslation aliased = translate("SELECT D.* FROM TDOS AS D WHERE D.TDOS_SOC = 'AB'");
  EXPECT_EQ(aliased.updatableTable, "TDOS");
  EXPECT_EQ(aliased.updatableAlias, "D");
  EXPECT_EQ(remote.updatableAlias, "TDOS");
  for (const char* s :
       {"SELECT DISTINCT TDOS_SOC FROM TDOS", "SELECT Max(TDOS_NUMDOSS) FROM TDOS",
        "SELECT TDOS_SOC FROM TDOS GROUP BY TDOS_SOC",
        "SELECT * FROM TDOS LEFT JOIN TDEV ON TDOS_SOC = TDEV_SOC", "SELECT * FROM TDOS, TDEV"})
    EXPECT_TRUE(translate(s).updatableTable.isEmpty()) << s;
}

TEST_F(JetSqlTest, AttachedSchemasAreAskedAgainForCachedStatements) {
  const QString file = m_dir.filePath("X.MDB");
  const QString sql = "SELECT * FROM [" + file + "].T";
  const SqlTranslation first = translateJetSql(sql, [](const QString&) { return QString("s1"); });
  const SqlTranslation second = translateJetSql(sql, [](const QString&) { return QString("s2"); });
  EXPECT_TRUE(first.sql.contains("\"s1\""));
  EXPECT_TRUE(second.sql.contains("\"s2\""));
  EXPECT_EQ(second.updatableSchema, "s2");
}

TEST_F(JetSqlTest, DataDefinition) {
  SqlTranslation t = translate(
      "CREATE TABLE TMP_MAIL (MAIL_ID COUNTER, MAIL_DEST TEXT(80) NOT NULL, MAIL_OBJET TEXT, "
      "MAIL_CORPS MEMO, MAIL_NB LONG DEFAULT 0, MAIL_PRIX CURRENCY, MAIL_ENVOYE YESNO DEFAULT "
      "False, MAIL_DATE DATETIME DEFAULT Date(), MAIL_NOTE TEXT(10) DEFAULT 'n''a', "
      "MAIL_Q SHORT, MAIL_B BYTE, MAIL_S SINGLE, MAIL_D DOUBLE, "
      "CONSTRAINT PrimaryKey PRIMARY KEY (MAIL_ID), CONSTRAINT IX_DEST UNIQUE (MAIL_DEST, "
      "MAIL_NB));");
  ASSERT_EQ(t.fields.size(), 13);
  EXPECT_TRUE(t.fields[0].autoIncrement);
  EXPECT_EQ(t.fields[1].size, 80);
  EXPECT_TRUE(t.fields[1].required);
  EXPECT_EQ(t.fields[2].size, 255);
  EXPECT_EQ(t.fields[7].defaultValue, "Date()");
  EXPECT_EQ(t.fields[8].defaultValue, "\"n'a\"");
  ASSERT_EQ(t.indexes.size(), 2);
  EXPECT_TRUE(t.indexes[0].primary);
  EXPECT_EQ(t.indexes[1].fields, (QStringList{"MAIL_DEST", "MAIL_NB"}));
  EXPECT_TRUE(t.indexes[1].unique && !t.indexes[1].primary);

  t = translate("CREATE TABLE [T X] ([Code Art] TEXT(20) CONSTRAINT PK PRIMARY KEY, Qte DOUBLE)");
  EXPECT_EQ(t.table, "T X");
  ASSERT_EQ(t.indexes.size(), 1);
  EXPECT_EQ(t.indexes[0].name, "PK");
  EXPECT_EQ(t.indexes[0].fields, QStringList{"Code Art"});

  t = translate(
      "CREATE UNIQUE INDEX NTX_ABREGE ON TMP_TRAD (T_ABREGE DESC, T_VALEUR) WITH DISALLOW NULL");
  EXPECT_EQ(t.indexes[0].descending, (QList<bool>{true, false}));
  EXPECT_TRUE(t.indexes[0].unique);
  EXPECT_TRUE(translate("CREATE INDEX PrimaryKey ON T (A) WITH PRIMARY").indexes[0].primary);

  t = translate("ALTER TABLE TSOC ADD TSOC_Desactive YESNO");
  EXPECT_EQ(t.fields[0].type, FieldType::Boolean);
  t = translate("ALTER TABLE TSOC DROP COLUMN TSOC_Desactive");
  EXPECT_EQ(t.kind, SqlTranslation::Kind::DropColumn);
  EXPECT_EQ(t.column, "TSOC_Desactive");
  t = translate("DROP INDEX NTX_ABREGE ON TMP_TRAD");
  EXPECT_EQ(t.kind, SqlTranslation::Kind::DropIndex);
  EXPECT_EQ(t.indexName, "NTX_ABREGE");
  EXPECT_EQ(t.table, "TMP_TRAD");
}

TEST_F(JetSqlTest, WhatCannotBeTranslatedFailsWithTheStatement) {
  const auto number = [this](const QString& sql) {
    try {
      translate(sql);
    } catch (const DbError& e) {
      EXPECT_TRUE(e.description().contains(sql)) << e.what();
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number("TRANSFORM Sum(X) SELECT A FROM T GROUP BY A PIVOT B"), err::UnsupportedSql);
  EXPECT_EQ(number("UPDATE A INNER JOIN B ON A.X = B.X SET A.Y = B.Y"), err::UnsupportedSql);
  EXPECT_EQ(number("SELECT TOP 10 PERCENT * FROM T"), err::UnsupportedSql);
  EXPECT_EQ(number("SELECT * FROM T WHERE A = ?"), err::UnsupportedSql);
  EXPECT_EQ(number("CREATE TABLE T (A TEXT(10), CONSTRAINT F FOREIGN KEY (A) REFERENCES U (B))"),
            err::UnsupportedSql);
  EXPECT_EQ(number("SELECT MaFonction(A) FROM T"), err::UnknownFunction);
  EXPECT_EQ(number("SELECT Left(A) FROM T"), err::SyntaxError);
  EXPECT_EQ(number("SELECT * FROM T WHERE A = 'abc"), err::SyntaxError);
  EXPECT_EQ(number("'abc"), err::SyntaxError);
  EXPECT_EQ(number(""), err::UnsupportedSql);
  EXPECT_EQ(number("SELECT * FROM T WHERE D = #13/45/2025#"), err::SyntaxError);
  EXPECT_EQ(number("SELECT * FROM T; SELECT 1"), err::SyntaxError);
  EXPECT_EQ(number("SELECT * FROM A LEFT JOIN B"), err::SyntaxErrorFrom);
}

TEST_F(JetSqlTest, MisspeltFieldIsAnErrorNotAText) {
  exec(R"(CREATE TABLE T ("A" TEXT(5) COLLATE JET); INSERT INTO T VALUES ('A');)");
  sqlite3_stmt* st = nullptr;
  const QByteArray sql = translate("SELECT * FROM T WHERE AA = 'AA'").sql.toUtf8();
  EXPECT_NE(sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr), SQLITE_OK);
  sqlite3_finalize(st);
}

}  // namespace
}  // namespace tarovent::db
