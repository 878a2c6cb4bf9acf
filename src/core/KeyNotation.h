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

}  // namespace tarovent::core
