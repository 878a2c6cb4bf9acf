#include "composition/QuoteDocumentModel.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

#include "composition/LineCode.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

namespace {

// A head value shown on one line: the lines of an address (line breaks, paragraphs) are
// separated by commas.
QString oneLine(const QString& text) {
  static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n\\v\\f]+\\s*"));
  return text.trimmed().split(breaks, Qt::SkipEmptyParts).join(QStringLiteral(", "));
}

const QHash<QString, QString>& headCaptions() {
  static const QHash<QString, QString> captions{
      {"NUMDEV", "N° de devis"},
      {"DATDEV", "Date"},
      {"CODCLI", "Code client"},
      {"COMMERCIAL", "Commercial"},
      {"NOMCAL", "Nom du commercial"},
      {"TELCAL", "Tél. commercial"},
      {"MAILCAL", "Mél. commercial"},
      {"STYPTRAV", "Type de travaux"},
      {"SOCIETE", "Société"},
      {"RS", "Client"},
      {"ADR", "Adresse"},
      {"ADR1", "Adresse 1"},
      {"ADR2", "Adresse 2"},
      {"ADR3", "Adresse 3"},
      {"ADR4", "Adresse 4"},
      {"PAYS", "Pays"},
      {"CM", "Contremarque"},
      {"CONTACT", "Contact"},
      {"TEL", "Téléphone"},
      {"FAX", "Télécopie"},
      {"PORTABLE", "Portable"},
      {"EMAIL", "Mél"},
      {"TVAINTRA", "TVA intracom."},
      {"TYPVEH", "Type de véhicule"},
      {"IMMAT", "Immatriculation"},
      {"COMPLIDENT", "Complément"},
      {"OPERATION", "Opération"},
      {"DEVUSER", "Zones du devis"},
      {"CLIUSER1", "Zone client 1"},
      {"CLIUSER2", "Zone client 2"},
      {"SCOND", "Conditions"},
  };
  return captions;
}

// In the order a reader of the quote expects them.
const QList<std::pair<const char*, const char*>>& totalCaptions() {
  static const QList<std::pair<const char*, const char*>> captions{
      {"SMTBRUT", "Total brut HT"}, {"SMTREM", "Remise"},
      {"SMTNET", "Total net HT"},   {"PCPLUS", "Majoration %"},
      {"MTPLUS", "Majoration"},     {"SMTNETPLUS", "Net majoré"},
      {"STXTVA1", "Taux TVA 1"},    {"SMTTVA1", "TVA 1"},
      {"STXTVA2", "Taux TVA 2"},    {"SMTTVA2", "TVA 2"},
      {"STXTVA", "Taux TVA"},       {"SMTTVA", "TVA"},
      {"STTC", "Total TTC"},        {"DEVISE", "TTC devise"},
      {"SPDRMAT", "P.R. matières"}, {"SPDRMO", "P.R. main d'œuvre"},
      {"SPDRTOT", "P.R. total"},    {"SMARGE", "Marge"},
      {"SPCMARGE", "Marge %"},      {"SPOIDS", "Poids total"},
  };
  return captions;
}

const QHash<QString, QString>& columnCaptions() {
  static const QHash<QString, QString> captions{
      {"CODART", "Code"},          {"LIBART", "Désignation"},  {"QTE", "Quantité"},
      {"UNITE", "Unité"},          {"PUBRUT", "P.U. brut"},    {"PCREM", "% remise"},
      {"PUNET", "P.U. net"},       {"MTNET", "Montant net"},   {"MTBRUT", "Montant brut"},
      {"MTREM", "Remise"},         {"USER1", "Zone 1"},        {"USER2", "Zone 2"},
      {"USER3", "Zone 3"},         {"USER4", "Zone 4"},        {"REMPL", "Remplacement"},
      {"POIDS", "Poids"},          {"PDR", "Prix de revient"}, {"MTPDR", "Montant P.R."},
      {"CODFOURN", "Fournisseur"}, {"TXTVA", "TVA"},           {"POIDSTOT", "Poids total"},
  };
  return captions;
}

