#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>

#include "DossierTestSupport.h"
#include "dossiers/DossierDuplication.h"
#include "platform/db/DbError.h"

namespace tarovent::dossiers {
namespace {

using test::readFile;
using test::writeFile;

// Dossier AB 5 with versions 0, 1 and 2, its fifteen custom fields filled, the document of
// version 1 in the documents subfolder; an active company CD whose counter is at 10.
class Duplication : public test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    m_db.Execute("INSERT INTO TSOC VALUES ('CD', 'Carrosserie Dubois', 10, False)");
    QString columns, users;
    for (int n = 1; n <= 15; ++n) {
      columns += QStringLiteral(", TDOS_USER%1").arg(n);
      users += QStringLiteral(", 'u%1'").arg(n);
    }
    m_db.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL" +
                 columns + ") VALUES ('AB', 5, 'C1', 'A1', 'JD'" + users + ")");
    m_db.Execute(
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_MONTANT) VALUES "
        "('AB', 5, 0, #01/10/2025#, 100)");
    m_db.Execute(
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_MONTANT) VALUES "
        "('AB', 5, 1, #02/10/2025#, 200)");
    m_db.Execute(
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_DATREL, "
        "TDEV_MONTANT, TDEV_TARMAT) VALUES ('AB', 5, 2, #03/10/2025#, #04/15/2025#, 300, 'P')");
    m_local = workDatabase();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("DOC_TAROVENT"));
    ASSERT_TRUE(writeFile(document("00005_01.AB"), "version 1"));
  }
  QString document(const QString& name) const { return path("DOC_TAROVENT/" + name); }
  // Version 1 of AB 5 with its document, without the custom fields.
  static DuplicationRequest request(const QString& target) {
    return {"AB", 5, 1, target, true, false};
  }
  DossierDuplication duplication() {
    return DossierDuplication(m_local, path("TAROVENT.MDB"), m_dir.path() + '/', m_messages);
  }
  // What must not have changed after a failed duplication into CD.
  void expectNothingWritten() {
    EXPECT_EQ(counter("CD"), 10);
    EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = 'CD'"), "0");
    EXPECT_EQ(scalar("select count(*) from TDEV where TDEV_SOC = 'CD'"), "0");
    EXPECT_FALSE(QFile::exists(document("00011_00.CD")));
  }

  db::Database m_local;
};

TEST_F(Duplication, CopyIntoAnotherCompanyTakesItsNextNumber) {
  const DossierDuplication::Result result = duplication().run(request("CD"));
  ASSERT_TRUE(result.done()) << result.refusal.toStdString();
  EXPECT_EQ(result.company + QString::number(result.number), "CD11");
  EXPECT_EQ(counter("CD"), 11);
  EXPECT_EQ(counter("AB"), 6);
  EXPECT_EQ(scalar("select TDOS_CLIENT & TDOS_TYPE & TDOS_CAL & '|' & TDOS_USER1 & TDOS_USER2 & "
                   "'|' & TDOS_USER3 & TDOS_USER15 from TDOS where TDOS_SOC = 'CD' and "
                   "TDOS_NUMDOSS = 11"),
            "C1A1JD|u1u2|");
  // Only the highest version, as version 0 of today without reminder.
  EXPECT_EQ(scalar("select count(*) & '|' & max(TDEV_NUMDOSS) & '|' & max(TDEV_NSEQ) & '|' & "
                   "max(Year(TDEV_DATE) * 10000 + Month(TDEV_DATE) * 100 + Day(TDEV_DATE)) & "
                   "'|' & max(TDEV_DATREL) & '|' & max(TDEV_MONTANT) & max(TDEV_TARMAT) from TDEV "
                   "where TDEV_SOC = 'CD'"),
            "1|11|0|" + QDate::currentDate().toString("yyyyMMdd") + "||300P");
  // The document of the version shown, under sequence 00; the source is untouched.
  EXPECT_EQ(readFile(document("00011_00.CD")), "version 1");
  EXPECT_EQ(QDir(path("DOC_TAROVENT")).entryList(QDir::Files),
            (QStringList{"00005_01.AB", "00011_00.CD"}));
  EXPECT_EQ(duplication().confirmation(request("CD")),
            "Confirmez la duplication (Dossier 5   version 1)");
}

