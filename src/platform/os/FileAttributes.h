#pragma once

#include <QString>

namespace tarovent::os {

// A file's attributes as the Windows workstations of a family set them, in their usual values.
namespace attr {
constexpr int ReadOnly = 1;
constexpr int Archive = 32;
}  // namespace attr

// The attributes of the file `path` (a sum of attr values); -1 when there is no such file.
//
// Here files carry Unix permissions, which we read the way Samba maps DOS attributes onto them
// by default (so a document marked on a Windows workstation and stored on a Linux share reads
// the same here): read-only when no one may write the file, archive when its owner execute bit
// is set ("map archive"). Quote documents are never programs, so that bit is free to carry it.
int fileAttributes(const QString& path);

}  // namespace tarovent::os
