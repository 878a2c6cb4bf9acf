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
      {u"élève", u"ÉLÈVE", 0},
      {u"abc", u"ABC", 0},
      {u"e", u"é", -1},
      {u"é", u"f", -1},
      {u"A", u"b", -1},
      {u"b", u"C", -1},
      {u"eleve", u"élève", -1},
      {u"élève", u"elevf", -1},
      {u"", u"a", -1},
      {u"abc", u"abcd", -1},
      {u"Œuvre", u"oeuvre", 1},
      {u"œuvre", u"oeuvrf", -1},
      {u"Ærien", u"aerien", 1},
      {u"straße", u"strasse", 1},
      {u"straße", u"strasst", -1},
      {u"çа", u"ÇА", 0},
      {u"a_b", u"aab", -1},
      {u"10", u"9", -1},
      {u"2025-01-02", u"2025-01-10", -1},
      {u"Zoé", u"zoe", 1},
      {u"Ø", u"p", -1},
      {u"ĳ", u"ij", 1},
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
      {u"abc", u"A?C", true},
      {u"ab", u"a?c", false},
      {u"a1c", u"a#c", true},
      {u"abc", u"a#c", false},
      {u"abc", u"a[a-c]c", true},
      {u"abc", u"a[!b]c", false},
      {u"adc", u"a[!b]c", true},
      {u"a*b", u"a[*]b", true},
      {u"axb", u"a[*]b", false},
      {u"", u"*", true},
      {u"", u"?", false},
      {u"xxabcxx", u"*B*", true},
      {u"Élève", u"é*", true},
      {u"eleve", u"é*", false},
      {u"ÉLÈVE", u"*è*", true},
      {u"abcabd", u"*ab?", true},
      {u"a[b", u"a[b", true},
      {u"abc", u"abc*", true},
      {u"abc", u"ab", false},
      {u"D'Artagnan", u"d'a*", true},
      {u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab",
       u"*a*a*a*a*a*a*a*a*a*a*a*a*c", false},
      {u"a12b", u"*#b", true},
      {u"ab", u"a**b", true},
      {u"xyz", u"*?", true},
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
  EXPECT_EQ(jetInStr(1, u"abc", u""), 1);
  EXPECT_EQ(jetInStr(5, u"abc", u"a"), 0);
  EXPECT_EQ(jetInStr(1, u"ÉLÈVE", u"è"), 3);
  EXPECT_EQ(jetInStr(1, u"eleve", u"è"), 0);
  EXPECT_EQ(jetInStr(1, u"D'Artagnan", u"d'a"), 1);
}

