#pragma once

#include <QStringList>
#include <QTextStream>

#include "ui/MessageFunnel.h"

namespace tarovent::admin {

// A message on one line: its line breaks written as backslash-n.
inline QString oneLine(QString text) {
  text.replace("\r\n", "\\n");
  text.replace('\n', "\\n");
  text.replace('\r', "\\n");
  return text;
}

// Prints every message, one per line; questions take their default button.
class PrintingFunnel : public ui::MessageFunnel {
 public:
  explicit PrintingFunnel(QTextStream& out) : m_out(out) {}
  void show(const QString& text, ui::Icon, const QString&) override { print(text); }
  ui::Answer ask(const QString& text, ui::Buttons buttons, int defaultButton, ui::Icon,
                 const QString&) override {
    print(text);
    return ui::answerAt(buttons, defaultButton);
  }
  void beep() override {}

 private:
  void print(const QString& text) {
    m_out << oneLine(text) << '\n';
    m_out.flush();
  }
  QTextStream& m_out;
};

// Prints every message and question (questions prefixed "? "); questions take the answers
// given, then "no". A critical message counts as a failure.
class AnsweringFunnel : public ui::MessageFunnel {
 public:
  AnsweringFunnel(QTextStream& out, QStringList answers = {})
      : m_out(out), m_answers(std::move(answers)) {}
  void show(const QString& text, ui::Icon icon, const QString&) override {
    print(text);
    if (icon == ui::Icon::Critical) m_failed = true;
  }
  ui::Answer ask(const QString& text, ui::Buttons buttons, int, ui::Icon, const QString&) override {
    print("? " + text);
    const QString a = m_answers.isEmpty() ? QStringLiteral("no") : m_answers.takeFirst();
    const QString u = a.trimmed().toLower();
    if (u == "yes" || u == "oui") return ui::Answer::Yes;
    if (u == "ok") return ui::Answer::Ok;
    if (u == "cancel") return ui::Answer::Cancel;
    return buttons == ui::Buttons::OkCancel ? ui::Answer::Cancel : ui::Answer::No;
  }
  void beep() override {}
  // The answers to the next questions, replacing those not used yet.
  void setAnswers(QStringList answers) { m_answers = std::move(answers); }
  bool failed() const { return m_failed; }

 private:
  void print(const QString& text) {
    m_out << oneLine(text) << '\n';
    m_out.flush();
  }
  QTextStream& m_out;
  QStringList m_answers;
  bool m_failed = false;
};

}  // namespace tarovent::admin
