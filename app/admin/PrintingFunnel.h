#pragma once

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

}  // namespace tarovent::admin