TEST_F(JetSqliteTest, LikeOperatorUsesJetPatterns) {
  EXPECT_EQ(value("'ÉLÈVE' LIKE 'é*'"), "1");
  EXPECT_EQ(value("'abc' LIKE 'a%'"), "0");  // % is no wildcard in Jet
  EXPECT_EQ(value("'a%c' LIKE 'a%c'"), "1");
  EXPECT_EQ(value("'a_c' LIKE 'a?c'"), "1");
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

TEST_F(JetSqliteTest, TextFunctions) {
  const std::pair<const char*, const char*> cases[] = {
      {"jet_left('abcdef', 2)", "ab"},
      {"jet_left('ab', 5)", "ab"},
      {"jet_left(NULL, 2)", "~"},
      {"jet_right('00000' || 12, 5)", "00012"},
      {"jet_right(12345, 2)", "45"},
      {"jet_mid('abcdef', 3)", "cdef"},
      {"jet_mid('abcdef', 3, 2)", "cd"},
      {"jet_mid('abc', 9)", ""},
      {"jet_instr('abcabc', 'C')", "3"},
      {"jet_instr(4, 'abcabc', 'c')", "6"},
      {"jet_instr(1, 'abC', 'c', 0)", "0"},
      {"jet_instr(NULL, 'x')", "~"},
      {"jet_ucase('élève')", "ÉLÈVE"},
      {"jet_lcase('ÀB')", "àb"},
      {"jet_trim('  a b  ')", "a b"},
      {"jet_ltrim('  a ')", "a "},
      {"jet_rtrim('  a ')", "  a"},
      {"jet_len('élève')", "5"},
      {"jet_len(NULL)", "~"},
      {"jet_space(3) || '|'", "   |"},
      {"jet_replace('a-b-c', '-', '+')", "a+b+c"},
      {"jet_cstr(2.50)", "2.5"},
      {"jet_chr(65) || jet_asc('é')", "A233"},
  };
  for (const auto& [expr, expected] : cases) EXPECT_EQ(value(expr), expected) << expr;
}

TEST_F(JetSqliteTest, ConversionsAndNumbers) {
  const std::pair<const char*, const char*> cases[] = {
      {"jet_cdbl('1,5')", "1.5"},
      {"jet_cdbl(' 2.25 ')", "2.25"},
      {"jet_clng(2.5)", "2"},
      {"jet_clng(3.5)", "4"},
      {"jet_clng(-2.5)", "-2"},
      {"jet_cint('7')", "7"},
      {"jet_val('  12 5abc')", "125"},
      {"jet_val('abc')", "0"},
      {"jet_val('-3.5e2x')", "-350"},
      {"jet_val('1.5')", "1.5"},
      {"jet_int(-2.5)", "-3"},
      {"jet_fix(-2.5)", "-2"},
      {"jet_abs(-4)", "4"},
      {"jet_sgn(-0.1)", "-1"},
      {"jet_round(0.125, 2)", "0.12"},
      {"jet_round(2.5)", "2"},
      {"jet_intdiv(7.6, 2)", "4"},
      {"jet_pow(2, 10)", "1024.0"},
      {"jet_nz(NULL, 3)", "3"},
      {"jet_nz(NULL)", ""},
      {"jet_iif(1 > 0, 'o', 'n')", "o"},
      {"jet_cbool('Vrai')", "-1"},
  };
  for (const auto& [expr, expected] : cases) EXPECT_EQ(value(expr), expected) << expr;
  // Conversions that cannot be made are errors, as in the engine.
  EXPECT_TRUE(value("jet_cdbl('abc')").startsWith("error"));
  EXPECT_TRUE(value("jet_cint(40000)").startsWith("error"));
  EXPECT_TRUE(value("jet_mid('abc', 0)").startsWith("error"));
}

TEST_F(JetSqliteTest, DatesAndFormats) {
  const std::pair<const char*, const char*> cases[] = {
      {"jet_year('2025-12-31')", "2025"},
      {"jet_month('2025-12-31 10:20:30')", "12"},
      {"jet_day('2025-12-31')", "31"},
      {"jet_hour('2025-12-31 10:20:30')", "10"},
      {"jet_weekday('2025-12-07')", "1"},
      {"jet_dateserial(2025, 13, 1)", "2026-01-01"},
      {"jet_add('2025-12-31', 1)", "2026-01-01"},
      {"jet_add('2025-12-31', 0.5)", "2025-12-31 12:00:00"},
      {"jet_sub('2026-03-01', '2026-02-01')", "28"},
      {"jet_sub(10, 4)", "6"},
      {"jet_add('a', 'b')", "ab"},
      {"jet_cdate('31/12/2025')", "2025-12-31"},
      {"jet_dateadd('m', 1, '2025-01-31')", "2025-02-28"},
      {"jet_dateadd('yyyy', -1, '2024-02-29')", "2023-02-28"},
      {"jet_dateadd('ww', 2, '2025-12-25')", "2026-01-08"},
      {"jet_dateadd('h', 30, '2025-12-31 00:00:00')", "2026-01-01 06:00:00"},
      {"jet_datediff('d', '2025-12-31 23:00:00', '2026-01-01 01:00:00')", "1"},
      {"jet_datediff('yyyy', '2025-12-31', '2026-01-01')", "1"},
      {"jet_datediff('m', '2026-03-31', '2026-01-01')", "-2"},
      {"jet_datediff('q', '2025-12-31', '2026-01-01')", "1"},
      {"jet_datediff('ww', '2025-12-06', '2025-12-07')", "1"},
      {"jet_datediff('h', '2025-12-31 10:59:59', '2025-12-31 11:00:00')", "1"},
      {"jet_str(12) || '|' || jet_str(-1.5)", " 12|-1.5"},
      {"jet_format('2025-03-04 05:06:07', 'dd/mm/yyyy hh:nn:ss')", "04/03/2025 05:06:07"},
      {"jet_format('2025-03-04', 'd/m/yy')", "4/3/25"},
      {"jet_format(1234567.456, '# ### ##0.00')", "1 234 567.46"},
      {"jet_format(0.5, '# ### ##0.00')", "0.50"},
      {"jet_format(-42, '##0.00')", "-42.00"},
      {"jet_format(12, '00000')", "00012"},
      {"jet_format(1234.5, 'Standard')", "1 234.50"},
      {"jet_format(0.256, 'Percent')", "25.60%"},
      {"jet_format(NULL, '0')", "~"},
  };
  for (const auto& [expr, expected] : cases) EXPECT_EQ(value(expr), expected) << expr;
  EXPECT_EQ(value("jet_date() = date('now', 'localtime')"), "1");
  EXPECT_EQ(value("substr(jet_now(), 1, 10) = jet_date()"), "1");
}

TEST_F(JetSqliteTest, FirstAndLastFollowTheScanOrderOfEachGroup) {
  ASSERT_EQ(exec(R"(CREATE TABLE V ("g" TEXT(5) COLLATE JET, "v" LONG INTEGER);
                    INSERT INTO V VALUES ('b', 1), ('A', 10), ('B', 2), ('a', NULL), ('b', 3);)"),
            SQLITE_OK);
  EXPECT_EQ(values("SELECT jet_first(v) || '-' || ifnull(jet_last(v), 'null') FROM V GROUP BY g "
                   "ORDER BY g"),
            (QStringList{"10-null", "1-3"}));
  EXPECT_EQ(values("SELECT ifnull(jet_first(v), 'none') FROM V WHERE g = 'z'"),
            QStringList{"none"});
}

}  // namespace
}  // namespace tarovent::db
