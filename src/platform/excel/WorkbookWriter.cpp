// Writing cells. Only the sheets written are serialised again, and the workbook part when the
// spreadsheet must recompute on load; every other part is copied as it was.
#include <charconv>
#include <cstring>

#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookImpl.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"

namespace tarovent::excel {

namespace {

// Children of <workbook> that come before calcPr, in schema order.
const char* const kBeforeCalcPr[] = {"fileVersion",   "fileSharing",  "workbookPr",
                                     "workbookProtection", "bookViews", "sheets",
                                     "functionGroups", "externalReferences", "definedNames"};

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
    throw ooxml::OoxmlError(QStringLiteral("Cellule hors de la feuille (ligne %1, colonne %2)")
                                .arg(row)
                                .arg(column));
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
  if (value.isDate && !d->isDateStyle(style)) stored = CellValue::fromText(value.displayText(d->date1904));
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
    type.replace(QLatin1String("template.macroEnabled.main"), QLatin1String("sheet.macroEnabled.main"));
    type.replace(QLatin1String("template.main"), QLatin1String("sheet.main"));
    package.setContentType(d->workbookPart, type);
  }
  package.saveAs(path);
}

}  // namespace tarovent::excel
