#include "MacroText.h"

#include <algorithm>

namespace tarovent::macros {

MacroPlan planMacro(const QString& text) {
  MacroPlan plan;
  int from = 0;
  while (from <= text.size()) {
    const int marker = text.indexOf(kPrintMarker, from);
    const int end = marker < 0 ? int(text.size()) : marker;
    const QString keys = text.mid(from, end - from);
    core::KeyNotationError error;
    if (!core::parseKeystrokes(keys, &error)) {
      error.position += from;
      plan.error = error;
      plan.steps.clear();
      return plan;
    }
    if (!keys.isEmpty()) plan.steps.append(MacroStep{false, keys});
    if (marker < 0) break;
    plan.steps.append(MacroStep{true, {}});
    from = marker + kPrintMarker.size();
  }
  return plan;
}

QString problemText(const core::KeyNotationError& error) {
  using Problem = core::KeyNotationError::Problem;
  switch (error.problem) {
    case Problem::UnknownKey:
      return QStringLiteral("nom de touche inconnu « {%1} »").arg(error.name);
    case Problem::BadCount:
      return QStringLiteral("nombre de répétitions incorrect dans « {%1} »").arg(error.name);
    case Problem::UnclosedBrace:
      return QStringLiteral("accolade « { » jamais fermée");
    case Problem::StrayBrace:
      return QStringLiteral("accolade « } » sans accolade ouvrante");
    case Problem::NestedGroup:
      return QStringLiteral("parenthèse « ( » ouverte dans une autre");
    case Problem::StrayParenthesis:
      return QStringLiteral("parenthèse « ) » sans parenthèse ouvrante");
    case Problem::UnclosedGroup:
      return QStringLiteral("parenthèse « ( » jamais fermée");
    case Problem::ModifierWithoutKey:
      return QStringLiteral("touche Alt., Ctrl. ou Majuscule sans touche à suivre");
  }
  return {};
}

QString insertKey(const QString& text, int& cursor, const QString& key) {
  const int at = std::clamp(cursor, 0, int(text.size()));
  cursor = at + int(key.size());
  return text.left(at) + key + text.mid(at);
}

}  // namespace tarovent::macros
