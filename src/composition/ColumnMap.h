#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// The column codes a header cell can carry, in the order the program knows them.
const QStringList& columnCodes();

// Which column of the line tables holds each code, read from the bookmarks of the header
// row; and the reverse list, one code (or "") per column of the header. Columns count from 1;
// 0 means the code is absent.
class ColumnMap {
 public:
  static constexpr int kMaxColumns = 25;

  ColumnMap() = default;
  // headerTable is the table holding the column bookmarks (see Reperer_Tableaux).
  static ColumnMap read(const word::WordDocument& doc, int headerTable);

  int column(const QString& code) const { return m_columns.value(code, 0); }
  bool has(const QString& code) const { return column(code) > 0; }
  QString codeAt(int column) const;
  const QStringList& codes() const { return m_reverse; }
  int columnCount() const { return int(m_reverse.size()); }

 private:
  QHash<QString, int> m_columns;
  QStringList m_reverse;
};

}  // namespace tarovent::composition
