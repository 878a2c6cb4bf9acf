#include "MessageFunnel.h"

#include <algorithm>

namespace tarovent::ui {

Answer answerAt(Buttons buttons, int position) {
  const QList<Answer> list = answersOf(buttons);
  const int i = std::clamp(position, 1, static_cast<int>(list.size())) - 1;
  return list[i];
}

QList<Answer> answersOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return {Answer::Ok};
    case Buttons::OkCancel:
      return {Answer::Ok, Answer::Cancel};
    case Buttons::YesNo:
      return {Answer::Yes, Answer::No};
    case Buttons::YesNoCancel:
      return {Answer::Yes, Answer::No, Answer::Cancel};
    case Buttons::RetryCancel:
      return {Answer::Retry, Answer::Cancel};
    case Buttons::AbortRetryIgnore:
      return {Answer::Abort, Answer::Retry, Answer::Ignore};
  }
  return {Answer::Ok};
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
