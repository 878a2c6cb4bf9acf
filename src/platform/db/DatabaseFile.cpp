#include "DatabaseFile.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#endif

#include <QFile>

#include "DbError.h"

namespace tarovent::db {

void checkHeader(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return;  // SQLite reports why
  static const QByteArray magic("SQLite format 3\0", 16);
  if (f.read(16) != magic)
    throw DbError(err::UnrecognizedFormat,
                  QStringLiteral("Format de base de données non reconnu : '%1'.").arg(path));
}

bool writable(const QFileInfo& fi) {
  const auto allowed = [](const QFileInfo& f) {
    return f.isWritable() &&
           (f.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
  };
  return allowed(fi) && allowed(QFileInfo(fi.absolutePath()));
}

bool walHeader(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray header = f.read(20);
  return header.size() == 20 && header[18] == 2 && header[19] == 2;
}

bool cannotChange(const QString& path) {
  const QByteArray p = QFile::encodeName(path);
  struct statvfs fs {};
  if (::statvfs(p.constData(), &fs) == 0 && (fs.f_flag & ST_RDONLY)) return true;
#ifdef __linux__
  const int fd = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  int attributes = 0;
  const bool immutable =
      ::ioctl(fd, FS_IOC_GETFLAGS, &attributes) == 0 && (attributes & FS_IMMUTABLE_FL);
  ::close(fd);
  return immutable;
#else
  return false;
#endif
}

}  // namespace tarovent::db
