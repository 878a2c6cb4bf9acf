#include "MessageBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <utility>

#include "ui/TypeAhead.h"

namespace tarovent::ui {

namespace {

// Each answer and the standard button that gives it.
constexpr std::pair<Answer, QMessageBox::StandardButton> kButtons[] = {
    {Answer::Ok, QMessageBox::Ok},         {Answer::Cancel, QMessageBox::Cancel},
    {Answer::Yes, QMessageBox::Yes},       {Answer::No, QMessageBox::No},
    {Answer::Retry, QMessageBox::Retry},   {Answer::Abort, QMessageBox::Abort},
    {Answer::Ignore, QMessageBox::Ignore},
};

QMessageBox::StandardButton toButton(Answer a) {
  for (const auto& [answer, button] : kButtons)
    if (answer == a) return button;
  return QMessageBox::Ok;
}

Answer toAnswer(QMessageBox::StandardButton b) {
  for (const auto& [answer, button] : kButtons)
    if (button == b) return answer;
  return Answer::Ok;
}

QList<QMessageBox::StandardButton> buttonList(Buttons b) {
  QList<QMessageBox::StandardButton> list;
  for (Answer a : answersOf(b)) list << toButton(a);
  return list;
}

// Alt + the underlined letter of a button, or the letter alone, presses it. Qt finds the
// letter alone itself, but Alt + letter only through the shortcuts of the active window: a box
// not yet active (no window manager, keys typed as it appears) ignored Alt+O.
class ButtonLetters : public QObject {
 public:
  explicit ButtonLetters(QMessageBox* box) : QObject(box), m_box(box) {
    box->installEventFilter(this);
    for (QWidget* w : box->findChildren<QWidget*>()) w->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::AltModifier && mods != Qt::NoModifier) return false;
    QAbstractButton* button = buttonOf(key->key());
    if (!button) return false;
    if (type == QEvent::ShortcutOverride) {
      event->accept();  // ours: no shortcut of another window takes it
      return true;
    }
    button->click();
    return true;
  }

 private:
  QAbstractButton* buttonOf(int key) const {
    if (key < Qt::Key_A || key > Qt::Key_Z) return nullptr;
    for (QAbstractButton* b : m_box->buttons()) {
      const QString t = b->text();
      const qsizetype amp = t.indexOf(QLatin1Char('&'));
      if (amp >= 0 && amp + 1 < t.size() && t.at(amp + 1).toUpper() == QChar(key)) return b;
    }
    return nullptr;
  }

  QMessageBox* m_box;
};

QMessageBox::Icon toIcon(Icon i) {
  switch (i) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Critical:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      return QMessageBox::NoIcon;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QMessageBox* messageBox(const QString& title, const QString& text, Buttons buttons,
                        int defaultButton, Icon icon, QWidget* parent) {
  auto* box = new QMessageBox(toIcon(icon), title, text, QMessageBox::NoButton, parent);
  const auto list = buttonList(buttons);
  // The captions are set here rather than left to a translation file that may be missing.
  for (auto b : list) box->addButton(b)->setText(buttonText(toAnswer(b)));
  const int d = std::clamp(defaultButton, 1, static_cast<int>(list.size())) - 1;
  box->setDefaultButton(list[d]);
  if (list.contains(QMessageBox::Cancel))
    box->setEscapeButton(QMessageBox::Cancel);
  else if (list.contains(QMessageBox::No))
    box->setEscapeButton(QMessageBox::No);
  new ButtonLetters(box);
  return box;
}

void MessageBoxFunnel::show(const QString& text, Icon icon, const QString& title) {
  std::unique_ptr<QMessageBox> box(messageBox(title.isEmpty() ? m_title : title, text, Buttons::Ok,
                                              1, icon, QApplication::activeWindow()));
  TypeAhead typedAhead(box.get());
  box->exec();
}

Answer MessageBoxFunnel::ask(const QString& text, Buttons buttons, int defaultButton, Icon icon,
                             const QString& title) {
  std::unique_ptr<QMessageBox> box(messageBox(title.isEmpty() ? m_title : title, text, buttons,
                                              defaultButton, icon, QApplication::activeWindow()));
  TypeAhead typedAhead(box.get());
  return toAnswer(static_cast<QMessageBox::StandardButton>(box->exec()));
}

void MessageBoxFunnel::beep() { QApplication::beep(); }

}  // namespace tarovent::ui
