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
                    std::initializer_list<ButtonSpec> specs) {
  ButtonRow row;
  row.layout =
      orientation == Qt::Horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout) : new QVBoxLayout;
  for (const ButtonSpec& spec : specs) {
    if (!spec.name) {
      row.layout->addStretch();
      continue;
    }
    auto* b = new QPushButton(spec.caption, parent);
    b->setObjectName(QString::fromLatin1(spec.name));
    if (!spec.toolTip.isEmpty()) b->setToolTip(spec.toolTip);
    if (spec.role) row.set.*spec.role = b;
    if (spec.action) QObject::connect(b, &QPushButton::clicked, parent, spec.action);
    row.layout->addWidget(b);
    row.buttons << b;
  }
  return row;
}

}  // namespace tarovent::ui
