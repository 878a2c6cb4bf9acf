#pragma once

#include <QChar>
#include <QString>
#include <optional>
#include <vector>

#include "composition/ColumnMap.h"
#include "composition/QuoteRows.h"

namespace tarovent::ui {
class MessageFunnel;
}
namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// The selected row of the document, which every command works at. Table 0: the cursor is not
// in a table.
using Cursor = TableCursor;

// "Imprimer le prix", "Imprimer la quantité".
struct PrintOptions {
  bool printPrice = true;
  bool printQuantity = true;
};

// The level a blank print-level field stands for: every level.
constexpr int kAllLevels = 999;

// Every command returns false when it stopped on a message (shown through `messages`); the
// document then keeps what was already done. The cursor follows the row it was on.

// Closes the cursor's table with a sub-total row made a table of its own: the sums of the
// amount and weight columns, "*** Sous total" or the title (bold), and a bookmark "STOT" or
// "STOTPLUS" followed by the row's position. An empty title does nothing.
bool insertSubTotal(word::WordDocument& doc, const ColumnMap& columns, Cursor& cursor,
                    ui::MessageFunnel& messages, const std::optional<QString>& title,
                    QChar decimalSeparator);
// Whether a sub-total may close the cursor's table (a table, not itself a sub-total); false
// after the message that says why.
bool subTotalAllowed(const word::WordDocument& doc, const Cursor& cursor,
                     ui::MessageFunnel& messages);

// Writes again the sums of every sub-total that closes one of `lineTables`, from that table's
// rows as they now stand. Returns how many sub-totals were rewritten.
int refreshSubTotals(word::WordDocument& doc, const ColumnMap& columns,
                     const std::vector<int>& lineTables, QChar decimalSeparator);

// Splits the cursor's table above the cursor row; the cursor goes to the first row of the
// lower part. Splitting at the first row changes nothing.
bool splitTableAtCursor(word::WordDocument& doc, Cursor& cursor, ui::MessageFunnel& messages);

// Adds an empty line table with the header's layout after the cursor's table and puts the
// cursor in it.
bool addLineTable(word::WordDocument& doc, Cursor& cursor, ui::MessageFunnel& messages);

// Hides, for printing, the rows deeper than `detailLevel` and the prices of the rows deeper
// than `priceLevel` (blank fields: every level), and what the print options leave out.
bool applyPrintLevels(word::WordDocument& doc, const ColumnMap& columns, const QString& detailLevel,
                      const QString& priceLevel, const PrintOptions& print,
                      ui::MessageFunnel& messages);

// Switches the cursor's table between hidden and visible text; labour codes stay hidden.
bool switchTableHidden(word::WordDocument& doc, const ColumnMap& columns, const Cursor& cursor,
                       ui::MessageFunnel& messages);

}  // namespace tarovent::composition
