#include "DocumentNames.h"

#include <QFileInfo>

#include "Paths.h"

namespace tarovent::core {

namespace {

// The number's last `width` digits, zeros in front: "0000" & n, cut to its end.
QString lastDigits(long n, int width) {
  return (QString(width - 1, QLatin1Char('0')) + QString::number(n)).right(width);
}

}  // namespace

QString Nom_Document(const QString& company, long dossier, int sequence) {
  return lastDigits(dossier, 5) + '_' + lastDigits(sequence, 2) + '.' + company;
}

QString Chemin_Document(const QString& folder, const QString& name) {
  const QString base = core::withSeparator(folder);
  if (QFileInfo(core::localPath(base + name)).isFile()) return base + name;
  const QString sub = base + QLatin1String(kDocumentSubfolder);
  // The subfolder is written with the folder's own separator.
  const QChar separator = base.endsWith('\\') ? '\\' : '/';
  if (QFileInfo(core::localPath(sub)).isDir()) return sub + separator + name;
  return base + name;
}

QString businessKey(const QString& company, long dossier) {
  return company + lastDigits(dossier, 5);
}

}  // namespace tarovent::core
