#include <QFile>
#include <QFileDevice>

#include "DbTestSupport.h"

namespace tarovent::db::test {
namespace {

class ErrorTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec("CREATE TABLE T (K TEXT(5), N LONG, CONSTRAINT PrimaryKey PRIMARY KEY (K))");
    exec("INSERT INTO T VALUES ('A', 1)");
    exec("INSERT INTO T VALUES ('B', 2)");
  }
};

TEST_F(ErrorTest, ConstraintsRaiseTheEngineNumbers) {
  EXPECT_DB_ERROR(exec("INSERT INTO T VALUES ('A', 3)"), err::DuplicateKey);
  exec("CREATE TABLE R (K TEXT(5) NOT NULL, Z TEXT(5))");
  EXPECT_DB_ERROR(exec("INSERT INTO R (Z) VALUES ('x')"), err::FieldRequired);
  EXPECT_DB_ERROR(exec("SELECT * INTO T FROM R"), err::TableExists);
}

// Regression: the engine's own English reached the user ("no such table: TNOPE").
TEST_F(ErrorTest, TheEnginesMessagesAreSaidInFrench) {
  const auto said = [](const auto& run) {
    try {
      run();
    } catch (const DbError& e) {
      return e.description();
    }
    return QString();
  };
  EXPECT_TRUE(said([&] {
                m_db.OpenRecordset("SELECT * FROM TNOPE");
              }).startsWith("Table ou requête introuvable : "));
  EXPECT_TRUE(
      said([&] { m_db.OpenRecordset("SELECT NOPE FROM T"); }).startsWith("Champ inconnu : NOPE."));
  // A function of ours says its own French words, once.
  EXPECT_FALSE(said([&] { column("select N / 0 as X from T", "X"); }).contains("moteur"));
}

TEST_F(ErrorTest, CommittingOrRollingBackWithoutATransactionFails) {
  EXPECT_DB_ERROR(m_ws.CommitTrans(), err::NotInTransaction);
  EXPECT_DB_ERROR(m_ws.Rollback(), err::NotInTransaction);
  EXPECT_DB_ERROR(m_db.CommitTrans(), err::NotInTransaction);
  m_ws.BeginTrans();
  m_ws.CommitTrans();
  EXPECT_DB_ERROR(m_ws.CommitTrans(), err::NotInTransaction);
}

TEST_F(ErrorTest, EmptyAndForeignFilesAreRefusedAndLeftAlone) {
  for (const QByteArray& content : {QByteArray(), QByteArray("PK\x03\x04 not a database")}) {
    const QString file = path("AUTRE.MDB");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    Workspace ws;
    EXPECT_DB_ERROR(ws.OpenDatabase(file), err::UnrecognizedFormat);
    QFile again(file);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), content);
  }
}

TEST_F(ErrorTest, AReadOnlyFileOrFolderOpensForReading) {
  const QString file = m_db.Name();
  m_db.Close();
  QFile::setPermissions(file, QFileDevice::ReadOwner);
  const QString folder = m_dir.path();
  for (bool lockFolder : {false, true}) {
    if (lockFolder) QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    Workspace ws;
    Database db = ws.OpenDatabase(file);
    Recordset rs = db.OpenRecordset("select N from T order by K");
    EXPECT_EQ(rs.value("N").toInt(), 1);
    EXPECT_DB_ERROR(db.Execute("UPDATE T SET N = 5"), err::ReadOnly);
    try {
      db.Execute("UPDATE T SET N = 5");
    } catch (const DbError& e) {
      EXPECT_TRUE(e.description().startsWith("La base de données est en lecture seule"))
          << e.description().toStdString();
    }
  }
  QFile::setPermissions(folder,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Regression: a file this user may not write was read as immutable, so what another user
// wrote meanwhile was missed or reported as a corruption.
TEST_F(ErrorTest, AFileOnlyOthersMayWriteShowsWhatTheyWrite) {
  const QString file = m_db.Name();
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
  Workspace ws;
  Database reader = ws.OpenDatabase(file);
  const auto rows = [&] { return reader.OpenRecordset("select count(*) from T").value(0).toInt(); };
  EXPECT_EQ(rows(), 2);
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  exec("INSERT INTO T VALUES ('C', 3)");  // by the connection that may write
  EXPECT_EQ(rows(), 3);
  EXPECT_DB_ERROR(reader.Execute("UPDATE T SET N = 5"), err::ReadOnly);
}

TEST_F(ErrorTest, DivisionByZeroRaises) {
  EXPECT_DB_ERROR(column("select N / 0 as X from T", "X"), err::DivisionByZero);
  EXPECT_DB_ERROR(column("select N \\ (N - N) as X from T", "X"), err::DivisionByZero);
  EXPECT_DB_ERROR(column("select N Mod 0 as X from T", "X"), err::DivisionByZero);
  EXPECT_EQ(column("select N / 2 as X from T order by K", "X"), QStringList({"0.5", "1"}));
  Recordset rs = m_db.OpenRecordset("select * from T");
  EXPECT_DB_ERROR(rs.FindFirst("N / (N - 1) > 0"), err::DivisionByZero);
  // Neither a text reading "nan" nor the NaN of a negative number raised to a fraction is a
  // number the engine divides.
  EXPECT_DB_ERROR(rs.FindFirst("'nan' + N > 0"), err::DataTypeMismatch);
  EXPECT_DB_ERROR(rs.FindFirst("((N - 3) ^ 0.5) \\ 2 = 1"), err::DataTypeMismatch);
}

TEST_F(ErrorTest, LongFlatConditionsRunInTheDatabase) {
  QStringList ors, ands, parts;
  for (int i = 0; i < 1000; ++i) {
    ors << QStringLiteral("N = %1").arg(i + 2);
    ands << QStringLiteral("N <> %1").arg(i + 2);
  }
  for (int i = 0; i < 5000; ++i) parts << "'x'";
  EXPECT_EQ(column("select K from T where " + ors.join(" Or ") + " order by K", "K"),
            QStringList{"B"});
  EXPECT_EQ(column("select K from T where K & " + parts.join(" & ") + " <> 'A' And " +
                       ands.join(" And ") + " order by K",
                   "K"),
            QStringList{"A"});
  Recordset rs = m_db.OpenRecordset("select * from T order by K");
  rs.FindFirst(ors.join(" Or "));
  EXPECT_EQ(at(rs, "K"), "B");
  rs.FindFirst("K & " + parts.join(" & ") + " = 'A" + QString(5000, 'x') + "'");
  EXPECT_EQ(at(rs, "K"), "A");
}

}  // namespace
}  // namespace tarovent::db::test
