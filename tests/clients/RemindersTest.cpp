#include <gtest/gtest.h>

#include "ReminderTestSupport.h"
#include "clients/Reminders.h"

namespace tarovent::clients {
namespace {

class Reminders : public dossiers::test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    test::addReminders(m_db);
  }
  QString due(long dossier, int seq) {
    return scalar(QStringLiteral("select TDEV_DATREL from TDEV where TDEV_SOC = 'AB' and "
                                 "TDEV_NUMDOSS = %1 and TDEV_NSEQ = %2")
                      .arg(dossier)
                      .arg(seq));
  }
  QStringList listed(const QString& rep = {}) {
    QStringList keys;
    for (const QStringList& row : reminderRows(m_db, m_db, rep)) keys << row[1] + '/' + row[2];
    return keys;
  }
};

TEST_F(Reminders, DueUpToTodayOldestFirstAndTheRepresentativesOwnOnly) {
  EXPECT_EQ(listed(), QStringList({"1/2", "1/1", "2/0"}));  // tomorrow's (3/0) waits
  EXPECT_EQ(listed("JD"), QStringList({"1/2", "1/1"}));
  EXPECT_EQ(listed("PL"), QStringList({"2/0"}));
  EXPECT_TRUE(listed("ZZ").isEmpty());
  EXPECT_EQ(reminderCaption("Relances", "JD"), "Relances (JD)");
  EXPECT_EQ(reminderCaption("Relances", ""), "Relances");
  // A code with an apostrophe is data, never SQL.
  EXPECT_TRUE(listed("J'D").isEmpty());
}

TEST_F(Reminders, RowsCarryTheContactsCellsWhenTheContactIsKnown) {
  const QList<QStringList> rows = reminderRows(m_db, m_db, {});
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ(rows[1], QStringList({"AB", "1", "1", "C1", "Portail", "JD",
                                  QDate::currentDate().addDays(-1).toString("dd/MM/yyyy"),
                                  "Marc Aubry", QString::fromUtf8("Gérant"), "04 75 00 00 01",
                                  "06 00 00 00 01", "marc@aubry.fr"}));
  EXPECT_EQ(rows[2].mid(7), QStringList({"Inconnu", "", "", "", ""}));
  EXPECT_EQ(contactCells(m_db, "C2", "Marc Aubry").mail, "");
  EXPECT_EQ(contactCells(m_db, "C1", "marc aubry").mail, "marc@aubry.fr");
  EXPECT_EQ(contactCells(m_db, "C1", "O'Neil").function, "");
}

TEST_F(Reminders, DroppingFromARowEmptiesTheDossiersLatestVersion) {
  // The row of version 1 drops the reminder of version 2, the dossier's latest.
  EXPECT_EQ(dropLatestReminder(m_db, "AB", 1), 2);
  EXPECT_EQ(due(1, 2), "");
  EXPECT_NE(due(1, 1), "");
  EXPECT_NE(due(2, 0), "");  // the next dossier is left alone
  EXPECT_EQ(listed(), QStringList({"1/1", "2/0"}));
  // A sequence 999 is above every version the program numbers: the one below it is taken.
  m_db.Execute(
      "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATREL) VALUES ('AB', "
      "2, 999, " +
      test::jetDay(-2) + ")");
  EXPECT_EQ(dropLatestReminder(m_db, "AB", 2), 0);
  EXPECT_NE(due(2, 999), "");
  // A dossier without versions never lends the previous dossier's reminder.
  EXPECT_EQ(dropLatestReminder(m_db, "AB", 5), -1);
  EXPECT_EQ(dropLatestReminder(m_db, "AA", 1), -1);
  EXPECT_NE(due(3, 0), "");
  EXPECT_NE(due(4, 0), "<none>");
}

TEST_F(Reminders, DroppingAVersionPutsItOutOfTheListForGood) {
  EXPECT_TRUE(dropReminder(m_db, {"AB", 2, 0}));
  db::Recordset rs = m_db.OpenRecordset("select TDEV_DATREL from TDEV where TDEV_NUMDOSS = 2",
                                        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  EXPECT_EQ(rs.value(0).toDate(), QDate(2100, 1, 1));
  EXPECT_EQ(listed(), QStringList({"1/2", "1/1"}));
  EXPECT_FALSE(dropReminder(m_db, {"AB", 2, 7}));
  EXPECT_FALSE(dropReminder(m_db, {"XY", 1, 1}));
}

}  // namespace
}  // namespace tarovent::clients