bool isNumberColumn(const QString& code) {
  static const QStringList numbers{"QTE",   "PUBRUT", "PCREM", "PUNET", "MTNET", "MTBRUT",
                                   "MTREM", "POIDS",  "PDR",   "MTPDR", "TXTVA", "POIDSTOT"};
  return numbers.contains(code);
}

bool isInternalBookmark(const QString& name) {
  return name.startsWith('_') || name.startsWith(QLatin1String("STOT"), Qt::CaseInsensitive) ||
         name.compare(QLatin1String("WPOS"), Qt::CaseInsensitive) == 0 ||
         name.compare(QLatin1String("SAVEPOS"), Qt::CaseInsensitive) == 0;
}

QString firstParagraph(const QString& text) { return text.section('\r', 0, 0); }

}  // namespace

RowContent readRowContent(const word::WordDocument& doc, int table, int row, int columns) {
  RowContent content;
  const int cells = std::min(columns, doc.cellCount(table, row));
  for (int c = 1; c <= cells; ++c) {
    const word::CellRef ref{table, row, c};
    RowContent::Cell cell;
    cell.text = doc.cellText(ref);
    cell.hidden = doc.isCellHidden(ref);
    const word::CharFormat format = doc.cellFormat(ref);
    cell.bold = format.bold.value_or(false);
    cell.underline = format.underline.value_or(false);
    if (format.color && *format.color != QLatin1String("auto")) cell.color = *format.color;
    content.cells << cell;
  }
  content.hidden = doc.isRowHidden(table, row);
  return content;
}

QuoteDocumentModel::QuoteDocumentModel(word::WordDocument& doc, const TableLayout& layout,
                                       ColumnMap columns, QObject* parent)
    : QAbstractTableModel(parent),
      m_doc(doc),
      m_layout(layout),
      m_columns(std::move(columns)),
      m_reader(defaultRowReader()) {
  // The grid's captions are those the document's header row shows.
  for (int c = 1; c <= m_columns.columnCount(); ++c) {
    QString caption;
    if (m_layout.headerTable > 0 && c <= m_doc.cellCount(m_layout.headerTable, m_layout.headerRow))
      caption = firstParagraph(m_doc.cellText({m_layout.headerTable, m_layout.headerRow, c}));
    if (caption.trimmed().isEmpty() || caption == m_columns.codeAt(c))
      caption = columnCaptions().value(m_columns.codeAt(c), m_columns.codeAt(c));
    m_captions << caption.trimmed();
  }
  build();
  readBookmarks();
}

QuoteDocumentModel::RowReader QuoteDocumentModel::defaultRowReader() const {
  const int columns = m_columns.columnCount();
  word::WordDocument* doc = &m_doc;
  return [doc, columns](int table, int row) { return readRowContent(*doc, table, row, columns); };
}

void QuoteDocumentModel::setRowReader(RowReader reader) {
  beginResetModel();
  m_reader = std::move(reader);
  for (Segment& s : m_segments) std::fill(s.rows.begin(), s.rows.end(), std::nullopt);
  endResetModel();
}

std::optional<QuoteDocumentModel::RowKind> QuoteDocumentModel::shownKind(int table) const {
  if (table < 1 || table > m_doc.tableCount()) return std::nullopt;
  switch (currentTableKind(m_doc, m_layout, table)) {
    case TableKind::Line:
      return RowKind::Line;
    case TableKind::SubTotal:
      return RowKind::SubTotal;
    default:
      return std::nullopt;
  }
}

void QuoteDocumentModel::build() {
  m_segments.clear();
  m_rows = 0;
  if (m_layout.headerTable == 0) return;
  const TableLayout now = currentLayout(m_doc, m_layout);
  const QSet<int> subTotals = subTotalTables(m_doc);
  for (int t = m_layout.headerTable + 1; t <= m_doc.tableCount(); ++t) {
    const TableKind kind = tableKind(m_doc, now, t, subTotals);
    if (kind != TableKind::Line && kind != TableKind::SubTotal) continue;
    Segment s;
    s.table = t;
    s.kind = kind == TableKind::Line ? RowKind::Line : RowKind::SubTotal;
    s.first = m_rows;
    s.rows.resize(size_t(m_doc.rowCount(t)));
    m_rows += s.count();
    m_segments.push_back(std::move(s));
  }
}

