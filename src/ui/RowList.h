#pragma once

#include <QAbstractItemView>

namespace tarovent::ui {

// A list read row by row: a click or an arrow selects a whole row, and Tab goes on to the next
// control instead of walking the row's cells one by one (from a list of a few hundred rows the
// keyboard never got out).
inline void readByRows(QAbstractItemView* view) {
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setTabKeyNavigation(false);
}

}  // namespace tarovent::ui
