#include "MessageFunnel.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace tarovent::ui {

namespace {

QList<QMessageBox::StandardButton> buttonList(Buttons b) {
  switch (b) {
    case Buttons::Ok:
      return {QMessageBox::Ok};
    case Buttons::OkCancel:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case Buttons::YesNo:
      return {QMessageBox::Yes, QMessageBox::No};
    case Buttons::YesNoCancel:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case Buttons::RetryCancel:
      return {QMessageBox::Retry, QMessageBox::Cancel};
    case Buttons::AbortRetryIgnore:
      return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
  }
  return {QMessageBox::Ok};
}

Answer toAnswer(QMessageBox::StandardButton b) {
  switch (b) {
    case QMessageBox::Cancel:
      return Answer::Cancel;
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Retry:
      return Answer::Retry;
    case QMessageBox::Abort:
      return Answer::Abort;
    case QMessageBox::Ignore:
      return Answer::Ignore;
    default:
      return Answer::Ok;
  }
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

Answer answerAt(Buttons buttons, int position) {
  const auto list = buttonList(buttons);
  const int i = std::clamp(position, 1, static_cast<int>(list.size())) - 1;
  return toAnswer(list[i]);
}

QString buttonText(Answer button) {
  switch (button) {
    case Answer::Ok:
      return QStringLiteral("OK");
    case Answer::Cancel:
      return QStringLiteral("Annuler");
    // Access keys, so that Alt+O or Alt+N answers as in every other program of the desktop.
    case Answer::Yes:
      return QStringLiteral("&Oui");
    case Answer::No:
      return QStringLiteral("&Non");
    case Answer::Retry:
      return QStringLiteral("&Réessayer");
    case Answer::Abort:
      return QStringLiteral("A&bandonner");
    case Answer::Ignore:
      return QStringLiteral("&Ignorer");
  }
  return {};
}

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

void ScriptedResponder::show(const QString& text, Icon, const QString&) {
  m_entries.append({text, false, Answer::Ok});
}

Answer ScriptedResponder::ask(const QString& text, Buttons buttons, int defaultButton, Icon,
                              const QString&) {
  const Answer a = m_answers.isEmpty() ? m_fallback : m_answers.takeFirst();
  m_entries.append({text, true, a, buttons, defaultButton});
  return a;
}

QStringList ScriptedResponder::texts() const {
  QStringList out;
  for (const auto& e : m_entries) out << e.text;
  return out;
}

}  // namespace tarovent::ui
