#include "composition/LockFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

namespace tarovent::composition {

namespace {

// Whether one of the command lines is a LibreOffice process, which may hold any document.
bool libreOfficeRuns(const QList<QStringList>& programs) {
  for (const QStringList& arguments : programs) {
    const QString program = QFileInfo(arguments.value(0)).fileName();
    if (program.startsWith(QLatin1String("soffice")) ||
        program.startsWith(QLatin1String("oosplash")))
      return true;
  }
  return false;
}

}  // namespace

QString wordProcessorLock(const QString& documentPath) {
  const QFileInfo document(documentPath);
  const QString folder = document.absolutePath() + QLatin1Char('/');
  const QString name = document.fileName();
  for (const QString& lock :
       {QStringLiteral(".~lock.") + name + QLatin1Char('#'), QStringLiteral("~$") + name.mid(2)})
    if (QFileInfo::exists(folder + lock)) return folder + lock;
  return {};
}

LockOwner wordProcessorLockOwner(const QString& documentPath,
                                 const std::function<QList<QStringList>()>& running) {
  LockOwner owner;
  owner.file = wordProcessorLock(documentPath);
  if (owner.file.isEmpty()) return owner;
  QFile f(owner.file);
  if (!f.open(QIODevice::ReadOnly)) return owner;
  const QByteArray content = f.read(4096);
  if (QFileInfo(owner.file).fileName().startsWith(QLatin1String(".~lock."))) {
    // "Name,system user,host,date,profile;"
    const QStringList fields = QString::fromUtf8(content).trimmed().split(QLatin1Char(','));
    if (fields.size() < 3) return owner;
    owner.user = fields[1].isEmpty() ? fields[0] : fields[1];
    owner.host = fields[2];
    owner.stale = !owner.host.isEmpty() &&
                  owner.host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0 &&
                  running && !libreOfficeRuns(running());
  } else if (!content.isEmpty()) {
    // Word's owner file starts with the user's name, its length in the first byte.
    owner.user = QString::fromLatin1(content.mid(1, static_cast<unsigned char>(content[0])));
  }
  return owner;
}

}  // namespace tarovent::composition
