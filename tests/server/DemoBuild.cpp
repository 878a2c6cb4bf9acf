#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstring>
#include <exception>

#include "install/DemoFamily.h"

// The small demo family the test programs of one run of the suite copy (server/DemoCopy.h):
//   tarovent_test_demo build DIR    builds it in DIR/demo, then writes DIR/ready
//   tarovent_test_demo remove DIR   removes DIR
int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s build|remove DOSSIER\n", argv[0]);
    return 2;
  }
  const QString dir = QDir::cleanPath(QDir().absoluteFilePath(QString::fromLocal8Bit(argv[2])));
  QDir(dir).removeRecursively();
  if (std::strcmp(argv[1], "remove") == 0) return 0;
  try {
    const QDate today = QDate::currentDate();
    tarovent::install::buildDemoFamily(dir + "/demo", tarovent::install::DemoSize::Small, today);
    QFile ready(dir + "/ready");
    if (!ready.open(QIODevice::WriteOnly) || ready.write(today.toString(Qt::ISODate).toLatin1()) < 0)
      throw std::runtime_error("ready");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    QDir(dir).removeRecursively();
    return 1;
  }
  return 0;
}