TEST_F(Duplication, CustomFieldsAndDocumentFollowTheChoices) {
  DuplicationRequest r = request("AB");
  r.copyUserFields = true;
  r.copyDocument = false;
  ASSERT_EQ(duplication().run(r).number, 7);
  EXPECT_EQ(scalar("select TDOS_USER3 & TDOS_USER15 from TDOS where TDOS_NUMDOSS = 7"), "u3u15");
  EXPECT_FALSE(QFile::exists(document("00007_00.AB")));
  // A missing source document is skipped without a word; an existing target is replaced.
  r.sequence = 2;
  r.copyDocument = true;
  EXPECT_EQ(duplication().run(r).number, 8);
  EXPECT_FALSE(QFile::exists(document("00008_00.AB")));
  writeFile(document("00009_00.AB"), "old");
  r.sequence = 1;
  EXPECT_EQ(duplication().run(r).number, 9);
  EXPECT_EQ(readFile(document("00009_00.AB")), "version 1");
  EXPECT_TRUE(m_messages.texts().isEmpty());
  // Regression: a target that cannot be replaced left the staged copy without a word.
  ASSERT_TRUE(QDir().mkpath(document("00010_00.AB/occupé")));
  const auto left = duplication().run(r);
  EXPECT_EQ(left.number, 10);
  EXPECT_TRUE(left.documentLeft.startsWith(document("00010_00.AB")));
  EXPECT_EQ(readFile(left.documentLeft), "version 1");
}

TEST_F(Duplication, DeactivatedOrMissingTargetAndNoVersionAreRefused) {
  m_db.Execute(
      "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) VALUES "
      "('ZZ', 3, 'C1', 'A1')");
  m_db.Execute("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('ZZ', 3, 0)");
  EXPECT_EQ(duplication().run({"ZZ", 3, 0, "ZZ", true, false}).refusal,
            "La société ZZ est désactivée, duplication impossible");
  EXPECT_EQ(counter("ZZ"), 40);
  EXPECT_FALSE(duplication().run(request("XX")).done());
  EXPECT_EQ(duplication().run({"AB", 5, -1, "CD", true, false}).refusal,
            "Aucune version de ce devis n'a encore été créée");
  db::Database closed;
  EXPECT_THROW(
      DossierDuplication(closed, path("TAROVENT.MDB"), m_dir.path(), m_messages).run(request("CD")),
      db::DbError);
  m_db.Execute("DELETE FROM TDEV WHERE TDEV_SOC = 'AB'");
  EXPECT_EQ(duplication().run(request("CD")).refusal,
            "Aucune version de ce devis n'a encore été créée");
  expectNothingWritten();
}

TEST_F(Duplication, FailureBeforeTheCounterLeavesNothing) {
  DossierDuplication d = duplication();
  d.setAfterInserts([] { throw db::DbError(db::err::DiskFull, "Disque plein"); });
  EXPECT_THROW(d.run(request("CD")), db::DbError);
  expectNothingWritten();
  EXPECT_EQ(QDir(path("DOC_TAROVENT")).entryList(QDir::Files), QStringList{"00005_01.AB"});
  // The lock is let go: the next attempt goes through.
  EXPECT_EQ(duplication().run(request("CD")).number, 11);
}

