#include "FileSystem.h"

#include <sys/vfs.h>

#include <QFile>
#include <QFileInfo>

namespace tarovent::os {

namespace {

class SystemFileSystem final : public FileSystem {
 public:
  std::optional<long> typeOf(const QString& path) const override {
    QFileInfo fi(path);
    // A file about to be created lives on its folder's file system.
    const QString probe = fi.exists() ? fi.absoluteFilePath() : fi.absolutePath();
    struct statfs st {};
    if (::statfs(QFile::encodeName(probe).constData(), &st) != 0) return std::nullopt;
    return static_cast<long>(st.f_type);
  }
};

}  // namespace

std::shared_ptr<const FileSystem> systemFileSystem() {
  static const auto system = std::make_shared<const SystemFileSystem>();
  return system;
}

QString networkFileSystemName(long type) {
  // f_type is a signed word on some architectures: compare its low 32 bits.
  switch (static_cast<quint32>(type)) {
    case static_cast<quint32>(fstype::Nfs):
      return QStringLiteral("NFS");
    case static_cast<quint32>(fstype::Smb):
    case static_cast<quint32>(fstype::Cifs):
    case static_cast<quint32>(fstype::Smb2):
      return QStringLiteral("SMB/CIFS");
    case static_cast<quint32>(fstype::Fuse):
      return QStringLiteral("FUSE");
    case static_cast<quint32>(fstype::Afs):
      return QStringLiteral("AFS");
    case static_cast<quint32>(fstype::Coda):
      return QStringLiteral("Coda");
    case static_cast<quint32>(fstype::NineP):
      return QStringLiteral("9P");
    case static_cast<quint32>(fstype::Ceph):
      return QStringLiteral("Ceph");
    default:
      return {};
  }
}

QString networkFileSystemOf(const FileSystem& fs, const QString& path) {
  const std::optional<long> type = fs.typeOf(path);
  return type ? networkFileSystemName(*type) : QString();
}

FakeFileSystem& FakeFileSystem::mount(const QString& folder, long type) {
  QString f = QFileInfo(folder).absoluteFilePath();
  if (!f.endsWith(u'/')) f += u'/';
  m_mounts.prepend({f, type});  // the latest mount hides the ones below it
  return *this;
}

std::optional<long> FakeFileSystem::typeOf(const QString& path) const {
  const QString p = QFileInfo(path).absoluteFilePath() + u'/';
  for (const auto& [folder, type] : m_mounts)
    if (p.startsWith(folder)) return type;
  return m_others;
}

}  // namespace tarovent::os
