#include <gtest/gtest.h>

#include "dossiers/WriteTransaction.h"
#include "platform/db/DbError.h"
#include "platform/db/DbTestSupport.h"

namespace tarovent::dossiers {
namespace {

using WriteTransactionTest = db::test::DbTest;

// A lock met inside the work runs the whole transaction again a few times, each attempt
// undone; any other error, or a lock that lasts, is let through.
TEST_F(WriteTransactionTest, RunsTheWorkAgainWhileTheBaseIsLocked) {
  exec("CREATE TABLE T (N LONG)");
  const db::DbError locked(db::err::Locked, QStringLiteral("verrouillée"));
  int runs = 0;
  inWriteTransaction(m_db, [&] {
    exec("INSERT INTO T VALUES (1)");
    if (++runs < 3) throw locked;
  });
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(column("SELECT N FROM T", "N"), QStringList{"1"});

  runs = 0;
  EXPECT_THROW(inWriteTransaction(m_db, [&] { ++runs, throw locked; }), db::DbError);
  EXPECT_EQ(runs, 6);
  runs = 0;
  EXPECT_THROW(inWriteTransaction(m_db,
                                  [&] {
                                    ++runs;
                                    exec("INSERT INTO T VALUES (2)");
                                    throw db::DbError(3022, QStringLiteral("doublon"));
                                  }),
               db::DbError);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(column("SELECT N FROM T", "N"), QStringList{"1"});
}

}  // namespace
}  // namespace tarovent::dossiers
