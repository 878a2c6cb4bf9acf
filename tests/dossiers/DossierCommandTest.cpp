#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <vector>

#include "composition/QuoteDocs.h"
#include "core/AdminRun.h"
#include "core/DocumentNames.h"
#include "install/Installer.h"
#include "install/ServerMigration.h"
#include "platform/db/Database.h"
#include "platform/db/PgCluster.h"
#include "platform/db/PgSession.h"
#include "server/FamilyOnServer.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::admin;
using tarovent::test::AdminRun;

// tarovent-admin dossier ... on a new installation.
class DossierCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_layout = install::initFamily(m_dir.filePath("fam"), withSiblings());
    sql({"INSERT INTO TSOC VALUES ('AB', 'Atelier Bernard', 41, False)",
         "INSERT INTO TSOC VALUES ('ZZ', 'Ancienne', 0, True)",
         "INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C1', 'Aubry')",
         "INSERT INTO TTYP (TTYP_CODE, TTYP_LIB) VALUES ('A1', 'Atelier')"});
  }
  virtual bool withSiblings() const { return false; }
  void sql(const QStringList& statements, const QString& file = "TAROVENT.MDB") {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(m_layout.dataFolder + file);
    for (const auto& s : statements) db.Execute(s);
  }
  QString scalar(const QString& query) {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(m_layout.dataFolder + "TAROVENT.MDB");
    db::Recordset rs = db.OpenRecordset(query, db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    return rs.EOF_() ? QString() : rs.value(0).toString();
  }
  // Moves the family onto a fresh database of the test server; its files are gone after.
  // When the whole program runs on the server, the family is there already.
  QString onServer(db::test::PgCluster& cluster) {
    if (!db::defaultServer().isEmpty()) return db::defaultServer();
    const QString conninfo = cluster.freshDatabase();
    EXPECT_TRUE(tarovent::test::moveFamilyToServer(m_layout.root, conninfo));
    return conninfo;
  }
  QStringList newArgs(const QString& company) const {
    return {"dossier", "new", m_layout.root, "--company",         company, "--client", "C1",
            "--type",  "A1",  "--summary",   "Portail coulissant"};
  }

  QTemporaryDir m_dir;
  install::FamilyLayout m_layout;
};

TEST_F(DossierCommand, NewPrintsTheNumberAndRefusalsExitOne) {
  const AdminRun made = admin(newArgs("AB"));
  EXPECT_EQ(made.status, 0);
  EXPECT_EQ(made.out, "AB 00042\n");
  EXPECT_EQ(scalar("select TDOS_RESUME from TDOS where TDOS_SOC = 'AB' and TDOS_NUMDOSS = 42"),
            "Portail coulissant");

  const AdminRun refused = admin(newArgs("ZZ"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "La société ZZ est désactivée, enregistrement impossible\n");
  EXPECT_EQ(admin({"dossier", "new", m_layout.root, "--company", "AB"}).out,
            "Données incomplètes, enregistrement impossible\n");
  EXPECT_EQ(admin({"dossier", "new", m_layout.root, "--colour", "red"}).status, 2);
  EXPECT_EQ(scalar("select count(*) from TDOS"), "1");
}

TEST_F(DossierCommand, RenumberPrintsTheCountersItRaises) {
  sql({"INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('AB', 57)",
       "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('ZZ', 3)"});
  const AdminRun r = admin({"dossier", "renumber", m_layout.root});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "AB 41 -> 57\nZZ 0 -> 3\n");
  EXPECT_EQ(admin({"dossier", "renumber", m_layout.root}).out, "Aucun compteur à relever.\n");
  EXPECT_EQ(admin({"dossier", "renumber", m_dir.filePath("nowhere")}).status, 1);
}

// Several workstations numbering dossiers at once on one server, each command a process of its
// own: every number is given once, none is skipped, and the counter ends on the last one.
TEST_F(DossierCommand, WorkstationsNumberingAtOnceOnAServerNeverShareANumber) {
  db::test::PgCluster* cluster = nullptr;
  TAROVENT_REQUIRE_PG(cluster);
  const QString conninfo = onServer(*cluster);
  ASSERT_FALSE(HasFailure());

  constexpr int kWorkstations = 4, kEach = 6;
  QStringList printed;
  int failures = 0;
  for (int round = 0; round < kEach; ++round) {
    std::vector<std::unique_ptr<QProcess>> running;
    for (int w = 0; w < kWorkstations; ++w) {
      running.push_back(std::make_unique<QProcess>());
      running.back()->start(QStringLiteral(TAROVENT_ADMIN), newArgs("AB"));
    }
    for (auto& p : running) {
      p->waitForFinished(60000);
      if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) ++failures;
      printed << QString::fromUtf8(p->readAllStandardOutput()).trimmed();
    }
  }
  EXPECT_EQ(failures, 0) << printed.join(" | ").toStdString();
  QSet<QString> distinct(printed.begin(), printed.end());
  EXPECT_EQ(distinct.size(), kWorkstations * kEach) << printed.join(" | ").toStdString();
  for (int n = 42; n < 42 + kWorkstations * kEach; ++n)
    EXPECT_TRUE(distinct.contains(QStringLiteral("AB %1").arg(n, 5, 10, QLatin1Char('0')))) << n;
  auto server = db::PgSession::open(conninfo, "tarovent", false);
  EXPECT_EQ(server->select("SELECT TSOC_NSEQ FROM TSOC WHERE TSOC_CODE = 'AB'").rows.value(0),
            QVariantList{qlonglong(41 + kWorkstations * kEach)});
  EXPECT_EQ(server->select("SELECT count(*) FROM TDOS").rows.value(0),
            QVariantList{qlonglong(kWorkstations * kEach)});
}

