#pragma once

#include <QChar>
#include <QString>

#include "composition/ColumnMap.h"
#include "composition/QuoteLine.h"

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// Options of the composition window that govern how a line is written.
struct LineOptions {
  bool printPrice = true;     // "Imprimer le prix"
  bool printQuantity = true;  // "Imprimer la quantité"
  int quantityDecimals = 3;
  bool hideDescription1 = false;  // "Masquer Descriptif" options of the line's type
  bool hideDescription2 = false;
  QChar decimalSeparator = QLatin1Char(',');
  bool blankZeros = false;  // a price or amount of 0 leaves its cell empty (explosion lines)
};

// Writes a line into one row of a line table, cell by cell, following the columns the
// document offers: lines of quantity 0 keep their price cells empty, components (level > 0)
// get no net price or amounts, discount and weights appear only when not 0, labour codes are
// hidden, and cells whose print option is cleared are hidden text (the document then shows
// hidden text on screen).
class LineWriter {
 public:
  LineWriter(const ColumnMap& columns, const LineOptions& options);

  void write(word::WordDocument& doc, int table, int row, const QuoteLine& line) const;
  // The same writer with the descriptive texts hidden as given.
  LineWriter withHiddenDescriptions(bool hide1, bool hide2) const;

 private:
  ColumnMap m_columns;
  LineOptions m_options;
};

}  // namespace tarovent::composition
