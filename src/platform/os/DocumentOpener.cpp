#include "DocumentOpener.h"

#include <QProcess>
#include <QStandardPaths>

namespace tarovent::os {

bool openInWordProcessor(const QString& path, const QStringList& searchPaths) {
  for (const char* name : {"soffice", "libreoffice", "xdg-open"}) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name), searchPaths);
    // A program that cannot start (broken link, no permission) gives way to the next one.
    if (!program.isEmpty() && QProcess::startDetached(program, {path})) return true;
  }
  return false;
}

}  // namespace tarovent::os
