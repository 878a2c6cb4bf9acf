#include <gtest/gtest.h>

#include <QStringList>

#include "platform/db/Criteria.h"
#include "platform/db/DbError.h"
#include "platform/db/JetSql.h"

namespace tarovent::db {
namespace {

SqlTranslation translate(const QString& sql) {
  return translateJetSql(sql, [](const QString&) { return QStringLiteral("main"); });
}

int resolve(const QString&, const QString& name) {
  if (name.compare("N", Qt::CaseInsensitive) == 0) return 0;
  if (name.compare("NOM", Qt::CaseInsensitive) == 0) return 1;
  return -1;
}

// Statements nested beyond reason are refused with a clear error instead of exhausting the
// stack.
TEST(StatementLimits, DeepNestingIsRefusedWithAnError) {
  const QString deep = QString(5000, '(') + "1" + QString(5000, ')');
  try {
    translate("SELECT " + deep + " FROM T");
    ADD_FAILURE() << "no error";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), err::QueryTooComplex);
  }
  try {
    Criteria::compile("N = " + deep, resolve);
    ADD_FAILURE() << "no error";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), err::QueryTooComplex);
  }
  EXPECT_THROW(translate("SELECT " + QString(5000, '-') + "1 FROM T"), DbError);
  EXPECT_THROW(Criteria::compile(QString("Not ").repeated(5000) + "N = 1", resolve), DbError);
}

}  // namespace
}  // namespace tarovent::db
