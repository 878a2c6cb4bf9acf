#pragma once

#include <QJsonObject>

namespace tarovent::word {
class WordDocument;
}

namespace tarovent::composition {

// The structure of a quote document as the composition sees it, for `doc inspect`:
// bookmarks (name, part, start, end, text), tables (index, start, end, rows, columns, kind),
// the header table, column map, first line table and totals start, and each line row's
// level, code and kind. When the header row has to be split off the lines under it, the
// inspection works on a split copy in memory ("headerSplit": true) and numbers the tables
// as they are after the split; the document is never saved.
QJsonObject inspectDocument(word::WordDocument& doc);

}  // namespace tarovent::composition
