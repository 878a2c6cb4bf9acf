#include "KeySender.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

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

// Sends one key; `lastWindow` is where the keys went before, kept for the moment a closed dialog
// has not given the focus back yet.
void send(const KeyStroke& k, QPointer<QWidget>& lastWindow) {
  // The focus may move with each key (Tab): look for the target every time.
  QPointer<QWidget> target = keyTarget();
  if (!target && lastWindow)
    target = lastWindow->focusWidget() ? lastWindow->focusWidget() : lastWindow.data();
  if (!target) return;
  if (!QApplication::activeModalWidget()) lastWindow = target->window();
  QKeyEvent press(QEvent::KeyPress, k.key, k.modifiers, k.text);
  if (qt_sendShortcutOverrideEvent(target, press.timestamp(), k.key, k.modifiers, k.text, false, 1))
    return;
  QApplication::sendEvent(target, &press);
  if (!target) return;
  QKeyEvent release(QEvent::KeyRelease, k.key, k.modifiers, k.text);
  QApplication::sendEvent(target, &release);
}

struct Delivery {
  QList<KeyStroke> strokes;
  qsizetype next = 0;
  QPointer<QWidget> lastWindow;
};

void run(const std::shared_ptr<Delivery>& d);

// While one key is delivered, watches for a window that waits for the user (a dialog run in
// its own event loop): the keys after it then go on from that loop, into the dialog, instead of
// waiting for the dialog to close.
class DialogWatch : public QObject {
 public:
  explicit DialogWatch(std::shared_ptr<Delivery> d)
      : m_delivery(std::move(d)), m_before(QApplication::activeModalWidget()) {
    connect(&m_timer, &QTimer::timeout, this, &DialogWatch::check);
    m_timer.start(0);
  }

 private:
  void check() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_before) return;
    m_timer.stop();
    run(m_delivery);
  }

  std::shared_ptr<Delivery> m_delivery;
  QPointer<QWidget> m_before;
  QTimer m_timer;
};

// Sends the keys left while the window waiting for the user is the one they started in; when it
// goes (a key closed the dialog), the caller that opened it goes on with the rest.
void run(const std::shared_ptr<Delivery>& d) {
  QWidget* const modal = QApplication::activeModalWidget();
  while (d->next < d->strokes.size() && QApplication::activeModalWidget() == modal) {
    const KeyStroke k = d->strokes.at(d->next++);
    DialogWatch watch(d);
    send(k, d->lastWindow);
  }
}

void deliver(const QList<KeyStroke>& strokes) {
  auto d = std::make_shared<Delivery>();
  d->strokes = strokes;
  run(d);
}

}  // namespace

QWidget* keyTarget() {
  // A dialog just opened may not have the focus yet: its keys go to it all the same.
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* focus = QApplication::focusWidget();
  if (modal && (!focus || focus->window() != modal))
    return modal->focusWidget() ? modal->focusWidget() : modal;
  if (focus) return focus;
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
