// Writing cells. Only the sheets written are serialised again, and the workbook part when the
// spreadsheet must recompute on load; every other part is copied as it was.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookImpl.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"

namespace tarovent::excel {

namespace {

// Children of <workbook> that come before calcPr, in schema order.
const char* const kBeforeCalcPr[] = {"fileVersion",        "fileSharing",        "workbookPr",
                                     "workbookProtection", "bookViews",          "sheets",
                                     "functionGroups",     "externalReferences", "definedNames"};

QByteArray prefixed(const pugi::xml_node& like, const char* local) {
  const char* name = like.name();
  const char* colon = std::strchr(name, ':');
  return colon ? QByteArray(name, int(colon - name + 1)) + local : QByteArray(local);
}

QByteArray numberText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QByteArray(buffer, int(result.ptr - buffer));
}

// Gives every row and cell of the sheet its explicit position, so that inserting one does
// not move the others.
void numberPositions(pugi::xml_node sheetData) {
  int rowNumber = 0;
  for (pugi::xml_node row : sheetData.children()) {
    if (!isNamed(row, "row")) continue;
    const int r = row.attribute("r").as_int(0);
    rowNumber = r > 0 ? r : rowNumber + 1;
    if (r <= 0) {
      row.remove_attribute("r");
      row.append_attribute("r") = rowNumber;
    }
    int column = 0;
    for (pugi::xml_node c : row.children()) {
      if (!isNamed(c, "c")) continue;
      int cr = 0, cc = 0;
      if (parseCell(c.attribute("r").value(), cr, cc)) {
        column = cc;
        continue;
      }
      ++column;
      c.remove_attribute("r");
      c.prepend_attribute("r") = cellName(rowNumber, column).toLatin1().constData();
    }
  }
}

// Results of formulas on a sheet written to are out of date. A spreadsheet that does not
// recompute workbooks on load (LibreOffice's default) computes a formula without a result.
void dropCachedResults(pugi::xml_node sheetData) {
  for (pugi::xml_node row : sheetData.children()) {
    for (pugi::xml_node c : row.children()) {
      if (!isNamed(c, "c") || !childNamed(c, "f")) continue;
      if (pugi::xml_node v = childNamed(c, "v")) c.remove_child(v);
      c.remove_attribute("t");
    }
  }
}

// A formula's relative references moved by (rows, columns), as a copied cell's formula moves:
// "$" keeps its part, text in quotes and sheet names stay, a name followed by "(" is a function.
QByteArray shiftedFormula(const QByteArray& formula, int rows, int columns) {
  QByteArray out;
  const int n = int(formula.size());
  int i = 0;
  const auto letter = [&](int at) { return at < n && std::isalpha(uchar(formula[at])); };
  const auto digit = [&](int at) { return at < n && std::isdigit(uchar(formula[at])); };
  while (i < n) {
    const char ch = formula[i];
    if (ch == '"' || ch == '\'') {
      const int end = int(formula.indexOf(ch, i + 1));
      const int stop = end < 0 ? n : end + 1;
      out += formula.mid(i, stop - i);
      i = stop;
      continue;
    }
    const bool afterName = i > 0 && (std::isalnum(uchar(formula[i - 1])) || formula[i - 1] == '_' ||
                                     formula[i - 1] == '.');
    if (afterName || (ch != '$' && !letter(i))) {
      out += ch;
      ++i;
      continue;
    }
    int j = i;
    const bool absColumn = formula[j] == '$';
    if (absColumn) ++j;
    const int letters = j;
    while (letter(j)) ++j;
    const int columnEnd = j;
    const bool absRow = j < n && formula[j] == '$';
    if (absRow) ++j;
    const int digits = j;
    while (digit(j)) ++j;
    int row = 0, column = 0;
    const QByteArray ref =
        formula.mid(letters, columnEnd - letters) + formula.mid(digits, j - digits);
    const bool isRef = columnEnd > letters && columnEnd - letters <= 3 && j > digits &&
                       !(j < n && (formula[j] == '(' || formula[j] == '!' ||
                                   std::isalnum(uchar(formula[j])) || formula[j] == '_')) &&
                       parseCell(ref.constData(), row, column);
    if (!isRef) {
      out += formula.mid(i, std::max(j, i + 1) - i);
      i = std::max(j, i + 1);
      continue;
    }
    if (!absColumn) column += columns;
    if (!absRow) row += rows;
    if (row < 1 || column < 1) {
      out += "#REF!";
    } else {
      if (absColumn) out += '$';
      out += columnName(column).toLatin1();
      if (absRow) out += '$';
      out += QByteArray::number(row);
    }
    i = j;
  }
  return out;
}

// A shared formula whose first cell is overwritten: each other cell of the group gets the
// formula written out, moved to its place, so that it keeps computing what it computed.
void unshareFormula(pugi::xml_node sheetData, const pugi::xml_node& master) {
  const pugi::xml_node f = childNamed(master, "f");
  if (!f || QByteArray(f.attribute("t").value()) != "shared" || f.attribute("si").empty()) return;
  const QByteArray si = f.attribute("si").value();
  const QByteArray text = f.child_value();
  int masterRow = 0, masterColumn = 0;
  if (!parseCell(master.attribute("r").value(), masterRow, masterColumn)) return;
  for (pugi::xml_node row : sheetData.children()) {
    for (pugi::xml_node c : row.children()) {
      pugi::xml_node g = isNamed(c, "c") ? childNamed(c, "f") : pugi::xml_node();
      if (!g || c == master || QByteArray(g.attribute("t").value()) != "shared" ||
          si != g.attribute("si").value())
        continue;
      int r = 0, col = 0;
      if (!parseCell(c.attribute("r").value(), r, col)) continue;
      g.remove_attribute("t");
      g.remove_attribute("si");
      g.remove_attribute("ref");
      g.text() = shiftedFormula(text, r - masterRow, col - masterColumn).constData();
    }
  }
}

// The used range of a sheet and the spans of its rows, for a spreadsheet that reads them as
// given: widened to the cells written.
void widenDimension(pugi::xml_node worksheet, int row, int column) {
  pugi::xml_node dimension = childNamed(worksheet, "dimension");
  if (!dimension) return;
  const QString ref = QString::fromUtf8(dimension.attribute("ref").value());
  const qsizetype colon = ref.indexOf(QLatin1Char(':'));
  int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  if (!parseCell(QStringView(ref).left(colon < 0 ? ref.size() : colon), r1, c1)) return;
  if (colon < 0 || !parseCell(QStringView(ref).mid(colon + 1), r2, c2)) {
    r2 = r1;
    c2 = c1;
  }
  const QString widened = cellName(std::min(r1, row), std::min(c1, column)) + QLatin1Char(':') +
                          cellName(std::max(r2, row), std::max(c2, column));
  if (widened != ref) dimension.attribute("ref") = widened.toUtf8().constData();
}

void widenSpans(pugi::xml_node row, int column) {
  const QByteArray spans = row.attribute("spans").value();
  const qsizetype colon = spans.indexOf(':');
  if (colon <= 0) return;
  const int first = spans.left(colon).toInt(), last = spans.mid(colon + 1).toInt();
  if (first < 1 || last < first || (column >= first && column <= last)) return;
  row.attribute("spans") = (QByteArray::number(std::min(first, column)) + ':' +
                            QByteArray::number(std::max(last, column)))
                               .constData();
}

pugi::xml_node findOrInsert(pugi::xml_node parent, const char* local, int wanted,
                            const std::function<int(const pugi::xml_node&)>& position,
                            const pugi::xml_node& like) {
  pugi::xml_node before;
  for (pugi::xml_node child : parent.children()) {
    if (!isNamed(child, local)) continue;
    const int at = position(child);
    if (at == wanted) return child;
    if (at > wanted) {
      before = child;
      break;
    }
  }
  const QByteArray name = prefixed(like, local);
  return before ? parent.insert_child_before(name.constData(), before)
                : parent.append_child(name.constData());
}

}  // namespace

