#include "GridDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::core {

bool changeRecordSource(ProcessState& state, ui::DataControl* data, const QString& source) {
  if (!data) return false;
  const QString before = data->RecordSource();
  data->setRecordSource(source);
  try {
    data->Refresh();
    return true;
  } catch (const db::DbError& e) {
    ui::showDbError(state.messages(), e);
  }
  data->setRecordSource(before);
  try {
    data->Refresh();
  } catch (const db::DbError&) {
    // The record source worked a moment ago; the grid stays empty if it no longer does.
  }
  return false;
}

bool selectRows(ProcessState& state, ui::DataControl* data, QueryParts parts,
                const QString& condition) {
  if (!data) return false;
  const QString before = data->RecordSource();
  parts.where = addCondition(parts.where, condition);
  if (!changeRecordSource(state, data, recordSourceOf(parts))) return false;
  if (!(data->Recordset().BOF() && data->Recordset().EOF_())) return true;
  // Nothing is lost: the list comes back as it was.
  state.messages().show(state.Traduire(QStringLiteral("Sélection vide.")), ui::Icon::Information);
  changeRecordSource(state, data, before);
  return false;
}

GridDialog::GridDialog(const GridContext& context, const QString& name, const QString& captionStart)
    : QDialog(context.grid ? context.grid->window() : nullptr), m_context(context) {
  setObjectName(name);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(translate(captionStart) + context.title + "]");
}

QString GridDialog::translate(const QString& fixed) const {
  return m_context.state->Traduire(fixed);
}

void GridDialog::message(const QString& fixed) const {
  m_context.state->messages().show(translate(fixed), ui::Icon::Information);
}

void GridDialog::retype(QLineEdit* box) {
  box->setFocus(Qt::OtherFocusReason);
  box->selectAll();
}

void GridDialog::checkNumbersOnLeaving(QLineEdit* box, QPushButton* go) {
  if (!isNumeric(m_context.kind)) return;
  connect(box, &QLineEdit::editingFinished, this, [this, box, go] {
    // Enter keeps the focus in the box and runs the command, which says it itself.
    if (box->hasFocus() || QApplication::focusWidget() == go) return;
    if (box->text().trimmed().isEmpty() || typedNumber(box->text(), nullptr)) return;
    message(kNotANumber);
    retype(box);
  });
}

QLayout* GridDialog::buttonRow(QPushButton* go) {
  auto* close = new QPushButton(translate(QStringLiteral("&Fermer")), this);
  close->setObjectName("Cmd_Fermer");
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  go->setDefault(true);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(go);
  row->addWidget(close);
  return row;
}

}  // namespace tarovent::core
