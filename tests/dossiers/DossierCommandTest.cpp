#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/AdminRun.h"
#include "install/Installer.h"
#include "platform/db/Database.h"

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
