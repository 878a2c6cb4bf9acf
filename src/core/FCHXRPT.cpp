#include "FCHXRPT.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarovent::core {

FCHXRPT::FCHXRPT(const QStringList& labels, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FCHXRPT"));
  setWindowTitle(QStringLiteral("Choix du modèle d'impression"));
  auto* label = new QLabel(QStringLiteral("&Modèles disponibles :"), this);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("BXL_Modeles"));
  m_list->addItems(labels);
  m_list->setCurrentRow(0);
  label->setBuddy(m_list);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("Cmd_OK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
  cancel->setObjectName(QStringLiteral("Cmd_Annuler"));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(m_list);
  layout->addLayout(buttons);
  resize(360, 280);
}

QString FCHXRPT::chosen() const {
  const QListWidgetItem* item = m_list->currentItem();
  return item ? item->text() : QString();
}

}  // namespace tarovent::core
