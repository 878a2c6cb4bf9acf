#include "DocumentOpener.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tarovent::os {

namespace {

// LibreOffice installed without its screen part (the "nogui" packages) starts, converts and
// shows nothing: it cannot be the word processor of the workstation.
bool showsWindows(const QString& office) {
  const QDir folder = QFileInfo(QFileInfo(office).canonicalFilePath()).absoluteDir();
  return !folder.entryList({QStringLiteral("libvclplug_*")}, QDir::Files).isEmpty();
}

}  // namespace

bool openInWordProcessor(const QString& path, const QStringList& searchPaths) {
  for (const char* name : {"soffice", "libreoffice", "xdg-open"}) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name), searchPaths);
    if (program.isEmpty()) continue;
    if (name[0] != 'x' && !showsWindows(program)) continue;
    // A program that cannot start (broken link, no permission) gives way to the next one.
    if (QProcess::startDetached(program, {path})) return true;
  }
  return false;
}

}  // namespace tarovent::os
