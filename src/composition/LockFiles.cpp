#include "composition/LockFiles.h"

#include <QFileInfo>

namespace tarovent::composition {

QString wordProcessorLock(const QString& documentPath) {
  const QFileInfo document(documentPath);
  const QString folder = document.absolutePath() + QLatin1Char('/');
  const QString name = document.fileName();
  for (const QString& lock :
       {QStringLiteral(".~lock.") + name + QLatin1Char('#'), QStringLiteral("~$") + name.mid(2)})
    if (QFileInfo::exists(folder + lock)) return folder + lock;
  return {};
}

}  // namespace tarovent::composition
