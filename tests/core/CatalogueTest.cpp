#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>
#include <QTextStream>
#include <limits>

#include "CoreTestSupport.h"
#include "core/Translator.h"
#include "platform/os/FileSystem.h"

namespace tarovent::core::test {
namespace {

class CatalogueTest : public FamilyTest {
 protected:
  bool withSiblings() const override { return true; }
  QString catalogue() const { return m_layout.root + "DBPATH.MDB"; }
  QString readLog() const {
    QFile f(m_layout.workingFolder + "DAOCHECK.LOG");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
};

TEST_F(CatalogueTest, AbsentEmptyAndMissingSiblingEntries) {
  sql(catalogue(), {"DELETE FROM TPATH WHERE TPATH_NUM = 2",
                    "UPDATE TPATH SET TPATH_path = '' WHERE TPATH_NUM = 3",
                    "UPDATE TPATH SET TPATH_NOMMDB = 'NONE.MDB' WHERE TPATH_NUM = 5"});
  Catalogue c(*m_state);
  ASSERT_TRUE(c.Lire_Catalogue());
  EXPECT_FALSE(m_state->base(2).present() || m_state->base(3).present());
  EXPECT_TRUE(m_state->base(1).present());
  EXPECT_EQ(m_messages.texts(), QStringList({"(Control Appli.): Base de données " +
                                             m_layout.dataFolder + "NONE.MDB introuvable."}));
}

// The working folder as typed, separators and all: the family is the folder above it.
TEST_F(CatalogueTest, FamilyFolderIgnoresTrailingSeparators) {
  const QString family = Catalogue(*m_state).familyFolder();
  EXPECT_EQ(QFileInfo(family + "DBPATH.MDB").absoluteFilePath(),
            QFileInfo(catalogue()).absoluteFilePath());
  m_state->workingFolder += "//\\";
  EXPECT_EQ(Catalogue(*m_state).familyFolder(), family);
}

TEST_F(CatalogueTest, UnusableCatalogueEndsTheProgram) {
  // Without its own entry, or with one naming a missing file.
  const std::pair<QString, QString> entries[] = {
      {"DELETE FROM TPATH WHERE TPATH_NUM = 4",
       "Erreur interne. Description de l'application non reconnue (voir DBPATH.MDB)."},
      {"INSERT INTO TPATH VALUES (4, 'AUTRE.MDB', '" + m_layout.dataFolder + "', '')",
       "Base de données " + m_layout.dataFolder + "AUTRE.MDB introuvable."}};
  for (const auto& [statement, said] : entries) {
    sql(catalogue(), {statement});
    EXPECT_FALSE(Catalogue(*m_state).Lire_Catalogue());
    EXPECT_EQ(m_messages.texts().value(0), said);
    m_messages.clear();
  }
  sql(catalogue(), {"delete * from TPATH"});
  EXPECT_TRUE(Catalogue(*m_state).Lire_Catalogue());
  EXPECT_EQ(m_messages.texts(),
            QStringList({"La table TPATH est vide. Chemins d'accès non définis"}));
  bool fatal = false;
  EXPECT_FALSE(Catalogue(*m_state).Ouvrir_Bases(fatal));
  EXPECT_TRUE(fatal);
  EXPECT_TRUE(m_messages.texts().last().endsWith(" n'a pu être ouverte !"));
}

TEST_F(CatalogueTest, ModuleCheckLogsOtherBuildsAndStopsOnOtherVersions) {
  Catalogue c(*m_state);
  ASSERT_TRUE(c.Lire_Catalogue());
  c.setEngineModules({{"/lib/a.so", "4.0", "8618.0", "4.0", "6218.0"},
                      {"/lib/b.so", "4.0", "1.0", "", ""},
                      {"/lib/c.so", "3.40", "1.0", "3.40", "1.0"}});
  bool fatal = true;
  EXPECT_TRUE(c.Ouvrir_Bases(fatal));
  EXPECT_FALSE(fatal);
  EXPECT_EQ(readLog(), "Contrôle des Version de modules pour l'accès aux bases de données\n" +
                           QString(66, '-') +
                           "\n \n/lib/a.so : version 4.0.6218.0 au lieu de "
                           "4.0.8618.0\n" +
                           QString(81, '-') + "\n");

  c.setEngineModules({{"/lib/a.so", "4.0", "8618.0", "3.51", "0.0"}});
  EXPECT_FALSE(c.Ouvrir_Bases(fatal));
  EXPECT_TRUE(fatal);
  EXPECT_EQ(m_messages.texts().last(),
            "Le module d'accès aux données /lib/a.so n'a pas la bonne version\n Version attendue "
            "4.0     Version rencontrée 3.51\n Le programme ne peut continuer sous peine "
            "d'endommager gravement vos données");
}

TEST_F(CatalogueTest, ReadsEntriesAndOpensTheBasesWithRealModules) {
  Catalogue c(*m_state);
  openBases(c);
  EXPECT_EQ(m_state->base(2).file, "PALUNDA.MDB");
  EXPECT_EQ(m_state->dataFolderName, "DONNEES");
  EXPECT_TRUE(readLog().startsWith("Contrôle des Version"));
  for (int n : {1, 2, 3, 4, 5}) EXPECT_TRUE(m_state->base(n).open()) << n;
  EXPECT_FALSE(m_state->base(6).open());  // purchasing is not in the list of entries to open
}

TEST_F(CatalogueTest, EachStartRebuildsTheLocalWorkDatabase) {
  {
    Catalogue c(*m_state);
    openBases(c);
    m_state->localDb.Execute("INSERT INTO TMP_RENTA (SOC) VALUES ('XX')");
  }
  sql(mainFile(), {"INSERT INTO TMP_RENTA (SOC) VALUES ('AB')", "CREATE TABLE TMP_NEW (A LONG)"});
  m_state = std::make_unique<ProcessState>(m_messages);
  m_state->workingFolder = m_layout.workingFolder;
  Catalogue c(*m_state);
  openBases(c);
  db::Recordset rs = m_state->localDb.OpenRecordset("select SOC from TMP_RENTA");
  ASSERT_EQ(rs.RecordCount(), 1);  // the row of the first run is gone
  EXPECT_EQ(rs.text("SOC"), "AB");
  EXPECT_TRUE(m_state->localDb.hasTable("TMP_NEW"));
  // On a server the work base is a schema of the workstation's own, no file.
  if (m_state->workspace.server().isEmpty()) {
    EXPECT_EQ(QDir(m_layout.workingFolder).entryList({"*.MDB"}, QDir::Files),
              QStringList({"BDLOC.MDB"}));
  }
}

// A family on an NFS share: said once at start, with the server option; its files never get a
// WAL journal, while the workstation's own work base (local here) keeps one.
TEST_F(CatalogueTest, FamilyOnANetworkShareIsOpenedWithoutWalAndSaidSo) {
  auto fs = std::make_shared<os::FakeFileSystem>();
  fs->mount(m_layout.root, os::fstype::Nfs).mount(m_layout.workingFolder, os::fstype::Ext4);
  m_state->workspace.setFileSystem(fs);
  Catalogue c(*m_state);
  openBases(c);
  const QStringList said = m_messages.texts().filter("partage réseau");
  ASSERT_EQ(said.size(), 1) << m_messages.texts().join('|').toStdString();
  EXPECT_TRUE(said[0].contains("(NFS)"));
  EXPECT_TRUE(said[0].contains("SERVEUR="));
  m_state->mainDb().Execute("INSERT INTO TMP_RENTA (SOC) VALUES ('AB')");
  m_state->localDb.Execute("INSERT INTO TMP_RENTA (SOC) VALUES ('AB')");
  QStringList journals;
  for (const QString& folder : {m_layout.root, m_layout.dataFolder})
    for (const QString& f : QDir(folder).entryList({"*-wal", "*-shm"}, QDir::Files)) journals << f;
  EXPECT_EQ(journals, QStringList());
  EXPECT_TRUE(QFileInfo::exists(m_layout.workingFolder + "BDLOC.MDB-wal"));
}

TEST_F(CatalogueTest, LocalFamilyIsNotToldAboutShares) {
  Catalogue c(*m_state);
  openBases(c);
  EXPECT_EQ(m_messages.texts().filter("partage réseau"), QStringList());
}

// Regression: a second start on the same working folder deleted the work base the first one
// had open.
TEST_F(CatalogueTest, ASecondInstanceOnTheSameWorkingFolderIsRefused) {
  Catalogue first(*m_state);
  openBases(first);
  m_state->localDb.Execute("INSERT INTO TMP_RENTA (SOC) VALUES ('XX')");

  ProcessState other(m_messages);
  other.workingFolder = m_layout.workingFolder;
  Catalogue second(other);
  ASSERT_TRUE(second.Lire_Catalogue());
  bool fatal = false;
  EXPECT_FALSE(second.Ouvrir_Bases(fatal));
  EXPECT_TRUE(fatal);
  ASSERT_FALSE(m_messages.texts().isEmpty());
  EXPECT_EQ(m_messages.texts().last(),
            "Tarovent est déjà lancé sur ce poste avec le dossier de travail " +
                m_layout.workingFolder +
                " : utilisez la fenêtre déjà ouverte, ou fermez-la avant de relancer le "
                "programme.");
  EXPECT_EQ(m_state->localDb.OpenRecordset("select count(*) from TMP_RENTA").value(0).toInt(), 1);

  // Once the first has ended, the second starts.
  m_state.reset();
  EXPECT_TRUE(second.Ouvrir_Bases(fatal));
  EXPECT_FALSE(fatal);
}

// The lock of an instance that ended without removing it does not stop the next start.
TEST_F(CatalogueTest, TheLockOfAnInstanceThatDiedIsTakenOver) {
  QFile stale(m_layout.workingFolder + "BDLOC.MDB.lock");
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write(QByteArray::number(std::numeric_limits<int>::max() - 1) + '\n' +
              QCoreApplication::applicationName().toUtf8() + '\n' +
              QSysInfo::machineHostName().toUtf8() + '\n');
  stale.close();
  Catalogue c(*m_state);
  openBases(c);
  EXPECT_TRUE(m_state->localDb.isOpen());
}

TEST_F(CatalogueTest, StockOpensOnDemandWithItsMessages) {
  Catalogue c(*m_state);
  openBases(c);
  sql(m_layout.dataFolder + "CORVELIN.MDB",
      {"INSERT INTO TPARA (TPARA_LABIMP1, TPARA_NBRDEC, TPARA_GestLots) VALUES ('Lot', Null, "
       "True)",
       "DROP TABLE TARTIS"});
  EXPECT_FALSE(c.Ouvrir_Stock());
  EXPECT_EQ(
      m_messages.texts().last(),
      "La gestion du stock par lots est demandée,\nmais la table des lots est inaccessible !");
  EXPECT_EQ(m_state->Nb_Decimales, 3);  // a Null count keeps 3 decimals
  EXPECT_EQ(m_state->params.labImp1, "Lot");

  m_state->base(1).folder.clear();
  EXPECT_FALSE(c.Ouvrir_Stock());
  EXPECT_EQ(m_messages.texts().last(), "Cette fonction ne peut pas fonctionner sans CORVELIN");
}

// Regression: the catalogue was opened for writing, so a read-only family did not start.
TEST_F(CatalogueTest, ReadOnlyCatalogueAndFamilyFolderStillStart) {
  Immutable lock;
  if (!lock.set(catalogue()) || !lock.set(m_layout.root))
    GTEST_SKIP() << "chattr cannot make files read-only here";
  Catalogue c(*m_state);
  ASSERT_TRUE(c.Lire_Catalogue()) << m_messages.texts().join('|').toStdString();
  bool fatal = false;
  EXPECT_TRUE(c.Ouvrir_Bases(fatal));
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_FALSE(QFileInfo::exists(catalogue() + "-wal"));
}

// Regression: the message carried SQLite's own English words.
TEST_F(CatalogueTest, GarbageCatalogueIsReportedInFrench) {
  QFile f(catalogue());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QByteArray(4096, 'x'));
  f.close();
  EXPECT_FALSE(Catalogue(*m_state).Lire_Catalogue());
  const QString text = m_messages.texts().join('|');
  EXPECT_TRUE(text.startsWith("Le catalogue des bases de données " + catalogue() +
                              " n'est pas une base de données utilisable."))
      << text.toStdString();
  EXPECT_FALSE(text.contains("file")) << text.toStdString();
}

// Regression: a BDLOC.MDB that could not be deleted gave "already exists" from the engine.
TEST_F(CatalogueTest, LocalWorkDatabaseThatCannotBeDeletedSaysSo) {
  Catalogue c(*m_state);
  openBases(c);
  m_state->localDb.Close();
  m_state->localDb = {};
  Immutable lock;
  if (!lock.set(m_layout.workingFolder + "BDLOC.MDB"))
    GTEST_SKIP() << "chattr cannot make files read-only here";
  const QString here = QDir::currentPath();
  bool fatal = false;
  EXPECT_FALSE(c.Ouvrir_Bases(fatal));
  EXPECT_TRUE(fatal);
  ASSERT_FALSE(m_messages.texts().isEmpty());
  EXPECT_EQ(m_messages.texts().last(), "(Ouverture Bases): La base de travail " +
                                           m_layout.workingFolder +
                                           "BDLOC.MDB ne peut pas être supprimée (fichier "
                                           "protégé ou ouvert par un autre programme).");
  EXPECT_EQ(QDir::currentPath(), here);
}

}  // namespace
}  // namespace tarovent::core::test
