#include "FileAttributes.h"

#include <QFileInfo>

namespace tarovent::os {

namespace {
constexpr QFileDevice::Permissions kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
}

int fileAttributes(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile()) return -1;
  const QFileDevice::Permissions p = info.permissions();
  int attributes = 0;
  if (!(p & kAnyWrite)) attributes |= attr::ReadOnly;
  if (p & QFileDevice::ExeOwner) attributes |= attr::Archive;
  return attributes;
}

}  // namespace tarovent::os
