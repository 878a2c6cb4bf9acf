#include <unistd.h>

#include <QString>
#include <cstdio>
#include <cstring>

#include "platform/db/PgCluster.h"

// The server shared by the test programs of one run of the suite:
//   tarovent_test_cluster start DIR    starts it in DIR, stopped when the caller ends at the latest
//   tarovent_test_cluster stop DIR     stops it and removes DIR
int main(int argc, char** argv) {
  using tarovent::db::test::PgCluster;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s start|stop DOSSIER\n", argv[0]);
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[2]);
  if (std::strcmp(argv[1], "stop") == 0) {
    PgCluster::stopShared(dir);
    return 0;
  }
  QString why;
  if (!PgCluster::startShared(dir, getppid(), &why)) {
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
  }
  if (!why.isEmpty()) std::printf("%s\n", qPrintable(why));
  return 0;
}
