#include "CurrentCellStyle.h"

#include <QAbstractItemView>
#include <QPainter>

namespace tarovent::ui {

void CurrentCellStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
  if (element != PE_FrameFocusRect || !qobject_cast<const QAbstractItemView*>(widget)) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const QPalette::ColorGroup group = !(option->state & State_Enabled) ? QPalette::Disabled
                                     : option->state & State_Active   ? QPalette::Active
                                                                      : QPalette::Inactive;
  const QColor colour = option->palette.color(
      group, option->state & State_Selected ? QPalette::HighlightedText : QPalette::Highlight);
  // Two pixels inside the cell's edges, clear of the grid's lines.
  const QRect r = option->rect.adjusted(1, 1, -1, -1);
  constexpr int kWidth = 2;
  if (r.width() <= 2 * kWidth || r.height() <= 2 * kWidth) return;
  painter->fillRect(QRect(r.left(), r.top(), r.width(), kWidth), colour);
  painter->fillRect(QRect(r.left(), r.bottom() - kWidth + 1, r.width(), kWidth), colour);
  painter->fillRect(QRect(r.left(), r.top(), kWidth, r.height()), colour);
  painter->fillRect(QRect(r.right() - kWidth + 1, r.top(), kWidth, r.height()), colour);
}

}  // namespace tarovent::ui
