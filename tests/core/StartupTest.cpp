#include "AdminRun.h"
#include "CoreTestSupport.h"
#include "core/Startup.h"

namespace tarovent::core::test {
namespace {

struct RecordingHost : StartupHost {
  QStringList calls;
  QString caption;
  void placeMainWindow() override { calls << "place"; }
  void openHelp() override { calls << "help"; }
  void translateMainMenu() override { calls << "translate"; }
  void hideMenuEntry(const QString& name) override { calls << "hide " + name; }
  void setCaption(const QString& c) override {
    calls << "caption";
    caption = c;
  }
  void showHome() override { calls << "home"; }
};

class StartupTest : public FamilyTest {
 protected:
  StartupResult start() { return runStartup(*m_state, m_host); }
  // A new process state, as a new start of the program has.
  void restart() {
    m_state = std::make_unique<ProcessState>(m_messages);
    m_state->workingFolder = m_layout.workingFolder;
    m_host = {};
  }
  RecordingHost m_host;
};

TEST_F(StartupTest, NewInstallationStartsQuietly) {
  QDir(m_layout.dataFolder + "DOC_TAROVENT").removeRecursively();
  ASSERT_EQ(start(), StartupResult::Continue) << m_messages.texts().join('|').toStdString();
  EXPECT_TRUE(m_messages.texts().isEmpty());
  EXPECT_EQ(m_host.calls, QStringList({"place", "hide M_RENTA", "translate", "caption", "home"}));
  EXPECT_NE(m_state->wordInterface, nullptr);
  EXPECT_TRUE(m_host.caption.startsWith("TAROVENT - Gestion des devis   V" + programVersion()));
  EXPECT_TRUE(m_host.caption.endsWith(QString(26, ' ') + "DONNEES"));
  EXPECT_TRUE(QDir(m_layout.dataFolder + "DOC_TAROVENT").exists());
  EXPECT_TRUE(m_state->clientTable.isOpen());  // the main database's own client table
  EXPECT_EQ(m_state->Nb_Decimales, 3);
}

TEST_F(StartupTest, VersionMismatchAndEmptyParameterTableStop) {
  sql(mainFile(), {"UPDATE TPAR SET TPAR_Ver = '9.4'"});
  EXPECT_EQ(start(), StartupResult::End);
  const QString said =
      "Ce programme est en version " + programVersion() + " et la base de données en version ";
  EXPECT_EQ(m_messages.texts(), QStringList({said + "9.4"}));
  m_messages.clear();
  sql(mainFile(), {"delete * from TPAR"});
  restart();
  EXPECT_EQ(start(), StartupResult::End);
  EXPECT_EQ(m_messages.texts(), QStringList({said}));
  db::Workspace ws;  // an empty table is given its record all the same
  EXPECT_EQ(ws.OpenDatabase(mainFile()).OpenRecordset("TPAR").RecordCount(), 1);
}

TEST_F(StartupTest, HelpOpensUntilItHasBeenSeen) {
  sql(mainFile(), {"UPDATE TPAR SET TPAR_DOCINIT = False"});
  ASSERT_EQ(start(), StartupResult::Continue);
  EXPECT_TRUE(m_host.calls.contains("help"));
  EXPECT_TRUE(Marquer_Documentation_Vue(*m_state));
  restart();
  ASSERT_EQ(start(), StartupResult::Continue);
  EXPECT_FALSE(m_host.calls.contains("help"));
}

// The engine is tried on the empty template at start: a family without a usable one is told so
// and starts without an engine, which the composition then refuses to use.
TEST_F(StartupTest, DocumentEngineThatCannotOpenTheEmptyTemplateIsReported) {
  const QString vide = m_layout.dataFolder + "VIDE.dotx";
  ASSERT_TRUE(QFile::remove(vide));
  for (bool garbage : {false, true}) {
    if (garbage) {
      QFile f(vide);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("pas un document");
    }
    m_messages.clear();
    restart();
    ASSERT_EQ(start(), StartupResult::Continue);
    EXPECT_EQ(m_messages.texts().size(), 1);
    EXPECT_TRUE(m_messages.texts().value(0).startsWith("WORD n'a pas pu être lancé. "));
    EXPECT_EQ(m_state->wordInterface, nullptr);
  }
}

TEST_F(StartupTest, DefaultCompanyAndRepresentativeInTheCaption) {
  sql(mainFile(), {"INSERT INTO TSOC (TSOC_CODE, TSOC_LIB) VALUES ('AB', 'Ateliers d''Épinal')"});
  writeIni("DEVSOC=ab\nDEVCAL=JD\n");
  ASSERT_EQ(start(), StartupResult::Continue);
  EXPECT_TRUE(m_host.caption.endsWith("DONNEES (JD) - [Ateliers d'Épinal]"));
  EXPECT_EQ(m_state->config.defaultCompany, "ab");
  // An unknown company is dropped without a word.
  writeIni("DEVSOC=ZZ\n");
  restart();
  ASSERT_EQ(start(), StartupResult::Continue);
  EXPECT_TRUE(m_state->config.defaultCompany.isEmpty());
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

class SiblingStartupTest : public StartupTest {
 protected:
  bool withSiblings() const override { return true; }
};

TEST_F(SiblingStartupTest, CommercialDataChecksAndPaymentTerms) {
  const QString com = m_layout.dataFolder + "PALUNDA.MDB";
  sql(com, {"delete * from TCDP"});
  writeIni("DEVCAL=XX\n");
  ASSERT_EQ(start(), StartupResult::Continue);
  EXPECT_EQ(m_messages.texts(), QStringList({"Table de conditions de paiement vide."}));
  m_messages.clear();

  sql(com, {"INSERT INTO TCAL (TCAL_CODE, TCAL_NOM) VALUES ('JD', 'Jean Dupré')",
            "INSERT INTO TCDP VALUES ('60J', '60 jours fin de mois')",
            "INSERT INTO TCDP VALUES ('30J', Null)", "INSERT INTO TPRIX VALUES ('A1', 10, 9, 8)"});
  sql(m_layout.dataFolder + "CORVELIN.MDB",
      {"INSERT INTO TPARA (TPARA_LABART1, TPARA_NBRDEC) VALUES ('Matière', 2)"});
  restart();
  ASSERT_EQ(start(), StartupResult::Continue);
  EXPECT_EQ(m_messages.texts(),
            QStringList({"(Milostar.ini) : Le code commercial <XX> n'est pas reconnu !!!"}));
  EXPECT_TRUE(m_state->config.salesRep.isEmpty());
  EXPECT_EQ(m_state->conditionsPaiementCodes, QStringList({"30J", "60J", ""}));
  EXPECT_EQ(m_state->conditionsPaiementLabels, QStringList({"", "60 jours fin de mois", ""}));
  EXPECT_EQ(m_state->Nb_Decimales, 2);
  EXPECT_EQ(m_state->params.labArt1, "Matière");
  EXPECT_FALSE(m_host.calls.contains("hide M_RENTA"));
}

using tarovent::test::admin;
using tarovent::test::AdminRun;

TEST(AdminStartupTest, InitCheckAndUpgradeOnTheCommandLine) {
  QTemporaryDir dir;
  const QString fam = dir.filePath("f");
  ASSERT_EQ(admin({"init", fam}).status, 0);
  EXPECT_EQ(admin({"init", fam}).status, 1);  // never over an existing family
  EXPECT_EQ(admin({"check", fam}).out, "OK\n");

  ASSERT_EQ(admin({"sql", fam + "/DONNEES/TAROVENT.MDB", "DROP TABLE TMP_DEV"}).status, 0);
  const AdminRun upgraded = admin({"check", fam});
  EXPECT_EQ(upgraded.status, 1);
  EXPECT_EQ(upgraded.lines(),
            QStringList({"Une mise à jour de structure des données a été effectuée.\\n\\n- Ajout "
                         "table TMP_DEV\\n\\nL'application doit être redémarrée...",
                         "FIN"}));
  EXPECT_EQ(admin({"check", fam}).status, 0);
}

}  // namespace
}  // namespace tarovent::core::test
