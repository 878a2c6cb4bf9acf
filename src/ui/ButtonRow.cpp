#include "ui/ButtonRow.h"

#include <QBoxLayout>
#include <QPushButton>

namespace tarovent::ui {

QPushButton* ButtonRow::at(const char* name) const {
  for (QPushButton* b : buttons)
    if (b->objectName() == QLatin1String(name)) return b;
  return nullptr;
}

QList<QWidget*> ButtonRow::widgets() const { return {buttons.cbegin(), buttons.cend()}; }

ButtonRow buttonRow(QWidget* parent, Qt::Orientation orientation,
                    std::initializer_list<ButtonEntry> entries) {
  ButtonRow row;
  row.layout =
      orientation == Qt::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout) : new QVBoxLayout;
  for (const ButtonEntry& entry : entries) {
    if (!entry.name) {
      row.layout->addStretch();
      continue;
    }
    auto* b = new QPushButton(entry.caption, parent);
    b->setObjectName(QString::fromLatin1(entry.name));
    if (!entry.toolTip.isEmpty()) b->setToolTip(entry.toolTip);
    if (entry.role) row.set.*entry.role = b;
    if (entry.action) QObject::connect(b, &QPushButton::clicked, parent, entry.action);
    row.layout->addWidget(b);
    row.buttons << b;
  }
  return row;
}

}  // namespace tarovent::ui
