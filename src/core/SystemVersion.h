#pragma once

#include <QString>

namespace tarovent::core {

// The operating system's version as major.minor ("6.1"; the kernel's on Linux), or
// "Système non prévu" when it cannot be read. `wow64` tells whether a 32-bit program runs on a
// 64-bit system.
QString Version_Systeme(bool* wow64 = nullptr);

// The same from a version text ("6.1.0-18-amd64" gives "6.1").
QString majorMinor(const QString& version);

}  // namespace tarovent::core