void QuoteDocumentModel::readBookmarks() {
  m_head.clear();
  m_totals.clear();
  const QString body = m_doc.storyParts().value(0);
  const int headerStart = m_layout.headerTable > 0 && m_layout.headerTable <= m_doc.tableCount()
                              ? m_doc.table(m_layout.headerTable).start
                              : kNoTotalsStart;
  for (const word::BookmarkInfo& b : m_doc.bookmarks(word::BookmarkOrder::ByPosition)) {
    if (b.part != body || b.start >= headerStart || isInternalBookmark(b.name) ||
        columnCodes().contains(b.name, Qt::CaseInsensitive))
      continue;
    m_head << BookmarkEntry{b.name, headCaptions().value(b.name.toUpper(), b.name),
                            oneLine(m_doc.bookmarkText(b.name))};
  }
  for (const auto& [name, caption] : totalCaptions()) {
    const QString bookmark = QString::fromLatin1(name);
    if (m_doc.hasBookmark(bookmark))
      m_totals << BookmarkEntry{bookmark, QString::fromUtf8(caption),
                                m_doc.bookmarkText(bookmark).trimmed()};
  }
  emit bookmarksRead();
}

int QuoteDocumentModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows;
}

int QuoteDocumentModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_columns.columnCount();
}

int QuoteDocumentModel::segmentAtRow(int row) const {
  const auto it = std::upper_bound(m_segments.begin(), m_segments.end(), row,
                                   [](int r, const Segment& s) { return r < s.first; });
  return int(it - m_segments.begin()) - 1;
}

int QuoteDocumentModel::segmentOfTable(int table) const {
  const auto it = std::lower_bound(m_segments.begin(), m_segments.end(), table,
                                   [](const Segment& s, int t) { return s.table < t; });
  return it != m_segments.end() && it->table == table ? int(it - m_segments.begin()) : -1;
}

void QuoteDocumentModel::renumberFrom(int segment) {
  int first = segment > 0
                  ? m_segments[size_t(segment - 1)].first + m_segments[size_t(segment - 1)].count()
                  : 0;
  for (size_t i = size_t(std::max(segment, 0)); i < m_segments.size(); ++i) {
    m_segments[i].first = first;
    first += m_segments[i].count();
  }
  m_rows = first;
}

TableCursor QuoteDocumentModel::cursorAt(int row) const {
  if (row < 0 || row >= m_rows) return {};
  const Segment& s = m_segments[size_t(segmentAtRow(row))];
  return {s.table, row - s.first + 1};
}

int QuoteDocumentModel::rowAt(const TableCursor& cursor) const {
  const int s = segmentOfTable(cursor.table);
  if (s < 0 || cursor.row < 1 || cursor.row > m_segments[size_t(s)].count()) return -1;
  return m_segments[size_t(s)].first + cursor.row - 1;
}

QuoteDocumentModel::RowKind QuoteDocumentModel::rowKind(int row) const {
  return m_segments[size_t(segmentAtRow(row))].kind;
}

const RowContent& QuoteDocumentModel::content(int row) const {
  const Segment& s = m_segments[size_t(segmentAtRow(row))];
  std::optional<RowContent>& cached = s.rows[size_t(row - s.first)];
  if (!cached) cached = m_reader(s.table, row - s.first + 1);
  return *cached;
}

QVariant QuoteDocumentModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows || index.column() >= columnCount()) return {};
  return cellData(index.row(), index.column() + 1, role);
}

