#pragma once

#include "BoundLineEdit.h"

namespace tarovent::ui {

class MessageFunnel;

// A text box for numbers: keys outside the number filter are dropped with a beep and a tooltip
// that says why.
class NumberBox : public BoundLineEdit {
  Q_OBJECT
 public:
  explicit NumberBox(QWidget* parent = nullptr);

  // Whether the decimal separator is accepted (true by default).
  void setDecimals(bool decimals) { m_decimals = decimals; }
  bool decimals() const { return m_decimals; }
  // Amounts: the value read from the record is shown with this many decimals ("86643,80");
  // -1 (the default) shows the digits the value has.
  void setShownDecimals(int decimals) { m_shownDecimals = decimals; }
  // Where the beep goes; without a funnel the application beeps.
  void setMessages(MessageFunnel* messages) { m_messages = messages; }

  double number() const;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void show(const QVariant& value, const db::FieldSpec& field) override;

 private:
  QString refusal(QChar c) const;

  bool m_decimals = true;
  int m_shownDecimals = -1;
  MessageFunnel* m_messages = nullptr;
};

}  // namespace tarovent::ui
