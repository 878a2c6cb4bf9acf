#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace tarovent::ui {

// Keys typed ahead of a modal box. A question that appears in the middle of a burst of typing
// (the user types faster than the screen follows) blocks the window the keys were typed in, and
// the toolkit drops keys meant for a blocked window: lines typed after a price question were
// lost. While one of these lives, keys on their way to any window other than `box` are held;
// once it goes (the box answered), they are delivered again, in their order, before anything
// typed later. The box's own keys answer it once it has been on screen for kSettleMs: keys that
// reach it sooner were typed before anyone could read it (a code holding an O answered "Oui"),
// and go to the form after it as well.
class TypeAhead : public QObject, public QAbstractNativeEventFilter {
 public:
  static constexpr int kSettleMs = 250;

  explicit TypeAhead(QWidget* box);
  ~TypeAhead() override;
  TypeAhead(const TypeAhead&) = delete;
  TypeAhead& operator=(const TypeAhead&) = delete;

  int held() const { return static_cast<int>(m_keys.size() + m_native.size()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 private:
  bool inBox(QObject* receiver) const;

  struct Key {
    QPointer<QObject> receiver;
    int type;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool autoRepeat;
    quint32 scanCode;
    quint32 virtualKey;
    quint32 nativeModifiers;
  };
  QPointer<QWidget> m_box;
  // Where the keys that reached the box too soon are typed once it is gone.
  QPointer<QWidget> m_form;
  QElapsedTimer m_shown;
  QList<Key> m_keys;
  // X key events for the blocked windows, sent back to them once the box is gone.
  QList<QByteArray> m_native;
};

}  // namespace tarovent::ui
