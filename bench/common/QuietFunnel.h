#pragma once

// Messages of a benchmark run are counted, never shown; every question is answered yes (OK
// where the question offers OK).
#include <QString>

#include "ui/MessageFunnel.h"

namespace tarovent::bench {

class QuietFunnel : public ui::MessageFunnel {
 public:
  void show(const QString& text, ui::Icon, const QString&) override {
    ++shown;
    last = text;
  }
  ui::Answer ask(const QString&, ui::Buttons buttons, int, ui::Icon, const QString&) override {
    return buttons == ui::Buttons::OkCancel ? ui::Answer::Ok : ui::Answer::Yes;
  }
  void beep() override {}
  int shown = 0;
  QString last;  // the last message shown, for a run that reports one
};

}  // namespace tarovent::bench
