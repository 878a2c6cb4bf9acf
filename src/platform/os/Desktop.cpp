#include "Desktop.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tarovent::os {

bool SystemDesktop::open(const QString& path) {
  if (isProgramFile(path)) return false;
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  return !opener.isEmpty() && QProcess::startDetached(opener, {path});
}

bool SystemDesktop::start(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool isProgramFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  for (const char* end : {"EXE", "BAT", "COM"})
    if (name.endsWith(QLatin1String(end), Qt::CaseInsensitive)) return true;
  static const QStringList kPrograms = {
      "cmd", "msi",  "scr", "pif", "vbs", "vbe", "js",  "jse", "wsf", "ps1",     "lnk",
      "sh",  "bash", "csh", "zsh", "run", "bin", "jar", "py",  "pl",  "desktop", "appimage"};
  if (kPrograms.contains(QFileInfo(name).suffix(), Qt::CaseInsensitive)) return true;
  const QFileInfo file(path);
  return file.isFile() && file.isExecutable();
}

}  // namespace tarovent::os
