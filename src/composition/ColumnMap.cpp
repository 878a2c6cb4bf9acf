#include "composition/ColumnMap.h"

#include "platform/word/WordDocument.h"

namespace tarovent::composition {

const QStringList& columnCodes() {
  static const QStringList codes{"CODART",   "LIBART", "QTE",     "UNITE", "PUBRUT", "PCREM",
                                 "PUNET",    "MTNET",  "MTBRUT",  "MTREM", "USER1",  "USER2",
                                 "USER3",    "USER4",  "REMPL",   "POIDS", "PDR",    "MTPDR",
                                 "CODFOURN", "TXTVA",  "POIDSTOT"};
  return codes;
}

ColumnMap ColumnMap::read(const word::WordDocument& doc, int headerTable) {
  ColumnMap map;
  int headerRow = 0;
  for (const QString& code : columnCodes()) {
    const auto cell = doc.bookmarkCell(code);
    if (!cell || cell->table != headerTable || cell->column > kMaxColumns) continue;
    map.m_columns.insert(code, cell->column);
    if (headerRow == 0) headerRow = cell->row;
  }
  const int count =
      headerRow > 0 ? std::min(doc.cellCount(headerTable, headerRow), kMaxColumns) : 0;
  for (int c = 1; c <= count; ++c) map.m_reverse << QString();
  for (auto it = map.m_columns.constBegin(); it != map.m_columns.constEnd(); ++it)
    if (it.value() <= count) map.m_reverse[it.value() - 1] = it.key();
  return map;
}

QString ColumnMap::codeAt(int column) const {
  return column >= 1 && column <= columnCount() ? m_reverse.at(column - 1) : QString();
}

}  // namespace tarovent::composition
