#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <memory>
#include <thread>
#include <vector>

#include "DbTestSupport.h"
#include "platform/db/Presence.h"

namespace tarovent::db::test {
namespace {

// Two workstations on one database: each its own workspace and connection.
class PresenceTest : public DbTest {
 protected:
  Database another() {
    Workspace ws;
    ws.setServer(m_ws.server(), m_ws.renamed());
    return ws.OpenDatabase(path("TEST.MDB"));
  }
  static QStringList names(const QList<Holder>& holders) {
    QStringList out;
    for (const Holder& h : holders) out << h.user + '@' + h.machine;
    return out;
  }
};

TEST_F(PresenceTest, EachWorkstationSeesTheOthersHoldingAnItemNotItself) {
  Presence paul(m_db, "paul", "POSTE1");
  auto anne = std::make_unique<Presence>(another(), "anne", "POSTE2");
  paul.hold("DEV|AB|12|0");
  anne->hold("DEV|AB|12|0");
  anne->hold("DOS|AB|12");
  EXPECT_EQ(names(paul.others("DEV|AB|12|0")), QStringList{"anne@POSTE2"});
  EXPECT_EQ(names(anne->others("DEV|AB|12|0")), QStringList{"paul@POSTE1"});
  EXPECT_EQ(names(paul.others("DOS|AB|12")), QStringList{"anne@POSTE2"});
  EXPECT_TRUE(paul.others("DOS|AB|13").isEmpty());
  // Holding twice is holding once: one release lets go.
  paul.hold("DEV|AB|12|0");
  paul.release("DEV|AB|12|0");
  EXPECT_TRUE(anne->others("DEV|AB|12|0").isEmpty());
  // A program that closes takes its rows with it.
  anne.reset();
  EXPECT_TRUE(paul.others("DOS|AB|12").isEmpty());
}

// Started without a login environment, the workstation still names its user: the others read
// who holds their dossier, never "?".
TEST(WorkstationUser, NamedWithoutALoginEnvironment) {
  const QByteArray saved[] = {qgetenv("USER"), qgetenv("USERNAME"), qgetenv("LOGNAME")};
  for (const char* name : {"USER", "USERNAME", "LOGNAME"}) qunsetenv(name);
  const QString user = workstationUser();
  qputenv("LOGNAME", "anne");
  const QString fromEnvironment = workstationUser();
  qunsetenv("LOGNAME");
  int i = 0;
  for (const char* name : {"USER", "USERNAME", "LOGNAME"})
    if (!saved[i++].isEmpty()) qputenv(name, saved[i - 1]);
  EXPECT_FALSE(user.isEmpty());
  EXPECT_NE(user, "?");
  EXPECT_EQ(fromEnvironment, "anne");
}

TEST_F(PresenceTest, AKilledWorkstationStopsHoldingWhenItsHeartbeatIsOld) {
  double clock = 1'000'000;
  Presence paul(m_db, "paul", "POSTE1");
  Presence anne(another(), "anne", "POSTE2");
  for (Presence* p : {&paul, &anne}) p->setClock([&clock] { return clock; });
  anne.hold("DOS|AB|12");
  clock += 80;
  EXPECT_EQ(names(paul.others("DOS|AB|12")), QStringList{"anne@POSTE2"});
  clock += 20;  // 100 s without a heartbeat: anne's program is taken for dead
  EXPECT_TRUE(paul.others("DOS|AB|12").isEmpty());
  anne.heartbeat();  // alive after all
  EXPECT_EQ(names(paul.others("DOS|AB|12")), QStringList{"anne@POSTE2"});
  // The next heartbeat of anyone removes the rows of the dead.
  clock += 200;
  paul.heartbeat();
  clock -= 200;
  EXPECT_TRUE(paul.others("DOS|AB|12").isEmpty());
}

// Regression: after a crash, the user read for a minute and a half that they had the dossier
// open themselves.
TEST_F(PresenceTest, ASessionWhoseProgramIsGoneFromThisMachineHoldsNothing) {
  Presence paul(m_db, "paul", "POSTE1");
  paul.hold("DOS|AB|12");
  const QString now = QString::number(double(QDateTime::currentMSecsSinceEpoch()) / 1000, 'f', 3);
  const auto session = [&](const QString& id, const char* machine) {
    m_db.Execute("INSERT INTO MSysTaroventSessions (SessionId, UserName, Machine, Item, Since, "
                 "Beat) VALUES ('" + id + "', 'paul', '" + machine + "', 'DOS|AB|12', " + now +
                 ", " + now + ")");
  };
  const QString alive = QStringLiteral("p%1-vivant").arg(QCoreApplication::applicationPid());
  session("p999999999-tue", "POSTE1");  // no process has that number
  session("p999999999-ailleurs", "POSTE3");  // another machine's: left to its heartbeat
  session(alive, "POSTE1");
  session("0b7f3c52-6a1e-4c1b-9a8e-3f3a1b2c4d5e", "POSTE1");  // an older program's name
  EXPECT_EQ(names(paul.others("DOS|AB|12")),
            (QStringList{"paul@POSTE3", "paul@POSTE1", "paul@POSTE1"}));
  EXPECT_EQ(m_db.OpenRecordset("SELECT * FROM MSysTaroventSessions WHERE SessionId = "
                               "'p999999999-tue'").RecordCount(),
            0);
}

TEST_F(PresenceTest, ASaveOverAnotherWorkstationsNewerSaveIsRefused) {
  Presence paul(m_db, "paul", "POSTE1");
  Presence anne(another(), "anne", "POSTE2");
  const QString quote = "DEV|AB|12|0";
  const qint64 paulSeen = paul.saveNumber(quote);
  const qint64 anneSeen = anne.saveNumber(quote);
  EXPECT_EQ(paulSeen, 0);
  EXPECT_EQ(anne.claimSave(quote, anneSeen), 1);
  Holder newer;
  EXPECT_EQ(paul.claimSave(quote, paulSeen, &newer), std::nullopt);
  EXPECT_EQ(newer.user, "anne");
  EXPECT_EQ(newer.machine, "POSTE2");
  EXPECT_GT(newer.since, 0);
  // Read again, paul saves; anne's own later saves go on from her own number.
  EXPECT_EQ(paul.claimSave(quote, paul.saveNumber(quote)), 2);
  EXPECT_EQ(anne.claimSave(quote, 1), std::nullopt);
  EXPECT_EQ(anne.claimSave("DEV|AB|12|1", 0), 1);  // another version is another item
}

// Workstations saving from the same number at the same moment: exactly one save goes through.
TEST_F(PresenceTest, OfSimultaneousSavesFromOneNumberOneGoesThrough) {
  constexpr int kWorkstations = 4;
  std::vector<std::unique_ptr<Presence>> stations;
  for (int i = 0; i < kWorkstations; ++i)
    stations.push_back(std::make_unique<Presence>(another(), QString("u%1").arg(i), "P"));
  EXPECT_EQ(stations[0]->saveNumber("DEV|AB|1|0"), 0);  // the tables made before the race
  for (int round = 0; round < 5; ++round) {
    QAtomicInt won = 0;
    std::vector<std::thread> threads;
    for (auto& s : stations)
      threads.emplace_back([&, p = s.get()] {
        if (p->claimSave("DEV|AB|1|0", round)) won.fetchAndAddOrdered(1);
      });
    for (auto& t : threads) t.join();
    EXPECT_EQ(won.loadRelaxed(), 1) << "round " << round;
  }
  EXPECT_EQ(stations[0]->saveNumber("DEV|AB|1|0"), 5);
}

}  // namespace
}  // namespace tarovent::db::test
