// FDEV's client entry: the client code box, the client list beside the form and the contacts
// of the client shown.
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "FDEV.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/RecordsetModel.h"

namespace tarovent::dossiers {

namespace {

using ui::gridColumn;

}  // namespace

QWidget* FDEV::buildClientList() {
  m_clientFrame = new QFrame(this);
  m_clientFrame->setObjectName("FRM_ListeCli");
  m_clientFrame->setFrameShape(QFrame::StyledPanel);
  m_clientFrame->setFixedWidth(420);
  m_clientList = dataControl("DBD_ListeCli", dossierSql::clientList());
  m_clientList->setReadOnly(true);
  m_clientList->hide();
  m_clientGrid = new QTableView(m_clientFrame);
  m_clientGrid->setObjectName("DBG_ListeCli");
  m_clientGrid->installEventFilter(this);
  auto* model = new ui::RecordsetModel(m_clientGrid);
  new ui::GridLink(m_clientGrid, model, m_clientList);
  new ui::GridColumns(m_clientGrid, model, m_clientList,
                      {gridColumn("TCLI_CODE", QStringLiteral("Code")),
                       gridColumn("TCLI_RS", QStringLiteral("Raison sociale")),
                       gridColumn("TCLI_VILLE", QStringLiteral("Ville"))},
                      {80, 180, 110}, 1);
  m_clientTools = core::addGridTools(m_state, m_clientGrid, m_clientList);
  connect(m_clientGrid, &QTableView::doubleClicked, this, &FDEV::chooseClient);
  m_buffer = new QLineEdit(m_clientFrame);
  m_buffer->setObjectName("CTX_Buffer");
  m_buffer->installEventFilter(this);
  connect(m_buffer, &QLineEdit::textEdited, this, &FDEV::bufferEdited);
  auto* clear = button("Cmd_RazBuffer", QStringLiteral("RAZ"));
  connect(clear, &QPushButton::clicked, this, [this] {
    m_buffer->clear();
    m_buffer->setFocus(Qt::OtherFocusReason);
  });
  auto* tools = button("Cmd_ToolBarCli", QStringLiteral("Outils"));
  connect(tools, &QPushButton::clicked, this,
          [this, tools] { showToolsMenu(m_clientGrid, tools); });
  auto* close = button("Cmd_FermerCli", QStringLiteral("Fermer"));
  connect(close, &QPushButton::clicked, this, [this] {
    m_clientFrame->hide();
    m_code->setFocus(Qt::OtherFocusReason);
  });
  auto* search = new QHBoxLayout;
  auto* searchLabel = new QLabel(QStringLiteral("Recherche"), m_clientFrame);
  searchLabel->setBuddy(m_buffer);
  search->addWidget(searchLabel);
  search->addWidget(m_buffer, 1);
  search->addWidget(clear);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(tools);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(m_clientFrame);
  layout->addWidget(new QLabel(QStringLiteral("<b>Liste des clients</b>"), m_clientFrame));
  layout->addLayout(search);
  layout->addWidget(m_clientGrid, 1);
  layout->addLayout(buttons);
  setTabOrder(m_buffer, m_clientGrid);
  m_clientFrame->hide();
  return m_clientFrame;
}

void FDEV::clearClient(bool contactToo) {
  m_clientName->clear();
  m_valid->hide();
  m_clientShown.clear();
  for (QLineEdit* e : m_contactBoxes) e->clear();
  if (contactToo) m_contactPicker->clear();
  m_state.quote.clientDiscount = 0;
  m_state.quote.clientCategory.clear();
}

bool FDEV::loadClient(const QString& code, bool reportMissing) {
  clearClient(true);
  if (!m_clientsByKey.isOpen() || code.trimmed().isEmpty()) return false;
  auto& m = m_state.messages();
  try {
    m_clientsByKey.Seek("=", code.trimmed());
    if (m_clientsByKey.NoMatch()) {
      if (reportMissing)
        m.show(m.tr(QStringLiteral("Le client ")) + code +
                   m.tr(QStringLiteral(" n'existe plus, choisissez un client valide")),
               ui::Icon::Warning);
      return false;
    }
    m_clientName->setText(m_clientsByKey.text("TCLI_RS"));
    m_state.quote.clientCode = m_clientsByKey.text("TCLI_CODE");
    m_state.quote.clientDiscount = m_clientsByKey.number("TCLI_Pcremise");
    m_state.quote.clientCategory = m_clientsByKey.text("TCLI_Categ");
    m_valid->setVisible(m_clientsByKey.flag("TCLI_Valide"));
    m_clientShown = m_clientsByKey.text("TCLI_CODE");
    loadContacts(m_clientShown);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
    return false;
  }
  return true;
}

void FDEV::loadContacts(const QString& client) {
  m_contactPicker->clear();
  m_contacts = clientsDb().OpenRecordset(dossierSql::contacts(client), db::RecordsetType::Dynaset,
                                         db::rsopt::ReadOnly);
  for (; !m_contacts.EOF_(); m_contacts.MoveNext())
    m_contactPicker->addItem(m_contacts.text("TCLI_CONTACT_Nom"));
  m_contactPicker->setCurrentIndex(-1);
}

void FDEV::showContact(const QString& name) {
  for (QLineEdit* e : m_contactBoxes) e->clear();
  if (!m_contacts.isOpen() || name.trimmed().isEmpty()) return;
  try {
    m_contacts.FindFirst("TCLI_CONTACT_Nom = " + db::sqlLiteral(name));
    if (m_contacts.NoMatch()) return;
    const char* fields[] = {"TCLI_CONTACT_Tel", "TCLI_CONTACT_Fax", "TCLI_CONTACT_Portab",
                            "TCLI_CONTACT_mail"};
    for (int i = 0; i < 4; ++i) {
      QLineEdit* box = m_contactBoxes[i];
      box->setText(m_contacts.text(fields[i]));
      // A mail longer than its box shows its beginning, all of it in the tip.
      box->setCursorPosition(0);
      box->setToolTip(box->text());
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
}

void FDEV::clientLeft() {
  if (m_clientFrame->isVisible()) return;
  const QString code = m_code->text().trimmed();
  if (code.compare(m_clientShown, Qt::CaseInsensitive) == 0 && !code.isEmpty()) return;
  if (code.isEmpty()) {
    if (!m_code->DataChanged()) return;
    clearClient(true);
    m_contact->clear();
    return;
  }
  auto& m = m_state.messages();
  try {
    m_clientsByKey.Seek(">=", code);
    if (m_clientsByKey.NoMatch() ||
        m_clientsByKey.text("TCLI_CODE").compare(code, Qt::CaseInsensitive) != 0) {
      showClientList(code);
      return;
    }
    const bool valid = m_clientsByKey.flag("TCLI_Valide");
    loadClient(code, false);
    m_contact->clear();
    if (!valid) m.show(m.tr(QStringLiteral("Ce client n'est pas validé")), ui::Icon::Information);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
}

void FDEV::showClientList(const QString& from) {
  m_vehicleFrame->hide();
  try {
    if (!m_clientList->isOpen()) m_clientList->Refresh();
    db::Recordset& rs = m_clientList->Recordset();
    if (!rs.EOF_() || !rs.BOF()) {
      // What was typed in the client box may be a name ("Morvan"): the list is positioned
      // as its own search box would, and the search box shows it, ready to be typed over.
      if (from.trimmed().isEmpty()) {
        rs.MoveFirst();
      } else {
        findClient(rs, from.trimmed());
      }
    }
    m_clientList->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
    return;
  }
  m_buffer->setText(from.trimmed());
  m_buffer->selectAll();
  m_clientFrame->show();
  m_buffer->setFocus(Qt::OtherFocusReason);
}

void FDEV::bufferEdited(const QString& text) {
  if (text.isEmpty()) return;
  try {
    db::Recordset& rs = m_clientList->Recordset();
    findClient(rs, text);
    m_clientList->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
}

void FDEV::chooseClient() {
  db::Recordset& rs = m_clientList->Recordset();
  if (!rs.isOpen() || rs.BOF() || rs.EOF_()) return;
  const QString code = rs.text("TCLI_CODE");
  m_code->setText(code);
  m_clientFrame->hide();
  m_contact->clear();
  if (!loadClient(code, false)) {
    auto& m = m_state.messages();
    m.show(m.tr(QStringLiteral("Le client ")) + code +
               m.tr(QStringLiteral(" vient d'être supprimé !")),
           ui::Icon::Warning);
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_contact->setFocus(Qt::OtherFocusReason);
}

void FDEV::contactChosen(int row) {
  const QString name = m_contactPicker->itemText(row);
  try {
    m_clientsByKey.Seek("=", m_code->text().trimmed());
    if (m_clientsByKey.NoMatch()) {
      auto& m = m_state.messages();
      m.show(m.tr(QStringLiteral("Le client ")) + m_code->text().trimmed() +
                 m.tr(QStringLiteral(" n'existe plus !")),
             ui::Icon::Warning);
      return;
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
    return;
  }
  m_contact->setText(name);
  showContact(name);
  m_contact->setFocus(Qt::OtherFocusReason);
}

}  // namespace tarovent::dossiers
