#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tarovent::ui {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// Every message and question of the program goes through one funnel. The caller assembles the
// text, passing each fixed piece through tr() (the translation table) and leaving data as it is.
// Windows use the message-box funnel (MessageBox.h); tests use ScriptedResponder; the admin command
// line prints.
class MessageFunnel {
 public:
  virtual ~MessageFunnel() = default;

  virtual void show(const QString& text, Icon icon = Icon::Information,
                    const QString& title = {}) = 0;
  // `defaultButton` is the 1-based position of the button chosen by Enter.
  virtual Answer ask(const QString& text, Buttons buttons, int defaultButton = 1,
                     Icon icon = Icon::Question, const QString& title = {}) = 0;
  virtual void beep() = 0;

  // Translates one fixed piece of a message (identity until a translation table is loaded).
  QString tr(const QString& fixed) const { return m_translate ? m_translate(fixed) : fixed; }
  void setTranslator(std::function<QString(const QString&)> translate) {
    m_translate = std::move(translate);
  }

 private:
  std::function<QString(const QString&)> m_translate;
};

// Records what would be shown and answers questions from a script; never blocks.
class ScriptedResponder : public MessageFunnel {
 public:
  struct Entry {
    QString text;
    bool question = false;
    Answer answer = Answer::Ok;
    Buttons buttons = Buttons::Ok;
    int defaultButton = 1;  // as asked, 1-based
  };

  // Answers given to the next questions, in order; when none is left, `fallback`.
  void script(const QList<Answer>& answers) { m_answers += answers; }
  void setFallback(Answer a) { m_fallback = a; }

  void show(const QString& text, Icon icon, const QString& title) override;
  Answer ask(const QString& text, Buttons buttons, int defaultButton, Icon icon,
             const QString& title) override;
  void beep() override { ++m_beeps; }

  const QList<Entry>& entries() const { return m_entries; }
  QStringList texts() const;
  int beeps() const { return m_beeps; }
  void clear() {
    m_entries.clear();
    m_beeps = 0;
  }

 private:
  QList<Entry> m_entries;
  QList<Answer> m_answers;
  Answer m_fallback = Answer::No;
  int m_beeps = 0;
};

// The answer a button set gives for its 1-based button position.
Answer answerAt(Buttons buttons, int position);
// The answers of a button set, in the order its buttons are shown.
QList<Answer> answersOf(Buttons buttons);

// The French caption of a button of the message boxes.
QString buttonText(Answer button);

}  // namespace tarovent::ui
