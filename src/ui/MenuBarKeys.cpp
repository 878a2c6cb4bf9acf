#include "MenuBarKeys.h"

#include <QMenuBar>
#include <QProxyStyle>

namespace tarovent::ui {

namespace {

class MenuBarStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

void giveAltToMenuBar(QMenuBar* bar) {
  auto* style = new MenuBarStyle(bar->style()->name());
  style->setParent(bar);  // a widget does not own the style it is given
  bar->setStyle(style);
}

}  // namespace tarovent::ui