QVariant QuoteDocumentModel::cellData(int row, int column, int role) const {
  const Segment& s = m_segments[size_t(segmentAtRow(row))];
  if (role == KindRole) return int(s.kind);
  if (role == FirstOfTableRole) return row == s.first;
  const QString code = m_columns.codeAt(column);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(isNumberColumn(code) ? Qt::AlignRight | Qt::AlignVCenter
                                                    : Qt::AlignLeft | Qt::AlignVCenter);

  const RowContent& content = this->content(row);
  const RowContent::Cell blank;
  const RowContent::Cell& cell =
      column <= content.cells.size() ? content.cells.at(column - 1) : blank;
  const LineCode line =
      m_columns.has("CODART") && m_columns.column("CODART") <= content.cells.size()
          ? parseLineCode(content.cells.at(m_columns.column("CODART") - 1).text)
          : LineCode{};
  const bool subTotal = s.kind == RowKind::SubTotal;
  const bool hidden = content.hidden || cell.hidden;

  switch (role) {
    case Qt::DisplayRole: {
      if (subTotal) {
        // The sub-total's title is typed at the start of its row; it reads as a designation.
        const int titleColumn = m_columns.has("LIBART") ? m_columns.column("LIBART") : 1;
        const bool titleMoves = titleColumn != 1 && content.cells.size() >= titleColumn &&
                                content.cells.at(titleColumn - 1).text.trimmed().isEmpty();
        if (titleMoves && column == 1) return QString();
        if (titleMoves && column == titleColumn && !content.cells.isEmpty())
          return firstParagraph(content.cells.at(0).text).trimmed();
        return firstParagraph(cell.text).trimmed();
      }
      if (code == QLatin1String("CODART")) return line.code;
      return code == QLatin1String("LIBART") ? firstParagraph(cell.text)
                                             : QString(cell.text).replace('\r', ' ');
    }
    case Qt::ToolTipRole:
      return cell.text.contains('\r') ? QString(cell.text).replace('\r', '\n') : QVariant();
    case Qt::ForegroundRole:
      if (hidden) return QColor(0x9a, 0x9a, 0x9a);
      if (!cell.color.isEmpty()) return QColor('#' + cell.color);
      return {};
    case Qt::BackgroundRole:
      return subTotal ? QVariant(QColor(0xfb, 0xee, 0xd2)) : QVariant();
    case Qt::FontRole: {
      if (!hidden && !cell.bold && !cell.underline && !subTotal) return {};
      QFont font;
      font.setItalic(hidden);
      font.setBold(cell.bold || subTotal);
      font.setUnderline(cell.underline);
      return font;
    }
    case LevelRole:
      return subTotal ? 0 : line.level;
    case HiddenRole:
      return hidden;
    case LabourRole:
      return !subTotal && line.kind == LineKind::Labour;
    default:
      return {};
  }
}

QVariant QuoteDocumentModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < m_captions.size())
    return m_captions.at(section);
  if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
    return QVariant::fromValue(isNumberColumn(m_columns.codeAt(section + 1))
                                   ? Qt::AlignRight | Qt::AlignVCenter
                                   : Qt::AlignLeft | Qt::AlignVCenter);
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags QuoteDocumentModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void QuoteDocumentModel::rowsInserted(int table, int row, int count) {
  const int s = segmentOfTable(table);
  if (s < 0 || count <= 0) return;
  Segment& seg = m_segments[size_t(s)];
  const int at = std::clamp(row - 1, 0, seg.count());
  beginInsertRows({}, seg.first + at, seg.first + at + count - 1);
  seg.rows.insert(seg.rows.begin() + at, size_t(count), std::nullopt);
  renumberFrom(s + 1);
  endInsertRows();
  // The row that opened the table may no longer do so.
  if (at == 0 && seg.count() > count)
    emit dataChanged(index(seg.first + count, 0), index(seg.first + count, columnCount() - 1));
}

