#pragma once

// What the composition session's opening and saving share about the document's file.
#include <QDateTime>
#include <QFileInfo>
#include <QString>

#include "platform/db/DbError.h"
#include "ui/MessageFunnel.h"

namespace tarovent::composition::session {

// What tells a file apart from the one seen earlier; empty when there is none.
inline QString fileStamp(const QString& path) {
  const QFileInfo f(path);
  if (!f.isFile()) return {};
  return QString::number(f.size()) + '@' + QString::number(f.lastModified().toMSecsSinceEpoch());
}

// Whether anybody may write the file: the super-user may write anything, so the permissions
// are read rather than tried.
inline bool writable(const QString& path) {
  return QFileInfo(path).permissions() &
         (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

inline QString readOnlyMessage(ui::MessageFunnel& m, const QString& path) {
  return m.tr(QStringLiteral("Le document ")) + path +
         m.tr(QStringLiteral(" est en lecture seule : il peut être consulté et composé, mais "
                             "pas enregistré."));
}

inline void showDbError(ui::MessageFunnel& m, const db::DbError& e) {
  m.show(e.description() + m.tr(QStringLiteral("   Err. n° ")) + QString::number(e.number()),
         ui::Icon::Critical);
}

}  // namespace tarovent::composition::session
