#pragma once

#include <QChar>
#include <QString>

#include "composition/ColumnMap.h"

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// The values of one quote line, as the line entry and the recalculation compute them.
struct QuoteLine {
  QString code;  // without its level indentation
  int level = 0;
  QString designation;
  QString description1;  // descriptive texts written under the designation ("" for none)
  QString description2;
  double quantity = 0;
  QString unit;
  double costPrice = 0;        // PDR
  double grossPrice = 0;       // PUBRUT
  double discountPercent = 0;  // PCREM
  double netPrice = 0;         // PUNET
  double netAmount = 0;        // MTNET
  double grossAmount = 0;      // MTBRUT
  double discountAmount = 0;   // MTREM
  double costAmount = 0;       // MTPDR
  QString user1, user2, user3, user4;
  QString replacement;     // REMPL
  QString supplier;        // CODFOURN
  QString vatRate;         // TXTVA
  double weight = 0;       // POIDS
  double totalWeight = 0;  // POIDSTOT
};

// Options of the composition window that govern how a line is written.
struct LineOptions {
  bool printPrice = true;     // "Imprimer le prix"
  bool printQuantity = true;  // "Imprimer la quantité"
  int quantityDecimals = 3;
  bool hideDescription1 = false;  // "Masquer Descriptif" options of the line's type
  bool hideDescription2 = false;
  QChar decimalSeparator = QLatin1Char(',');
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

 private:
  ColumnMap m_columns;
  LineOptions m_options;
};

}  // namespace tarovent::composition
