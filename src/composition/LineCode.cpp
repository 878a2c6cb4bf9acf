#include "composition/LineCode.h"

namespace tarovent::composition {

namespace {
const QString kLevelIndent = QStringLiteral("   ");
const QString kLabourPrefix = QStringLiteral("MO*");
}  // namespace

bool isLabourCode(const QString& code) { return code.trimmed().startsWith(kLabourPrefix); }

LineCode parseLineCode(const QString& cellText) {
  LineCode line;
  qsizetype at = 0;
  while (cellText.mid(at, 3) == kLevelIndent) {
    ++line.level;
    at += 3;
  }
  line.code = cellText.mid(at).trimmed();
  if (line.code.isEmpty()) {
    line.kind = LineKind::Text;
  } else if (isLabourCode(line.code)) {
    line.kind = LineKind::Labour;
    line.section = line.code.mid(kLabourPrefix.size()).trimmed();
  } else {
    line.kind = LineKind::Article;
  }
  return line;
}

QString indentedCode(const QString& code, int level) {
  return kLevelIndent.repeated(std::max(level, 0)) + code;
}

QString lineKindName(LineKind kind) {
  switch (kind) {
    case LineKind::Article:
      return QStringLiteral("article");
    case LineKind::Labour:
      return QStringLiteral("labour");
    case LineKind::Text:
      break;
  }
  return QStringLiteral("text");
}

}  // namespace tarovent::composition
