#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace tarovent::db {
class Recordset;
}

namespace tarovent::core {

// One column of an exported grid: its field, its header, how the grid writes a text value
// (as the grid shows it when given) and its width in characters (the default when 0).
struct ExportColumn {
  QString field;
  QString header;
  std::function<QString(const QVariant&)> format;
  double width = 0;
  // A column without a field, worked out from its row (ui::GridColumn::compute).
  std::function<QString(const std::function<QVariant(const QString&)>&)> compute = {};
};

// Writes every record of `rs` (through a cursor of its own: the caller's record is kept) to a
// workbook at `path` on the sheet "Feuille1", the headers on the first row. Numbers stay
// numbers, dates are dates, yes/no fields are booleans. An existing file is replaced only once
// the new one is complete. Returns an empty text, or what went wrong.
QString writeGridWorkbook(const db::Recordset& rs, const QList<ExportColumn>& columns,
                          const QString& path);

// A file name made of a grid's tooltip: characters that files cannot hold become "_".
QString exportFileBase(const QString& tooltip);

}  // namespace tarovent::core
