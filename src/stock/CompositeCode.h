#pragma once

#include <QString>
#include <QVector>
#include <optional>

namespace tarovent::db {
class Recordset;
}
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::stock {

// One part of a family's composite article code (`TFAM_DETAIL`).
struct CodeSegment {
  enum class Kind { Text, Number, Constant };
  Kind kind = Kind::Text;
  int length = 0;
  int decimals = 0;
  QString title;  // the constant's text for a constant segment
};

// The segments of `family`, in key order, at most ten, from the family detail table
// (index PrimaryKey). Empty when the family has none.
QVector<CodeSegment> familySegments(db::Recordset& details, const QString& family);

// A segment's value as it goes into the code: a number padded to its decimals and, on the
// left, with zeros to its length. None, after its message, when the value breaks the rule.
std::optional<QString> checkSegment(const CodeSegment& segment, const QString& value,
                                    ui::MessageFunnel& messages);

// The trimmed values joined without separator.
QString composedCode(const QVector<QString>& values);

}  // namespace tarovent::stock
