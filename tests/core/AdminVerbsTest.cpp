#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "AdminRun.h"
#include "CoreTestSupport.h"

namespace {

using tarovent::test::admin;
using tarovent::test::AdminRun;

// Regression: a bad or missing size crashed (segmentation fault), and a failed recalculation
// of a missing family said nothing.
TEST(AdminVerbs, FailuresExitNonZeroWithAFrenchMessage) {
  QTemporaryDir dir;
  const QString fam = dir.filePath("fam");
  ASSERT_EQ(admin({"init", fam}).status, 0);
  const struct {
    QStringList args;
    int status;
    QString said;  // in stderr
  } cases[] = {
      {{"demo", dir.filePath("d1"), "--size", "huge"}, 2, "Utilisation : tarovent-admin demo"},
      {{"demo", "x", "--size"}, 2, "Utilisation : tarovent-admin demo"},
      {{"demo", "--size"}, 2, "Utilisation : tarovent-admin demo"},
      {{"demo", fam}, 1, "contient déjà une installation"},
      {{"sql", dir.filePath("absent.mdb"), "select 1"}, 1, "introuvable"},
      {{"doc", "recalc", fam, dir.filePath("00001_00.AB")}, 1, "introuvable"},
      {{"doc", "recalc", dir.filePath("absent"), dir.filePath("00001_00.AB")}, 1, "introuvable"},
      {{"doc", "inspect", dir.filePath("absent.docx")}, 1, "Impossible de lire le document"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const AdminRun r = admin(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("d1")));
}

// A family whose folder and catalogue cannot be written is checked all the same, and says so.
TEST(AdminVerbs, CheckOnAReadOnlyFamily) {
  QTemporaryDir dir;
  const QString fam = dir.filePath("fam");
  ASSERT_EQ(admin({"init", fam}).status, 0);
  tarovent::core::test::Immutable lock;
  if (!lock.set(fam + "/DBPATH.MDB") || !lock.set(fam))
    GTEST_SKIP() << "chattr cannot make files read-only here";
  const AdminRun r = admin({"check", fam});
  EXPECT_EQ(r.status, 0) << r.out.toStdString();
  EXPECT_EQ(r.out, "Le catalogue des bases de données " + fam +
                       "/DBPATH.MDB est en lecture seule : il est lu sans être modifié.\nOK\n");
}

}  // namespace
