#include "FSELMACRO.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "core/WindowTranslation.h"

namespace tarovent::macros {

FSELMACRO::FSELMACRO(core::ProcessState& state, const QStringList& names, QWidget* parent)
    : QDialog(parent) {
  setObjectName("FSELMACRO");
  setWindowTitle(QStringLiteral("Choix d'une macro"));
  auto* layout = new QVBoxLayout(this);
  auto* caption = new QLabel(QStringLiteral("&Macros applicables à cette fenêtre :"), this);
  caption->setObjectName("CTL_Macros");
  layout->addWidget(caption);
  m_list = new QListWidget(this);
  m_list->setObjectName("BXL_Macros");
  m_list->addItems(names);
  m_list->setCurrentRow(0);
  m_list->installEventFilter(this);
  caption->setBuddy(m_list);
  layout->addWidget(m_list, 1);
  auto* buttons = new QDialogButtonBox(this);
  auto* run = buttons->addButton(QStringLiteral("E&xécuter"), QDialogButtonBox::AcceptRole);
  run->setObjectName("Cmd_OK");
  auto* cancel = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
  cancel->setObjectName("Cmd_Annuler");
  for (auto* b : {run, cancel}) {
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
  }
  layout->addWidget(buttons);
  connect(run, &QPushButton::clicked, this, &FSELMACRO::take);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    m_list->setCurrentItem(item);
    take();
  });
  resize(360, 300);
  core::Traduire_Fenetre(state, this);
  m_list->setFocus(Qt::OtherFocusReason);
}

bool FSELMACRO::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      take();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FSELMACRO::take() {
  m_chosen = m_list->currentRow();
  if (m_chosen < 0) return;
  accept();
}

}  // namespace tarovent::macros
