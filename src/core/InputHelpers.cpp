#include "InputHelpers.h"

#include <QRegularExpression>

#include "ProcessState.h"
#include "platform/text/NumberMask.h"
#include "platform/text/TypedText.h"

namespace tarovent::core {

int Filtre_Numerique(ProcessState& state, int key, const ui::NumberBoxState& box, bool decimals) {
  const ui::NumberKey k =
      ui::filterNumberKey(key, box, ui::workstationDecimalSeparator(), decimals);
  if (k.beep) state.messages().beep();
  return k.key;
}

bool Separateur_Virgule() { return ui::workstationDecimalSeparator() == ','; }

double Valeur_Numerique(const QString& text, bool* ok) {
  return ui::numberFromText(text, ui::workstationDecimalSeparator(), ok);
}

std::optional<double> boxNumber(ui::MessageFunnel& m, const QString& label,
                                const QString& text) {
  bool ok = false;
  const double value = text::readTypedNumber(text, &ok);
  if (ok) return value;
  m.show(m.tr(label) + m.tr(QStringLiteral(" : « ")) + text.trimmed() +
             m.tr(QStringLiteral(" » n'est pas un nombre.")) + "\n" +
             m.tr(QStringLiteral("Exemples de nombres acceptés : 1 234,50 ou 1234,5.")),
         ui::Icon::Warning);
  return std::nullopt;
}

double powerOfTen(int n) { return text::powerOfTen(n); }

double Arrondi(double value, int decimals) { return text::roundHalfUp(value, decimals); }

namespace {

// Position of `keyword` (a regular expression) outside quoted literals, -1 when absent.
int findOutsideQuotes(const QString& sql, const QRegularExpression& keyword, int* length) {
  QChar quote;
  int depth = 0;
  for (int i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (depth > 0) continue;
    const auto m = keyword.match(sql, i, QRegularExpression::NormalMatch,
                                 QRegularExpression::AnchorAtOffsetMatchOption);
    if (m.hasMatch() && (i == 0 || !sql[i - 1].isLetterOrNumber())) {
      *length = m.capturedLength();
      return i;
    }
  }
  return -1;
}

}  // namespace

QueryParts Decouper_Requete(const QString& sql) {
  QString s = sql.trimmed();
  while (s.endsWith(';')) s = s.chopped(1).trimmed();
  static const QRegularExpression where(QStringLiteral("WHERE\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression order(QStringLiteral("ORDER\\s+BY\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
  QueryParts p;
  int orderLength = 0;
  const int o = findOutsideQuotes(s, order, &orderLength);
  QString head = s;
  if (o >= 0) {
    p.orderBy = s.mid(o + orderLength).trimmed();
    head = s.left(o);
  }
  int whereLength = 0;
  const int w = findOutsideQuotes(head, where, &whereLength);
  if (w >= 0) {
    p.where = head.mid(w + whereLength).trimmed();
    head = head.left(w);
  }
  p.base = head.trimmed();
  return p;
}

}  // namespace tarovent::core
