#pragma once

// Messages of a benchmark run are counted, never shown; every question is answered yes.
#include "ui/MessageFunnel.h"

namespace tarovent::bench {

class QuietFunnel : public ui::MessageFunnel {
 public:
  void show(const QString&, ui::Icon, const QString&) override { ++shown; }
  ui::Answer ask(const QString&, ui::Buttons, int, ui::Icon, const QString&) override {
    return ui::Answer::Yes;
  }
  void beep() override {}
  int shown = 0;
};

}  // namespace tarovent::bench
