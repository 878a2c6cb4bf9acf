#include "composition/DocumentInspector.h"

#include <QJsonArray>

#include "composition/ColumnMap.h"
#include "composition/LineCode.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

QJsonObject inspectDocument(word::WordDocument& doc) {
  QJsonObject out;
  out["template"] = doc.isTemplate();
  out["parts"] = QJsonArray::fromStringList(doc.storyParts());

  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  const QSet<int> subTotals = subTotalTables(doc);
  TableLayout layout;
  if (located.layout) layout = *located.layout;

  QJsonArray bookmarks;
  for (const word::BookmarkInfo& b : doc.bookmarks(word::BookmarkOrder::ByPosition)) {
    bookmarks.append(QJsonObject{{"name", b.name},
                                 {"part", b.part},
                                 {"start", b.start},
                                 {"end", b.end},
                                 {"text", doc.bookmarkText(b.name)}});
  }
  out["bookmarks"] = bookmarks;

  QJsonArray tables;
  for (int t = 1; t <= doc.tableCount(); ++t) {
    const word::TableInfo info = doc.table(t);
    const TableKind kind = located.layout ? tableKind(doc, layout, t, subTotals) : TableKind::Other;
    tables.append(QJsonObject{{"index", t},
                              {"start", info.start},
                              {"end", info.end},
                              {"rows", info.rows},
                              {"columns", info.columns},
                              {"kind", tableKindName(kind)}});
  }
  out["tables"] = tables;

  if (!located.layout) {
    out["model"] = QJsonObject{{"error", located.message}};
    return out;
  }
  const ColumnMap columns = ColumnMap::read(doc, layout.headerTable);
  QJsonObject columnMap;
  for (const QString& code : columnCodes())
    if (columns.has(code)) columnMap[code] = columns.column(code);

  QJsonArray lines;
  const int codeColumn = columns.column(QStringLiteral("CODART"));
  for (int t : lineTables(doc, layout)) {
    for (int r = 1; r <= doc.rowCount(t); ++r) {
      const QString text = codeColumn > 0 && codeColumn <= doc.cellCount(t, r)
                               ? doc.cellText({t, r, codeColumn})
                               : QString();
      const LineCode code = parseLineCode(text);
      lines.append(QJsonObject{{"table", t},
                               {"row", r},
                               {"level", code.level},
                               {"code", code.code},
                               {"kind", lineKindName(code.kind)}});
    }
  }
  out["model"] = QJsonObject{{"headerTable", layout.headerTable},
                             {"headerSplit", layout.headerSplit},
                             {"columnCount", layout.columnCount},
                             {"columnMap", columnMap},
                             {"columns", QJsonArray::fromStringList(columns.codes())},
                             {"firstLineTable", layout.firstLineTable},
                             {"firstLineTableStart", layout.firstLineTableStart},
                             {"totalsStart", layout.totalsStart},
                             {"lines", lines}};
  return out;
}

}  // namespace tarovent::composition
