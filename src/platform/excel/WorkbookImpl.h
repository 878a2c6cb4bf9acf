#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <unordered_map>
#include <vector>

#include "platform/excel/Workbook.h"
#include "platform/ooxml/Package.h"

namespace tarovent::excel {

// Element and attribute names without their prefix: files use the transitional and the
// strict namespaces, with or without a prefix.
const char* localName(const char* name);
bool isNamed(const pugi::xml_node& node, const char* local);
pugi::xml_node childNamed(const pugi::xml_node& node, const char* local);
// The r:id of an element, whatever prefix the relationships namespace was given.
QString relationshipId(const pugi::xml_node& node);

struct SheetCells {
  std::unordered_map<quint64, CellValue> cells;
  int lastRow = 0, lastColumn = 0;

  static quint64 key(int row, int column) { return (quint64(row) << 16) | quint64(column); }
  void put(int row, int column, CellValue value);
};

struct Workbook::Impl {
  struct Sheet {
    QString name;
    QString part;  // empty for a sheet whose part is missing
  };

  ooxml::Package package;
  QString workbookPart;
  pugi::xml_document workbookXml;
  std::vector<Sheet> sheets;
  std::vector<DefinedName> names;
  bool date1904 = false;
  bool isTemplate = false;

  mutable bool stylesLoaded = false;
  mutable std::vector<bool> dateStyles;  // per cell format: shows a date
  mutable bool stringsLoaded = false;
  mutable std::vector<QString> sharedStrings;
  mutable std::vector<std::unique_ptr<SheetCells>> cells;

  // Sheets being written, by index; serialised into the package on save.
  std::map<int, std::unique_ptr<pugi::xml_document>> editedSheets;
  bool cellsWritten = false;
  bool formulaRemoved = false;

  explicit Impl(ooxml::Package p) : package(std::move(p)) {}
  void load();

  bool isDateStyle(int styleIndex) const;
  const std::vector<QString>& strings() const;
  const SheetCells& sheetCells(int sheet) const;
  void readCells(const pugi::xml_document& doc, SheetCells& out) const;
  QString partOfType(const QString& shortType) const;
  void checkSheet(int sheet) const;
};

}  // namespace tarovent::excel
