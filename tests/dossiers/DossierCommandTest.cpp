#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "core/AdminRun.h"
#include "install/Installer.h"
#include "install/ServerMigration.h"
#include "platform/db/Database.h"
#include "platform/db/PgCluster.h"
#include "platform/db/PgSession.h"

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
  const QString conninfo = cluster->freshDatabase();
  ASSERT_TRUE(install::migrateFamily(m_layout.root, conninfo).ok());
  install::nameServer(m_layout.root, conninfo);
  for (const auto& [file, schema] : install::familyDatabases(m_layout.root)) QFile::remove(file);

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