// A workstation killed in the middle of saving a quote on the server: the document is the one
// saved before or after, never a broken one, and nothing stays locked: another workstation opens
// the same quote at once, saves it, and the figures stored are the document's.
TEST_F(DossierCommand, AWorkstationKilledWhileSavingLeavesNoLockAndNoHalfWrittenQuote) {
  db::test::PgCluster* cluster = nullptr;
  TAROVENT_REQUIRE_PG(cluster);
  sql({"INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
       "VALUES ('AB', 42, 'C1', 'A1')",
       "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_TXTVA, TDEV_TARMAT, TDEV_TARMO, "
       "TDEV_MONTANT) VALUES ('AB', 42, 0, 20, 'V', 'V', 0)"});
  const QString conninfo = onServer(*cluster);
  ASSERT_FALSE(HasFailure());
  const QString file = m_layout.dataFolder + core::Nom_Document("AB", 42, 0);
  fixtures::QuoteDoc quote;
  quote.codes = QStringList{"CODART", "LIBART", "QTE", "PUBRUT", "MTNET"};
  // Long enough for a save to take a while: the kill falls inside one.
  quote.lines = {{"X1", "Vis", "3", "9,99", ""}, {"X2", "Plaque", "2", "100,00", ""}};
  for (int i = 0; i < 300; ++i) quote.lines.append({"X3", "Rondelle", "0", "0,10", ""});
  quote.build().saveAs(file);
  const auto compose = [&](int saves) {
    QFile script(m_dir.filePath("script"));
    EXPECT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("recalc\n");
    for (int i = 0; i < saves; ++i) script.write("save\n");
    script.close();
    auto p = std::make_unique<QProcess>();
    p->start(QStringLiteral(TAROVENT_ADMIN), {"compose", m_layout.root, file, "--quote", "42", "0",
                                              "--script", script.fileName()});
    return p;
  };
  auto server = db::PgSession::open(conninfo, "tarovent", false);
  const auto stored = [&] {
    return server->select("SELECT TDEV_MONTANT FROM TDEV WHERE TDEV_NUMDOSS = 42")
        .rows.value(0)
        .value(0)
        .toDouble();
  };

  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    auto saving = compose(1000);
    // Killed once it saves over and over: somewhere inside a save.
    QElapsedTimer t;
    t.start();
    while (!saving->readAllStandardOutput().contains("enregistré") && t.elapsed() < 60000)
      saving->waitForReadyRead(1000);
    QThread::msleep(QRandomGenerator::global()->bounded(1, 40));
    saving->kill();
    ASSERT_TRUE(saving->waitForFinished(10000));
    EXPECT_EQ(saving->exitStatus(), QProcess::CrashExit);

    // The document opens whole, with its lines and the total of a complete recalculation.
    word::WordDocument doc = word::WordDocument::open(file, word::OpenMode::ReadOnly);
    EXPECT_EQ(doc.bookmarkText("SMTNET").remove(' '), "229,97");
    EXPECT_EQ(doc.cellText({2, 2, 2}), "Plaque");

    // Another workstation saves the same quote at once: no lock is left to wait for.
    t.restart();
    auto next = compose(1);
    ASSERT_TRUE(next->waitForFinished(30000));
    const QString out = QString::fromUtf8(next->readAllStandardOutput());
    EXPECT_EQ(next->exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("enregistré")) << out.toStdString();
    EXPECT_LT(t.elapsed(), 15000);
    EXPECT_DOUBLE_EQ(stored(), 229.97);
  }
}

// With a commercial database, clients and representatives are read there.
class DossierCommandWithSiblings : public DossierCommand {
 protected:
  bool withSiblings() const override { return true; }
};

TEST_F(DossierCommandWithSiblings, ClientsAndRepresentativesComeFromTheCommercialDatabase) {
  sql({"INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C7', 'Castel')",
       "INSERT INTO TCAL (TCAL_CODE, TCAL_NOM) VALUES ('JD', 'Jean Dupont')"},
      "PALUNDA.MDB");
  QStringList args = newArgs("AB");
  args[6] = "C7";
  const AdminRun made = admin(args << "--rep"
                                   << "JD");
  EXPECT_EQ(made.out, "AB 00042\n") << made.status;
  // C1 is only in the main database's own client table, which the family does not use.
  const AdminRun refused = admin(newArgs("AB"));
  EXPECT_EQ(refused.out, "Le client C1 n'existe pas, choisissez un client valide\n");
  EXPECT_EQ(scalar("select TDOS_CLIENT & '|' & TDOS_CAL from TDOS"), "C7|JD");
}

}  // namespace
}  // namespace tarovent::dossiers
