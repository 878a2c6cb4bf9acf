#include <gtest/gtest.h>

#include <unistd.h>

#include <QtGlobal>
#include <atomic>
#include <latch>
#include <thread>
#include <vector>

#include "PgCluster.h"
#include "QtPrinters.h"
#include "platform/db/DbError.h"
#include "platform/db/PgSession.h"
#include "platform/db/PgSupport.h"

namespace tarovent::db::test {
namespace {

// The warnings given while it lives, from any thread.
class Warnings {
 public:
  Warnings() {
    s_count = 0;
    m_previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&,
                                           const QString&) {
      if (type == QtWarningMsg) ++s_count;
    });
  }
  ~Warnings() { qInstallMessageHandler(m_previous); }
  int count() const { return s_count; }

 private:
  static inline std::atomic<int> s_count{0};
  QtMessageHandler m_previous;
};

// The functions translated SQL calls, on a server database of each test's own: what an older
// program left there is brought up to date by the next workstation that connects.
class PgSupportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TAROVENT_REQUIRE_PG(m_cluster);
    m_conninfo = m_cluster->freshDatabase();
    m_s = PgSession::open(m_conninfo, QStringLiteral("base"), true);
    m_s->execute("CREATE TABLE T (N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (N))");
    m_s->execute("INSERT INTO T (N) VALUES (12345)");
  }
  void TearDown() override {
    m_s.reset();
    if (m_cluster) m_cluster->dropDatabase(m_conninfo);
  }

  // The support as a program of version `version` would have left it: without the number
  // forms of Left, which came later. Version 1 wrote no version at all.
  void makeSupportOld(int version) {
    m_s->exec("DROP FUNCTION tarovent_jet.jet_left(double precision, double precision)");
    m_s->exec(version == 1 ? QStringLiteral("COMMENT ON SCHEMA tarovent_jet IS NULL")
                           : QStringLiteral("COMMENT ON SCHEMA tarovent_jet IS '%1'").arg(version));
  }

  // Left over a number field, which only the newer support knows.
  static QString leftOfANumber(PgSession& s) {
    return s.select("SELECT Left(N, 2) FROM T").rows.value(0).value(0).toString();
  }

  QString storedVersion() {
    return m_s->query("SELECT obj_description('tarovent_jet'::regnamespace, 'pg_namespace')")
        .rows.value(0)
        .value(0)
        .toString();
  }

  PgCluster* m_cluster = nullptr;
  QString m_conninfo;
  std::unique_ptr<PgSession> m_s;
};

TEST_F(PgSupportTest, AnOlderSupportIsBroughtUpToDateAtTheNextConnection) {
  EXPECT_EQ(storedVersion(), QString::number(kPgSupportVersion));
  makeSupportOld(1);
  EXPECT_THROW(leftOfANumber(*m_s), DbError);
  // Opening an existing database, as every workstation does, not making one.
  std::unique_ptr<PgSession> next = PgSession::open(m_conninfo, QStringLiteral("base"), false);
  EXPECT_EQ(leftOfANumber(*next), "12");
  EXPECT_EQ(storedVersion(), QString::number(kPgSupportVersion));
  // The family's own objects are untouched.
  EXPECT_EQ(next->select("SELECT Count(*) FROM T").rows.value(0).value(0), QVariant(1LL));
}

TEST_F(PgSupportTest, ASessionOnTheWholeServerAlsoBringsItUpToDate) {
  makeSupportOld(kPgSupportVersion - 1);
  std::unique_ptr<PgSession> whole = PgSession::open(m_conninfo, QString(), false);
  EXPECT_EQ(storedVersion(), QString::number(kPgSupportVersion));
  EXPECT_EQ(leftOfANumber(*m_s), "12");
}

TEST_F(PgSupportTest, ANewerSupportIsLeftAsTheNewerProgramMadeIt) {
  makeSupportOld(kPgSupportVersion + 1);
  std::unique_ptr<PgSession> next = PgSession::open(m_conninfo, QStringLiteral("base"), false);
  EXPECT_EQ(storedVersion(), QString::number(kPgSupportVersion + 1));
  EXPECT_THROW(leftOfANumber(*next), DbError);
}

TEST_F(PgSupportTest, WorkstationsConnectingAtOnceAllWorkAndInstallItOnce) {
  makeSupportOld(1);
  const Warnings warnings;
  constexpr int kStations = 6;
  std::vector<QString> failures(kStations);
  std::vector<QString> lefts(kStations);
  std::vector<std::thread> stations;
  std::latch ready(kStations);
  for (int i = 0; i < kStations; ++i)
    stations.emplace_back([&, i] {
      ready.arrive_and_wait();
      try {
        std::unique_ptr<PgSession> s = PgSession::open(m_conninfo, QStringLiteral("base"), false);
        lefts[i] = leftOfANumber(*s);
      } catch (const DbError& e) {
        failures[i] = e.description();
      }
    });
  for (std::thread& t : stations) t.join();
  for (int i = 0; i < kStations; ++i) {
    EXPECT_EQ(failures[i], QString()) << i;
    EXPECT_EQ(lefts[i], "12") << i;
  }
  // None of them failed to install it and went on without it.
  EXPECT_EQ(warnings.count(), 0);
  EXPECT_EQ(m_s->query("SELECT count(*) FROM pg_proc WHERE proname = 'jet_left'")
                .rows.value(0)
                .value(0),
            QVariant(2LL));
}

TEST_F(PgSupportTest, AUserWhoMayNotUpdateItStillOpensTheDatabase) {
  const QString role = QStringLiteral("clerk%1").arg(getpid());
  m_s->exec("CREATE ROLE " + role + " LOGIN");
  m_s->exec("GRANT USAGE ON SCHEMA base, tarovent_jet TO " + role);
  m_s->exec("GRANT SELECT ON ALL TABLES IN SCHEMA base TO " + role);
  makeSupportOld(1);
  QString conninfo = m_conninfo;
  conninfo.replace(QStringLiteral("user=tarovent"), "user=" + role);
  m_s->exec("GRANT CREATE ON DATABASE " + m_conninfo.section(QStringLiteral("dbname="), 1) +
            " TO " + role);
  {
    std::unique_ptr<PgSession> clerk;
    ASSERT_NO_THROW(clerk = PgSession::open(conninfo, QStringLiteral("base"), false));
    EXPECT_EQ(clerk->select("SELECT Count(*) FROM T").rows.value(0).value(0), QVariant(1LL));
    // Nor is a new database of the family refused.
    ASSERT_NO_THROW(PgSession::open(conninfo, QStringLiteral("autre"), true));
    EXPECT_EQ(storedVersion(), QString());
  }
  m_s->exec("DROP OWNED BY " + role);
  m_s->exec("DROP ROLE " + role);
}

}  // namespace
}  // namespace tarovent::db::test
