#include "FSELECT.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DataControl.h"

namespace tarovent::core {

FSELECT::FSELECT(const GridContext& context)
    : GridDialog(context, QStringLiteral("FSELECT"), QStringLiteral("Sélection sur [")) {
  m_operator = new QComboBox(this);
  m_operator->setObjectName("DBC3_SELECTION");
  // Each operator shown in words a user reads; the item's data is the operator itself.
  for (const QString& op : selectionOperators())
    m_operator->addItem(op == QLatin1String("Instr") ? translate(QStringLiteral("contient")) : op,
                        op);
  m_value = new QLineEdit(this);
  m_value->setObjectName("CTX3_SELECTION");
  m_value->setMinimumWidth(260);
  auto* go = new QPushButton(translate(QStringLiteral("&Sélectionner")), this);
  go->setObjectName("Cmd_GoSelection");

  auto* form = new QFormLayout;
  form->addRow(translate(QStringLiteral("&Opérateur :")), m_operator);
  form->addRow(translate(QStringLiteral("&Valeur :")), m_value);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttonRow(go));
  connect(go, &QPushButton::clicked, this, &FSELECT::go);
  checkNumbersOnLeaving(m_value, go);
  m_value->setFocus(Qt::OtherFocusReason);
}

void FSELECT::go() {
  const GridCondition condition = selectionCondition(
      m_context.field, m_context.kind, m_operator->currentData().toString(), m_value->text());
  if (!condition.ok()) {
    message(condition.error);
    retype(m_value);
    return;
  }
  ui::DataControl* data = m_context.data;
  if (!data || !data->leaveRecord()) return;
  if (!selectRows(*m_context.state, data, m_context.parts, condition.text)) {
    retype(m_value);
    return;
  }
  accept();
}

}  // namespace tarovent::core
