#include "InputHelpers.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "ProcessState.h"

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

double powerOfTen(int n) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  return n >= 0 && n <= 22 ? kExact[n] : std::pow(10.0, n);
}

double Arrondi(double value, int decimals) {
  const double scale = powerOfTen(decimals);
  // The product of a decimal value and a power of ten lands a hair below the half it stands
  // for (1.125 x 100 = 112.49999...): nudge by a few units of the last place before flooring.
  const double scaled = value * scale;
  const double nudge = std::abs(scaled) * 4 * std::numeric_limits<double>::epsilon();
  return std::floor(scaled + 0.5 + nudge) / scale;
}

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
