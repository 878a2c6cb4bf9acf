#pragma once

#include <QString>

namespace tarovent::composition {

enum class LineKind { Article, Labour, Text };

// What the code cell of a line says: its level (groups of three leading spaces), the code
// without them, and its kind. A labour line's code is "MO*" followed by its section.
struct LineCode {
  int level = 0;
  QString code;
  LineKind kind = LineKind::Text;
  QString section;  // labour lines only
};

LineCode parseLineCode(const QString& cellText);
// The code cell text of a code at a level.
QString indentedCode(const QString& code, int level);
bool isLabourCode(const QString& code);
QString lineKindName(LineKind kind);  // "article", "labour", "text"

}  // namespace tarovent::composition
