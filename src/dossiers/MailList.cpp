#include "MailList.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/DbErrorMessage.h"
#include "ui/HostWindow.h"
#include "ui/RowList.h"

namespace tarovent::dossiers {

MailList::MailList(core::ProcessState& state, QWidget* parent)
    : QWidget(parent), m_state(state), m_mailing(state), m_address(state.mailListAddress) {
  setObjectName("FMAILS");
  setWindowTitle(QStringLiteral("Mails : ") + m_address);
  m_table = new QTableWidget(0, 3, this);
  m_table->setObjectName("DBG_Mails");
  m_table->setHorizontalHeaderLabels(
      {QStringLiteral("Date"), QStringLiteral("Objet"), QStringLiteral("Pièce jointe")});
  ui::readByRows(m_table);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->verticalHeader()->hide();

  const auto button = [this](const char* name, const QString& caption, void (MailList::*slot)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };
  auto* bar = new QHBoxLayout;
  bar->addWidget(button("CMD_NouvMail", QStringLiteral("&Nouveau mail"), &MailList::newMail));
  bar->addWidget(button("CMD_Renvoyer", QStringLiteral("&Rouvrir le mail"), &MailList::reopen));
  bar->addWidget(button("CMD_PieceJointe", QStringLiteral("&Ouvrir la pièce jointe"),
                        &MailList::openAttachment));
  bar->addWidget(
      button("CMD_Supprimer", QStringLiteral("&Supprimer de la liste"), &MailList::forget));
  bar->addStretch();
  auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
  quit->setObjectName("Cmd_Quitter");
  connect(quit, &QPushButton::clicked, this, [this] { ui::closeHostWindow(this); });
  bar->addWidget(quit);

  auto* layout = new QVBoxLayout(this);
  auto* title = new QLabel(QStringLiteral("Mails préparés pour ") + m_address, this);
  title->setObjectName("CTL_Adresse");
  layout->addWidget(title);
  layout->addWidget(m_table, 1);
  layout->addLayout(bar);
  reload();
}

void MailList::reload() {
  try {
    m_entries = m_mailing.mailsTo(m_address);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, QStringLiteral("Liste des mails"));
    m_entries.clear();
  }
  m_table->setRowCount(int(m_entries.size()));
  for (int r = 0; r < m_entries.size(); ++r) {
    const MailEntry& m = m_entries[r];
    const QString attachment = QFileInfo(m.attachment).fileName();
    const QStringList cells = {m.date.toString(QStringLiteral("dd/MM/yyyy HH:mm")), m.subject,
                               attachment};
    for (int c = 0; c < cells.size(); ++c) m_table->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!m_entries.isEmpty()) m_table->selectRow(0);
}

const MailEntry* MailList::current() const {
  const int row = m_table->currentRow();
  return row >= 0 && row < m_entries.size() ? &m_entries[row] : nullptr;
}

void MailList::newMail() {
  if (m_mailing.newMail(m_address)) reload();
}

void MailList::reopen() {
  const MailEntry* m = current();
  if (!m) {
    m_state.messages().beep();
    return;
  }
  if (m_mailing.reopen(*m)) reload();
}

void MailList::openAttachment() {
  const MailEntry* m = current();
  if (!m || m->attachment.isEmpty()) {
    m_state.messages().beep();
    return;
  }
  if (!QFileInfo(m->attachment).isFile()) {
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Le fichier est introuvable : ")) + m->attachment,
        ui::Icon::Warning);
    return;
  }
  if (!m_state.openDocument || !m_state.openDocument(m->attachment))
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Aucun programme n'a pu ouvrir le fichier.")),
        ui::Icon::Warning);
}

void MailList::forget() {
  const MailEntry* m = current();
  if (!m) {
    m_state.messages().beep();
    return;
  }
  if (m_state.messages().ask(m_state.Traduire(QStringLiteral("Retirer ce mail de la liste ?")),
                             ui::Buttons::YesNo, 2, ui::Icon::Question) != ui::Answer::Yes)
    return;
  try {
    m_mailing.forget(m->number);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, QStringLiteral("Liste des mails"));
  }
  reload();
}

}  // namespace tarovent::dossiers
