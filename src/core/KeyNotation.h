#pragma once

#include <QList>
#include <QString>
#include <Qt>
#include <optional>

namespace tarovent::core {

// One key press of a keystroke text.
struct KeyStroke {
  int key = 0;  // Qt::Key
  Qt::KeyboardModifiers modifiers;
  QString text;  // what the key types ("" for moving and function keys)
  bool operator==(const KeyStroke&) const = default;
};

// Reads the keystroke notation of the scripting host: characters stand for themselves; "+",
// "^" and "%" hold Shift, Ctrl and Alt for the next key or for a group in parentheses; "~" is
// Enter; braces name special keys ("{TAB}", "{F10}", "{LEFT 3}" for three presses) or quote a
// sign ("{+}", "{{}"). Nothing for a malformed text (unknown key name, unclosed brace or
// parenthesis).
std::optional<QList<KeyStroke>> parseKeystrokes(const QString& notation);

// Why a keystroke text was refused, and where (0-based index of the sign at fault).
struct KeyNotationError {
  enum class Problem {
    UnknownKey,          // "{NAME}" names no key
    BadCount,            // "{KEY n}" with n not a number
    UnclosedBrace,       // "{" without its "}"
    StrayBrace,          // "}" without its "{"
    NestedGroup,         // "(" inside a group
    StrayParenthesis,    // ")" without its "("
    UnclosedGroup,       // "(" without its ")"
    ModifierWithoutKey,  // "+", "^" or "%" at the end
  };
  Problem problem = Problem::UnknownKey;
  int position = 0;
  QString name;  // the key name, for UnknownKey and BadCount
};

// As above; on a malformed text, `error` says why.
std::optional<QList<KeyStroke>> parseKeystrokes(const QString& notation, KeyNotationError* error);

}  // namespace tarovent::core
