#pragma once

#include <QStyledItemDelegate>

namespace tarovent::ui {

// Draws a cell as one line of text, cut with "…" when it is wider than its column, in the
// model's alignment, font and colours, on the view's selection. Lists of codes, designations
// and prices show nothing else: the default delegate lays out wrapped text, icons and check
// boxes for every cell it paints, several times the cost, which a list that follows every line
// typed pays at each repaint.
class PlainItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace tarovent::ui
