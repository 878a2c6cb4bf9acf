#include "FCLIDEV.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ClientRules.h"
#include "core/GridTools.h"
#include "core/NewMailCommand.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundCheckBox.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/BoundTextEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"

namespace tarovent::clients {
namespace {

const QString kClientErrors = QStringLiteral("DBD_Cli : ");
const QString kCategoryErrors = QStringLiteral("Catégories : ");

}  // namespace

FCLIDEV::FCLIDEV(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FCLIDEV"), QStringLiteral("Fiches clients"), 2100,
                   parent) {
  m_data = dataControl("DBD_Cli", "select * from TCLI order by TCLI_CODE");
  m_data->setCaptionPrefix(QStringLiteral("Fiche Client : "));
  m_data->setErrorPrefix(kClientErrors);
  m_contacts = dataControl("DBD_Contact", contactsSql(QString()));
  m_contacts->setErrorPrefix(kClientErrors);
  m_contacts->hide();
  m_visits = dataControl("DBD_Vis", visitsSql(QString(), VisitFilter::All));
  m_visits->setReadOnly(true);
  m_visits->hide();

  using Set = ui::RecordButtonSet;
  ui::ButtonRow row = buttonRow(
      Qt::Horizontal,
      {{"Cmd_ADD", QStringLiteral("&Ajouter"), &Set::add},
       {"Cmd_Update",
        QStringLiteral("&Enregistrer"),
        &Set::save,
        {},
        QStringLiteral("Enregistrer (F10)")},
       {"Cmd_Annul", QStringLiteral("A&nnuler"), &Set::cancel},
       {"Cmd_Delete", QStringLiteral("&Supprimer"), nullptr, [this] { removeClient(); }},
       {"CMD_REFRESH", QStringLiteral("Rafraîc&hir"), nullptr, [this] { refreshClient(); }},
       {"Cmd_Liste", QStringLiteral("&Liste"), &Set::list},
       {"Cmd_Suivis", QStringLiteral("&Visites"), nullptr, [this] { toggleVisits(); }},
       {"Cmd_memo", QStringLiteral("&Mémo"), nullptr,
        [this] {
          m_memo->setGeometry(m_data->x() + 40, m_data->y() + 50, 520, 300);
          m_memo->setVisible(!m_memo->isVisible());
          m_memo->raise();
          if (m_memo->isVisible()) m_memo->setFocus(Qt::OtherFocusReason);
        }},
       {"Cmd_Quitter", QStringLiteral("&Quitter"), nullptr, [this] { quit(); }},
       {}});
  m_add = row.at("Cmd_ADD");

  QWidget* record = buildRecord();
  QWidget* contacts = buildContacts();
  QWidget* listFrame = buildList();
  QWidget* visitsFrame = buildVisits();

  row.layout->insertWidget(0, m_data);
  auto* left = new QVBoxLayout;
  left->addWidget(record);
  left->addWidget(contacts, 1);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 1);
  middle->addWidget(listFrame);
  middle->addWidget(visitsFrame);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(row.layout);
  layout->addLayout(middle, 1);

  // The memo opens over the record; Esc hides it.
  m_memo->setParent(this);
  m_memo->setObjectName("CTX_TCLI_MEMO");
  m_memo->hide();

  auto* records = recordButtons(m_data, row.set, m_code);
  lockSavedCode(m_code);
  records->setDeleteQuestion(QStringLiteral("Confirmer la suppression"));
  records->setSaveCheck([this] { return readyToSave(); });
  records->setDeleteCheck([this] { return deletable(); });
  connect(records, &ui::RecordButtons::added, this, [this] {
    m_payment->setCode(QStringLiteral("CHQ"));
    if (m_terms->count() > 0) m_terms->setCurrentIndex(0);
    loadContacts();
    m_newContact->show();
  });
  connect(records, &ui::RecordButtons::cancelled, this, [this] {
    cancelContact();
    m_code->setFocus(Qt::OtherFocusReason);
  });
  connect(records, &ui::RecordButtons::listRequested, this, &FCLIDEV::toggleList);
  connect(m_data, &ui::DataControl::repositioned, this, [this] {
    // Saving shows the same client again: the contact being entered stays for the save.
    if (m_data->EditMode() != db::EditMode::Add && recordCode() != m_contactsOf) loadContacts();
    if (m_visitsFrame->isVisible()) loadVisits();
  });

