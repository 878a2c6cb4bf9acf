#pragma once

#include "ui/MessageFunnel.h"

namespace tarovent::ui {

// For unattended runs (screenshots, measurements): messages go to stderr, questions take
// their default button.
class StderrFunnel : public MessageFunnel {
 public:
  void show(const QString& text, Icon icon, const QString& title) override;
  Answer ask(const QString& text, Buttons buttons, int defaultButton, Icon icon,
             const QString& title) override;
  void beep() override {}
};

}  // namespace tarovent::ui
