#pragma once

#include "BoundLineEdit.h"

namespace tarovent::ui {

class MessageFunnel;

// A text box for numbers: keys outside the number filter are dropped with a beep.
class NumberBox : public BoundLineEdit {
  Q_OBJECT
 public:
  explicit NumberBox(QWidget* parent = nullptr);

  // Whether the decimal separator is accepted (true by default).
  void setDecimals(bool decimals) { m_decimals = decimals; }
  bool decimals() const { return m_decimals; }
  // Where the beep goes; without a funnel the application beeps.
  void setMessages(MessageFunnel* messages) { m_messages = messages; }

  double number() const;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool m_decimals = true;
  MessageFunnel* m_messages = nullptr;
};

}  // namespace tarovent::ui
