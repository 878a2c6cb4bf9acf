#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>

#include "QtPrinters.h"
#include "platform/db/JetFunctions.h"

namespace tarovent::db {
namespace {

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

TEST(JetCompare, IgnoresCaseAndSortsAccentsNextToTheirLetter) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int expected;
  };
  const Case cases[] = {
      {u"élève", u"ÉLÈVE", 0},  {u"e", u"é", -1},           {u"A", u"b", -1},
      {u"eleve", u"élève", -1}, {u"élève", u"elevf", -1},   {u"Œuvre", u"oeuvre", 1},
      {u"Ærien", u"aerien", 1}, {u"straße", u"strasse", 1}, {u"a_b", u"aab", -1},
      {u"10", u"9", -1},        {u"Zoé", u"zoe", 1},        {u"ĳ", u"ij", 1},
  };
  for (const Case& c : cases) {
    const QString a = QString::fromUtf16(c.a);
    const QString b = QString::fromUtf16(c.b);
    EXPECT_EQ(sign(jetCompare(a, b)), c.expected) << a.toStdString() << " / " << b.toStdString();
    EXPECT_EQ(sign(jetCompare(b, a)), -c.expected) << b.toStdString() << " / " << a.toStdString();
  }
}

class JetSqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    registerJetFunctions(m_db);
  }
  void TearDown() override { sqlite3_close(m_db); }

  int exec(const QString& sql) {
    return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
  }

  // First column of every row; Null as "~". A failing statement gives its error text.
  QStringList values(const QString& sql) {
    QStringList out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
      return {QStringLiteral("error: ") + sqlite3_errmsg(m_db)};
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      out << (sqlite3_column_type(st, 0) == SQLITE_NULL
                  ? QStringLiteral("~")
                  : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
    }
    if (rc != SQLITE_DONE) out = QStringList{QStringLiteral("error: ") + sqlite3_errmsg(m_db)};
    sqlite3_finalize(st);
    return out;
  }
  QString value(const QString& expr) { return values("SELECT " + expr).value(0); }

  sqlite3* m_db = nullptr;
};

TEST_F(JetSqliteTest, CollationOrdersAndDeduplicatesLikeJetCompare) {
  QStringList words{"zèbre", "Zebre",      "ÉLÈVE",      "eleve", "élève", "b",    "A",
                    "C",     "œil",        "oeil",       "Oeuf",  "æon",   "aeon", "Ça",
                    "ca",    "d'Artagnan", "D'ARTAGNAN", "10",    "9",     ""};
  ASSERT_EQ(exec(R"(CREATE TABLE W ("w" TEXT(30) COLLATE JET))"), SQLITE_OK);
  for (const QString& w : words) {
    QString q = w;
    q.replace("'", "''");
    ASSERT_EQ(exec("INSERT INTO W VALUES ('" + q + "')"), SQLITE_OK);
  }
  std::stable_sort(words.begin(), words.end(),
                   [](const QString& a, const QString& b) { return jetCompare(a, b) < 0; });
  const QStringList sorted = values("SELECT w FROM W ORDER BY w, rowid");
  ASSERT_EQ(sorted.size(), words.size());
  for (qsizetype k = 0; k < words.size(); ++k) EXPECT_EQ(jetCompare(sorted[k], words[k]), 0) << k;
  EXPECT_EQ(values("SELECT count(DISTINCT w) FROM W"), QStringList{"18"});

  ASSERT_EQ(exec(R"(CREATE TABLE K ("k" TEXT(30) COLLATE JET PRIMARY KEY))"), SQLITE_OK);
  EXPECT_EQ(exec("INSERT INTO K VALUES ('élève')"), SQLITE_OK);
  EXPECT_EQ(exec("INSERT INTO K VALUES ('ÉLÈVE')"), SQLITE_CONSTRAINT);
  EXPECT_EQ(exec("INSERT INTO K VALUES ('eleve')"), SQLITE_OK);
}

