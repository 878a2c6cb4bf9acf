#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <utility>

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
  return box;
}

void MessageBoxFunnel::show(const QString& text, Icon icon, const QString& title) {
  std::unique_ptr<QMessageBox> box(messageBox(title.isEmpty() ? m_title : title, text, Buttons::Ok,
                                              1, icon, QApplication::activeWindow()));
  box->exec();
}

Answer MessageBoxFunnel::ask(const QString& text, Buttons buttons, int defaultButton, Icon icon,
                             const QString& title) {
  std::unique_ptr<QMessageBox> box(messageBox(title.isEmpty() ? m_title : title, text, buttons,
                                              defaultButton, icon, QApplication::activeWindow()));
  return toAnswer(static_cast<QMessageBox::StandardButton>(box->exec()));
}

void MessageBoxFunnel::beep() { QApplication::beep(); }

}  // namespace tarovent::ui