  QList<QWidget*> chain;
  for (QWidget* w : record->findChildren<QWidget*>())
    if ((w->focusPolicy() & Qt::TabFocus) && w->window() == window()) chain << w;  // no popups
  chain << contacts->findChild<QTableView*>();
  for (const char* n :
       {"CTX_CONTACT_Nom", "CTX_CONTACT_Fonct", "CTX_CONTACT_Tel", "CTX_CONTACT_Fax",
        "CTX_CONTACT_Portab", "CTX_CONTACT_mail", "CMD_MailContact", "CMD_NouvContact",
        "CMD_OKNouvContact", "CMD_AnnuleNouvContact"})
    chain << findChild<QWidget*>(n);
  chain << row.widgets();
  setTabChain(chain);

  setMenuButton(QStringLiteral("CMD_M_CLIDEV"));
  pointAtClientDatabase();
  finishSetup(m_data);
  fillLists();
  loadContacts();
}

void FCLIDEV::pointAtClientDatabase() {
  const core::BaseEntry& clients = m_state.base(core::entry::Commercial);
  if (!clients.open()) return;
  for (auto* data : findChildren<ui::DataControl*>()) data->setDatabase(clients.db);
}

void FCLIDEV::fillLists() {
  QList<QPair<QString, QString>> modes;
  for (int i = 0; i < m_state.modesReglementCodes.size(); ++i)
    modes.append({m_state.modesReglementCodes[i], m_state.modesReglementLabels.value(i)});
  m_payment->setRows(modes);
  db::Database& db = m_data->database();
  try {
    m_terms->setRowSource(db, "select TCDP_CODE, TCDP_libelle from TCDP order by TCDP_CODE");
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  try {
    m_category->setRowSource(db, "select TCAT_CODE, TCAT_LIBELLE from TCAT order by TCAT_CODE");
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kCategoryErrors);
  }
  try {
    db::Recordset rs = db.OpenRecordset(
        "select TPAYS_CODE, TPAYS_LIBELLE from TPAYS order by "
        "TPAYS_CODE",
        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !rs.EOF_(); rs.MoveNext()) {
      auto* item = new QListWidgetItem(rs.text("TPAYS_CODE") + "  " + rs.text("TPAYS_LIBELLE"));
      item->setData(Qt::UserRole, rs.text("TPAYS_CODE"));
      m_countries->addItem(item);
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  m_data->showRecord();  // the combos show the codes of the record now that they hold rows
}

QString FCLIDEV::currentCode() const { return m_code->text().trimmed(); }

QString FCLIDEV::recordCode() {
  db::Recordset& rs = m_data->Recordset();
  return rs.isOpen() && !rs.BOF() && !rs.EOF_() ? rs.text("TCLI_CODE") : QString();
}

void FCLIDEV::codeEdited(const QString& text) {
  const QString clean = cleanClientCode(text);
  if (clean == text) return;
  const int cursor = m_code->cursorPosition() - static_cast<int>(text.size() - clean.size());
  m_code->setText(clean);
  m_code->setCursorPosition(std::max(0, cursor));
  m_state.messages().beep();
}

void FCLIDEV::codeLeft() {
  const QString code = currentCode();
  if (code.isEmpty() || m_data->EditMode() != db::EditMode::Add) return;
  try {
    db::Recordset rs =
        m_data->database().OpenRecordset("TCLI", db::RecordsetType::Table, db::rsopt::ReadOnly);
    rs.setIndex("PrimaryKey");
    rs.Seek("=", code);
    if (rs.NoMatch()) return;
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
    return;
  }
  auto& m = m_state.messages();
  m.show(m.tr(QStringLiteral(" Le client ")) + code + m.tr(QStringLiteral(" existe déjà !!!")),
         ui::Icon::Warning);
  QMetaObject::invokeMethod(
      this, [this] { m_code->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

bool FCLIDEV::readyToSave() {
  auto& m = m_state.messages();
  const ClientIdentity c{findChild<QLineEdit*>("CTX_TCLI_RS")->text(),
                         findChild<QLineEdit*>("CTX_TCLI_ADR1")->text(),
                         findChild<QLineEdit*>("CTX_TCLI_CODP")->text(),
                         findChild<QLineEdit*>("CTX_TCLI_VILLE")->text(), m_category->code()};
  const MissingEntry missing = missingEntry(c);
  if (missing != MissingEntry::None) {
    m.show(m.tr(missingEntryMessage(missing)), ui::Icon::Warning);
    QWidget* focus = missing == MissingEntry::Category ? static_cast<QWidget*>(m_category)
                                                       : findChild<QWidget*>("CTX_TCLI_RS");
    focus->setFocus(Qt::OtherFocusReason);
    return false;
  }
  for (auto* e : findChildren<ui::BoundLineEdit*>())
    if (e->dataSource() == m_contacts && e->text() != e->text().trimmed())
      e->setText(e->text().trimmed());
  try {
    if (const auto first = tidyContacts(m_data->database(), currentCode())) {
      const std::pair<const char*, QString> main[] = {{"CTX_TCLI_CONTACT1", first->name},
                                                      {"CTX_TCLI_FONCT1", first->function},
                                                      {"CTX_TCLI_Portab1", first->mobile},
                                                      {"CTX_TCLI_EMail1", first->mail}};
      for (const auto& [name, value] : main) {
        auto* e = findChild<QLineEdit*>(name);
        if (e->text() != value) e->setText(value);
      }
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kClientErrors);
    return false;
  }
  m_contactsOf = currentCode();
  return true;
}

void FCLIDEV::recordSaved(bool wasNew) {
  const QString code = currentCode();
  saveContact();
  if (!wasNew) {
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_state.lastCreatedClient = code;
  QString other;
  try {
    other = clientWithSameTelephone(m_data->database(),
                                    findChild<QLineEdit*>("CTX_TCLI_TEL1")->text().trimmed(), code);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  if (m_state.clientCreationRequest) {
    closeWindow();
  } else {
    m_add->setFocus(Qt::OtherFocusReason);
  }
  if (!other.isEmpty()) {
    auto& m = m_state.messages();
    m.show(m.tr(QStringLiteral("ATTENTION : Le client que vous venez de créer a le même n° de "
                               "tél. que le client ")) +
               other,
           ui::Icon::Warning);
  }
}

void FCLIDEV::saveContact() {
  const QString code = currentCode();
  try {
    if (m_contacts->EditMode() == db::EditMode::Add) {
      const Contact c{findChild<QLineEdit*>("CTX_CONTACT_Nom")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Fonct")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Tel")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Fax")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Portab")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_mail")->text()};
      m_contacts->CancelUpdate();
      if (!c.trimmed().name.isEmpty()) addContact(m_data->database(), code, c.trimmed());
    } else {
      m_contacts->UpdateRecord();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  loadContacts();
}

void FCLIDEV::loadContacts() {
  m_okContact->hide();
  m_cancelContact->hide();
  const QString code = m_data->EditMode() == db::EditMode::Add ? currentCode() : recordCode();
  m_contactsOf = code;
  m_contacts->setRecordSource(contactsSql(code));
  try {
    m_contacts->Refresh();
    if (m_contacts->Recordset().isOpen() && !m_contacts->Recordset().EOF_())
      m_contacts->Recordset().MoveLast();  // read through: the count is known
    m_contacts->MoveFirst();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
}

void FCLIDEV::newContact() {
  if (m_contacts->EditMode() == db::EditMode::Add) return;
  if (!m_contacts->leaveRecord()) return;
  try {
    m_contacts->AddNew();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
    return;
  }
  m_okContact->show();
  m_cancelContact->show();
  findChild<QWidget*>("CTX_CONTACT_Nom")->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::cancelContact() {
  try {
    m_contacts->CancelUpdate();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  loadContacts();
}

bool FCLIDEV::deletable() {
  auto& m = m_state.messages();
  if (m_valid->isChecked()) {
    m.beep();
    m.show(m.tr(QStringLiteral("Ce client a été validé. Suppression impossible.")),
           ui::Icon::Warning);
    return false;
  }
  if (!m_state.mainDb().isOpen()) return true;  // no dossier to keep
  try {
    const QString code = currentCode();
    const long dossiers = dossierCount(m_state.mainDb(), code);
    if (dossiers == 0) return true;
    const QString question =
        m.tr(QStringLiteral("Le client ")) + code + m.tr(QStringLiteral(" a ")) +
        QString::number(dossiers) +
        m.tr(QStringLiteral(" dossier(s), qui garderont son code sans sa fiche.\n"
                            "Supprimer le client quand même ?"));
    if (m.ask(question, ui::Buttons::YesNo, 2, ui::Icon::Warning) == ui::Answer::Yes) return true;
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kClientErrors);
  }
  m_code->setFocus(Qt::OtherFocusReason);
  return false;
}

void FCLIDEV::removeClient() {
  if (!m_recordButtons->remove()) {
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (m_data->Recordset().RecordCount() == 0) m_add->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::refreshClient() {
  if (m_recordButtons->refuseWhilePending()) return;
  const QString code = currentCode();
  try {
    m_data->Refresh();
    if (!code.isEmpty()) {
      m_data->Recordset().FindFirst(codeCriteria(code));
      if (m_data->Recordset().NoMatch()) m_data->Recordset().MoveFirst();
      m_data->showRecord();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  loadContacts();
}

void FCLIDEV::toggleList() {
  if (m_listFrame->isVisible()) {
    m_listFrame->hide();
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (m_data->Recordset().RecordCount() == 0) {
    m_add->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_visitsFrame->hide();
  m_listFrame->show();
  m_search->clear();
  m_search->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::quickSearch(const QString& text) {
  if (text.isEmpty() || m_recordButtons->refuseWhilePending()) return;
  try {
    db::Recordset& rs = m_data->Recordset();
    rs.FindFirst(quickSearchCriteria(text));
    if (rs.NoMatch()) rs.MoveLast();
    m_data->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
}

void FCLIDEV::toggleVisits() {
  if (m_visitsFrame->isVisible()) {
    m_visitsFrame->hide();
    return;
  }
  if (ui::hasPendingChanges(this) || m_data->EditMode() == db::EditMode::Add) {
    m_state.messages().beep();
    m_state.messages().show(
        m_state.messages().tr(QStringLiteral("Enregistrez ou annulez d'abord votre saisie.")),
        ui::Icon::Information);
    return;
  }
  m_listFrame->hide();
  m_visitsFrame->show();
  loadVisits();
  for (QRadioButton* o : m_visitFilter)
    if (o->isChecked()) o->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::loadVisits() {
  VisitFilter filter = VisitFilter::All;
  if (m_visitFilter.value(1) && m_visitFilter[1]->isChecked()) filter = VisitFilter::ToDo;
  if (m_visitFilter.value(2) && m_visitFilter[2]->isChecked()) filter = VisitFilter::Done;
  m_visits->setRecordSource(visitsSql(currentCode(), filter));
  try {
    m_visits->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
}

void FCLIDEV::showCountries() {
  auto* country = findChild<QLineEdit*>("CTX_TCLI_PAYS");
  const QPoint at = country->mapTo(this, QPoint(0, country->height()));
  m_countries->setGeometry(at.x(), at.y(), 300, 220);
  for (int i = 0; i < m_countries->count(); ++i)
    if (m_countries->item(i)
            ->data(Qt::UserRole)
            .toString()
            .compare(country->text().trimmed(), Qt::CaseInsensitive) == 0)
      m_countries->setCurrentRow(i);
  if (m_countries->currentRow() < 0 && m_countries->count() > 0) m_countries->setCurrentRow(0);
  m_countries->show();
  m_countries->raise();
  m_countries->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::chooseCountry() {
  auto* country = findChild<QLineEdit*>("CTX_TCLI_PAYS");
  if (QListWidgetItem* item = m_countries->currentItem())
    country->setText(item->data(Qt::UserRole).toString());
  m_countries->hide();
  country->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::mailTo(const QLineEdit* address) {
  const QString to = address->text().trimmed();
  if (to.isEmpty()) return;
  core::openNewMail(m_state, mail::NewMail{to, QString(), {}});
}

void FCLIDEV::dropBlankAddition() {
  if (currentCode().isEmpty() && m_data->EditMode() == db::EditMode::Add) {
    m_data->CancelUpdate();
    cancelContact();
    for (auto* b : m_data->boundControls()) b->setDataChanged(false);
  }
}

void FCLIDEV::quit() {
  dropBlankAddition();
  m_recordButtons->quit();
}

bool FCLIDEV::mayClose() {
  dropBlankAddition();
  return RecordWindow::mayClose();
}

void FCLIDEV::escape() {
  if (m_countries->isVisible()) {
    m_countries->hide();
    findChild<QWidget*>("CTX_TCLI_PAYS")->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_memo->hide();
  m_code->setFocus(Qt::OtherFocusReason);
}

bool FCLIDEV::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return RecordWindow::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (watched == m_code && (key == Qt::Key_Space || key == Qt::Key_Apostrophe)) {
    m_state.messages().beep();
    return true;
  }
  if (watched->objectName() == "CTX_TCLI_PAYS" && key == Qt::Key_F4) {
    showCountries();
    return true;
  }
  if (watched == m_countries && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    chooseCountry();
    return true;
  }
  return RecordWindow::eventFilter(watched, event);
}

}  // namespace tarovent::clients
