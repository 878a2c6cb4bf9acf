#pragma once

#include <QProcess>
#include <QStringList>

// Built into targets that define TAROVENT_ADMIN as the path of the administration program.
namespace tarovent::test {

// One run of tarovent-admin: its exit status (-1 when it crashed) and what it printed.
struct AdminRun {
  int status = -1;
  QString out, err;
  QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

inline AdminRun admin(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(TAROVENT_ADMIN), args);
  p.waitForFinished(60000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace tarovent::test
