#include "platform/excel/Workbook.h"

#include <charconv>
#include <cstring>
#include <string>

#include "platform/excel/WorkbookImpl.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"

namespace tarovent::excel {

using ooxml::OoxmlError;

const char* localName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? colon + 1 : name;
}

bool isNamed(const pugi::xml_node& node, const char* local) {
  return node.type() == pugi::node_element && std::strcmp(localName(node.name()), local) == 0;
}

pugi::xml_node childNamed(const pugi::xml_node& node, const char* local) {
  for (pugi::xml_node child : node.children())
    if (isNamed(child, local)) return child;
  return {};
}

QString relationshipId(const pugi::xml_node& node) {
  for (pugi::xml_attribute a : node.attributes()) {
    const char* name = a.name();
    if (std::strchr(name, ':') && std::strcmp(localName(name), "id") == 0 &&
        std::strncmp(name, "xmlns", 5) != 0)
      return QString::fromUtf8(a.value());
  }
  return {};
}

void SheetCells::put(int row, int column, CellValue value) {
  if (value.isEmpty()) {
    cells.erase(key(row, column));
    return;
  }
  cells[key(row, column)] = std::move(value);
  lastRow = std::max(lastRow, row);
  lastColumn = std::max(lastColumn, column);
}

namespace {

bool isTrue(const char* value) {
  return std::strcmp(value, "1") == 0 || std::strcmp(value, "true") == 0;
}

double toDouble(const char* text, bool* ok = nullptr) {
  while (*text == ' ') ++text;
  double value = 0;
  const char* end = text + std::strlen(text);
  const auto [ptr, ec] = std::from_chars(text, end, value);
  if (ok) *ok = ec == std::errc() && ptr != text;
  return ec == std::errc() ? value : 0;
}

// The text of a shared or inline string: its t, or the t of each rich-text run. Phonetic
// runs (rPh) are readings, not text.
QString stringItemText(const pugi::xml_node& item) {
  QByteArray text;
  for (pugi::xml_node child : item.children()) {
    if (isNamed(child, "t")) {
      text += child.child_value();
    } else if (isNamed(child, "r")) {
      if (pugi::xml_node t = childNamed(child, "t")) text += t.child_value();
    }
  }
  return QString::fromUtf8(text);
}

// A number format shows a date or a time when, outside quoted text, brackets and escaped
// characters, it holds a day, month, year, hour or second code.
bool formatShowsDate(const char* code) {
  bool quoted = false;
  for (const char* p = code; *p; ++p) {
    const char c = *p;
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
      continue;
    } else if (c == '\\' || c == '_' || c == '*') {
      if (p[1]) ++p;
    } else if (c == '[') {
      const char* close = std::strchr(p, ']');
      if (!close) return false;
      // [h], [mm], [ss]: elapsed time; [Red], [Magenta], [$-40C]: colour and locale
      const std::string inside(p + 1, close);
      if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string::npos) return true;
      p = close;
    } else if (std::strchr("dDmMyYhHsS", c)) {
      return true;
    }
  }
  return false;
}

bool builtInDateFormat(int id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58);
}

// A "d" cell holds an ISO 8601 date or time.
CellValue isoDateValue(const char* text, bool date1904) {
  QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
  if (!when.isValid()) {
    const QTime time = QTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    if (!time.isValid()) return CellValue::fromText(QString::fromLatin1(text));
    CellValue v = CellValue::fromNumber(time.msecsSinceStartOfDay() / 86400000.0);
    v.isDate = true;
    return v;
  }
  CellValue v = CellValue::fromNumber(dateTimeToSerial(when, date1904));
  v.isDate = true;
  return v;
}

}  // namespace

