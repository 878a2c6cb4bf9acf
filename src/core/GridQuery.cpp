#include "GridQuery.h"

#include <QRegularExpression>
#include <QVector>

#include "platform/db/Criteria.h"
#include "platform/db/Database.h"
#include "platform/db/Recordset.h"
#include "platform/text/TypedText.h"

namespace tarovent::core {

ColumnKind columnKindOf(db::FieldType type) {
  switch (type) {
    case db::FieldType::Date:
      return ColumnKind::Date;
    case db::FieldType::Boolean:
      return ColumnKind::CheckBox;
    case db::FieldType::Byte:
    case db::FieldType::Integer:
    case db::FieldType::Long:
      return ColumnKind::Integer;
    case db::FieldType::Currency:
    case db::FieldType::Single:
    case db::FieldType::Double:
      return ColumnKind::Decimal;
    default:
      return ColumnKind::Text;
  }
}

QDate typedDate(const QString& text) { return text::readTypedDay(text, {.time = false}); }

bool typedNumber(const QString& text, QString* sql) {
  if (text.trimmed().isEmpty()) return false;
  bool ok = false;
  const double v = Valeur_Numerique(text.trimmed(), &ok);
  if (ok && sql) *sql = QString::number(v, 'g', 15);
  return ok;
}

namespace {

// 1 yes, 0 no, -1 neither.
int typedTruth(const QString& text) {
  const auto yes = text::readYesNo(text);
  return yes ? int(*yes) : -1;
}

QString jetDate(const QDate& d) { return '#' + d.toString(QStringLiteral("MM/dd/yyyy")) + '#'; }

GridCondition refused(const QString& message) { return {QString(), message}; }

}  // namespace

GridCondition searchCriteria(const QString& field, ColumnKind kind, TextMatch match,
                             const QString& value) {
  if (kind == ColumnKind::Date) {
    const QDate d = typedDate(value);
    if (!d.isValid()) return refused(kNotADate);
    return {field + " =" + jetDate(d) + ' '};
  }
  if (isNumeric(kind)) {
    QString number;
    if (!typedNumber(value, &number)) return refused(kNotANumber);
    return {field + " =" + number + ' '};
  }
  if (kind == ColumnKind::CheckBox) {
    const int truth = typedTruth(value);
    if (truth < 0) return refused(kNotYesNo);
    return {field + (truth ? " =True" : " =False")};
  }
  const QString literal = db::sqlLiteral(value);
  switch (match) {
    case TextMatch::Equal:
      return {field + " =" + literal};
    case TextMatch::BeginsWith:
      return {"Left(" + field + ',' + QString::number(value.size()) + ") =" + literal};
    case TextMatch::Contains:
      break;
  }
  return {"inStr(1," + field + ',' + literal + ") <> 0"};
}

QString sortOrder(const QString& field, bool descending, bool keepPrevious,
                  const QString& previousOrder) {
  QString order = field + (descending ? " DESC" : "");
  if (keepPrevious && !previousOrder.trimmed().isEmpty()) order += ", " + previousOrder.trimmed();
  return order;
}

QStringList selectionOperators() { return {"=", "<>", ">", "<", "Instr"}; }

GridCondition selectionCondition(const QString& field, ColumnKind kind, const QString& op,
                                 const QString& value) {
  if (!selectionOperators().contains(op)) return refused(kOperatorRefused);
  const bool equality = op == "=" || op == "<>";
  const QString upper = value.trimmed().toUpper();
  if (upper == "NULL" || upper == "VIDE") {
    if (!equality) return refused(kOperatorRefused);
    return {' ' + field + (op == "=" ? " Is Null " : " Is Not Null ")};
  }
  if (kind == ColumnKind::Text) {
    if (op == "Instr") return {" InStr(1, " + field + ", " + db::sqlLiteral(value) + ") <> 0 "};
    return {field + ' ' + op + ' ' + db::sqlLiteral(value) + ' '};
  }
  if (op == "Instr") return refused(kOperatorRefused);
  if (kind == ColumnKind::Date) {
    const QDate d = typedDate(value);
    if (!d.isValid()) return refused(kNotADate);
    return {field + ' ' + op + ' ' + jetDate(d) + ' '};
  }
  if (isNumeric(kind)) {
    QString number;
    if (!typedNumber(value, &number)) return refused(kNotANumber);
    return {field + ' ' + op + ' ' + number};
  }
  // Check boxes: equal or different only.
  if (!equality) return refused(kOperatorRefused);
  const int truth = typedTruth(value);
  if (truth < 0) return refused(kNotYesNo);
  return {QString(op == "<>" ? " not " : "") + field + " = " + (truth ? "True" : "False") + ' '};
}

QString addCondition(const QString& where, const QString& condition) {
  const QString w = where.trimmed();
  if (w.isEmpty()) return condition;
  // An "or" of the existing part must not swallow the new condition.
  static const QRegularExpression orWord(QStringLiteral("\\bor\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
  return (w.contains(orWord) ? '(' + w + ')' : w) + " and " + condition;
}

QString recordSourceOf(const QueryParts& parts) {
  static const QRegularExpression select(QStringLiteral("^\\s*select\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
  QString source = parts.base.contains(select) ? parts.base : "Select * From " + parts.base;
  if (!parts.where.trimmed().isEmpty()) source += " Where " + parts.where;
  if (!parts.orderBy.trimmed().isEmpty()) source += " Order by " + parts.orderBy;
  return source + ';';
}

QByteArray findRecord(const db::Recordset& rs, const QString& criteria, bool next) {
  if (!rs.isOpen()) return {};
  db::Recordset cursor = rs.Clone();
  if (cursor.BOF() && cursor.EOF_()) return {};
  const bool fromCurrent = next && !rs.BOF() && !rs.EOF_() && rs.EditMode() != db::EditMode::Add;
  if (cursor.Type() != db::RecordsetType::Table) {
    if (fromCurrent) {
      cursor.setBookmark(rs.Bookmark());
      cursor.FindNext(criteria);
    } else {
      cursor.FindFirst(criteria);
    }
    return cursor.NoMatch() ? QByteArray() : cursor.Bookmark();
  }
  // The engine finds nothing in table recordsets: walk the records in their index order.
  const db::Criteria test = db::Criteria::compile(
      criteria, [&](const QString&, const QString& name) { return cursor.fieldIndex(name); });
  if (fromCurrent) {
    cursor.setBookmark(rs.Bookmark());
    cursor.MoveNext();
  } else {
    cursor.MoveFirst();
  }
  QVector<QVariant> row(cursor.fieldCount());
  for (; !cursor.EOF_(); cursor.MoveNext()) {
    for (int i = 0; i < row.size(); ++i) row[i] = cursor.value(i);
    if (test.matches(row.constData())) return cursor.Bookmark();
  }
  return {};
}

QString prefixCondition(const QString& field, const QString& value) {
  return "Left(" + field + ", " + QString::number(value.size()) + ") = " + db::sqlLiteral(value);
}

QString containsCriteria(const QString& field, const QString& value) {
  return "instr(1," + field + ',' + db::sqlLiteral(value) + ") <> 0";
}

}  // namespace tarovent::core
