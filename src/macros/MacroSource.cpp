#include "MacroSource.h"

namespace tarovent::macros {

QList<Macro> macrosOf(db::Database& db, const QString& window) {
  db::Recordset rs = db.OpenRecordset(
      "SELECT TMACRO_NomMacro, TMACRO_Detail FROM TMACRO WHERE TMACRO_Form = " +
          db::sqlLiteral(window) + " OR TMACRO_Form = " + db::sqlLiteral(kEveryWindow) +
          " ORDER BY TMACRO_NomMacro",
      db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  QList<Macro> out;
  for (; !rs.EOF_(); rs.MoveNext())
    out.append({rs.text("TMACRO_NomMacro"), rs.text("TMACRO_Detail")});
  return out;
}

}  // namespace tarovent::macros