void Workbook::Impl::readCells(const pugi::xml_document& doc, SheetCells& out) const {
  const Impl& wb = *this;
  const pugi::xml_node sheetData = childNamed(doc.document_element(), "sheetData");
  int rowNumber = 0;
  for (pugi::xml_node row : sheetData.children()) {
    if (!isNamed(row, "row")) continue;
    const int r = row.attribute("r").as_int(0);
    rowNumber = r > 0 ? r : rowNumber + 1;
    if (rowNumber > kMaxRows) break;
    int column = 0;
    for (pugi::xml_node c : row.children()) {
      if (!isNamed(c, "c")) continue;
      int cellRow = rowNumber, cellColumn = 0;
      const char* ref = c.attribute("r").value();
      if (!*ref || !parseCell(ref, cellRow, cellColumn)) {
        cellRow = rowNumber;
        cellColumn = column + 1;
      }
      column = cellColumn;
      const char* type = c.attribute("t").value();
      const pugi::xml_node v = childNamed(c, "v");
      CellValue value;
      if (std::strcmp(type, "inlineStr") == 0) {
        if (pugi::xml_node is = childNamed(c, "is")) value = CellValue::fromText(stringItemText(is));
      } else if (!v) {
        continue;
      } else if (std::strcmp(type, "s") == 0) {
        const auto& strings = wb.strings();
        bool ok = false;
        const double index = toDouble(v.child_value(), &ok);
        if (ok && index >= 0 && index < double(strings.size()))
          value = CellValue::fromText(strings[size_t(index)]);
      } else if (std::strcmp(type, "b") == 0) {
        value = CellValue::fromBoolean(isTrue(v.child_value()));
      } else if (std::strcmp(type, "str") == 0) {
        value = CellValue::fromText(QString::fromUtf8(v.child_value()));
      } else if (std::strcmp(type, "e") == 0) {
        value.type = CellValue::Type::Error;
        value.text = QString::fromUtf8(v.child_value());
      } else if (std::strcmp(type, "d") == 0) {
        value = isoDateValue(v.child_value(), wb.date1904);
      } else {
        bool ok = false;
        const double number = toDouble(v.child_value(), &ok);
        if (!ok) continue;
        value = CellValue::fromNumber(number);
        value.isDate = wb.isDateStyle(c.attribute("s").as_int(0));
      }
      out.put(cellRow, cellColumn, std::move(value));
    }
  }
}

void Workbook::Impl::load() {
  workbookPart = package.mainPart();
  const QString type = workbookPart.isEmpty() ? QString() : package.contentType(workbookPart);
  if (!type.contains(QLatin1String("spreadsheetml")) && !type.contains(QLatin1String("ms-excel")))
    throw OoxmlError(QStringLiteral("Ce fichier n'est pas un classeur"));
  isTemplate = type.contains(QLatin1String("template"));
  ooxml::parseXml(workbookXml, package.read(workbookPart), workbookPart);
  const pugi::xml_node root = workbookXml.document_element();
  if (pugi::xml_node pr = childNamed(root, "workbookPr"))
    date1904 = isTrue(pr.attribute("date1904").value());
  const ooxml::Relationships rels = package.relationships(workbookPart);
  for (pugi::xml_node sheet : childNamed(root, "sheets").children()) {
    if (!isNamed(sheet, "sheet")) continue;
    Sheet s;
    s.name = QString::fromUtf8(sheet.attribute("name").value());
    if (const ooxml::Relationship* rel = rels.byId(relationshipId(sheet))) {
      s.part = rels.resolve(*rel);
      if (!package.contains(s.part)) s.part.clear();
    }
    sheets.push_back(s);
  }
  for (pugi::xml_node n : childNamed(root, "definedNames").children()) {
    if (!isNamed(n, "definedName")) continue;
    DefinedName name;
    name.name = QString::fromUtf8(n.attribute("name").value());
    name.localSheet = n.attribute("localSheetId").empty() ? -1 : n.attribute("localSheetId").as_int();
    name.hidden = isTrue(n.attribute("hidden").value());
    name.formula = QString::fromUtf8(n.child_value()).trimmed();
    names.push_back(name);
  }
  cells.resize(sheets.size());
}

QString Workbook::Impl::partOfType(const QString& shortType) const {
  const ooxml::Relationships rels = package.relationships(workbookPart);
  const ooxml::Relationship* rel = rels.firstOfType(shortType);
  const QString part = rel ? rels.resolve(*rel) : QString();
  return package.contains(part) ? part : QString();
}

bool Workbook::Impl::isDateStyle(int styleIndex) const {
  if (!stylesLoaded) {
    stylesLoaded = true;
    const QString part = partOfType(QStringLiteral("styles"));
    if (!part.isEmpty()) {
      pugi::xml_document doc;
      ooxml::parseXml(doc, package.read(part), part);
      const pugi::xml_node root = doc.document_element();
      std::map<int, bool> custom;
      for (pugi::xml_node f : childNamed(root, "numFmts").children())
        if (isNamed(f, "numFmt"))
          custom[f.attribute("numFmtId").as_int()] = formatShowsDate(f.attribute("formatCode").value());
      for (pugi::xml_node xf : childNamed(root, "cellXfs").children()) {
        if (!isNamed(xf, "xf")) continue;
        const int id = xf.attribute("numFmtId").as_int();
        const auto it = custom.find(id);
        dateStyles.push_back(it != custom.end() ? it->second : builtInDateFormat(id));
      }
    }
  }
  return styleIndex >= 0 && size_t(styleIndex) < dateStyles.size() && dateStyles[size_t(styleIndex)];
}

