#include "composition/LineChangeFrame.h"

#include <algorithm>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarovent::composition {

LineChangeFrame::LineChangeFrame(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("FRM_ModifLigne"));
  setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("<b>Modifier la ligne</b>"), this), 0, 0, 1, 3);
  const auto field = [&](const char* name, const QString& caption, int row) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(140);
    edit->installEventFilter(this);
    auto* label = new QLabel(caption, this);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
  };
  m_quantity = field("CTX_ModQte", QStringLiteral("Quantité"), 1);
  m_price = field("CTX_ModPU", QStringLiteral("Prix unitaire"), 2);
  m_discount = field("CTX_ModRemise", QStringLiteral("Remise %"), 3);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("Cmd_OKModif"));
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
  cancel->setObjectName(QStringLiteral("Cmd_AnnulModif"));
  grid->addWidget(ok, 4, 1);
  grid->addWidget(cancel, 4, 2);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(5, 1);
  connect(ok, &QPushButton::clicked, this, &LineChangeFrame::validated);
  connect(cancel, &QPushButton::clicked, this, &LineChangeFrame::cancelled);
}

void LineChangeFrame::start(const LineChange& shown) {
  m_quantity->setText(shown.quantity);
  m_price->setText(shown.price);
  m_discount->setText(shown.discount);
  m_quantity->setFocus(Qt::OtherFocusReason);
  m_quantity->selectAll();
}

LineChange LineChangeFrame::values() const {
  return {m_quantity->text(), m_price->text(), m_discount->text()};
}

bool LineChangeFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Escape) {
    emit cancelled();
    return true;
  }
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (!enter && key != Qt::Key_Down && key != Qt::Key_Up) return false;
  QLineEdit* const order[] = {m_quantity, m_price, m_discount};
  int at = 0;
  while (at < 3 && order[at] != watched) ++at;
  if (at == 3) return false;
  if (enter && at == 2) {
    emit validated();
    return true;
  }
  const int next = key == Qt::Key_Up ? std::max(0, at - 1) : std::min(2, at + 1);
  order[next]->setFocus(Qt::TabFocusReason);
  order[next]->selectAll();
  return true;
}

}  // namespace tarovent::composition
