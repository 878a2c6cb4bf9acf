#include "composition/QuoteRows.h"

#include <algorithm>

#include "platform/word/WordDocument.h"
#include "ui/MessageFunnel.h"

namespace tarovent::composition {

TableLayout currentLayout(const word::WordDocument& doc, const TableLayout& layout) {
  TableLayout now = layout;
  now.totalsStart = kNoTotalsStart;
  const QString body = doc.storyParts().value(0);
  for (const char* name : {"SMTBRUT", "SMTNET", "STTC", "DEVISE"}) {
    const auto b = doc.bookmark(QString::fromLatin1(name));
    if (b && b->part == body) now.totalsStart = std::min(now.totalsStart, b->start);
  }
  return now;
}

TableKind currentTableKind(const word::WordDocument& doc, const TableLayout& layout, int table) {
  return tableKind(doc, currentLayout(doc, layout), table, subTotalTables(doc));
}

bool deleteLine(word::WordDocument& doc, const TableLayout& layout, const TableCursor& cursor,
                ui::MessageFunnel& messages, DocumentChanges* changes) {
  const bool inTable = cursor.isValid() && cursor.table <= doc.tableCount() &&
                       cursor.row <= doc.rowCount(cursor.table);
  const TableKind kind = inTable ? currentTableKind(doc, layout, cursor.table) : TableKind::Other;
  if (kind != TableKind::Line && kind != TableKind::SubTotal) {
    messages.show(messages.tr(QStringLiteral("Placez-vous d'abord sur une ligne du devis.")),
                  ui::Icon::Information);
    return false;
  }
  const QString question = kind == TableKind::SubTotal ? QStringLiteral("Supprimer le sous-total ?")
                                                       : QStringLiteral("Supprimer la ligne ?");
  if (messages.ask(messages.tr(question), ui::Buttons::YesNo, 2) != ui::Answer::Yes) return false;

  const int rows = doc.rowCount(cursor.table);
  if (kind == TableKind::Line && rows == 1) {
    int lineTables = 0;
    for (int t = layout.headerTable + 1; t <= doc.tableCount() && lineTables < 2; ++t)
      if (currentTableKind(doc, layout, t) == TableKind::Line) ++lineTables;
    if (lineTables == 1) {
      for (int c = 1; c <= doc.cellCount(cursor.table, cursor.row); ++c)
        doc.setCellText({cursor.table, cursor.row, c}, QString());
      if (changes) changes->rowsChanged(cursor.table, cursor.row, cursor.row);
      return true;
    }
  }
  doc.deleteRow(cursor.table, cursor.row);
  if (changes) {
    if (rows == 1)
      changes->tableRemoved(cursor.table);
    else
      changes->rowsRemoved(cursor.table, cursor.row, 1);
  }
  return true;
}

}  // namespace tarovent::composition
