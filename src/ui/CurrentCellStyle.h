#pragma once

#include <QProxyStyle>

namespace tarovent::ui {

// The cell that has the keyboard in a list or a grid stands out, framed in the selection's
// colour, or in the selected text's colour on a selected row. The style's own outline is drawn
// in a shade of the selection and only after a Tab: on a list that selects whole rows (the
// reminders and their command cells, a search on the current column) the user could not see
// which cell Enter or a search would act on.
class CurrentCellStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

}  // namespace tarovent::ui
