#include "FPRO.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "ui/BoundLineEdit.h"
#include "ui/NumericInput.h"
#include "ui/DataControl.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"

namespace tarovent::dossiers {

FPRO::FPRO(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FPRO"), QStringLiteral("Options"), 5200, parent) {
  m_data = dataControl(QStringLiteral("DBD_PRO"), QStringLiteral("TPRO"));

  m_code = new ui::BoundLineEdit(this);
  m_code->setObjectName("FPRO_CODE");
  m_code->setDataSource(m_data, "TPRO_Code");
  m_code->setMaximumWidth(120);
  auto* description = new ui::BoundLineEdit(this);
  description->setObjectName("FPRO_LIB");
  description->setDataSource(m_data, "TPRO_LIB");
  auto* price = new ui::NumberBox(this);
  price->setObjectName("FPRO_PU");
  price->setMessages(&state.messages());
  price->setDataSource(m_data, "TPRO_PU");
  price->setShownDecimals(2);
  price->setMaximumWidth(140);

  auto* grid = new QTableView(this);
  grid->setObjectName("DBG_PRO");
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, m_data);
  ui::GridColumn unitPrice = ui::gridColumn("TPRO_PU", QStringLiteral("Prix unitaire"));
  unitPrice.format = [](const QVariant& v) {
    return v.isNull() ? QString() : ui::fixedText(v.toDouble(), 2);
  };
  unitPrice.alignment = Qt::AlignRight | Qt::AlignVCenter;
  new ui::GridColumns(grid, model, m_data,
                      {ui::gridColumn("TPRO_Code", QStringLiteral("Code option")),
                       ui::gridColumn("TPRO_LIB", QStringLiteral("Description")), unitPrice},
                      {110, 420, 120}, 1);

  m_add = button("Cmd_Ajouter", QStringLiteral("&Nouveau"));
  auto* save = button("Cmd_Update", QStringLiteral("&Enregistrer"));
  auto* cancel = button("Cmd_Annuler", QStringLiteral("&Annuler"));
  auto* remove = button("Cmd_Supprimer", QStringLiteral("&Supprimer"));
  auto* refresh = button("Cmd_Rafraichir", QStringLiteral("&Rafraîchir"));
  auto* quit = button("Cmd_Quitter", QStringLiteral("&Quitter"));

  auto* form = new QFormLayout;
  form->addRow(label(QStringLiteral("&Code option"), m_code), m_code);
  form->addRow(label(QStringLiteral("&Description"), description), description);
  form->addRow(label(QStringLiteral("&Prix unitaire"), price), price);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {m_add, save, cancel, remove, refresh, quit}) buttons->addWidget(b);
  placeListBeside(grid, form, m_data, buttons, 460);
  setTabChain({m_code, description, price, m_add, save, cancel, remove, refresh, quit, grid});

  ui::RecordButtonSet set;
  set.add = m_add;
  set.save = save;
  set.cancel = cancel;
  set.remove = remove;
  set.refresh = refresh;
  set.quit = quit;
  ui::RecordButtons* records = recordButtons(m_data, set, m_code);
  lockSavedCode(m_code);
  records->setDeleteQuestion(QStringLiteral("Confirmer la suppression"));
  records->setSaveCheck([this] { return codeGiven(); });
  connect(records, &ui::RecordButtons::added, this, [this] { m_adding = true; });
  connect(records, &ui::RecordButtons::cancelled, this, [this] { m_adding = false; });
  connect(records, &ui::RecordButtons::saved, this, [this] {
    (m_adding ? static_cast<QWidget*>(m_add) : m_code)->setFocus(Qt::OtherFocusReason);
    m_adding = false;
  });
  connect(records, &ui::RecordButtons::removed, this, [this] {
    if (m_data->Recordset().RecordCount() == 0) m_add->setFocus(Qt::OtherFocusReason);
  });

  finishSetup(m_data);
}

bool FPRO::codeGiven() {
  if (!m_code->text().trimmed().isEmpty()) return true;
  m_state.messages().show(m_state.Traduire(QStringLiteral("Le code de l'option est obligatoire")),
                          ui::Icon::Warning);
  m_code->setFocus(Qt::OtherFocusReason);
  return false;
}

}  // namespace tarovent::dossiers
