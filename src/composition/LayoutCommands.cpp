#include "composition/LayoutCommands.h"

#include <algorithm>
#include <array>

#include "composition/LineCode.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "platform/word/WordDocument.h"
#include "ui/MessageFunnel.h"

namespace tarovent::composition {

namespace {

// Sub-totals stand out from the lines around them.
const QString kSubTotalColour = QStringLiteral("000080");
const QString kSubTotalMask = QStringLiteral("# ### ##0.000");

bool requireTable(const Cursor& cursor, ui::MessageFunnel& messages, const char* text) {
  if (cursor.table > 0) return true;
  messages.show(messages.tr(QString::fromUtf8(text)), ui::Icon::Warning);
  return false;
}

bool cursorInTable(const Cursor& cursor, ui::MessageFunnel& messages) {
  return requireTable(cursor, messages, "Le curseur doit être positionné dans un tableau.");
}

word::CharFormat hiddenFormat(bool hidden) {
  word::CharFormat f;
  f.hidden = hidden;
  return f;
}

// Labour codes are never printed, whatever the table's state.
void hideLabourCode(word::WordDocument& doc, const ColumnMap& columns, int table, int row) {
  const int code = columns.column(QStringLiteral("CODART"));
  if (code == 0 || code > doc.cellCount(table, row)) return;
  if (parseLineCode(doc.cellText({table, row, code})).kind == LineKind::Labour)
    doc.formatCell({table, row, code}, hiddenFormat(true));
}

// A level field: blank means every level.
int levelOf(const QString& text) {
  return text.trimmed().isEmpty() ? kAllLevels : int(parseNumber(text));
}

// A sum a sub-total shows: its column (0 when the table has none) and its mask.
struct Sum {
  const char* code;
  const QString& mask;
  int column = 0;
  double total = 0;
};
using Sums = std::array<Sum, 4>;

// The amounts and weights of the rows of `table`, empty cells counting 0.
Sums sumsOf(const word::WordDocument& doc, const ColumnMap& columns, int table) {
  Sums sums = {Sum{"MTNET", kPriceMask}, Sum{"MTBRUT", kPriceMask}, Sum{"MTPDR", kPriceMask},
               Sum{"POIDSTOT", kSubTotalMask}};
  const int rows = doc.rowCount(table);
  for (Sum& s : sums) {
    s.column = columns.column(QString::fromLatin1(s.code));
    if (s.column == 0) continue;
    for (int r = 1; r <= rows; ++r)
      if (s.column <= doc.cellCount(table, r))
        s.total += parseNumber(doc.cellText({table, r, s.column}));
  }
  return sums;
}

}  // namespace

int refreshSubTotals(word::WordDocument& doc, const ColumnMap& columns,
                     const std::vector<int>& lineTables, QChar decimalSeparator) {
  int refreshed = 0;
  const QSet<int> subTotals = subTotalTables(doc);
  for (const int subTotal : subTotals) {
    // Several sub-totals may close one table.
    int above = subTotal - 1;
    while (subTotals.contains(above)) --above;
    if (std::find(lineTables.begin(), lineTables.end(), above) == lineTables.end()) continue;
    for (const Sum& s : sumsOf(doc, columns, above))
      if (s.column > 0 && s.column <= doc.cellCount(subTotal, 1))
        doc.rewriteCellText({subTotal, 1, s.column},
                            formatMasked(s.total, s.mask, decimalSeparator));
    ++refreshed;
  }
  return refreshed;
}

bool insertSubTotal(word::WordDocument& doc, const ColumnMap& columns, Cursor& cursor,
                    ui::MessageFunnel& messages, const std::optional<QString>& title,
                    QChar decimalSeparator) {
  if (!subTotalAllowed(doc, cursor, messages)) return false;
  const int table = cursor.table;
  if (title && title->isEmpty()) return true;

  const Sums sums = sumsOf(doc, columns, table);
  const int row = doc.appendRow(table);
  // The row copies the last line's formatting, which may be hidden.
  doc.setRowHidden(table, row, false);
  word::CharFormat heading;
  heading.bold = title.has_value();
  doc.setCellText({table, row, 1}, title.value_or(QStringLiteral("*** Sous total")), heading);
  for (const Sum& s : sums)
    if (s.column > 0 && s.column <= doc.cellCount(table, row))
      doc.setCellText({table, row, s.column}, formatMasked(s.total, s.mask, decimalSeparator));
  // Named after its position, moved on past a sub-total that was once at the same place.
  const QString prefix = title ? QStringLiteral("STOTPLUS") : QStringLiteral("STOT");
  int position = doc.rowStart(table, row);
  while (doc.hasBookmark(prefix + QString::number(position))) ++position;
  const QString name = prefix + QString::number(position);
  doc.addBookmark(name, {table, row, 1});
  const int subTotal = doc.splitTable(table, row);
  word::CharFormat colour;
  colour.color = kSubTotalColour;
  doc.formatRow(subTotal, 1, colour);
  return true;
}

bool subTotalAllowed(const word::WordDocument& doc, const Cursor& cursor,
                     ui::MessageFunnel& messages) {
  if (!cursorInTable(cursor, messages)) return false;
  if (!subTotalTables(doc).contains(cursor.table)) return true;
  messages.show(messages.tr(QStringLiteral("Vous êtes positionné dans un tableau de sous-total")),
                ui::Icon::Warning);
  return false;
}

bool splitTableAtCursor(word::WordDocument& doc, Cursor& cursor, ui::MessageFunnel& messages) {
  if (!cursorInTable(cursor, messages)) return false;
  if (cursor.row <= 1) return true;
  cursor = {doc.splitTable(cursor.table, cursor.row), 1};
  return true;
}

bool addLineTable(word::WordDocument& doc, Cursor& cursor, ui::MessageFunnel& messages) {
  if (!cursorInTable(cursor, messages)) return false;
  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  if (!located.layout) {
    messages.show(messages.tr(located.message), ui::Icon::Warning);
    return false;
  }
  // The header may just have been split off its lines: the cursor's table moved down.
  if (located.layout->headerSplit && cursor.table > located.layout->headerTable) {
    ++cursor.table;
    if (cursor.table == located.layout->headerTable + 1) cursor.row -= located.layout->headerRow;
  }
  const int added =
      doc.addTableAfter(cursor.table, located.layout->headerTable, located.layout->headerRow);
  cursor = {added, 1};
  return true;
}

bool applyPrintLevels(word::WordDocument& doc, const ColumnMap& columns, const QString& detailLevel,
                      const QString& priceLevel, const PrintOptions& print,
                      ui::MessageFunnel& messages) {
  const int detail = levelOf(detailLevel);
  const int price = std::min(levelOf(priceLevel), detail);
  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::LevelMasking);
  if (!located.layout) {
    messages.show(messages.tr(located.message), ui::Icon::Warning);
    return false;
  }
  const int code = columns.column(QStringLiteral("CODART"));
  const auto hideCells = [&](int table, int row, std::initializer_list<const char*> codes) {
    for (const char* c : codes) {
      const int column = columns.column(QString::fromLatin1(c));
      if (column > 0 && column <= doc.cellCount(table, row))
        doc.formatCell({table, row, column}, hiddenFormat(true));
    }
  };
  for (int table : lineTables(doc, *located.layout)) {
    for (int row = 1; row <= doc.rowCount(table); ++row) {
      const QString text = code > 0 && code <= doc.cellCount(table, row)
                               ? doc.cellText({table, row, code})
                               : QString();
      qsizetype spaces = 0;
      while (spaces < text.size() && text[spaces] == QLatin1Char(' ')) ++spaces;
      const int level = int(spaces / 3);
      if (level > detail) {
        doc.setRowHidden(table, row, true);
        continue;
      }
      doc.setRowHidden(table, row, false);
      hideLabourCode(doc, columns, table, row);
      if (!print.printQuantity) hideCells(table, row, {"QTE", "UNITE"});
      if (!print.printPrice || level > price)
        hideCells(table, row,
                  {"PDR", "PUBRUT", "PUNET", "PCREM", "MTREM", "MTBRUT", "MTNET", "MTPDR"});
    }
  }
  doc.setShowHiddenText(true);
  return true;
}

bool switchTableHidden(word::WordDocument& doc, const ColumnMap& columns, const Cursor& cursor,
                       ui::MessageFunnel& messages) {
  if (!requireTable(cursor, messages, "Placez vous d'abord dans un tableau")) return false;
  const bool hide = !doc.isTableHidden(cursor.table);
  doc.setTableHidden(cursor.table, hide);
  if (!hide)
    for (int row = 1; row <= doc.rowCount(cursor.table); ++row)
      hideLabourCode(doc, columns, cursor.table, row);
  doc.setShowHiddenText(true);
  return true;
}

}  // namespace tarovent::composition
