#include "platform/word/WordDocument.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"
#include "platform/word/StyleSheet.h"
#include "platform/word/TextEditor.h"
#include "platform/word/WordDocumentImpl.h"
#include "platform/word/WordXml.h"

namespace tarovent::word {

using ooxml::OoxmlError;

namespace {

std::optional<DiskStamp> stampOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
  return DiskStamp{st.st_dev, st.st_ino, st.st_size,
                   static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

const QString kDocumentType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
const QString kTemplateType = QStringLiteral(
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
const QString kMacroDocumentType =
    QStringLiteral("application/vnd.ms-word.document.macroEnabled.main+xml");

bool isTemplateType(const QString& type) {
  return type.contains(QLatin1String(".template.")) || type.contains(QLatin1String("Template"));
}

}  // namespace

// ---- construction ------------------------------------------------------------------------

WordDocument::WordDocument(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
WordDocument::WordDocument(WordDocument&&) noexcept = default;
WordDocument& WordDocument::operator=(WordDocument&&) noexcept = default;
WordDocument::~WordDocument() = default;

WordDocument WordDocument::open(const QString& path, OpenMode mode) {
  auto impl = std::make_unique<Impl>(ooxml::Package::open(path));
  impl->path = path;
  impl->readOnly = mode == OpenMode::ReadOnly;
  impl->stamp = stampOf(path);
  impl->load();
  return WordDocument(std::move(impl));
}

WordDocument WordDocument::fromTemplate(const QString& templatePath) {
  auto impl = std::make_unique<Impl>(ooxml::Package::open(templatePath));
  impl->path = templatePath;
  impl->load();
  impl->path.clear();
  const QString type = impl->package.contentType(impl->mainPart);
  if (isTemplateType(type))
    impl->package.setContentType(impl->mainPart, type.contains(QLatin1String("macroEnabled"))
                                                     ? kMacroDocumentType
                                                     : kDocumentType);
  impl->modified = true;
  return WordDocument(std::move(impl));
}

WordDocument WordDocument::fromPackage(ooxml::Package package, const QString& path) {
  auto impl = std::make_unique<Impl>(std::move(package));
  impl->path = path;
  impl->load();
  return WordDocument(std::move(impl));
}

// ---- document ------------------------------------------------------------------------------

QString WordDocument::path() const { return d->path; }
bool WordDocument::isReadOnly() const { return d->readOnly; }

bool WordDocument::isTemplate() const {
  return isTemplateType(d->package.contentType(d->mainPart));
}

void WordDocument::setTemplate(bool isTemplate) {
  if (isTemplate == this->isTemplate()) return;
  d->package.setContentType(d->mainPart, isTemplate ? kTemplateType : kDocumentType);
  d->modified = true;
}

bool WordDocument::isModified() const { return d->modified; }
void WordDocument::setModified(bool modified) { d->modified = modified; }
bool WordDocument::showHiddenText() const { return d->showHidden; }
void WordDocument::setShowHiddenText(bool show) { d->showHidden = show; }

void WordDocument::save() {
  if (d->readOnly)
    throw OoxmlError(QStringLiteral("Le document %1 est ouvert en lecture seule").arg(d->path));
  if (d->path.isEmpty())
    throw OoxmlError(QStringLiteral("Le document n'a pas encore de nom de fichier"));
  saveAs(d->path);
}

bool WordDocument::changedOnDisk() const {
  return d->stamp && !d->path.isEmpty() && stampOf(d->path) != d->stamp;
}

void WordDocument::keepOverDiskVersion() {
  if (!d->path.isEmpty()) d->stamp = stampOf(d->path);
}

void WordDocument::saveAs(const QString& path) {
  if (!d->path.isEmpty() && QFileInfo(path) == QFileInfo(d->path) && QFileInfo::exists(path) &&
      changedOnDisk())
    throw OoxmlError(QStringLiteral("Le document %1 a été modifié par un autre programme depuis "
                                    "son ouverture : il n'est pas enregistré")
                         .arg(path));
  for (Impl::Story& story : d->stories)
    if (story.dirty)
      d->package.write(story.part, ooxml::serializeXml(*story.doc, story.source.size()));
  d->package.saveAs(path);
  for (Impl::Story& story : d->stories) story.dirty = false;
  d->path = path;
  d->stamp = stampOf(path);
  d->readOnly = false;
  d->modified = false;
}

QStringList WordDocument::storyParts() const {
  QStringList parts;
  for (const Impl::Story& story : d->stories) parts << story.part;
  return parts;
}

QString WordDocument::bodyText() const { return xml::blockText(d->stories[0].root); }

ooxml::Package& WordDocument::package() { return d->package; }

// ---- bookmarks -----------------------------------------------------------------------------

bool WordDocument::hasBookmark(const QString& name) const { return d->findMark(name) != nullptr; }

std::optional<BookmarkInfo> WordDocument::bookmark(const QString& name) const {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return std::nullopt;
  return d->infoOf(*m);
}

QList<BookmarkInfo> WordDocument::bookmarks(BookmarkOrder order) const {
  QList<BookmarkInfo> list;
  for (const Impl::Mark& m : d->marks) list << d->infoOf(m);
  const QStringList parts = storyParts();
  auto rank = [&](const QString& part) { return int(parts.indexOf(part)); };
  std::sort(list.begin(), list.end(), [&](const BookmarkInfo& a, const BookmarkInfo& b) {
    if (order == BookmarkOrder::ByName) return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    if (a.part != b.part) return rank(a.part) < rank(b.part);
    if (a.start != b.start) return a.start < b.start;
    return a.end < b.end;
  });
  return list;
}

QString WordDocument::bookmarkText(const QString& name) const {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return {};
  xml::TextCollector collector;
  xml::traverseRange(
      m->start, m->end, [&](pugi::xml_node n) { return collector.enter(n); },
      [&](pugi::xml_node n) { collector.leave(n); });
  QString text = collector.text();
  if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
  return text;
}

bool WordDocument::setBookmarkText(const QString& name, const QString& text,
                                   const CharFormat& format) {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return false;
  d->editor.replaceRange(m->start, m->end, text, format);
  d->changed(m->story);
  // A range over a content control may have taken whole tables with it.
  d->rowCache.clear();
  d->tablesChanged();
  // The range may have held markers of other bookmarks, paired differently once rewritten.
  d->markersChanged();
  return true;
}

bool WordDocument::formatBookmark(const QString& name, const CharFormat& format) {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return false;
  std::vector<pugi::xml_node> runs, paragraphs;
  xml::traverseRange(
      m->start, m->end,
      [&](pugi::xml_node n) {
        if (!xml::is(n, "r")) return true;
        runs.push_back(n);
        return false;
      },
      [&](pugi::xml_node n) {
        if (xml::is(n, "p")) paragraphs.push_back(n);
      });
  d->editor.formatRuns(runs, paragraphs, format);
  d->changed(m->story);
  return true;
}

void WordDocument::addBookmark(const QString& name, const CellRef& cell) {
  pugi::xml_node tc = d->cellNode(cell);
  d->removeMark(name.toUpper());
  pugi::xml_node first = xml::firstParagraph(tc);
  if (!first) first = tc.append_child((d->prefix + "p").c_str());
  pugi::xml_node last = first;
  for (pugi::xml_node p : xml::wrappedChildren(tc, "p")) last = p;
  const long long id = d->nextId++;
  pugi::xml_node after = xml::firstChild(first, "pPr");
  pugi::xml_node start;
  if (after) {
    start = first.insert_child_after((d->prefix + "bookmarkStart").c_str(), after);
    start.append_attribute((d->prefix + "id").c_str()) = std::to_string(id).c_str();
    start.append_attribute((d->prefix + "name").c_str()) = name.toUtf8().constData();
  } else if (first.first_child()) {
    start = d->newMarker(first.first_child(), true, id, name, true);
  } else {
    start = d->newMarker(first, true, id, name, false);
  }
  pugi::xml_node end = d->newMarker(last, false, id, name, false);
  d->marks.insert(name.toUpper(), Impl::Mark{name, 0, start, end});
  d->changed(0);
}

bool WordDocument::deleteBookmark(const QString& name) {
  if (!d->findMark(name)) return false;
  d->removeMark(name.toUpper());
  return true;
}

std::optional<CellRef> WordDocument::bookmarkCell(const QString& name) const {
  const Impl::Mark* m = d->findMark(name);
  if (!m || m->story != 0) return std::nullopt;
  pugi::xml_node start = m->start;
  // A bookmark written at row or table level points at the cell that follows it.
  if (xml::is(start.parent(), "tr") || xml::is(start.parent(), "tbl")) {
    const pugi::xml_node next = TextEditor::paragraphAfter(start, {});
    if (!next) return std::nullopt;
    start = next;
  }
  // The outermost table of the body that holds the marker.
  pugi::xml_node tbl;
  for (pugi::xml_node cur = start.parent(); cur; cur = cur.parent())
    if (xml::is(cur, "tbl")) tbl = cur;
  if (!tbl) return std::nullopt;
  const int t = d->tableIndexOf(tbl);
  if (t == 0) return std::nullopt;
  const Impl::Rows& rows = d->rowsOf(tbl);
  for (size_t r = 0; r < rows.rows.size(); ++r) {
    if (!xml::isAncestorOf(rows.rows[r], start)) continue;
    const auto& cells = rows.cells[r];
    for (size_t c = 0; c < cells.size(); ++c)
      if (xml::isAncestorOf(cells[c], start)) return CellRef{t, int(r) + 1, int(c) + 1};
  }
  return std::nullopt;
}

bool WordDocument::insertParagraphsAt(const QString& name, const QList<TextPiece>& paragraphs) {
  const Impl::Mark* m = d->findMark(name);
  if (!m) return false;
  pugi::xml_node anchor = xml::ancestor(m->start, "p");
  if (!anchor) anchor = TextEditor::paragraphAfter(m->start, {});
  if (!anchor) {
    anchor = m->start.parent().insert_child_after((d->prefix + "p").c_str(), m->start);
  }
  d->editor.insertParagraphsBefore(anchor, paragraphs);
  d->changed(m->story);
  return true;
}

// ---- tables --------------------------------------------------------------------------------

int WordDocument::tableCount() const { return int(d->bodyTables().size()); }

TableInfo WordDocument::table(int t) const {
  const pugi::xml_node tbl = d->tableNode(t);
  const auto range = d->rangeOf(tbl);
  return {t, range.first, range.second, rowCount(t), columnCount(t)};
}

int WordDocument::rowCount(int t) const { return int(d->rowsOf(d->tableNode(t)).rows.size()); }

int WordDocument::columnCount(int t) const {
  int most = 0;
  for (const auto& cells : d->rowsOf(d->tableNode(t)).cells)
    most = std::max(most, int(cells.size()));
  return most;
}

int WordDocument::cellCount(int t, int row) const {
  d->rowNode(t, row);
  return int(d->rowsOf(d->tableNode(t)).cells[size_t(row - 1)].size());
}

int WordDocument::rowStart(int t, int row) const { return d->positionOf(d->rowNode(t, row)); }

int WordDocument::tableAt(int position) const {
  for (int t = 1; t <= tableCount(); ++t) {
    const auto range = d->rangeOf(d->tableNode(t));
    if (position >= range.first && position < range.second) return t;
  }
  return 0;
}

QString WordDocument::cellText(const CellRef& cell) const {
  const pugi::xml_node tc = d->cellNode(cell);
  // Most cells are one run of text: read it without the general walk.
  if (const xml::SoleRun sole = xml::soleRun(tc); sole.t)
    return QString::fromUtf8(sole.t.text().get());
  return xml::blockText(tc);
}

void WordDocument::setCellText(const CellRef& cell, const QString& text, const CharFormat& format) {
  setCellContent(cell, {TextPiece{text, format}});
}

void WordDocument::setCellContent(const CellRef& cell, const QList<TextPiece>& pieces) {
  d->editor.writeCell(d->cellNode(cell), pieces);
  // The cell's markers now stand at its two ends, starts first.
  d->markersChanged();
  d->changed(0);
}

void WordDocument::rewriteCellText(const CellRef& cell, const QString& text) {
  const pugi::xml_node tc = d->cellNode(cell);
  const xml::SoleRun sole = xml::soleRun(tc);
  // A cell that already reads so is left as it stands (a recalculation rewrites every amount,
  // most of them unchanged).
  if (sole.t && QAnyStringView::equal(text, QUtf8StringView(sole.t.text().get()))) return;
  CharFormat format;
  format.hidden = d->cellHidden(tc, sole);
  d->editor.writeCell(tc, {TextPiece{text, format}}, &sole);
  // The cell's markers now stand at its two ends, starts first.
  d->markersChanged();
  d->changed(0);
}

int WordDocument::insertRow(int t, int row, RowPlacement placement) {
  const pugi::xml_node tbl = d->tableNode(t);
  const pugi::xml_node tr = d->rowNode(t, row);
  pugi::xml_node copy = placement == RowPlacement::Above ? tr.parent().insert_copy_before(tr, tr)
                                                         : tr.parent().insert_copy_after(tr, tr);
  d->editor.clearRow(copy);
  Impl::Rows& rows = d->rowsOf(tbl);
  const size_t at = size_t(placement == RowPlacement::Above ? row - 1 : row);
  rows.rows.insert(rows.rows.begin() + std::ptrdiff_t(at), copy);
  rows.cells.insert(rows.cells.begin() + std::ptrdiff_t(at), xml::wrappedChildren(copy, "tc"));
  d->changed(0);
  return int(at) + 1;
}

int WordDocument::appendRow(int t) { return insertRow(t, rowCount(t), RowPlacement::Below); }

void WordDocument::deleteRow(int t, int row) {
  const pugi::xml_node tbl = d->tableNode(t);
  const pugi::xml_node tr = d->rowNode(t, row);
  d->dropMarksUnder(tr);
  tr.parent().remove_child(tr);
  Impl::Rows& rows = d->rowsOf(tbl);
  rows.rows.erase(rows.rows.begin() + row - 1);
  rows.cells.erase(rows.cells.begin() + row - 1);
  if (rows.rows.empty()) {
    d->dropMarksUnder(tbl);
    d->rowCache.erase(tbl.internal_object());
    tbl.parent().remove_child(tbl);
    d->tablesChanged();
  }
  // The row may also have held markers the index does not: a shadowed start, a stray end.
  d->markersChanged();
  d->changed(0);
}

int WordDocument::splitTable(int t, int row, SplitGap gap) {
  const pugi::xml_node tbl = d->tableNode(t);
  const int rows = rowCount(t);
  if (row < 2 || row > rows)
    throw OoxmlError(
        QStringLiteral("Le tableau n° %1 ne peut pas être divisé à la ligne %2").arg(t).arg(row));
  pugi::xml_node top = d->rowNode(t, row);
  while (top.parent() != tbl) top = top.parent();
  pugi::xml_node spacer = d->editor.spacerParagraph(tbl, gap);
  pugi::xml_node second = tbl.parent().insert_child_after((d->prefix + "tbl").c_str(), spacer);
  if (pugi::xml_node tblPr = xml::firstChild(tbl, "tblPr")) second.append_copy(tblPr);
  if (pugi::xml_node grid = xml::firstChild(tbl, "tblGrid")) second.append_copy(grid);
  for (pugi::xml_node child = top; child;) {
    pugi::xml_node next = child.next_sibling();
    second.append_move(child);
    child = next;
  }
  d->rowCache.erase(tbl.internal_object());
  d->tablesChanged();
  d->changed(0);
  return t + 1;
}

int WordDocument::addTableAfter(int afterTable, int layoutTable, int layoutRow) {
  const pugi::xml_node after = d->tableNode(afterTable);
  const pugi::xml_node layout = d->tableNode(layoutTable);
  const pugi::xml_node sourceRow = d->rowNode(layoutTable, layoutRow);
  pugi::xml_node spacer = d->editor.spacerParagraph(after, SplitGap::OnePoint);
  pugi::xml_node tbl = after.parent().insert_child_after((d->prefix + "tbl").c_str(), spacer);
  if (pugi::xml_node tblPr = xml::firstChild(layout, "tblPr")) tbl.append_copy(tblPr);
  if (pugi::xml_node grid = xml::firstChild(layout, "tblGrid")) tbl.append_copy(grid);
  pugi::xml_node row = tbl.append_copy(sourceRow);
  d->editor.clearRow(row);
  if (pugi::xml_node trPr = xml::firstChild(row, "trPr")) xml::removeChildren(trPr, "tblHeader");
  d->tablesChanged();
  d->changed(0);
  return d->tableIndexOf(tbl);
}

void WordDocument::insertParagraphsBeforeTable(int t, const QList<TextPiece>& paragraphs) {
  d->editor.insertParagraphsBefore(d->tableNode(t), paragraphs);
  d->tablesChanged();
  d->changed(0);
}

void WordDocument::insertParagraphsAfterTable(int t, const QList<TextPiece>& paragraphs) {
  const pugi::xml_node tbl = d->tableNode(t);
  // Plain paragraphs: the one that follows may be a 1-point spacer whose look they must not
  // take.
  const pugi::xml_node marker = d->editor.spacerParagraph(tbl, SplitGap::Normal);
  d->editor.insertParagraphsBefore(marker, paragraphs);
  tbl.parent().remove_child(marker);
  d->tablesChanged();
  d->changed(0);
}

void WordDocument::formatRow(int t, int row, const CharFormat& format) {
  d->editor.setFormat(d->rowNode(t, row), format);
  d->changed(0);
}

void WordDocument::formatCell(const CellRef& cell, const CharFormat& format) {
  d->editor.setFormat(d->cellNode(cell), format);
  d->changed(0);
}

void WordDocument::setRowHidden(int t, int row, bool hidden) {
  CharFormat format;
  format.hidden = hidden;
  formatRow(t, row, format);
}

void WordDocument::setTableHidden(int t, bool hidden) {
  CharFormat format;
  format.hidden = hidden;
  d->editor.setFormat(d->tableNode(t), format);
  d->changed(0);
}

bool WordDocument::isCellHidden(const CellRef& cell) const {
  const pugi::xml_node tc = d->cellNode(cell);
  return d->cellHidden(tc, xml::soleRun(tc));
}
bool WordDocument::isRowHidden(int t, int row) const { return d->allHidden(d->rowNode(t, row)); }
bool WordDocument::isTableHidden(int t) const { return d->allHidden(d->tableNode(t)); }

CharFormat WordDocument::cellFormat(const CellRef& cell) const {
  CharFormat format;
  const pugi::xml_node run = d->firstTextRun(d->cellNode(cell));
  if (!run) return format;
  const pugi::xml_node rPr = xml::firstChild(run, "rPr");
  format.hidden = d->runHidden(run);
  const pugi::xml_node b = xml::firstChild(rPr, "b");
  format.bold = b && xml::toggleOn(b);
  const pugi::xml_node u = xml::firstChild(rPr, "u");
  format.underline = u && std::strcmp(xml::attr(u, "val").value(), "none") != 0;
  if (const pugi::xml_node sz = xml::firstChild(rPr, "sz"))
    format.pointSize = std::atof(xml::attr(sz, "val").value()) / 2.0;
  if (const pugi::xml_node color = xml::firstChild(rPr, "color"))
    format.color = QString::fromUtf8(xml::attr(color, "val").value());
  return format;
}

}  // namespace tarovent::word
