#include "PlainItemDelegate.h"

#include <QApplication>
#include <QPainter>

namespace tarovent::ui {

void PlainItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled)
                                         ? QPalette::Disabled
                                     : option.state & QStyle::State_Active ? QPalette::Active
                                                                           : QPalette::Inactive;
  const bool selected = option.state & QStyle::State_Selected;
  if (selected) {
    painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
  } else if (const QVariant back = index.data(Qt::BackgroundRole); back.isValid()) {
    painter->fillRect(option.rect, qvariant_cast<QBrush>(back));
  }
  const QString text = index.data(Qt::DisplayRole).toString();
  if (!text.isEmpty()) {
    const QVariant fontData = index.data(Qt::FontRole);
    const QFont font = fontData.isValid() ? qvariant_cast<QFont>(fontData) : option.font;
    const QVariant alignData = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment align = alignData.isValid()
                                    ? Qt::Alignment(alignData.toInt())
                                    : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    QColor color = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    if (!selected)
      if (const QVariant fore = index.data(Qt::ForegroundRole); fore.isValid())
        color = qvariant_cast<QBrush>(fore).color();
    // The margins the style leaves around a cell's text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, widget) + 1;
    const QRect box = option.rect.adjusted(margin, 0, -margin, 0);
    const QFontMetrics metrics(font);
    painter->save();
    painter->setFont(font);
    painter->setPen(color);
    painter->drawText(box, int(align) | Qt::TextSingleLine,
                      metrics.elidedText(text, Qt::ElideRight, box.width()));
    painter->restore();
  }
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.backgroundColor =
        option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
  }
}

}  // namespace tarovent::ui
