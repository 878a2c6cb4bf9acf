// FDEV's dossier record: new, save, cancel, delete and refresh, moving between dossiers, and what
// the window does when the record shown changes.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "DossierCreation.h"
#include "DuplicationPanel.h"
#include "FDEV.h"
#include "WriteTransaction.h"
#include "core/Occupancy.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/RecordButtons.h"

namespace tarovent::dossiers {

void FDEV::newDossier() {
  auto& m = m_state.messages();
  try {
    if (!quoteTypesExist(m_state.mainDb())) {
      m.show(m.tr(QStringLiteral("Vous devez préalablement créer vos modèles (Types de devis)")),
             ui::Icon::Warning);
      return;
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
    return;
  }
  if (!guard()) return;
  m_duplication->hide();
  try {
    if (!m_adding) {
      m_adding = true;
      m_data->AddNew();
      clearClient(true);
      if (!m_state.config.salesRep.isEmpty()) m_rep->setText(m_state.config.salesRep);
      m_company->setEnabled(true);
      m_versions->showNewDossier();
    }
    m_company->setRowSource(m_state.mainDb(),
                            "select TSOC_CODE, TSOC_LIB from TSOC where "
                            "TSOC_Desactive=false order by TSOC_CODE");
    offerTypes(true);
    m_company->setCode(QString());
    const QString company = m_state.config.defaultCompany;
    if (!company.isEmpty()) m_company->setCode(company);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
  m_company->setFocus(Qt::OtherFocusReason);
}

bool FDEV::saveDossier() {
  auto& m = m_state.messages();
  if (!m_adding && m_versions->isVisible() &&
      (m_versions->isAdding() || m_versions->data()->hasChanges()))
    m_versions->saveVersion();
  const QString rep = m_state.config.salesRep;
  if (!rep.isEmpty() && m_rep->text() != rep) m_rep->setText(rep);
  const QString company = companyShown();
  if (company.isEmpty() || m_code->text().trimmed().isEmpty() ||
      m_type->code().trimmed().isEmpty()) {
    m.show(m.tr(QStringLiteral("Données incomplètes, enregistrement impossible")),
           ui::Icon::Warning);
    // The keyboard to what is missing, in the order of the form.
    QWidget* missing = m_code;
    if (company.isEmpty())
      missing = m_company;
    else if (m_type->code().trimmed().isEmpty())
      missing = m_type;
    missing->setFocus(Qt::OtherFocusReason);
    return false;
  }
  try {
    if (!m_adding) {
      m_data->UpdateRecord();
      m_company->setEnabled(false);
      m_code->setFocus(Qt::OtherFocusReason);
      m_list->viewport()->update();
      return true;
    }
    NewDossier d;
    d.company = company;
    d.client = m_code->text();
    d.type = m_type->code();
    d.rep = m_rep->text();
    d.contact = m_contact->text();
    d.summary = m_operation->text();
    for (auto* b : findChildren<ui::BoundLineEdit*>()) {
      const QString field = b->dataField().toUpper();
      if (b->dataSource() != m_data || b->text().trimmed().isEmpty()) continue;
      if (field == "TDOS_NUMDOSS" || field == "TDOS_CLIENT" || field == "TDOS_CAL" ||
          field == "TDOS_CONTACT" || field == "TDOS_RESUME")
        continue;
      d.otherFields.insert(b->dataField(), b->text().trimmed());
    }
    DossierCreation creation(m_state.mainDb(), clientsDb(), m);
    const DossierCreation::Result r = creation.create(d);
    if (!r.saved()) {
      m.show(r.refusal, ui::Icon::Warning);
      return false;
    }
    m_adding = false;
    m_data->CancelUpdate();
    m_company->setRowSource(m_state.mainDb(),
                            "select TSOC_CODE, TSOC_LIB from TSOC order by TSOC_CODE");
    offerTypes(false);
    m_repositioning = true;
    m_data->Refresh();
    findDossier(r.company, r.number);
    m_repositioning = false;
    m_versions->loadVersions(currentDossier());
  } catch (const db::DbError& e) {
    m_repositioning = false;
    ui::showDbError(m, e, kErrors);
    return false;
  }
  if (auto* next = findChild<QWidget*>("Cmd_DevADD"); next && next->isEnabled())
    next->setFocus(Qt::OtherFocusReason);
  else
    m_list->setFocus(Qt::OtherFocusReason);
  return true;
}

bool FDEV::mayClose() {
  const auto pending = [this] {
    return m_adding || ui::hasPendingChanges(this) || m_versions->hasPendingVersion();
  };
  if (!pending()) return true;
  return ui::askBeforeLeaving(
      m_state.messages(), QString::fromUtf8(ui::kSaveQuestion),
      [this, pending] {
        if ((m_adding || m_data->hasChanges()) && !saveDossier()) return false;
        if (m_versions->hasPendingVersion() && !m_versions->saveVersion()) return false;
        return !pending();
      },
      [this] {
        m_versions->cancelVersion();
        cancelDossier();
        return true;
      });
}

void FDEV::findDossier(const QString& company, long number) {
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || (rs.BOF() && rs.EOF_())) return;
  rs.FindFirst(dossierSql::dossier(company, number));
  if (rs.NoMatch()) {
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Erreur interne : dossier inaccessible")),
        ui::Icon::Warning);
    rs.MoveFirst();
  }
  m_data->showRecord();
}

void FDEV::cancelDossier() {
  try {
    if (m_adding) {
      m_adding = false;
      m_company->setRowSource(m_state.mainDb(),
                              "select TSOC_CODE, TSOC_LIB from TSOC order by TSOC_CODE");
      offerTypes(false);
    }
    m_data->CancelUpdate();
    for (auto* b : m_data->boundControls()) b->setDataChanged(false);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_duplication->hide();
  m_company->setEnabled(false);
  m_code->setFocus(Qt::OtherFocusReason);
}

void FDEV::deleteDossier() {
  auto& m = m_state.messages();
  const DossierKey key = currentDossier();
  if (!key.present() || m_adding) {
    m.beep();
    if (!m_adding) m_add->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (m.ask(m.tr(QStringLiteral("Confirmer la suppression du dossier")), ui::Buttons::YesNo, 2) !=
      ui::Answer::Yes) {
    m_company->setFocus(Qt::OtherFocusReason);
    return;
  }
  const QStringList documents =
      dossierDocuments(m_state.base(core::entry::Main).folder, key.company, key.number);
  if (!documents.isEmpty() &&
      m.ask(m.tr(QStringLiteral("Les textes des devis de ce dossier vont être supprimés")),
            ui::Buttons::YesNo, 2) != ui::Answer::Yes)
    return;
  // The rows go first, the dossier with its versions at once: when they cannot, the texts stay.
  try {
    for (auto* b : m_data->boundControls()) b->setDataChanged(false);
    const bool last = m_data->Recordset().RecordCount() <= 1;
    inWriteTransaction(m_state.mainDb(), [&] {
      m_state.mainDb().Execute("DELETE FROM TDEV WHERE TDEV_SOC = " + db::sqlLiteral(key.company) +
                               " AND TDEV_NUMDOSS = " + QString::number(key.number));
      if (last)
        m_data->Recordset().Delete();
      else
        m_data->Delete();
    });
    // The last one: nothing to move to, the empty list is read again.
    if (last) m_data->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
    return;
  }
  QStringList kept;
  for (const QString& file : documents)
    if (!QFile::remove(file)) kept << file;
  if (!kept.isEmpty())
    m.show(m.tr(QStringLiteral("Le dossier est supprimé, mais ces textes n'ont pas pu l'être :")) +
               '\n' + kept.join('\n'),
           ui::Icon::Warning);
  if (m_data->Recordset().RecordCount() == 0) {
    m_versions->loadVersions({});
    m_add->setFocus(Qt::OtherFocusReason);
  } else {
    m_list->setFocus(Qt::OtherFocusReason);
  }
}

void FDEV::refreshDossiers() {
  if (!guard()) return;
  if (m_adding) {
    m_state.messages().beep();
    m_company->setFocus(Qt::OtherFocusReason);
    return;
  }
  const DossierKey key = currentDossier();
  try {
    m_data->Refresh();
    if (key.present()) findDossier(key.company, key.number);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_code->setFocus(Qt::OtherFocusReason);
}

void FDEV::nextCompany() {
  if (!m_data->leaveRecord()) return;
  const DossierKey key = currentDossier();
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || (rs.BOF() && rs.EOF_())) return;
  try {
    rs.FindFirst(dossierSql::nextCompany(key.company));
    if (rs.NoMatch()) rs.MoveFirst();
    m_data->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_list->setFocus(Qt::OtherFocusReason);
}

DossierKey FDEV::currentDossier() {
  DossierKey key;
  db::Recordset& rs = m_data->Recordset();
  if (m_adding || !rs.isOpen() || rs.BOF() || rs.EOF_()) return key;
  key.company = rs.text("TDOS_SOC");
  key.number = long(rs.number("TDOS_NUMDOSS"));
  key.type = rs.text("TDOS_TYPE");
  key.client = rs.text("TDOS_CLIENT");
  return key;
}

QString FDEV::companyShown() const { return m_company->code().trimmed(); }

bool FDEV::guard() {
  if (!ui::hasPendingChanges(this)) return true;
  m_state.messages().show(m_state.Traduire(kRefusal), ui::Icon::Warning);
  return false;
}

void FDEV::dossierShown() {
  if (!m_adding) m_company->setEnabled(false);
  const DossierKey key = currentDossier();
  // The panel copies the dossier it was opened for: it goes when another one is shown.
  if (m_duplication->isVisible() && !m_duplication->isFor(key.company, key.number))
    m_duplication->hide();
  if (!m_adding) {
    if (key.present()) {
      loadClient(key.client, true);
      showContact(m_contact->text());
    } else {
      clearClient(true);
    }
    m_state.quote.representativeName.clear();
    representativeChanged();
  }
  if (!m_repositioning && !m_adding) m_versions->loadVersions(key);
  if (!m_adding) {
    m_held->hold(key.present() ? core::dossierItem(key.company, key.number) : QString());
    showHolders();
  }
  if (!m_adding && !key.present() && isVisible()) m_add->setFocus(Qt::OtherFocusReason);
}

void FDEV::showHolders() {
  if (!m_holders) return;
  const QString text = m_held->othersText();
  m_holders->setText(text);
  m_holders->setVisible(!text.isEmpty());
}

void FDEV::listEmptied() {
  const QString full = dossierSql::dossiers(m_state.config.salesRep);
  if (m_data->RecordSource() == full || !m_data->isOpen()) return;
  if (m_data->Recordset().RecordCount() != 0) return;
  m_data->setRecordSource(full);
  QMetaObject::invokeMethod(
      this,
      [this] {
        try {
          m_data->Refresh();
        } catch (const db::DbError& e) {
          ui::showDbError(m_state.messages(), e, kErrors);
        }
        m_list->setFocus(Qt::OtherFocusReason);
      },
      Qt::QueuedConnection);
}

}  // namespace tarovent::dossiers
