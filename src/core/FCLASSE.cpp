#include "FCLASSE.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/DataControl.h"

namespace tarovent::core {

FCLASSE::FCLASSE(const GridContext& context)
    : GridDialog(context, QStringLiteral("FCLASSE"), QStringLiteral("Classer sur [")) {
  auto* frame = new QGroupBox(translate(QStringLiteral("Ordre")), this);
  auto* options = new QVBoxLayout(frame);
  auto* ascending = new QRadioButton(translate(QStringLiteral("&Croissant")), frame);
  m_descending = new QRadioButton(translate(QStringLiteral("&Décroissant")), frame);
  for (int i : {0, 1}) {
    QRadioButton* option = i == 0 ? ascending : m_descending;
    option->setObjectName("FND3_OPTClasser");
    option->setProperty("index", i);
    options->addWidget(option);
  }
  ascending->setChecked(true);
  m_keep =
      new QCheckBox(translate(QStringLiteral("C&onserver le classement actuel ensuite")), this);
  m_keep->setObjectName("CHK_TYPTRI");
  auto* go = new QPushButton(translate(QStringLiteral("C&lasser")), this);
  go->setObjectName("Cmd_GoClasser");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addWidget(m_keep);
  layout->addLayout(buttonRow(go));
  connect(go, &QPushButton::clicked, this, &FCLASSE::go);
}

void FCLASSE::go() {
  ui::DataControl* data = m_context.data;
  if (!data || !data->leaveRecord()) return;
  QueryParts parts = m_context.parts;
  parts.orderBy =
      sortOrder(m_context.field, m_descending->isChecked(), m_keep->isChecked(), parts.orderBy);
  const QString source = recordSourceOf(parts);
  if (source != data->RecordSource() && !changeRecordSource(*m_context.state, data, source)) return;
  accept();
}

}  // namespace tarovent::core
