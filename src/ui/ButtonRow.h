#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <initializer_list>

#include "ui/RecordButtons.h"

class QBoxLayout;
class QPushButton;
class QWidget;

namespace tarovent::ui {

// One entry of a button row: a button, or a stretch where `name` is null.
struct ButtonEntry {
  ButtonEntry() = default;
  // `role`: the button's place among the record buttons, when they drive it; `action`: run on
  // a click, in the row's parent.
  ButtonEntry(const char* name, QString caption, QAbstractButton* RecordButtonSet::*role = nullptr,
              std::function<void()> action = {}, QString toolTip = {})
      : name(name),
        caption(std::move(caption)),
        role(role),
        action(std::move(action)),
        toolTip(std::move(toolTip)) {}

  const char* name = nullptr;
  QString caption;
  QAbstractButton* RecordButtonSet::*role = nullptr;
  std::function<void()> action;
  QString toolTip;
};

// The command buttons of a window, created in order and laid out in a row or a column.
struct ButtonRow {
  QBoxLayout* layout = nullptr;
  QList<QPushButton*> buttons;  // in order, for the tab chain
  RecordButtonSet set;          // those with a role

  // The button named `name` (null when there is none).
  QPushButton* at(const char* name) const;
  // The buttons as widgets, to join a tab chain.
  QList<QWidget*> widgets() const;
};

// Creates the buttons of `entries` in `parent`, in order, in a row (Qt::Horizontal) or a column.
ButtonRow buttonRow(QWidget* parent, Qt::Orientation orientation,
                    std::initializer_list<ButtonEntry> entries);

}  // namespace tarovent::ui
