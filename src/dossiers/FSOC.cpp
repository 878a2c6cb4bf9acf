#include "FSOC.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "DossierNumbering.h"
#include "core/GridQuery.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "core/WindowTranslation.h"
#include "platform/db/DbError.h"
#include "ui/BoundCheckBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/BusyCursor.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"

namespace tarovent::dossiers {

FSOC::FSOC(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FSOC"), QStringLiteral("Sociétés"), 5100, parent) {
  m_data = new ui::DataControl(this);
  m_data->setObjectName("DBD_SOC");
  m_data->setMessages(&state.messages());
  m_data->setDatabase(state.mainDb());
  m_data->setRecordSource("TSOC");

  m_code = new ui::BoundLineEdit(this);
  m_code->setObjectName("FSOC_CODE");
  m_code->setDataSource(m_data, "TSOC_CODE");
  auto* name = new ui::BoundLineEdit(this);
  name->setObjectName("FSOC_LIB");
  name->setDataSource(m_data, "TSOC_LIB");
  auto* counter = new ui::NumberBox(this);
  counter->setObjectName("FSOC_NSEQ");
  counter->setDecimals(false);
  counter->setMessages(&state.messages());
  counter->setDataSource(m_data, "TSOC_NSEQ");
  auto* inactive = new ui::BoundCheckBox(this);
  inactive->setObjectName("CHK_Desactive");
  inactive->setText(QStringLiteral("Désac&tivée"));
  inactive->setDataSource(m_data, "TSOC_Desactive");
  m_code->setMaximumWidth(90);
  counter->setMaximumWidth(120);

  auto* grid = new QTableView(this);
  grid->setObjectName("DBG_SOC");
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, m_data);
  new ui::GridColumns(grid, model, m_data,
                      {ui::gridColumn("TSOC_CODE", QStringLiteral("Code")),
                       ui::gridColumn("TSOC_LIB", QStringLiteral("Nom en clair")),
                       ui::gridColumn("TSOC_NSEQ", QStringLiteral("Dernier N° de dossier")),
                       ui::gridColumn("TSOC_Desactive", QStringLiteral("Désactivée"))},
                      {80, 320, 170, 100}, 1);
  grid->setToolTip(QStringLiteral("Sociétés"));
  core::addGridTools(state, grid, m_data);

  m_add = button("Cmd_Ajouter", QStringLiteral("&Ajouter"));
  auto* save = button("Cmd_Update", QStringLiteral("&Enregistrer"));
  auto* cancel = button("Cmd_Annuler", QStringLiteral("A&nnuler"));
  auto* remove = button("Cmd_Supprimer", QStringLiteral("&Supprimer"));
  auto* refresh = button("Cmd_Rafraichir", QStringLiteral("&Rafraîchir"));
  auto* quit = button("Cmd_Quitter", QStringLiteral("&Quitter"));
  auto* renumber = button("CMD_ActuSOC", QStringLiteral("Mettre à &jour les numéros"));
  renumber->setToolTip(
      QStringLiteral("Relève le dernier numéro de chaque société jusqu'à son plus grand dossier"));

  auto* form = new QFormLayout;
  form->addRow(label(QStringLiteral("&Code"), m_code), m_code);
  form->addRow(label(QStringLiteral("N&om en clair"), name), name);
  form->addRow(label(QStringLiteral("&Dernier N° de dossier"), counter), counter);
  form->addRow(QString(), inactive);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {m_add, save, cancel, remove, refresh, renumber, quit})
    buttons->addWidget(b);
  placeListBeside(grid, form, m_data, buttons, 420);

  setTabChain({m_code, name, counter, inactive, m_add, save, cancel, remove, refresh, renumber,
               quit, grid});

  ui::RecordButtonSet set;
  set.add = m_add;
  set.save = save;
  set.cancel = cancel;
  set.remove = remove;
  set.refresh = refresh;
  set.quit = quit;
  auto* records = new ui::RecordButtons(this, m_data, state.messages(), set);
  records->setFirstField(m_code);
  records->setDeleteQuestion(QStringLiteral("Confirmer la suppression"));
  records->setSaveCheck([this] { return codeGiven(); });
  setRecordButtons(records);
  connect(records, &ui::RecordButtons::added, this, [this] { m_adding = true; });
  connect(records, &ui::RecordButtons::cancelled, this, [this] { m_adding = false; });
  connect(records, &ui::RecordButtons::saved, this, &FSOC::afterSave);
  connect(records, &ui::RecordButtons::removed, this, &FSOC::afterDelete);
  connect(renumber, &QPushButton::clicked, this, &FSOC::recalculate);

  finishSetup(m_data);
}

bool FSOC::codeGiven() {
  if (!m_code->text().trimmed().isEmpty()) return true;
  m_state.messages().show(m_state.Traduire(QStringLiteral("Le code de la société est obligatoire")),
                          ui::Icon::Warning);
  m_code->setFocus(Qt::OtherFocusReason);
  return false;
}

void FSOC::afterSave() {
  QWidget* next = m_adding ? static_cast<QWidget*>(m_add) : m_code;
  m_adding = false;
  next->setFocus(Qt::OtherFocusReason);
}

void FSOC::afterDelete() {
  if (m_data->Recordset().RecordCount() == 0) m_add->setFocus(Qt::OtherFocusReason);
}

void FSOC::recalculate() {
  if (m_recordButtons->refuseWhilePending()) return;
  try {
    ui::BusyCursor busy;
    db::Recordset& rs = m_data->Recordset();
    const QString here = rs.BOF() || rs.EOF_() ? QString() : rs.text("TSOC_CODE");
    Recalcul_Numeros(m_state.mainDb());
    m_data->Refresh();
    // A find, not a seek: a sort or a selection of the grid makes the list a query.
    const QByteArray found =
        here.isEmpty()
            ? QByteArray()
            : core::findRecord(m_data->Recordset(), "TSOC_CODE = " + db::sqlLiteral(here), false);
    if (!found.isEmpty()) m_data->moveToBookmark(found);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
  }
}

}  // namespace tarovent::dossiers