void QuoteDocumentModel::rowsRemoved(int table, int row, int count) {
  const int s = segmentOfTable(table);
  if (s < 0 || count <= 0) return;
  Segment& seg = m_segments[size_t(s)];
  const int at = row - 1;
  if (at < 0 || at + count > seg.count()) return documentReset();
  beginRemoveRows({}, seg.first + at, seg.first + at + count - 1);
  seg.rows.erase(seg.rows.begin() + at, seg.rows.begin() + at + count);
  renumberFrom(s + 1);
  endRemoveRows();
  if (at == 0 && seg.count() > 0)
    emit dataChanged(index(seg.first, 0), index(seg.first, columnCount() - 1));
}

void QuoteDocumentModel::rowsChanged(int table, int first, int last) {
  const int s = segmentOfTable(table);
  if (s < 0) return;
  Segment& seg = m_segments[size_t(s)];
  first = std::max(first, 1);
  last = std::min(last, seg.count());
  if (first > last) return;
  for (int r = first; r <= last; ++r) seg.rows[size_t(r - 1)].reset();
  emit dataChanged(index(seg.first + first - 1, 0), index(seg.first + last - 1, columnCount() - 1));
}

void QuoteDocumentModel::tableInserted(int table) {
  for (Segment& s : m_segments)
    if (s.table >= table) ++s.table;
  if (table <= m_layout.headerTable) ++m_layout.headerTable;
  const std::optional<RowKind> kind = shownKind(table);
  if (!kind) return;
  const auto at = std::lower_bound(m_segments.begin(), m_segments.end(), table,
                                   [](const Segment& s, int t) { return s.table < t; });
  const int s = int(at - m_segments.begin());
  Segment seg;
  seg.table = table;
  seg.kind = *kind;
  seg.rows.resize(size_t(m_doc.rowCount(table)));
  seg.first = s > 0 ? m_segments[size_t(s - 1)].first + m_segments[size_t(s - 1)].count() : 0;
  if (seg.count() == 0) {
    m_segments.insert(at, std::move(seg));
    return;
  }
  beginInsertRows({}, seg.first, seg.first + seg.count() - 1);
  m_segments.insert(at, std::move(seg));
  renumberFrom(s + 1);
  endInsertRows();
}

void QuoteDocumentModel::tableRemoved(int table) {
  const int s = segmentOfTable(table);
  if (s >= 0) {
    const Segment& seg = m_segments[size_t(s)];
    if (seg.count() > 0) beginRemoveRows({}, seg.first, seg.first + seg.count() - 1);
    const bool rows = seg.count() > 0;
    m_segments.erase(m_segments.begin() + s);
    renumberFrom(s);
    if (rows) endRemoveRows();
  }
  for (Segment& seg : m_segments)
    if (seg.table > table) --seg.table;
  if (table < m_layout.headerTable) --m_layout.headerTable;
}

void QuoteDocumentModel::tableSplit(int table, int row) {
  for (Segment& s : m_segments)
    if (s.table > table) ++s.table;
  const int s = segmentOfTable(table);
  const std::optional<RowKind> upper = shownKind(table);
  const std::optional<RowKind> lower = shownKind(table + 1);
  if (s < 0 || !upper || !lower || row < 2 || row > m_segments[size_t(s)].count())
    return documentReset();
  Segment& seg = m_segments[size_t(s)];
  Segment tail;
  tail.table = table + 1;
  tail.kind = *lower;
  tail.first = seg.first + row - 1;
  tail.rows.assign(std::make_move_iterator(seg.rows.begin() + row - 1),
                   std::make_move_iterator(seg.rows.end()));
  seg.rows.erase(seg.rows.begin() + row - 1, seg.rows.end());
  seg.kind = *upper;
  const int first = seg.first;
  const int last = tail.first + tail.count() - 1;
  m_segments.insert(m_segments.begin() + s + 1, std::move(tail));
  // Same rows, new kinds and table boundaries.
  emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void QuoteDocumentModel::bookmarksChanged() { readBookmarks(); }

void QuoteDocumentModel::documentReset() {
  beginResetModel();
  build();
  endResetModel();
  readBookmarks();
}

}  // namespace tarovent::composition
