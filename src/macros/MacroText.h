#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "core/KeyNotation.h"

namespace tarovent::macros {

// The program's own marker in a macro text: the active window is printed at that point.
inline const QString kPrintMarker = QStringLiteral("[ImpEcran]");

// One step of a replay: keys to send, or the print of the active window.
struct MacroStep {
  bool print = false;
  QString keys;
  bool operator==(const MacroStep&) const = default;
};

// A macro text cut at its print markers, every part's key notation checked first so that a
// malformed text sends nothing. The error's position counts in the whole text.
struct MacroPlan {
  QList<MacroStep> steps;
  std::optional<core::KeyNotationError> error;
};
MacroPlan planMacro(const QString& text);

// What is wrong with a key notation, in French, without the position ("nom de touche inconnu
// « {F13} »").
QString problemText(const core::KeyNotationError& error);

// Inserts `key` into `text` at `cursor`; returns the text and sets `cursor` just after the key.
QString insertKey(const QString& text, int& cursor, const QString& key);

}  // namespace tarovent::macros