const std::vector<QString>& Workbook::Impl::strings() const {
  if (!stringsLoaded) {
    stringsLoaded = true;
    const QString part = partOfType(QStringLiteral("sharedStrings"));
    if (!part.isEmpty()) {
      QByteArray bytes = package.read(part);
      pugi::xml_document doc;
      ooxml::parseXmlInPlace(doc, bytes, part);
      for (pugi::xml_node si : doc.document_element().children())
        if (isNamed(si, "si")) sharedStrings.push_back(stringItemText(si));
    }
  }
  return sharedStrings;
}

void Workbook::Impl::checkSheet(int sheet) const {
  if (sheet < 0 || size_t(sheet) >= sheets.size())
    throw OoxmlError(QStringLiteral("La feuille n° %1 n'existe pas dans le classeur").arg(sheet + 1));
}

const SheetCells& Workbook::Impl::sheetCells(int sheet) const {
  checkSheet(sheet);
  auto& slot = cells[size_t(sheet)];
  if (!slot) {
    auto loaded = std::make_unique<SheetCells>();
    const auto edited = editedSheets.find(sheet);
    if (edited != editedSheets.end()) {
      readCells(*edited->second, *loaded);
    } else if (!sheets[size_t(sheet)].part.isEmpty()) {
      const QString& part = sheets[size_t(sheet)].part;
      QByteArray bytes = package.read(part);
      pugi::xml_document doc;
      ooxml::parseXmlInPlace(doc, bytes, part);
      readCells(doc, *loaded);
    }
    slot = std::move(loaded);
  }
  return *slot;
}

Workbook::Workbook(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::open(const QString& path, const ooxml::PackageLimits& limits) {
  return fromPackage(ooxml::Package::open(path, limits));
}

Workbook Workbook::fromPackage(ooxml::Package package) {
  auto impl = std::make_unique<Impl>(std::move(package));
  impl->load();
  return Workbook(std::move(impl));
}

bool Workbook::isTemplate() const { return d->isTemplate; }
bool Workbook::date1904() const { return d->date1904; }
const ooxml::Package& Workbook::package() const { return d->package; }

QStringList Workbook::sheetNames() const {
  QStringList out;
  for (const auto& s : d->sheets) out << s.name;
  return out;
}

int Workbook::sheetIndex(const QString& name) const {
  for (size_t i = 0; i < d->sheets.size(); ++i)
    if (d->sheets[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

const std::vector<DefinedName>& Workbook::names() const { return d->names; }

const DefinedName* Workbook::findName(const QString& name, int contextSheet) const {
  QString bare = name;
  int scope = contextSheet;
  bool sheetOnly = false;
  if (const qsizetype bang = name.lastIndexOf('!'); bang > 0) {
    QString sheet = name.left(bang);
    if (sheet.size() >= 2 && sheet.startsWith('\'') && sheet.endsWith('\''))
      sheet = sheet.mid(1, sheet.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    scope = sheetIndex(sheet);
    if (scope < 0) return nullptr;
    bare = name.mid(bang + 1);
    sheetOnly = true;
  }
  const DefinedName* global = nullptr;
  for (const DefinedName& n : d->names) {
    if (n.name.compare(bare, Qt::CaseInsensitive) != 0) continue;
    if (n.localSheet >= 0 && n.localSheet == scope) return &n;
    if (n.localSheet < 0 && !global) global = &n;
  }
  return sheetOnly ? nullptr : global;
}

CellValue Workbook::cell(int sheet, int row, int column) const {
  const SheetCells& cells = d->sheetCells(sheet);
  const auto it = cells.cells.find(SheetCells::key(row, column));
  return it == cells.cells.end() ? CellValue() : it->second;
}

CellValue Workbook::cell(int sheet, const QString& address) const {
  int row = 0, column = 0;
  return parseCell(address, row, column) ? cell(sheet, row, column) : CellValue();
}

CellValue Workbook::namedValue(const QString& name, int contextSheet) const {
  const DefinedName* n = findName(name, contextSheet);
  if (!n) return {};
  const RangeRef range = n->range();
  const int sheet = range.sheet.isEmpty() ? n->localSheet : sheetIndex(range.sheet);
  if (!range.isValid() || sheet < 0) return {};
  return cell(sheet, range.firstRow, range.firstColumn);
}

std::pair<int, int> Workbook::lastUsedCell(int sheet) const {
  const SheetCells& cells = d->sheetCells(sheet);
  return {cells.lastRow, cells.lastColumn};
}

}  // namespace tarovent::excel
