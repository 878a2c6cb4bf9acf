#include "TypeAhead.h"

#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <cstring>

namespace tarovent::ui {

namespace {

xcb_connection_t* xConnection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

TypeAhead::TypeAhead(QWidget* box) : m_box(box), m_form(QApplication::focusWidget()) {
  qApp->installEventFilter(this);
  if (xConnection()) qApp->installNativeEventFilter(this);
}

TypeAhead::~TypeAhead() {
  qApp->removeNativeEventFilter(this);
  qApp->removeEventFilter(this);
  // High priority: ahead of what is still waiting in the queue, which was typed after them.
  for (const Key& k : m_keys) {
    if (!k.receiver) continue;
    QCoreApplication::postEvent(
        k.receiver,
        new QKeyEvent(static_cast<QEvent::Type>(k.type), k.key, k.modifiers, k.scanCode,
                      k.virtualKey, k.nativeModifiers, k.text, k.autoRepeat),
        Qt::HighEventPriority);
  }
  if (xcb_connection_t* c = xConnection(); c && !m_native.isEmpty()) {
    for (const QByteArray& e : m_native) {
      xcb_key_press_event_t key;
      std::memcpy(&key, e.constData(), sizeof key);
      xcb_send_event(c, 0, key.event, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE,
                     e.constData());
    }
    xcb_flush(c);
  }
}

bool TypeAhead::inBox(QObject* receiver) const {
  if (!m_box) return true;
  if (auto* w = qobject_cast<QWidget*>(receiver)) return w->window() == m_box->window();
  if (auto* window = qobject_cast<QWindow*>(receiver))
    return window == m_box->window()->windowHandle();
  return true;
}

bool TypeAhead::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Show && m_box && watched == m_box.data() && !m_shown.isValid())
    m_shown.start();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
    return false;
  QObject* receiver = watched;
  if (inBox(watched)) {
    const bool settled = m_shown.isValid() && m_shown.elapsed() >= kSettleMs;
    if (settled || !m_form) return false;
    // Typed before the box could be read: for the form, not an answer.
    if (type == QEvent::ShortcutOverride) {
      event->accept();  // no shortcut of the box either
      return true;
    }
    receiver = m_form;
  }
  if (type == QEvent::ShortcutOverride) return false;  // the key press follows
  const auto* key = static_cast<QKeyEvent*>(event);
  m_keys.append({receiver, type, key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                 key->nativeScanCode(), key->nativeVirtualKey(), key->nativeModifiers()});
  return true;
}

bool TypeAhead::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t" || !m_box) return false;
  const auto* e = static_cast<const xcb_generic_event_t*>(message);
  const uint8_t kind = e->response_type & 0x7f;
  if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE) return false;
  const auto* key = static_cast<const xcb_key_press_event_t*>(message);
  const QWindow* boxWindow = m_box->window()->windowHandle();
  for (QWindow* w : QGuiApplication::allWindows()) {
    if (!w->handle() || w->winId() != key->event) continue;
    QByteArray held(static_cast<const char*>(message), sizeof *key);
    if (w == boxWindow) {
      const bool settled = m_shown.isValid() && m_shown.elapsed() >= kSettleMs;
      const QWindow* form = m_form ? m_form->window()->windowHandle() : nullptr;
      if (settled || !form || !form->handle()) return false;
      // Typed before the box could be read: sent back to the form with the keys before it.
      auto* copy = reinterpret_cast<xcb_key_press_event_t*>(held.data());
      copy->event = static_cast<xcb_window_t>(form->winId());
      copy->child = XCB_NONE;
    }
    m_native.append(held);
    return true;
  }
  return false;
}

}  // namespace tarovent::ui
