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
// stack; the long flat ones the selection dialogs build still run.
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

TEST(StatementLimits, LongChainsOfConditionsAndConcatenationsRun) {
  QStringList ors, ands, parts;
  for (int i = 0; i < 1000; ++i) {
    ors << QStringLiteral("N = %1").arg(i);
    ands << QStringLiteral("N <> %1").arg(i + 1000);
  }
  for (int i = 0; i < 5000; ++i) parts << "'x'";
  const QString sql = "SELECT * FROM T WHERE (" + ors.join(" OR ") + ") And " + ands.join(" And ") +
                      " And NOM <> " + parts.join(" & ");
  EXPECT_NO_THROW(translate(sql));

  const Criteria c = Criteria::compile(ors.join(" Or "), resolve);
  const QVariant hit[] = {999, "a"};
  const QVariant miss[] = {1000, "a"};
  EXPECT_TRUE(c.matches(hit));
  EXPECT_FALSE(c.matches(miss));
  const Criteria concat = Criteria::compile("NOM & " + parts.join(" & ") + " <> ''", resolve);
  EXPECT_TRUE(concat.matches(hit));
}

}  // namespace
}  // namespace tarovent::db