TEST(JetLike, PatternsAreCaseInsensitive) {
  struct Case {
    const char16_t* text;
    const char16_t* pattern;
    bool expected;
  };
  const Case cases[] = {
      {u"abc", u"a*", true},
      {u"ab", u"a?c", false},
      {u"a1c", u"a#c", true},
      {u"abc", u"a[a-c]c", true},
      {u"adc", u"a[!b]c", true},
      {u"a*b", u"a[*]b", true},
      {u"", u"*", true},
      {u"xxabcxx", u"*B*", true},
      {u"Élève", u"é*", true},
      {u"ÉLÈVE", u"*è*", true},
      {u"a[b", u"a[b", true},
      {u"D'Artagnan", u"d'a*", true},
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
       u"*a*a*a*a*a*a*a*a*a*a*a*a*c", false},
      {u"ab", u"a**b", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(jetLike(QString::fromUtf16(c.text), QString::fromUtf16(c.pattern)), c.expected)
        << QString::fromUtf16(c.text).toStdString() << " Like "
        << QString::fromUtf16(c.pattern).toStdString();
  }
}

TEST(JetInStr, FindsWithTheCollationCaseRule) {
  EXPECT_EQ(jetInStr(1, u"abcabc", u"BC"), 2);
  EXPECT_EQ(jetInStr(3, u"abcabc", u"bc"), 5);
  EXPECT_EQ(jetInStr(6, u"abcabc", u"bc"), 0);
  EXPECT_EQ(jetInStr(1, u"ÉLÈVE", u"è"), 3);
  EXPECT_EQ(jetInStr(1, u"eleve", u"è"), 0);
  EXPECT_EQ(jetInStr(1, u"D'Artagnan", u"d'a"), 1);
}

TEST_F(JetSqliteTest, LikeOperatorUsesJetPatterns) {
  EXPECT_EQ(value("'ÉLÈVE' LIKE 'é*'"), "1");
  EXPECT_EQ(value("'abc' LIKE 'a%'"), "0");  // % is no wildcard in Jet
  EXPECT_EQ(value("'a%c' LIKE 'a%c'"), "1");
  EXPECT_EQ(value("NULL LIKE 'a*'"), "~");
  EXPECT_EQ(value("'a*c' LIKE 'a!*c' ESCAPE '!'"), "1");
  EXPECT_EQ(value("'abc' LIKE 'a!*c' ESCAPE '!'"), "0");
}

TEST_F(JetSqliteTest, ConcatenationWritesNumbersAsTheEngineDoes) {
  EXPECT_EQ(value("jet_cat(5.0, '|', 2.5, '|', 12, '|', 0.1 + 0.2, '|', -0.5)"),
            "5|2.5|12|0.3|-0.5");
  EXPECT_EQ(value("jet_cat(1e20, '|', 1.5e-7, '|', 123456789012.25)"),
            "1E+20|1.5E-07|123456789012.25");
  EXPECT_EQ(value("jet_cat(NULL, 'a', NULL)"), "a");
  EXPECT_EQ(value("jet_cat(NULL, NULL)"), "~");
  EXPECT_EQ(value("jet_cat('2025-01-02', ' ', 'é')"), "2025-01-02 é");
}

// Conversions that cannot be made are errors, as in the engine.
TEST_F(JetSqliteTest, ImpossibleConversionsFailAndTheDateIsLocal) {
  for (const char* expr : {"jet_cdbl('abc')", "jet_cint(40000)", "jet_mid('abc', 0)"})
    EXPECT_TRUE(value(expr).startsWith("error")) << expr;
  EXPECT_EQ(value("jet_date() = date('now', 'localtime')"), "1");
  EXPECT_EQ(value("substr(jet_now(), 1, 10) = jet_date()"), "1");
}

}  // namespace
}  // namespace tarovent::db
