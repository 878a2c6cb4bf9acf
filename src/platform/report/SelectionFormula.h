#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>

namespace tarovent::report {

// A selection formula that does not parse: the 1-based character position and what is wrong.
class FormulaError : public std::runtime_error {
 public:
  FormulaError(int position, QString message)
      : std::runtime_error(message.toStdString()), m_position(position), m_message(message) {}
  int position() const { return m_position; }
  const QString& message() const { return m_message; }

 private:
  int m_position;
  QString m_message;
};

// The rows a report keeps, written as the report designers of the trade write them:
//   {RImpVis.TVIS_NumLig} = 12
//   {TMP_RENTA.NUMAFF} <> '' and ({TMP_RENTA.MONTANT} >= 1000 or not isnull({TMP_RENTA.DATAFF}))
// Fields are {Source.Field} (or {Field}); literals are numbers, 'text' or "text" (a quote
// doubled inside), #mm/dd/yyyy#, Date(yyyy, mm, dd), True and False; operators are = <> < > <=
// >=, like (with * and ?), and, or, not, parentheses, and isnull({...}). Text compares as the
// database does (case ignored, é = É); a comparison with an empty (Null) field is false.
// The formula is evaluated on each row in the program: it never becomes SQL.
class SelectionFormula {
 public:
  struct FieldRef {
    QString source;  // as written, "" when not written
    QString field;
  };

  SelectionFormula();
  ~SelectionFormula();
  SelectionFormula(SelectionFormula&&) noexcept;
  SelectionFormula& operator=(SelectionFormula&&) noexcept;

  // Throws FormulaError. An empty or blank text keeps every row.
  static SelectionFormula parse(const QString& text);
  // Both formulas must hold (either may be empty).
  static SelectionFormula both(SelectionFormula a, SelectionFormula b);

  bool isEmpty() const { return !m_root; }
  // The fields the formula reads, in the order of their slots.
  const QList<FieldRef>& fields() const { return m_fields; }
  // True when the row passes; `value(i)` gives the row's value of fields()[i].
  bool matches(const std::function<QVariant(int slot)>& value) const;

  struct Node;

 private:
  QString m_text;
  std::shared_ptr<const Node> m_root;
  QList<FieldRef> m_fields;
};

}  // namespace tarovent::report
