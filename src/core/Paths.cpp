#include "Paths.h"

namespace tarovent::core {

namespace {
bool isSeparator(QChar c) { return c == '/' || c == '\\' || c == ':'; }
}  // namespace

QString folderOf(const QString& path) {
  for (int i = path.size() - 1; i >= 0; --i)
    if (isSeparator(path[i])) return path.left(i + 1);
  return {};
}

QString withSeparator(const QString& folder) {
  if (folder.isEmpty() || isSeparator(folder.back())) return folder;
  return folder + '/';
}

QString lastFolderName(const QString& folder) {
  // From the next-to-last character back to the first separator found.
  for (int i = folder.size() - 2; i >= 0; --i)
    if (folder[i] == '/' || folder[i] == '\\') return folder.mid(i + 1, folder.size() - i - 2);
  return folder.left(folder.size() - 1);
}

QString localPath(const QString& path) {
  QString p = path;
  p.replace('\\', '/');
  return p;
}

}  // namespace tarovent::core
