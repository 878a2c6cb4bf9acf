#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include "platform/db/PgCluster.h"

namespace tarovent::db::test {
namespace {

// The folder of a shared cluster: under /tmp, short enough for the server's socket path, in a
// folder the server's own user may enter.
QString clusterFolder(const QTemporaryDir& dir) {
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                        QFile::ExeGroup);
  return dir.path() + "/c";
}

bool serverProgramsMissing() {
  QString why;
  bool missing = false;
  return !PgCluster::instance(&why, &missing) && missing;
}

bool gone(const QString& path, int seconds) {
  QElapsedTimer clock;
  clock.start();
  while (QFileInfo::exists(path)) {
    if (clock.elapsed() > seconds * 1000) return false;
    QThread::msleep(100);
  }
  return true;
}

// A descriptor the test program holds when the cluster starts, without close-on-exec (a lock
// or a pipe of whoever ran the tests): the server must not keep it open.
TEST(TestCluster, TheServerHoldsNoneOfTheProgramsDescriptors) {
  if (serverProgramsMissing()) GTEST_SKIP() << "Serveur PostgreSQL non installé";
  QTemporaryDir dir(QDir::tempPath() + "/tv-XXXXXX");
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  QString why;
  const bool started = PgCluster::startShared(clusterFolder(dir), getpid(), &why);
  close(fds[1]);
  ASSERT_TRUE(started) << why.toStdString();
  ASSERT_TRUE(QFileInfo::exists(clusterFolder(dir) + "/data/postmaster.pid"));
  // Every writer gone: the read end sees the end at once.
  pollfd p{fds[0], POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 2000), 1);
  char byte;
  EXPECT_EQ(read(fds[0], &byte, 1), 0);
  close(fds[0]);
  PgCluster::stopShared(clusterFolder(dir));
  EXPECT_FALSE(QFileInfo::exists(clusterFolder(dir)));
}

// The run holding the shared cluster is killed before it could stop it: the watcher does.
TEST(TestCluster, TheSharedClusterStopsWhenItsHolderIsKilled) {
  if (serverProgramsMissing()) GTEST_SKIP() << "Serveur PostgreSQL non installé";
  QTemporaryDir dir(QDir::tempPath() + "/tv-XXXXXX");
  const pid_t holder = fork();
  if (holder == 0) {
    for (int fd = 1; fd < 1024; ++fd) close(fd);  // not the output pipe of whoever runs us
    pause();
    _exit(0);
  }
  struct Reap {
    pid_t pid;
    ~Reap() {
      if (pid <= 0) return;
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  } reap{holder};
  QString why;
  ASSERT_TRUE(PgCluster::startShared(clusterFolder(dir), holder, &why)) << why.toStdString();
  const QString pidFile = clusterFolder(dir) + "/data/postmaster.pid";
  ASSERT_TRUE(QFileInfo::exists(pidFile));
  QThread::msleep(1500);
  EXPECT_TRUE(QFileInfo::exists(pidFile)) << "stopped while its holder runs";
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  reap.pid = -1;
  EXPECT_TRUE(gone(clusterFolder(dir), 20)) << "the cluster outlived its holder";
}

}  // namespace
}  // namespace tarovent::db::test
