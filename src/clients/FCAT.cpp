#include "FCAT.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/RecordButtons.h"

namespace tarovent::clients {

FCAT::FCAT(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FCAT"), QStringLiteral("Catégories de clients"), 2200,
                   parent) {
  setWindowFlags(Qt::Dialog);
  ui::DataControl* data = dataControl("DBD_Cat", "TCAT");
  data->setErrorPrefix(QStringLiteral("Catégories : "));
  if (const core::BaseEntry& clients = state.base(core::entry::Commercial); clients.open())
    data->setDatabase(clients.db);

  m_code = new ui::BoundLineEdit(this);
  m_code->setObjectName("CTX_TCAT_CODE");
  m_code->setDataSource(data, "TCAT_CODE");
  m_code->setMaximumWidth(90);
  auto* name = new ui::BoundLineEdit(this);
  name->setObjectName("CTX_TCAT_LIBELLE");
  name->setDataSource(data, "TCAT_LIBELLE");

  auto* grid = new QTableView(this);
  grid->setObjectName("DBG_Cat");
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, data);
  new ui::GridColumns(grid, model, data,
                      {ui::gridColumn("TCAT_CODE", QStringLiteral("Code")),
                       ui::gridColumn("TCAT_LIBELLE", QStringLiteral("Libellé"))},
                      {80, 280}, 1);

  auto* add = button("Cmd_ADD", QStringLiteral("&Ajouter"));
  auto* save = button("Cmd_Update", QStringLiteral("&Enregistrer"));
  auto* cancel = button("Cmd_Annul", QStringLiteral("A&nnuler"));
  auto* remove = button("Cmd_Delete", QStringLiteral("&Supprimer"));
  auto* quit = button("Cmd_Quitter", QStringLiteral("&Quitter"));

  auto* form = new QFormLayout;
  form->addRow(label(QStringLiteral("&Code"), m_code), m_code);
  form->addRow(label(QStringLiteral("&Libellé"), name), name);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {add, save, cancel, remove, quit}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(data);
  layout->addLayout(buttons);
  layout->addWidget(grid, 1);
  setTabChain({m_code, name, add, save, cancel, remove, quit, grid});
  resize(520, 460);

  ui::RecordButtonSet set;
  set.add = add;
  set.save = save;
  set.cancel = cancel;
  set.remove = remove;
  set.quit = quit;
  ui::RecordButtons* records = recordButtons(data, set, m_code);
  lockSavedCode(m_code);
  records->setDeleteQuestion(QStringLiteral("Confirmer la suppression"));
  records->setSaveCheck([this] { return codeGiven(); });
  finishSetup(data);
}

bool FCAT::codeGiven() {
  if (!m_code->text().trimmed().isEmpty()) return true;
  auto& m = m_state.messages();
  m.show(m.tr(QStringLiteral("Le code de la catégorie est obligatoire")), ui::Icon::Warning);
  m_code->setFocus(Qt::OtherFocusReason);
  return false;
}

}  // namespace tarovent::clients