void Workbook::setCell(int sheet, int row, int column, const CellValue& value) {
  d->checkSheet(sheet);
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    throw ooxml::OoxmlError(
        QStringLiteral("Cellule hors de la feuille (ligne %1, colonne %2)").arg(row).arg(column));
  const QString& part = d->sheets[size_t(sheet)].part;
  if (part.isEmpty())
    throw ooxml::OoxmlError(QStringLiteral("La feuille %1 ne peut pas recevoir de valeurs")
                                .arg(d->sheets[size_t(sheet)].name));
  d->sheetCells(sheet);  // the values read stay those of the file
  auto& slot = d->editedSheets[sheet];
  if (!slot) {
    slot = std::make_unique<pugi::xml_document>();
    ooxml::parseXml(*slot, d->package.read(part), part);
    pugi::xml_node root = slot->document_element();
    if (!isNamed(root, "worksheet") || !childNamed(root, "sheetData"))
      throw ooxml::OoxmlError(QStringLiteral("La feuille %1 ne peut pas recevoir de valeurs")
                                  .arg(d->sheets[size_t(sheet)].name));
    numberPositions(childNamed(root, "sheetData"));
  }
  pugi::xml_node sheetData = childNamed(slot->document_element(), "sheetData");
  pugi::xml_node rowNode = findOrInsert(
      sheetData, "row", row, [](const pugi::xml_node& n) { return n.attribute("r").as_int(); },
      sheetData);
  if (rowNode.attribute("r").empty()) rowNode.append_attribute("r") = row;
  pugi::xml_node c = findOrInsert(
      rowNode, "c", column,
      [](const pugi::xml_node& n) {
        int r = 0, col = 0;
        parseCell(n.attribute("r").value(), r, col);
        return col;
      },
      sheetData);
  if (c.attribute("r").empty())
    c.append_attribute("r") = cellName(row, column).toLatin1().constData();

  unshareFormula(sheetData, c);
  widenDimension(slot->document_element(), row, column);
  widenSpans(rowNode, column);
  for (pugi::xml_node child = c.first_child(); child;) {
    pugi::xml_node next = child.next_sibling();
    if (isNamed(child, "f")) d->formulaRemoved = true;
    if (isNamed(child, "f") || isNamed(child, "v") || isNamed(child, "is")) c.remove_child(child);
    child = next;
  }
  c.remove_attribute("t");

  CellValue stored = value;
  const int style = c.attribute("s").as_int(0);
  // A date goes into a date cell as its serial; elsewhere it would show as a bare number.
  if (value.isDate && !d->isDateStyle(style))
    stored = CellValue::fromText(value.displayText(d->date1904));
  stored.isDate = value.isDate && d->isDateStyle(style);

  const QByteArray vName = prefixed(sheetData, "v");
  switch (stored.type) {
    case CellValue::Type::Empty:
      break;
    case CellValue::Type::Number:
      c.append_child(vName.constData()).text() = numberText(stored.number).constData();
      break;
    case CellValue::Type::Boolean:
      c.append_attribute("t") = "b";
      c.append_child(vName.constData()).text() = stored.number != 0 ? "1" : "0";
      break;
    case CellValue::Type::Error:
      c.append_attribute("t") = "e";
      c.append_child(vName.constData()).text() = stored.text.toUtf8().constData();
      break;
    case CellValue::Type::Text: {
      c.append_attribute("t") = "inlineStr";
      pugi::xml_node t = c.append_child(prefixed(sheetData, "is").constData())
                             .append_child(prefixed(sheetData, "t").constData());
      if (!stored.text.isEmpty() && (stored.text.front().isSpace() || stored.text.back().isSpace()))
        t.append_attribute("xml:space") = "preserve";
      t.text() = stored.text.toUtf8().constData();
      break;
    }
  }
  d->cells[size_t(sheet)]->put(row, column, stored);
  d->cellsWritten = true;
}

