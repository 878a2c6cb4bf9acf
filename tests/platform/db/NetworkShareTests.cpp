#include <QDir>
#include <QFileInfo>

#include "DbTestSupport.h"
#include "platform/os/FileSystem.h"

namespace tarovent::db::test {
namespace {

// A family folder on a share, seen through a test double of statfs: the rest stays local.
class NetworkShareTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("share"));
    m_share = m_dir.filePath("share/");
    m_fs = std::make_shared<os::FakeFileSystem>();
    m_fs->mount(m_share, os::fstype::Nfs);
    m_shared.setFileSystem(m_fs);
  }
  static bool hasWal(const QString& file) {
    return QFileInfo::exists(file + "-wal") || QFileInfo::exists(file + "-shm");
  }
  // Writes outside and inside a transaction, as the windows do.
  static void write(Database& db) {
    if (!db.hasTable("T")) db.Execute("CREATE TABLE T (ID COUNTER, NOM TEXT(20))");
    db.Execute("INSERT INTO T (NOM) VALUES ('a')");
    TransactionGuard guard(db);
    Recordset rs = db.OpenRecordset("T", RecordsetType::Table);
    rs.AddNew();
    rs.setValue("NOM", "b");
    rs.Update();
    guard.commit();
  }
  static long rows(Database& db) {
    Recordset rs = db.OpenRecordset("T", RecordsetType::Table, rsopt::ReadOnly);
    return rs.RecordCount();
  }

  QString m_share;
  std::shared_ptr<os::FakeFileSystem> m_fs;
  Workspace m_shared;
};

TEST_F(NetworkShareTest, FileOnAShareKeepsARollbackJournalAndALocalOneGoesWal) {
  Database local = m_ws.OpenDatabase(path("TEST.MDB"));
  write(local);
  EXPECT_TRUE(hasWal(path("TEST.MDB"))) << "the local control should be in WAL mode";
  EXPECT_EQ(local.networkFileSystem(), "");

  const QString file = m_share + "TAROVENT.MDB";
  Database created = m_shared.CreateDatabase(file);
  EXPECT_EQ(created.networkFileSystem(), "NFS");
  write(created);
  EXPECT_FALSE(hasWal(file));
  created.Close();
  Database opened = m_shared.OpenDatabase(file);
  write(opened);
  EXPECT_FALSE(hasWal(file));
  EXPECT_EQ(rows(opened), 4);
}

// A file made in WAL mode on a workstation and then copied onto a share.
TEST_F(NetworkShareTest, WalFileBroughtOntoAShareLeavesWal) {
  const QString file = m_share + "BASEDOC.MDB";
  {
    Workspace ws;  // the real file system: local here
    Database made = ws.CreateDatabase(file);
    write(made);
    ASSERT_TRUE(hasWal(file));
  }
  m_fs->mount(m_share, os::fstype::Cifs);
  {
    // Even a reader: it would make the shared memory file beside the database.
    Database reader = m_shared.OpenDatabase(file, true);
    EXPECT_EQ(rows(reader), 2);
    EXPECT_FALSE(hasWal(file));
  }
  Database db = m_shared.OpenDatabase(file);
  EXPECT_EQ(db.networkFileSystem(), "SMB/CIFS");
  EXPECT_FALSE(hasWal(file));
  write(db);
  EXPECT_FALSE(hasWal(file));
  EXPECT_EQ(rows(db), 4);
}

// A local work base writing into a file of the share through [path].TABLE.
TEST_F(NetworkShareTest, FileAttachedFromAShareKeepsARollbackJournal) {
  const QString file = m_share + "TAROVENT.MDB";
  {
    Workspace ws;
    Database made = ws.CreateDatabase(file);
    write(made);
  }
  Database work = m_shared.OpenDatabase(path("TEST.MDB"));
  EXPECT_EQ(work.networkFileSystem(), "");
  EXPECT_EQ(work.Execute("INSERT INTO [" + file + "].T (NOM) VALUES ('c')"), 1);
  {
    TransactionGuard guard(work);
    work.Execute("UPDATE [" + file + "].T SET NOM = 'd' WHERE NOM = 'a'");
    guard.commit();
  }
  EXPECT_FALSE(hasWal(file));
  QStringList names;
  Recordset rs = work.OpenRecordset("SELECT NOM FROM [" + file + "].T ORDER BY ID");
  for (; !rs.EOF_(); rs.MoveNext()) names << rs.text("NOM");
  EXPECT_EQ(names, QStringList({"d", "b", "c"}));
  EXPECT_FALSE(hasWal(file));
}

// Another program of this machine still in WAL mode on the file: opening it from the share
// would mix both modes, so it is refused in French and the file is left as it was.
TEST_F(NetworkShareTest, FileStillUsedInWalModeIsRefused) {
  const QString file = m_share + "TAROVENT.MDB";
  Workspace ws;
  Database holder = ws.CreateDatabase(file);
  write(holder);
  try {
    m_shared.OpenDatabase(file);
    ADD_FAILURE() << "opened while another connection uses WAL";
  } catch (const DbError& e) {
    EXPECT_EQ(e.number(), err::Locked);
    EXPECT_TRUE(e.description().contains("partage réseau (NFS)")) << e.what();
  }
  write(holder);
  EXPECT_EQ(rows(holder), 4);
}

}  // namespace
}  // namespace tarovent::db::test
