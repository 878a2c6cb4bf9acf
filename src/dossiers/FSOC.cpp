#include "FSOC.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "CompanyDossiers.h"
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
  m_data = dataControl(QStringLiteral("DBD_SOC"), QStringLiteral("TSOC"));

  m_code = new ui::BoundLineEdit(this);
  m_code->setObjectName("FSOC_CODE");
  m_code->setDataSource(m_data, "TSOC_CODE");
  auto* name = new ui::BoundLineEdit(this);
  name->setObjectName("FSOC_LIB");
  name->setDataSource(m_data, "TSOC_LIB");
  auto* counter = m_counter = new ui::NumberBox(this);
  counter->setObjectName("FSOC_NSEQ");
  counter->setDecimals(false);
  counter->setMessages(&state.messages());
  counter->setDataSource(m_data, "TSOC_NSEQ");
  auto* inactive = m_inactive = new ui::BoundCheckBox(this);
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

  using Set = ui::RecordButtonSet;
  ui::ButtonRow row =
      buttonRow(Qt::Vertical,
                {{"Cmd_Ajouter", QStringLiteral("&Ajouter"), &Set::add},
                 {"Cmd_Update", QStringLiteral("&Enregistrer"), &Set::save},
                 {"Cmd_Annuler", QStringLiteral("A&nnuler"), &Set::cancel},
                 {"Cmd_Supprimer", QStringLiteral("&Supprimer"), &Set::remove},
                 {"Cmd_Rafraichir", QStringLiteral("&Rafraîchir"), &Set::refresh},
                 {"CMD_ActuSOC", QStringLiteral("Mettre à &jour les numéros"), nullptr,
                  [this] { recalculate(); },
                  QStringLiteral(
                      "Relève le dernier numéro de chaque société jusqu'à son plus grand dossier")},
                 {"Cmd_Quitter", QStringLiteral("&Quitter"), &Set::quit}});

  auto* form = new QFormLayout;
  form->addRow(label(QStringLiteral("&Code"), m_code), m_code);
  form->addRow(label(QStringLiteral("N&om en clair"), name), name);
  form->addRow(label(QStringLiteral("&Dernier N° de dossier"), counter), counter);
  form->addRow(QString(), inactive);
  placeListBeside(grid, form, m_data, row.layout, 420);
  setTabChain(QList<QWidget*>{m_code, name, counter, inactive} + row.widgets() +
              QList<QWidget*>{grid});

  auto* records = recordButtons(m_data, row.set, m_code);
  lockSavedCode(m_code);
  records->setDeleteQuestion(QStringLiteral("Confirmer la suppression"));
  records->setSaveCheck([this] { return codeGiven() && counterKept(); });
  records->setDeleteCheck([this] { return deleteOrDeactivate(); });

  finishSetup(m_data);
}

bool FSOC::codeGiven() {
  if (!m_code->text().trimmed().isEmpty()) return true;
  m_state.messages().show(m_state.Traduire(QStringLiteral("Le code de la société est obligatoire")),
                          ui::Icon::Warning);
  m_code->setFocus(Qt::OtherFocusReason);
  return false;
}

bool FSOC::counterKept() {
  if (!m_counter->DataChanged()) return true;
  auto& m = m_state.messages();
  try {
    const CompanyDossiers stored = companyDossiers(m_state.mainDb(), m_code->text().trimmed());
    if (stored.count == 0 || m_counter->number() >= stored.highest) return true;
    const QString question =
        m.tr(QStringLiteral("Le dernier N° de dossier est inférieur au plus grand dossier de la "
                            "société (")) +
        QString::number(stored.highest) +
        m.tr(QStringLiteral(") : les prochains dossiers reprendraient des numéros déjà "
                            "utilisés.\nEnregistrer quand même ?"));
    if (m.ask(question, ui::Buttons::YesNo, 2, ui::Icon::Warning) == ui::Answer::Yes) return true;
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
  }
  m_counter->setFocus(Qt::OtherFocusReason);
  return false;
}

bool FSOC::deleteOrDeactivate() {
  auto& m = m_state.messages();
  const QString code = m_data->Recordset().text("TSOC_CODE");
  try {
    const CompanyDossiers stored = companyDossiers(m_state.mainDb(), code);
    if (stored.count == 0) return true;
    const QString question =
        m.tr(QStringLiteral("La société ")) + code + m.tr(QStringLiteral(" a ")) +
        QString::number(stored.count) +
        m.tr(QStringLiteral(" dossier(s), qui garderont son code.\n\nOui : la désactiver "
                            "(ses dossiers restent consultables, elle n'est plus proposée)\n"
                            "Non : la supprimer quand même\nAnnuler : ne rien changer"));
    switch (m.ask(question, ui::Buttons::YesNoCancel, 1, ui::Icon::Warning)) {
      case ui::Answer::Yes:
        if (!m_inactive->isChecked()) {
          m_inactive->setChecked(true);
          m_recordButtons->save();
        }
        return false;
      case ui::Answer::No:
        return true;
      default:
        return false;
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return false;
  }
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