bool Workbook::setNamedValue(const QString& name, const CellValue& value, int contextSheet) {
  const DefinedName* n = findName(name, contextSheet);
  if (!n) return false;
  const RangeRef range = n->range();
  const int sheet = range.sheet.isEmpty() ? n->localSheet : sheetIndex(range.sheet);
  if (!range.isValid() || sheet < 0 || d->sheets[size_t(sheet)].part.isEmpty()) return false;
  setCell(sheet, range.firstRow, range.firstColumn, value);
  return true;
}

void Workbook::saveAs(const QString& path) {
  ooxml::Package& package = d->package;
  for (const auto& [sheet, doc] : d->editedSheets) {
    dropCachedResults(childNamed(doc->document_element(), "sheetData"));
    package.write(d->sheets[size_t(sheet)].part, ooxml::serializeXml(*doc));
  }
  if (d->cellsWritten) {
    pugi::xml_node root = d->workbookXml.document_element();
    pugi::xml_node calcPr = childNamed(root, "calcPr");
    if (!calcPr) {
      pugi::xml_node after;
      for (const char* name : kBeforeCalcPr)
        if (pugi::xml_node n = childNamed(root, name)) after = n;
      const QByteArray name = prefixed(root, "calcPr");
      calcPr = after ? root.insert_child_after(name.constData(), after)
                     : root.prepend_child(name.constData());
    }
    if (calcPr.attribute("fullCalcOnLoad").empty()) calcPr.append_attribute("fullCalcOnLoad");
    calcPr.attribute("fullCalcOnLoad") = "1";
    package.write(d->workbookPart, ooxml::serializeXml(d->workbookXml));
  }
  if (d->formulaRemoved) {
    // The calculation chain lists formula cells; one that lists a value cell makes the
    // spreadsheet call the file damaged. Without the chain it rebuilds one.
    const QString chain = d->partOfType(QStringLiteral("calcChain"));
    const QString relsPart = ooxml::Relationships::relsPartFor(d->workbookPart);
    if (!chain.isEmpty() && package.contains(relsPart)) {
      pugi::xml_document rels;
      ooxml::parseXml(rels, package.read(relsPart), relsPart);
      for (pugi::xml_node rel : rels.document_element().children()) {
        if (QByteArray(rel.attribute("Type").value()).endsWith("/calcChain")) {
          rels.document_element().remove_child(rel);
          break;
        }
      }
      package.write(relsPart, ooxml::serializeXml(rels));
      package.remove(chain);
      const QString typesPart = QStringLiteral("[Content_Types].xml");
      pugi::xml_document types;
      ooxml::parseXml(types, package.read(typesPart), typesPart);
      const QByteArray slashed = "/" + chain.toUtf8();
      for (pugi::xml_node o : types.document_element().children("Override")) {
        if (qstricmp(o.attribute("PartName").value(), slashed.constData()) == 0) {
          types.document_element().remove_child(o);
          break;
        }
      }
      package.write(typesPart, ooxml::serializeXml(types));
    }
    d->formulaRemoved = false;
  }
  if (d->isTemplate) {
    QString type = package.contentType(d->workbookPart);
    type.replace(QLatin1String("template.macroEnabled.main"),
                 QLatin1String("sheet.macroEnabled.main"));
    type.replace(QLatin1String("template.main"), QLatin1String("sheet.main"));
    package.setContentType(d->workbookPart, type);
  }
  package.saveAs(path);
}

}  // namespace tarovent::excel
