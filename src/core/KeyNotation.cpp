#include "KeyNotation.h"

#include <QHash>

namespace tarovent::core {

namespace {

struct Special {
  int key;
  const char* text;
  bool keypad = false;
};

const QHash<QString, Special>& specials() {
  static const QHash<QString, Special> table = [] {
    QHash<QString, Special> t{
        {"BACKSPACE", {Qt::Key_Backspace, "\b"}},
        {"BS", {Qt::Key_Backspace, "\b"}},
        {"BKSP", {Qt::Key_Backspace, "\b"}},
        {"BREAK", {Qt::Key_Pause, ""}},
        {"CAPSLOCK", {Qt::Key_CapsLock, ""}},
        {"DELETE", {Qt::Key_Delete, ""}},
        {"DEL", {Qt::Key_Delete, ""}},
        {"DOWN", {Qt::Key_Down, ""}},
        {"END", {Qt::Key_End, ""}},
        {"ENTER", {Qt::Key_Return, "\r"}},
        {"ESC", {Qt::Key_Escape, "\x1b"}},
        {"HELP", {Qt::Key_Help, ""}},
        {"HOME", {Qt::Key_Home, ""}},
        {"INSERT", {Qt::Key_Insert, ""}},
        {"INS", {Qt::Key_Insert, ""}},
        {"LEFT", {Qt::Key_Left, ""}},
        {"NUMLOCK", {Qt::Key_NumLock, ""}},
        {"PGDN", {Qt::Key_PageDown, ""}},
        {"PGUP", {Qt::Key_PageUp, ""}},
        {"PRTSC", {Qt::Key_Print, ""}},
        {"RIGHT", {Qt::Key_Right, ""}},
        {"SCROLLLOCK", {Qt::Key_ScrollLock, ""}},
        {"TAB", {Qt::Key_Tab, "\t"}},
        {"UP", {Qt::Key_Up, ""}},
        {"ADD", {Qt::Key_Plus, "+", true}},
        {"SUBTRACT", {Qt::Key_Minus, "-", true}},
        {"MULTIPLY", {Qt::Key_Asterisk, "*", true}},
        {"DIVIDE", {Qt::Key_Slash, "/", true}},
    };
    for (int i = 1; i <= 16; ++i) t.insert("F" + QString::number(i), {Qt::Key_F1 + i - 1, ""});
    return t;
  }();
  return table;
}

KeyStroke character(QChar c, Qt::KeyboardModifiers mods) {
  KeyStroke k;
  k.modifiers = mods;
  const QChar upper = c.toUpper();
  if (c == '\n' || c == '\r') {
    k.key = Qt::Key_Return;
    k.text = QStringLiteral("\r");
    return k;
  }
  if (c == '\t') {
    k.key = Qt::Key_Tab;
    k.text = QStringLiteral("\t");
    return k;
  }
  k.key = upper.unicode();
  if (mods & (Qt::ControlModifier | Qt::AltModifier)) return k;
  k.text = (mods & Qt::ShiftModifier) ? QString(upper) : QString(c);
  return k;
}

KeyStroke special(const Special& s, Qt::KeyboardModifiers mods) {
  KeyStroke k{s.key, mods, QString::fromLatin1(s.text)};
  if (s.keypad) k.modifiers |= Qt::KeypadModifier;
  // Shift+Tab is the back-tab key for the widgets.
  if (k.key == Qt::Key_Tab && (mods & Qt::ShiftModifier)) {
    k.key = Qt::Key_Backtab;
    k.text.clear();
  }
  if (mods & (Qt::ControlModifier | Qt::AltModifier)) k.text.clear();
  return k;
}

}  // namespace

std::optional<QList<KeyStroke>> parseKeystrokes(const QString& notation) {
  return parseKeystrokes(notation, nullptr);
}

std::optional<QList<KeyStroke>> parseKeystrokes(const QString& notation, KeyNotationError* error) {
  using Problem = KeyNotationError::Problem;
  const auto fail = [error](Problem problem, int position,
                            const QString& name = {}) -> std::optional<QList<KeyStroke>> {
    if (error) *error = {problem, position, name};
    return std::nullopt;
  };
  QList<KeyStroke> out;
  int groupStart = -1;
  int modifierAt = -1;
  Qt::KeyboardModifiers pending;  // modifiers waiting for their key
  Qt::KeyboardModifiers group;    // modifiers held through a parenthesised group
  bool inGroup = false;

  const auto emitKeys = [&](const QList<KeyStroke>& keys) {
    out += keys;
    pending = {};
  };

  for (int i = 0; i < notation.size(); ++i) {
    const QChar c = notation[i];
    const Qt::KeyboardModifiers mods = pending | group;
    if (c == '+' || c == '^' || c == '%') {
      pending |= c == '+' ? Qt::ShiftModifier : c == '^' ? Qt::ControlModifier : Qt::AltModifier;
      modifierAt = i;
    } else if (c == '(') {
      if (inGroup) return fail(Problem::NestedGroup, i);
      inGroup = true;
      groupStart = i;
      group = pending;
      pending = {};
    } else if (c == ')') {
      if (!inGroup) return fail(Problem::StrayParenthesis, i);
      inGroup = false;
      group = {};
      pending = {};
    } else if (c == '~') {
      emitKeys({special(specials().value("ENTER"), mods)});
    } else if (c == '{') {
      // "{}}" and "{{}" quote a brace: the name runs to the first "}" after its first character.
      const int open = i;
      const int close = notation.indexOf('}', i + 2);
      if (close < 0) return fail(Problem::UnclosedBrace, open);
      const QString inside = notation.mid(i + 1, close - i - 1);
      i = close;
      QString name = inside;
      int count = 1;
      const int space = inside.lastIndexOf(' ');
      if (space > 0) {
        bool ok = false;
        count = inside.mid(space + 1).toInt(&ok);
        if (!ok || count < 0) return fail(Problem::BadCount, open, inside);
        name = inside.left(space);
      }
      QList<KeyStroke> keys;
      if (name.size() == 1) {
        for (int n = 0; n < count; ++n) keys << character(name[0], mods);
      } else {
        const auto it = specials().constFind(name.toUpper());
        if (it == specials().cend()) return fail(Problem::UnknownKey, open, name);
        for (int n = 0; n < count; ++n) keys << special(*it, mods);
      }
      emitKeys(keys);
    } else if (c == '}') {
      return fail(Problem::StrayBrace, i);
    } else {
      emitKeys({character(c, mods)});
    }
  }
  if (inGroup) return fail(Problem::UnclosedGroup, groupStart);
  if (pending.toInt() != 0) return fail(Problem::ModifierWithoutKey, modifierAt);
  return out;
}

}  // namespace tarovent::core