// Regression: a number already used in the target company made every duplication fail with a
// key error; the copy takes the next free number above it and the counter follows.
TEST_F(Duplication, ANumberAlreadyUsedInTheTargetIsSteppedOver) {
  for (const char* taken : {"11", "12"})
    m_db.Execute(QStringLiteral("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
                                "VALUES ('CD', %1, 'C2', 'A1')")
                     .arg(taken));
  EXPECT_EQ(duplication().run(request("CD")).number, 13);
  EXPECT_EQ(counter("CD"), 13);
  EXPECT_EQ(scalar("select count(*) from TDEV where TDEV_SOC = 'CD' and TDEV_NUMDOSS = 13"), "1");
}

TEST_F(Duplication, ACompanyAtItsLastNumberTakesNoCopy) {
  m_db.Execute("UPDATE TSOC SET TSOC_NSEQ = 99999 WHERE TSOC_CODE = 'CD'");
  const auto r = duplication().run(request("CD"));
  EXPECT_EQ(r.refusal,
            "Le dernier numéro de dossier (99999) est atteint pour cette société : aucun dossier "
            "n'a été créé.");
  EXPECT_EQ(counter("CD"), 99999);
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = 'CD'"), "0");
  EXPECT_FALSE(QFile::exists(document("00000_00.CD")));
}

// Run by KilledInsideTheTransaction in a process of its own: the duplication of its parent's
// family, killed after the inserts.
TEST_F(Duplication, ChildKilledAfterTheInserts) {
  const QString family = qEnvironmentVariable("TAROVENT_DUPLICATION_FAMILY");
  if (family.isEmpty()) GTEST_SKIP() << "run by KilledInsideTheTransaction";
  db::Workspace ws;
  db::Database local = ws.OpenDatabase(family + "/BDLOC.MDB");
  DossierDuplication d(local, family + "/TAROVENT.MDB", family + '/', m_messages);
  d.setAfterInserts([] { std::raise(SIGKILL); });
  d.run(request("CD"));
}

TEST_F(Duplication, KilledInsideTheTransaction) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TAROVENT_DUPLICATION_FAMILY", m_dir.path());
  child.setProcessEnvironment(env);
  child.start(QFile::symLinkTarget("/proc/self/exe"),
              {"--gtest_filter=Duplication.ChildKilledAfterTheInserts"});
  ASSERT_TRUE(child.waitForFinished(60000));
  ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().toStdString();
  // At most the staged copy of the document stays behind, under a name no dossier uses.
  expectNothingWritten();
  EXPECT_EQ(duplication().run(request("CD")).number, 11);
}

TEST_F(Duplication, ApostrophesInCodeAndPath) {
  ASSERT_TRUE(QDir(m_dir.path()).mkdir("chez l'ami"));
  const QString folder = path("chez l'ami");
  db::Database main = m_ws.CreateDatabase(folder + "/TAROVENT.MDB");
  install::applySchema(main, install::mainSchema());
  main.Execute("INSERT INTO TSOC VALUES ('O''B', 'Ateliers d''Olonne', 2, False)");
  main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('O''B', 2, 'C1')");
  main.Execute("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('O''B', 2, 0)");
  writeFile(folder + "/00002_00.O'B", "doc");
  m_ws.CreateDatabase(folder + "/BDLOC.MDB").Close();
  for (const QString table : {"TMP_DOS", "TMP_DEV"})
    main.Execute("SELECT DISTINCTROW * INTO " + table + " IN '" +
                 QString(folder).replace("'", "''") + "/BDLOC.MDB' from " + table + ";");
  db::Database local = m_ws.OpenDatabase(folder + "/BDLOC.MDB");
  DossierDuplication d(local, folder + "/TAROVENT.MDB", folder + '/', m_messages);
  DuplicationRequest r{"O'B", 2, 0, "O'B", true, false};
  EXPECT_EQ(d.run(r).number, 3);
  EXPECT_EQ(main.OpenRecordset("TSOC", db::RecordsetType::Table).number("TSOC_NSEQ"), 3);
  EXPECT_EQ(readFile(folder + "/00003_00.O'B"), "doc");
}

}  // namespace
}  // namespace tarovent::dossiers
