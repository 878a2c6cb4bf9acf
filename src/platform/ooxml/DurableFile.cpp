#include "platform/ooxml/DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/ooxml/OoxmlError.h"

namespace tarovent::ooxml {

namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void syncPath(const QByteArray& path, bool directory) {
  const int fd = ::open(path.constData(), (directory ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw OoxmlError(QStringLiteral("Impossible d'ouvrir %1 : %2")
                         .arg(QString::fromLocal8Bit(path), systemError()));
  const int rc = ::fsync(fd);
  const int saved = errno;
  ::close(fd);
  errno = saved;
  if (rc != 0)
    throw OoxmlError(QStringLiteral("Écriture sur disque impossible (%1) : %2")
                         .arg(QString::fromLocal8Bit(path), systemError()));
}

// A save killed between the temporary's creation and its rename leaves the temporary behind.
// Once the file is saved again, those of its temporaries older than an hour are removed: no
// save in progress on another workstation takes that long.
void removeLeftTemporaries(const QFileInfo& target, const QByteArray& current) {
  QDir folder(target.absolutePath());
  const QString pattern = QLatin1Char('.') + target.fileName() + QStringLiteral(".tmp-??????");
  const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-3600);
  for (const QFileInfo& left : folder.entryInfoList({pattern}, QDir::Files | QDir::Hidden)) {
    if (QFile::encodeName(left.absoluteFilePath()) == current) continue;
    if (left.lastModified().toUTC() < before) QFile::remove(left.absoluteFilePath());
  }
}

}  // namespace

void replaceFileDurably(const QString& target,
                        const std::function<void(const QString& tempPath)>& writer) {
  const QFileInfo info(target);
  // A rename replaces a file whatever its permissions: a file nobody may write is left alone.
  if (info.exists() && !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup |
                                               QFileDevice::WriteOther)))
    throw OoxmlError(QStringLiteral("Le fichier %1 est en lecture seule : il n'a pas été remplacé.")
                         .arg(target));
  const QByteArray folder = QFile::encodeName(info.absolutePath());
  QByteArray pattern = folder + "/." + QFile::encodeName(info.fileName()) + ".tmp-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0)
    throw OoxmlError(QStringLiteral("Impossible de créer un fichier dans %1 : %2")
                         .arg(QString::fromLocal8Bit(folder), systemError()));
  // mkstemp gives 0600; keep the mode of the file we replace, or the usual one.
  struct stat st {};
  const mode_t mode =
      ::stat(QFile::encodeName(target).constData(), &st) == 0 ? (st.st_mode & 07777) : mode_t(0644);
  ::fchmod(fd, mode);
  ::close(fd);
  const QString temp = QFile::decodeName(pattern);
  try {
    writer(temp);
    syncPath(pattern, false);
    if (::rename(pattern.constData(), QFile::encodeName(target).constData()) != 0)
      throw OoxmlError(
          QStringLiteral("Impossible de remplacer %1 : %2").arg(target, systemError()));
  } catch (...) {
    ::unlink(pattern.constData());
    throw;
  }
  syncPath(folder, true);
  removeLeftTemporaries(info, pattern);
}

}  // namespace tarovent::ooxml
