#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <memory>
#include <optional>

namespace tarovent::os {

// What the system tells of the file system holding a file (statfs), behind an interface so that
// tests can place a file on a share without mounting one.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The file system type of `path` (statfs's f_type); nullopt when it cannot be told.
  virtual std::optional<long> typeOf(const QString& path) const = 0;
};

// The running system's, through statfs. A path that does not exist yet is looked up through its
// folder.
std::shared_ptr<const FileSystem> systemFileSystem();

// The name of a network file system type ("NFS", "SMB/CIFS", "FUSE"...), empty for a local one.
// On those, byte-range locks and shared memory do not span the machines that reach the file.
QString networkFileSystemName(long type);

// The network file system holding `path` (see networkFileSystemName), empty when local or unknown.
QString networkFileSystemOf(const FileSystem& fs, const QString& path);

// statfs's f_type of the file systems the program tells apart.
namespace fstype {
constexpr long Ext4 = 0xEF53;
constexpr long Tmpfs = 0x01021994;
constexpr long Nfs = 0x6969;
constexpr long Smb = 0x517B;
constexpr long Cifs = 0xFF534D42;
constexpr long Smb2 = 0xFE534D42;
constexpr long Fuse = 0x65735546;
constexpr long Afs = 0x5346414F;
constexpr long Coda = 0x73757245;
constexpr long NineP = 0x01021997;
constexpr long Ceph = 0x00C36400;
}  // namespace fstype

// A test double: folders mounted with the file system type given, the rest on `others` (a local
// disk unless told).
class FakeFileSystem : public FileSystem {
 public:
  explicit FakeFileSystem(std::optional<long> others = fstype::Ext4) : m_others(others) {}
  // Every file under `folder` now lies on a file system of `type`.
  FakeFileSystem& mount(const QString& folder, long type);
  std::optional<long> typeOf(const QString& path) const override;

 private:
  std::optional<long> m_others;
  QList<QPair<QString, long>> m_mounts;
};

}  // namespace tarovent::os
