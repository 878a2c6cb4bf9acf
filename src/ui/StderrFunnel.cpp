#include "StderrFunnel.h"

#include <cstdio>

namespace tarovent::ui {

void StderrFunnel::show(const QString& text, Icon, const QString&) {
  fprintf(stderr, "%s\n", qPrintable(text));
}

Answer StderrFunnel::ask(const QString& text, Buttons buttons, int defaultButton, Icon,
                         const QString&) {
  fprintf(stderr, "? %s\n", qPrintable(text));
  return answerAt(buttons, defaultButton);
}

}  // namespace tarovent::ui
