#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/os/FileSystem.h"

namespace tarovent::os {
namespace {

TEST(FileSystemTest, NetworkTypesAreNamedAndLocalOnesAreNot) {
  const std::pair<long, const char*> types[] = {
      {fstype::Nfs, "NFS"},       {fstype::Smb, "SMB/CIFS"}, {fstype::Cifs, "SMB/CIFS"},
      {fstype::Smb2, "SMB/CIFS"}, {fstype::Fuse, "FUSE"},    {fstype::NineP, "9P"},
      {fstype::Ext4, ""},         {fstype::Tmpfs, ""},       {0, ""}};
  for (const auto& [type, name] : types)
    EXPECT_EQ(networkFileSystemName(type), QString::fromUtf8(name)) << std::hex << type;
  // Where f_type is a 32-bit signed word, CIFS's magic number reads negative.
  EXPECT_EQ(networkFileSystemName(long(qint32(quint32(fstype::Cifs)))), "SMB/CIFS");
}

TEST(FileSystemTest, SystemTellsTheTypeOfAFileAndOfOneAboutToBeMade) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto fs = systemFileSystem();
  const std::optional<long> folder = fs->typeOf(dir.path());
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(fs->typeOf(dir.filePath("NOUVEAU.MDB")), folder);
  EXPECT_FALSE(fs->typeOf("/nulle/part/ici/A.MDB").has_value());
  EXPECT_EQ(networkFileSystemOf(*fs, "/nulle/part/ici/A.MDB"), "");
}

TEST(FileSystemTest, FakeMountsHideWhatLiesBelow) {
  FakeFileSystem fs;
  fs.mount("/srv/partage", fstype::Nfs).mount("/srv/partage/local", fstype::Ext4);
  EXPECT_EQ(networkFileSystemOf(fs, "/srv/partage/TAROVENT.MDB"), "NFS");
  EXPECT_EQ(networkFileSystemOf(fs, "/srv/partage"), "NFS");
  EXPECT_EQ(networkFileSystemOf(fs, "/srv/partage/local/BDLOC.MDB"), "");
  EXPECT_EQ(networkFileSystemOf(fs, "/srv/partage2/A.MDB"), "");
  EXPECT_EQ(networkFileSystemOf(FakeFileSystem(fstype::Fuse), "/tmp/A.MDB"), "FUSE");
}

}  // namespace
}  // namespace tarovent::os
