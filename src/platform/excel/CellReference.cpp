#include "platform/excel/CellReference.h"

#include <algorithm>

namespace tarovent::excel {

namespace {

bool isLetter(QChar c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Reads "$AB" then "$12" from pos; either part may be missing. Returns false on nothing read.
bool readPart(QStringView text, qsizetype& pos, int& row, int& column) {
  row = column = 0;
  qsizetype i = pos;
  if (i < text.size() && text[i] == '$') ++i;
  const qsizetype lettersStart = i;
  while (i < text.size() && isLetter(text[i]) && i - lettersStart < 3) ++i;
  if (i > lettersStart) {
    column = columnNumber(text.mid(lettersStart, i - lettersStart));
    if (column == 0) return false;
  } else {
    i = pos;  // no letters: a "$" read belongs to the row
  }
  qsizetype j = i;
  if (j < text.size() && text[j] == '$') ++j;
  const qsizetype digitsStart = j;
  qint64 value = 0;
  while (j < text.size() && text[j].isDigit() && value <= kMaxRows)
    value = value * 10 + (text[j++].unicode() - '0');
  if (j > digitsStart) {
    if (value < 1 || value > kMaxRows) return false;
    row = int(value);
    i = j;
  } else if (column == 0) {
    return false;
  }
  pos = i;
  return true;
}

}  // namespace

int columnNumber(QStringView letters) {
  if (letters.isEmpty() || letters.size() > 3) return 0;
  int n = 0;
  for (QChar c : letters) {
    if (!isLetter(c)) return 0;
    n = n * 26 + (c.toUpper().unicode() - 'A' + 1);
  }
  return n <= kMaxColumns ? n : 0;
}

QString columnName(int column) {
  QString name;
  while (column > 0) {
    const int rest = (column - 1) % 26;
    name.prepend(QChar('A' + rest));
    column = (column - 1) / 26;
  }
  return name;
}

bool parseCell(QStringView text, int& row, int& column) {
  qsizetype pos = 0;
  return readPart(text, pos, row, column) && pos == text.size() && row > 0 && column > 0;
}

bool parseCell(const char* text, int& row, int& column) {
  const char* p = text;
  if (*p == '$') ++p;
  int c = 0, letters = 0;
  for (; ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) && letters < 4; ++p, ++letters)
    c = c * 26 + ((*p & ~0x20) - 'A' + 1);
  if (letters == 0 || letters > 3 || c > kMaxColumns) return false;
  if (*p == '$') ++p;
  qint64 r = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9' && digits < 8; ++p, ++digits) r = r * 10 + (*p - '0');
  if (digits == 0 || *p || r < 1 || r > kMaxRows) return false;
  row = int(r);
  column = c;
  return true;
}

QString cellName(int row, int column) { return columnName(column) + QString::number(row); }

RangeRef parseReference(const QString& formula) {
  QString text = formula.trimmed();
  if (text.startsWith('=')) text.remove(0, 1);
  // Only the first area of a list counts; a comma inside a quoted sheet name does not end it.
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') quoted = !quoted;
    if (text[i] == ',' && !quoted) {
      text.truncate(i);
      break;
    }
  }
  RangeRef range;
  QStringView area(text);
  if (area.startsWith('\'')) {
    QString sheet;
    qsizetype i = 1;
    for (; i < area.size(); ++i) {
      if (area[i] == '\'') {
        if (i + 1 < area.size() && area[i + 1] == '\'') {
          sheet += '\'';
          ++i;
          continue;
        }
        break;
      }
      sheet += area[i];
    }
    if (i + 1 >= area.size() || area[i + 1] != '!') return {};
    range.sheet = sheet;
    area = area.mid(i + 2);
  } else if (const qsizetype bang = area.lastIndexOf('!'); bang >= 0) {
    range.sheet = area.left(bang).toString();
    if (range.sheet.startsWith('[')) return {};  // another workbook
    area = area.mid(bang + 1);
  }
  int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  qsizetype pos = 0;
  if (!readPart(area, pos, r1, c1)) return {};
  if (pos < area.size()) {
    if (area[pos] != ':') return {};
    ++pos;
    if (!readPart(area, pos, r2, c2) || pos != area.size()) return {};
  } else {
    r2 = r1;
    c2 = c1;
  }
  // A part without row is a whole column, without column a whole row; both ends must agree.
  if ((r1 == 0) != (r2 == 0) || (c1 == 0) != (c2 == 0)) return {};
  if (r1 == 0) {
    r1 = 1;
    r2 = kMaxRows;
  }
  if (c1 == 0) {
    c1 = 1;
    c2 = kMaxColumns;
  }
  range.firstRow = std::min(r1, r2);
  range.lastRow = std::max(r1, r2);
  range.firstColumn = std::min(c1, c2);
  range.lastColumn = std::max(c1, c2);
  return range;
}

QString quoteSheetName(const QString& sheet) {
  bool plain = !sheet.isEmpty() && !sheet[0].isDigit();
  for (QChar c : sheet)
    if (!(c.isLetterOrNumber() || c == '_' || c == '.')) plain = false;
  if (plain) return sheet;
  QString escaped = sheet;
  escaped.replace('\'', QStringLiteral("''"));
  return '\'' + escaped + '\'';
}

QString toR1C1(const RangeRef& range) {
  if (!range.isValid()) return {};
  auto cell = [](int row, int column) {
    return QStringLiteral("R%1C%2").arg(row).arg(column);
  };
  QString text = QStringLiteral("=");
  if (!range.sheet.isEmpty()) text += quoteSheetName(range.sheet) + '!';
  text += cell(range.firstRow, range.firstColumn);
  if (range.lastRow != range.firstRow || range.lastColumn != range.firstColumn)
    text += ':' + cell(range.lastRow, range.lastColumn);
  return text;
}

}  // namespace tarovent::excel
