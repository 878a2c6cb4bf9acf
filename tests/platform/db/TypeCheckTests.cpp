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
  EXPECT_DB_ERROR(m_rs.setValue("D", "demain"), err::TypeConversion);
  m_rs.Update();
  EXPECT_EQ(column("select K from T", "K"), QStringList{"abcde"});
}

TEST_F(TypeCheckTest, FourDigitYearsAreKeptAndTwoDigitOnesFollowOneRule) {
  m_rs.setValue("D", "15/03/1925");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(1925, 3, 15));
  m_rs.setValue("D", "15/03/2125");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(2125, 3, 15));
  m_rs.setValue("D", "15/03/25");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(2025, 3, 15));
  m_rs.setValue("D", "15/03/75");
  EXPECT_EQ(m_rs.value("D").toDate(), QDate(1975, 3, 15));
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
