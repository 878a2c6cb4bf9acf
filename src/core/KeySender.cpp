#include "KeySender.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include "KeyNotation.h"
#include "ProcessState.h"

// Qt's own entry for keys that do not come from the window system (its test library uses it):
// it offers the key to shortcuts, access keys and menu mnemonics first, as a typed key is.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);
QT_END_NAMESPACE

namespace tarovent::core {

namespace {

void deliver(const QList<KeyStroke>& strokes) {
  for (const KeyStroke& k : strokes) {
    // The focus may move with each key (Tab): look for the target every time.
    QPointer<QWidget> target = keyTarget();
    if (!target) return;
    QKeyEvent press(QEvent::KeyPress, k.key, k.modifiers, k.text);
    if (qt_sendShortcutOverrideEvent(target, press.timestamp(), k.key, k.modifiers, k.text, false,
                                     1))
      continue;
    QApplication::sendEvent(target, &press);
    if (!target) continue;
    QKeyEvent release(QEvent::KeyRelease, k.key, k.modifiers, k.text);
    QApplication::sendEvent(target, &release);
  }
}

}  // namespace

QWidget* keyTarget() {
  if (QWidget* w = QApplication::focusWidget()) return w;
  QWidget* window = QApplication::activeModalWidget();
  if (!window) window = QApplication::activeWindow();
  if (!window) return nullptr;
  return window->focusWidget() ? window->focusWidget() : window;
}

bool Envoyer_Touches(const QString& keys, bool wait) {
  const auto strokes = parseKeystrokes(keys);
  if (!strokes) return false;
  if (wait)
    deliver(*strokes);
  else
    QMetaObject::invokeMethod(
        qApp, [s = *strokes] { deliver(s); }, Qt::QueuedConnection);
  return true;
}

int Touche_Navigation(int keyCode) {
  switch (keyCode) {
    case 13:
    case 40:
      Envoyer_Touches(QStringLiteral("{TAB}"), true);
      return 0;
    case 38:
      Envoyer_Touches(QStringLiteral("+{TAB}"), true);
      return 0;
    default:
      return keyCode;
  }
}

void Touche_Word_Rapide(ProcessState& state) {
  if (state.params.wordRapide) Envoyer_Touches(QStringLiteral("{F10}"), true);
}

}  // namespace tarovent::core
