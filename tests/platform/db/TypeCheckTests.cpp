#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

class TypeCheckTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec("CREATE TABLE T (K TEXT(5), N LONG, V DOUBLE, D DATETIME, M MEMO)");
    m_rs = m_db.OpenRecordset("T", RecordsetType::Table);
    m_rs.AddNew();
  }
  Recordset m_rs;
};

TEST_F(TypeCheckTest, ValuesTheFieldCannotHoldAreRefused) {
  EXPECT_DB_ERROR(m_rs.setValue("K", "abcdef"), err::FieldTooSmall);
  m_rs.setValue("K", "abcde");
  m_rs.setValue("M", QString(1000, 'x'));
  EXPECT_DB_ERROR(m_rs.setValue("N", "douze"), err::TypeConversion);
  EXPECT_DB_ERROR(m_rs.setValue("V", "1,2,3"), err::TypeConversion);
  EXPECT_DB_ERROR(m_rs.setValue("D", "31/02/2025"), err::TypeConversion);
  m_rs.Update();
  EXPECT_EQ(column("select K from T", "K"), QStringList{"abcde"});
}

TEST_F(TypeCheckTest, StatementsRefuseWhatRecordsetsRefuse) {
  exec("INSERT INTO T (K, N, D) VALUES ('a', '12', '15/03/1925')");
  EXPECT_DB_ERROR(exec("INSERT INTO T (K) VALUES ('abcdef')"), err::FieldTooSmall);
  EXPECT_DB_ERROR(exec("INSERT INTO T VALUES ('b', 'douze', 1, Null, Null)"), err::TypeConversion);
  EXPECT_DB_ERROR(exec("INSERT INTO T (K, D) VALUES ('c', '31/02/2025')"), err::TypeConversion);
  EXPECT_DB_ERROR(exec("INSERT INTO T (K, N) SELECT K & 'xyzzy', N FROM T"), err::FieldTooSmall);
  EXPECT_DB_ERROR(exec("UPDATE T SET V = 'un,deux'"), err::TypeConversion);
  exec("UPDATE T SET V = 2.5, M = '" + QString(1000, 'x') + "'");
  exec("INSERT INTO T (K, N) SELECT 'd', N + 1 FROM T");
  Recordset rs = m_db.OpenRecordset("select * from T order by K");
  EXPECT_EQ(rs.value("N").toInt(), 12);
  EXPECT_EQ(rs.value("V").toDouble(), 2.5);
  EXPECT_EQ(rs.value("D").toDate(), QDate(1925, 3, 15));
  rs.MoveNext();
  EXPECT_EQ(at(rs, "K"), "d");
  EXPECT_EQ(rs.value("N").toInt(), 13);
  rs.MoveNext();
  EXPECT_TRUE(rs.EOF_());
}

// Text typed with the decimal comma is a number in statements as in recordsets.
TEST_F(TypeCheckTest, TextWithADecimalCommaIsANumberInStatements) {
  exec("INSERT INTO T (K) VALUES ('a')");
  exec("UPDATE T SET V = '2,5'");
  EXPECT_EQ(column("select V from T", "V"), QStringList{"2.5"});
}

// Values copied between tables mostly go in as they are; the checks still hold at the edges:
// a text as long as its field, a stored date that is no day, a midnight time, accented text
// longer in bytes than in characters.
TEST_F(TypeCheckTest, CopiedValuesAreCheckedAsTypedOnes) {
  exec("CREATE TABLE S (K TEXT(10), N LONG, V DOUBLE, D TEXT(20))");
  exec("INSERT INTO S VALUES ('abcde', 7, 3, '2025-03-15 00:00:00')");
  exec("INSERT INTO T (K, N, V, D) SELECT K, N, N, D FROM S");
  exec("INSERT INTO T (K, D) SELECT 'e', '2025-03-15 10:20:30' FROM S");
  Recordset rs = m_db.OpenRecordset("select * from T order by K");
  EXPECT_EQ(at(rs, "K"), "abcde");
  EXPECT_EQ(rs.value("N").toInt(), 7);
  EXPECT_EQ(rs.value("V").typeId(), QMetaType::Double);
  EXPECT_EQ(rs.value("D"), QVariant(QDate(2025, 3, 15)));
  rs.MoveNext();
  EXPECT_EQ(rs.value("D").toDateTime(), QDateTime(QDate(2025, 3, 15), QTime(10, 20, 30)));
  exec("UPDATE S SET D = '2025-02-30'");
  EXPECT_DB_ERROR(exec("INSERT INTO T (K, D) SELECT 'f', D FROM S"), err::TypeConversion);
  exec("UPDATE S SET K = 'abcdef'");
  EXPECT_DB_ERROR(exec("INSERT INTO T (K) SELECT K FROM S"), err::FieldTooSmall);
  exec("UPDATE S SET K = 'éèêëà'");
  exec("INSERT INTO T (K) SELECT K FROM S");
  EXPECT_EQ(column("select K from T where N Is Null and D Is Null", "K"),
            QStringList{QString::fromUtf8("éèêëà")});
}

TEST_F(TypeCheckTest, FourDigitYearsAreKeptAndTwoDigitOnesFollowOneRule) {
  m_rs.setValue("D", "15/03/1925");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(1925, 3, 15));
  m_rs.setValue("D", "15/03/25");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(2025, 3, 15));
  m_rs.setValue("D", "15/03/75");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(1975, 3, 15));
  // The same rule in statements, literals and criteria.
  exec("INSERT INTO T (K, D) VALUES ('a', '15/03/1925')");
  exec("INSERT INTO T (K, D) VALUES ('b', '15/03/25')");
  exec("INSERT INTO T (K, D) VALUES ('c', #3/15/2125#)");
  EXPECT_EQ(column("select K from T where D = #3/15/25#", "K"), QStringList{"b"});
  EXPECT_EQ(column("select K from T where D < #1/1/50# order by K", "K"), QStringList{"a"});
  Recordset rs = m_db.OpenRecordset("select * from T order by K");
  rs.FindFirst("D > '31/12/2099'");
  EXPECT_EQ(at(rs, "K"), "c");
}

TEST_F(TypeCheckTest, ASeekKeyLongerThanItsFieldMatchesNothing) {
  m_rs.setValue("K", "abcde");
  m_rs.Update();
  exec("CREATE INDEX IXK ON T (K)");
  Recordset rs = m_db.OpenRecordset("T", RecordsetType::Table);
  rs.setIndex("IXK");
  rs.Seek("=", "abcdefgh");
  EXPECT_TRUE(rs.NoMatch());
  rs.Seek("<", "abcdefgh");
  EXPECT_EQ(at(rs, "K"), "abcde");
}

}  // namespace
}  // namespace tarovent::db::test
