#include "platform/os/RunningPrograms.h"

#include <QDir>
#include <QFile>

namespace tarovent::os {

QList<QStringList> runningCommandLines() {
  QList<QStringList> programs;
  const QDir proc(QStringLiteral("/proc"));
  for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    entry.toLong(&number);
    if (!number) continue;
    QFile cmdline(proc.filePath(entry + QStringLiteral("/cmdline")));
    // A process that ended meanwhile is simply not listed.
    if (!cmdline.open(QIODevice::ReadOnly)) continue;
    QStringList arguments;
    for (const QByteArray& a : cmdline.readAll().split('\0'))
      if (!a.isEmpty()) arguments << QFile::decodeName(a);
    if (!arguments.isEmpty()) programs << arguments;
  }
  return programs;
}

}  // namespace tarovent::os
