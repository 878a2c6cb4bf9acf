#include "composition/TableLocator.h"

#include "platform/word/WordDocument.h"

namespace tarovent::composition {

namespace {

int totalsStart(const word::WordDocument& doc) {
  int start = kNoTotalsStart;
  for (const char* name : {"SMTBRUT", "SMTNET", "STTC", "DEVISE"}) {
    const auto b = doc.bookmark(QString::fromLatin1(name));
    if (b && doc.storyParts().value(0) == b->part) start = std::min(start, b->start);
  }
  return start;
}

}  // namespace

QString incorrectStructureMessage() {
  return QStringLiteral("Structure en tableaux incorrecte - Le recalcul ne peut aboutir");
}

LocateResult Reperer_Tableaux(word::WordDocument& doc, LocatePurpose purpose) {
  LocateResult result;
  QString code;
  if (doc.hasBookmark(QStringLiteral("CODART")))
    code = QStringLiteral("CODART");
  else if (purpose != LocatePurpose::LevelMasking && doc.hasBookmark(QStringLiteral("LIBART")))
    code = QStringLiteral("LIBART");
  if (code.isEmpty()) {
    switch (purpose) {
      case LocatePurpose::Recalculation:
        result.message = QStringLiteral(
            "Les signets des tableaux n'ont pu être repérés, le recalcul ne peut pas s'effectuer");
        break;
      case LocatePurpose::DesignationUpdate:
        result.message = QStringLiteral(
            "Les signets des tableaux n'ont pu être repérés, la mise à jour ne peut pas "
            "s'effectuer");
        break;
      case LocatePurpose::LevelMasking:
        result.message = QStringLiteral(
            "L'abscence de signet CODART empêche le travail de masquage des niveaux");
        break;
    }
    return result;
  }
  const auto cell = doc.bookmarkCell(code);
  if (!cell) {
    // The level masking has always worded it this way.
    const QString in =
        purpose == LocatePurpose::LevelMasking ? QStringLiteral("das") : QStringLiteral("dans");
    result.message = QStringLiteral("Le signet %1 n'est pas %2 un tableau!").arg(code, in);
    return result;
  }

  TableLayout layout;
  layout.headerTable = cell->table;
  layout.headerRow = cell->row;
  if (cell->row < doc.rowCount(cell->table)) {
    doc.splitTable(cell->table, cell->row + 1);
    layout.headerSplit = true;
  }
  layout.columnCount = doc.cellCount(layout.headerTable, layout.headerRow);
  layout.totalsStart = totalsStart(doc);
  const std::vector<int> lines = lineTables(doc, layout);
  if (!lines.empty()) {
    layout.firstLineTable = lines.front();
    layout.firstLineTableStart = doc.table(lines.front()).start;
  }
  result.layout = layout;
  return result;
}

QSet<int> subTotalTables(const word::WordDocument& doc) {
  QSet<int> tables;
  for (const word::BookmarkInfo& b : doc.bookmarks()) {
    if (!b.name.startsWith(QLatin1String("STOT"), Qt::CaseInsensitive)) continue;
    if (const auto cell = doc.bookmarkCell(b.name)) tables.insert(cell->table);
  }
  return tables;
}

std::vector<int> lineTables(const word::WordDocument& doc, const TableLayout& layout) {
  std::vector<int> tables;
  const QSet<int> subTotals = subTotalTables(doc);
  for (int t = layout.headerTable + 1; t <= doc.tableCount(); ++t)
    if (tableKind(doc, layout, t, subTotals) == TableKind::Line) tables.push_back(t);
  return tables;
}

TableKind tableKind(const word::WordDocument& doc, const TableLayout& layout, int table,
                    const QSet<int>& subTotals) {
  if (table == layout.headerTable) return TableKind::Header;
  if (subTotals.contains(table)) return TableKind::SubTotal;
  if (table < layout.headerTable) return TableKind::Other;
  const word::TableInfo info = doc.table(table);
  if (info.end > layout.totalsStart || info.columns != layout.columnCount) return TableKind::Other;
  return TableKind::Line;
}

QString tableKindName(TableKind kind) {
  switch (kind) {
    case TableKind::Header:
      return QStringLiteral("header");
    case TableKind::Line:
      return QStringLiteral("line");
    case TableKind::SubTotal:
      return QStringLiteral("sub-total");
    case TableKind::Other:
      break;
  }
  return QStringLiteral("other");
}

}  // namespace tarovent::composition
