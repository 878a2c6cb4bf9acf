#pragma once

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// Start of the totals region when a document has no total bookmark: beyond any document.
constexpr int kNoTotalsStart = 1000000;

// The callers of the table location word their messages differently.
enum class LocatePurpose { Recalculation, DesignationUpdate, LevelMasking };

// Where the parts of a quote document are. Tables are numbered from 1.
struct TableLayout {
  int headerTable = 0;
  int headerRow = 0;
  int columnCount = 0;     // cells of the header row: the line tables have as many
  int firstLineTable = 0;  // 0 when there is none
  int firstLineTableStart = 0;
  int totalsStart = kNoTotalsStart;
  bool headerSplit = false;  // the header row was split off the lines under it
};

struct LocateResult {
  std::optional<TableLayout> layout;
  QString message;  // why the tables could not be located
};

// `Reperer_Tableaux`: finds the header table through the bookmark `CODART` (else `LIBART`),
// splits the header row off the rows under it, and finds the first line table and the start
// of the totals region. On failure the document is left as it was.
LocateResult Reperer_Tableaux(word::WordDocument& doc, LocatePurpose purpose);

// Message of a line table whose layout the recalculation cannot follow.
QString incorrectStructureMessage();

// Tables carrying a sub-total bookmark (`STOT`…, `STOTPLUS`…).
QSet<int> subTotalTables(const word::WordDocument& doc);

// The line tables: after the header table, before the totals region, with the header's
// column count, and not sub-totals.
std::vector<int> lineTables(const word::WordDocument& doc, const TableLayout& layout);

enum class TableKind { Header, Line, SubTotal, Other };
TableKind tableKind(const word::WordDocument& doc, const TableLayout& layout, int table,
                    const QSet<int>& subTotals);
QString tableKindName(TableKind kind);

}  // namespace tarovent::composition
