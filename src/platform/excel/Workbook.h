#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/excel/CellReference.h"
#include "platform/excel/CellValue.h"
#include "platform/ooxml/Package.h"

namespace tarovent::excel {

// A name of the workbook (localSheet -1) or of one sheet (its index in tab order).
struct DefinedName {
  QString name;
  int localSheet = -1;
  QString formula;  // as stored, without "="
  bool hidden = false;

  RangeRef range() const { return parseReference(formula); }
  QString refersTo() const { return '=' + formula; }
  QString refersToR1C1() const { return toR1C1(range()); }
};

// A check box drawn on a sheet: a form control, or an ActiveX one in older workbooks.
struct CheckBox {
  QString name;
  bool checked = false;
  QString linkedCell;  // formula of the cell it writes its state into, empty when none
};

// A spreadsheet workbook (.xlsx, .xltx) read from its package. Sheets are parsed on first
// use. Writing changes only the cells written: every part not written keeps its bytes.
class Workbook {
 public:
  // Throws ooxml::OoxmlError when the file is unreadable, is no workbook or breaks the limits.
  static Workbook open(const QString& path, const ooxml::PackageLimits& limits = {});
  static Workbook fromPackage(ooxml::Package package);

  Workbook(Workbook&&) noexcept;
  Workbook& operator=(Workbook&&) noexcept;
  ~Workbook();

  bool isTemplate() const;
  bool date1904() const;

  // Sheets in tab order, chart sheets included.
  QStringList sheetNames() const;
  // Index of a sheet by name, letter case ignored; -1 when missing.
  int sheetIndex(const QString& name) const;

  const std::vector<DefinedName>& names() const;
  // Resolves a name as a formula typed on contextSheet would: "QTE" finds that sheet's own
  // name first, then the workbook's; "Feuil1!QTE" (quoted or not) finds Feuil1's name only.
  // Letter case is ignored. nullptr when missing.
  const DefinedName* findName(const QString& name, int contextSheet = -1) const;

  CellValue cell(int sheet, int row, int column) const;
  CellValue cell(int sheet, const QString& address) const;
  // The first cell of a named range; empty when the name is missing or no cell reference.
  CellValue namedValue(const QString& name, int contextSheet = -1) const;
  // Row and column of the last cell that holds a value or a formula (formatting alone does
  // not count); 0, 0 for an empty sheet.
  std::pair<int, int> lastUsedCell(int sheet) const;

  std::vector<CheckBox> checkBoxes(int sheet) const;

  // Writes a value into a cell, replacing any formula; the cell keeps its style. A date is
  // written as its serial.
  void setCell(int sheet, int row, int column, const CellValue& value);
  // Writes into the first cell of a named range; false when the name leads to no cell.
  bool setNamedValue(const QString& name, const CellValue& value, int contextSheet = -1);

  // Saves a workbook (a template's copy becomes a workbook); when cells were written the
  // spreadsheet is asked to recompute everything on load. Throws ooxml::OoxmlError.
  void saveAs(const QString& path);

  const ooxml::Package& package() const;

 private:
  struct Impl;
  explicit Workbook(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> d;
};

}  // namespace tarovent::excel
