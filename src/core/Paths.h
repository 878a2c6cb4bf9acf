#pragma once

#include <QString>

namespace tarovent::core {

// The folder of `path`: everything up to and including its last "/", "\" or ":" (paths written
// on Windows keep working). "" when there is none.
QString folderOf(const QString& path);
// `folder` with a separator appended unless it is empty or already ends with "/", "\" or ":".
QString withSeparator(const QString& folder);
// The last folder name of a folder written with its trailing separator: C:\DATA\SOC1\ -> SOC1.
QString lastFolderName(const QString& folder);
// A path written on Windows made usable here ("\" becomes "/").
QString localPath(const QString& path);

}  // namespace tarovent::core
