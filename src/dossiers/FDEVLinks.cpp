// FDEV's hand-overs to the rest of the program: the version frame, the PDF and mail commands,
// the duplication panel, the buttons that open other windows, and what those windows hand back.
#include <QApplication>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

#include "CompositionStart.h"
#include "DuplicationPanel.h"
#include "FDEV.h"
#include "FdevMailing.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::dossiers {

QList<QPushButton*> FDEV::otherPartButtons() {
  // Commands of other parts of the program: enabled once their window is registered.
  QList<QPushButton*> others = {
      otherPartButton("Cmd_MailPDF", QStringLiteral(">> PDF"), "FRM_OptPDF"),
      otherPartButton("CMD_Mail", QStringLiteral("Envoyer un mail"), "FRM_OptPDF"),
      otherPartButton("CMD_Mails", QStringLiteral("Listes de mails"), "FMAILS"),
      lookUpButton("CMD_DernDevis", QStringLiteral("Dernier devis"), &FDEV::latestDossier),
      lookUpButton("CMD_Affaire", QStringLiteral("Affaire"), &FDEV::showBusinessNumber),
      lookUpButton("Cmd_Images", QStringLiteral("Documents liés"), &FDEV::showDocuments),
      otherPartButton("CMD_Relance", QStringLiteral("Relances"), "FREL"),
      otherPartButton("CMD_StatPDR", QStringLiteral("Stat. prix de revient"), "FLSTAFF")};
  others[0]->setToolTip(QStringLiteral("Envoi devis par mail (PDF)"));
  others[5]->setToolTip(QStringLiteral("Documents liés au devis"));
  others[5]->setEnabled(static_cast<bool>(m_state.showDossierDocuments));
  others[7]->setToolTip(QStringLiteral("Statistique des prix de revient comparés"));
  // The period panel comes first; FLSTAFF opens from its OK button.
  disconnect(others[7], &QPushButton::clicked, this, nullptr);
  connect(others[7], &QPushButton::clicked, this, &FDEV::showStatsPanel);
  return others;
}

QPushButton* FDEV::otherPartButton(const char* name, const QString& caption, const char* window) {
  QPushButton* b = button(QString::fromLatin1(name), caption);
  b->setEnabled(m_state.windows.has(QString::fromLatin1(window)));
  b->setProperty("opens", QString::fromLatin1(window));
  connect(b, &QPushButton::clicked, this, [this, b] {
    if (guard() && m_state.opener) m_state.opener->openWindow(b->property("opens").toString());
  });
  return b;
}

void FDEV::showDocuments() {
  if (!guard()) return;
  const DossierKey key = currentDossier();
  if (!key.present() || !m_state.showDossierDocuments) {
    m_state.messages().beep();
    return;
  }
  m_state.showDossierDocuments(key.company, key.number);
}

FdevMailing* FDEV::buildVersions(QPushButton* save, const QList<QPushButton*>& others) {
  m_versions = new VersionFrame(m_state, this);
  m_versions->setGuard([this] { return guard(); });
  m_versions->setDossierPending([this] { return m_adding || m_data->hasChanges(); });
  connect(m_versions, &VersionFrame::versionDateSaved, m_list->viewport(),
          qOverload<>(&QWidget::update));
  connect(m_versions, &VersionFrame::dossierSaveRequested, save,
          [save] { save->setFocus(Qt::OtherFocusReason); });
  connect(m_versions, &VersionFrame::clientFocusRequested, m_code,
          [this] { m_code->setFocus(Qt::OtherFocusReason); });
  connect(m_versions, &VersionFrame::clientDisplaysCleared, this, [this] { clearClient(true); });
  return new FdevMailing(m_state, this, others[0], others[1], others[2]);
}

void FDEV::buildDuplication() {
  m_duplication = new DuplicationPanel(m_state, this);
  m_duplication->setGuard([this] { return guard(); });
  // The window's own Esc closes the panel: two Esc shortcuts would cancel each other.
  for (auto* s : m_duplication->findChildren<QShortcut*>()) s->setEnabled(false);
  connect(m_duplication, &DuplicationPanel::duplicated, this,
          [this](const QString& company, long number) {
            try {
              m_data->Refresh();
            } catch (const db::DbError& e) {
              ui::showDbError(m_state.messages(), e, kErrors);
            }
            findDossier(company, number);
            m_code->setFocus(Qt::OtherFocusReason);
          });
}

void FDEV::duplicateDossier() {
  const DossierKey key = currentDossier();
  if (!key.present()) {
    m_state.messages().beep();
    return;
  }
  int sequence = -1;
  db::Recordset& versions = m_versions->data()->Recordset();
  if (m_versions->hasVersions() && versions.isOpen() && !versions.BOF() && !versions.EOF_())
    sequence = int(versions.number("TDEV_NSEQ"));
  m_vehicleFrame->hide();
  m_clientFrame->hide();
  m_duplication->open(key.company, key.number, sequence);
}

void FDEV::newClient() {
  if (!m_state.windows.has(QStringLiteral("FCLIDEV")) || !m_state.opener) {
    m_state.messages().beep();
    return;
  }
  m_state.clientCreationRequest = true;
  m_state.lastCreatedClient.clear();
  m_state.opener->openWindow(QStringLiteral("FCLIDEV"));
  for (QWidget* w : QApplication::allWidgets()) {
    if (w->objectName() != QLatin1String("FCLIDEV") || !w->isVisible()) continue;
    if (auto* add = w->findChild<QPushButton*>(QStringLiteral("Cmd_ADD"))) add->click();
    break;
  }
}

void FDEV::activated() {
  auto& m = m_state.messages();
  showHolders();
  if (m_state.clientCreationRequest) {
    m_state.clientCreationRequest = false;
    try {
      m_clientList->Refresh();
      if (m_clientList->Recordset().EOF_())
        m.show(m.tr(QStringLiteral("La table des clients est vide.")), ui::Icon::Information);
    } catch (const db::DbError& e) {
      ui::showDbError(m, e, kErrors);
    }
    const QString created = m_state.lastCreatedClient;
    if (!created.isEmpty() && (m_adding || currentDossier().present())) {
      m_code->setText(created);
      m_contact->clear();
      loadClient(created, true);
      m_contact->setFocus(Qt::OtherFocusReason);
    }
  }
  if (m_state.dossierRequested) {
    m_state.dossierRequested = false;
    if (guard()) {
      try {
        findDossier(m_state.quote.company, m_state.quote.dossier);
      } catch (const db::DbError& e) {
        ui::showDbError(m, e, kErrors);
      }
    }
  }
  // Back from a composition still open: what its saves stored in the version shows.
  if (compositionOpen(m_state)) m_versions->showStoredAgain();
}

}  // namespace tarovent::dossiers
