#pragma once

#include <QString>

class QPrinter;
class QTableView;

namespace tarovent::core {

// Where the grid tools send a grid to print. The program shows Qt's print preview; tests give
// their own so that no dialog opens.
class GridPrinter {
 public:
  virtual ~GridPrinter() = default;
  virtual void print(QTableView* grid) = 0;
};

// Opens the print preview of the grid; the user prints from there (or saves a PDF file).
class PreviewGridPrinter : public GridPrinter {
 public:
  void print(QTableView* grid) override;
};

// Sets the printer up as grids print (landscape) and draws the grid on it: its visible columns
// under their headers, with borders and grid lines, black on white, no row headers, every row
// of the model, page after page with the headers again. Returns the number of pages.
int printGrid(QTableView* grid, QPrinter& printer);

}  // namespace tarovent::core
