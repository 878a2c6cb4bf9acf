#include "Notices.h"

#include <QFileInfo>

#include "platform/db/Database.h"
#include "platform/db/DbError.h"

namespace tarovent::core {

QString noticeFile(const QString& programFolder) {
  return programFolder + QStringLiteral("VovavidirV95_New.mdb");
}

QStringList readNotices(const QString& path) {
  QStringList notes;
  if (!QFileInfo(path).isFile()) return notes;
  try {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(path, true);
    db::Recordset rs =
        db.OpenRecordset("select * from TNOTES order by TNOTES_DATE DESC, TNOTES_VERSION DESC",
                         db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !rs.EOF_(); rs.MoveNext()) {
      const QDate d = rs.value("TNOTES_DATE").toDate();
      notes << QStringLiteral("<h3>Version %1%2</h3><p>%3</p>")
                   .arg(rs.text("TNOTES_VERSION").toHtmlEscaped(),
                        d.isValid() ? " — " + d.toString("dd/MM/yyyy") : QString(),
                        rs.text("TNOTES_TEXTE").toHtmlEscaped().replace('\n', "<br>"));
    }
  } catch (const db::DbError&) {
    // A notice file we cannot read has nothing to say.
  }
  return notes;
}

}  // namespace tarovent::core
