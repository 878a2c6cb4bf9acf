#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace tarovent::db {
class Database;
}
namespace tarovent::excel {
class Workbook;
}

namespace tarovent::composition {

// How imported rows are laid out in the quote: the option group of the import frame.
enum class Presentation { X, M, A, B, C };

std::optional<Presentation> presentationFromLetter(const QString& letter);
QString presentationLetter(Presentation p);
QString presentationCaption(Presentation p);

// One row of the nomenclature sheet taken for the quote.
struct ImportRecord {
  QString code;  // article, "MO*" + section, or empty (a text line)
  QString label;
  double quantity = 0;
  QString supplier;
  double purchasePrice = 0;
  int block = 1;  // runs of selected rows, numbered from 1
};

enum class RowsOutcome { Read, NoSheet, NoBaseColumns };

struct ImportRows {
  RowsOutcome outcome = RowsOutcome::Read;
  int sheet = -1;  // the nomenclature sheet
  QString sheetName;
  bool hasSupplierColumn = false;
  std::vector<ImportRecord> records;
};

// The sheet a name ending in "CODART" points to; empty when no name does.
QString Trouver_Feuille_Nomenclature(const excel::Workbook& workbook);
// Whether the sheet carries check boxes ("CHK_" names) and the one of this row ("CHK_" and the
// row on three digits) is ticked.
bool Case_Cochee(const excel::Workbook& workbook, int sheet, int row);

// Reads the selected rows of the nomenclature sheet: a row is selected by "#" in column A or
// by its ticked check box; consecutive selected rows form a block. Coded rows of quantity 0
// are dropped; rows without code are kept, as text lines, for presentations M and C.
ImportRows readImportRows(const excel::Workbook& workbook, Presentation presentation);
// The message that stopped the reading, empty when it read.
QString rowsMessage(RowsOutcome outcome);

// Empties the work table TMP_TABLEAU and stores the rows in it, in order. Throws db::DbError.
void storeImportRows(db::Database& local, const std::vector<ImportRecord>& records);

}  // namespace tarovent::composition
