#include "MacroButton.h"

#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

#include "ProcessState.h"

namespace tarovent::core {

namespace {

constexpr int kGap = 2;

// Keeps the button in the window's top right corner, in room taken from the layout's top margin
// so that it never covers a control.
class MacroButtonPlace : public QObject {
 public:
  MacroButtonPlace(QWidget* window, QToolButton* button)
      : QObject(button), m_window(window), m_button(button) {
    window->installEventFilter(this);
    makeRoom();
    place();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_window) {
      if (event->type() == QEvent::Show || event->type() == QEvent::Polish) makeRoom();
      if (event->type() == QEvent::Resize || event->type() == QEvent::Show) place();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void makeRoom() {
    QLayout* layout = m_window->layout();
    if (m_roomMade || !layout) return;
    QMargins m = layout->contentsMargins();
    m.setTop(m.top() + m_button->sizeHint().height() + kGap);
    layout->setContentsMargins(m);
    m_roomMade = true;
  }
  void place() {
    const QSize size = m_button->sizeHint();
    m_button->setGeometry(m_window->width() - size.width() - kGap * 3, kGap, size.width(),
                          size.height());
    m_button->raise();
  }

  QWidget* m_window;
  QToolButton* m_button;
  bool m_roomMade = false;
};

}  // namespace

QToolButton* addMacroButton(ProcessState& state, QWidget* window) {
  QToolButton* button = createMacroButton(state, window, window);
  new MacroButtonPlace(window, button);
  return button;
}

QToolButton* createMacroButton(ProcessState& state, QWidget* window, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName("TLB_MACRO");
  button->setText(state.Traduire(QStringLiteral("Macros")));
  button->setToolTip(state.Traduire(QStringLiteral("Exécuter une macro")));
  button->setIcon(window->style()->standardIcon(QStyle::SP_MediaPlay));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  // The keys of a macro go to the control that has the focus, never to the button.
  button->setFocusPolicy(Qt::NoFocus);
  button->setEnabled(static_cast<bool>(state.runMacros));
  QPointer<QWidget> target(window);
  QObject::connect(button, &QToolButton::clicked, button, [&state, target] {
    if (target && state.runMacros) state.runMacros(target);
  });
  return button;
}

}  // namespace tarovent::core
