#include "DuplicationPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BusyCursor.h"
#include "ui/DbErrorMessage.h"
#include "ui/FocusReturn.h"

namespace tarovent::dossiers {

DuplicationPanel::DuplicationPanel(core::ProcessState& state, QWidget* parent)
    : QFrame(parent), m_state(state) {
  setObjectName(QStringLiteral("FRM_DupliDoss"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* title = new QLabel(QStringLiteral("<b>Duplication d'un dossier</b>"), this);
  m_targets = new QComboBox(this);
  m_targets->setObjectName(QStringLiteral("DBC_NEWSOC"));
  m_targets->setMinimumWidth(260);
  m_copyDocument = new QCheckBox(QStringLiteral("Recopier les documents &Word"), this);
  m_copyDocument->setObjectName(QStringLiteral("CHK_DupliWord"));
  m_copyUserFields = new QCheckBox(QStringLiteral("Recopier les champs &libres 3 à 15"), this);
  m_copyUserFields->setObjectName(QStringLiteral("CHK_DupliUser"));
  auto* ok = new QPushButton(QStringLiteral("Effectuer la duplication"), this);
  ok->setObjectName(QStringLiteral("CMD_OKDupli"));
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
  cancel->setObjectName(QStringLiteral("CMD_AnnulDupli"));
  for (QPushButton* b : {ok, cancel}) b->setAutoDefault(true);

  auto* company = new QLabel(QStringLiteral("&Société du nouveau dossier"), this);
  company->setBuddy(m_targets);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(company);
  layout->addWidget(m_targets);
  layout->addWidget(m_copyDocument);
  layout->addWidget(m_copyUserFields);
  layout->addLayout(buttons);
  layout->addStretch();
  setTabOrder(m_targets, m_copyDocument);
  setTabOrder(m_copyDocument, m_copyUserFields);
  setTabOrder(m_copyUserFields, ok);
  setTabOrder(ok, cancel);

  connect(ok, &QPushButton::clicked, this, &DuplicationPanel::duplicate);
  connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::hide);
  ui::returnFocusOnHide(this);
  hide();
}

bool DuplicationPanel::allowed() {
  if (m_guard && !m_guard()) return false;
  if (m_request.sequence >= 0) return true;
  m_state.messages().show(
      m_state.Traduire(QStringLiteral("Aucune version de ce devis n'a encore été créée")),
      ui::Icon::Information);
  return false;
}

void DuplicationPanel::fillTargets() {
  m_targets->clear();
  db::Recordset soc = m_state.mainDb().OpenRecordset(
      QStringLiteral("select * from TSOC where TSOC_Desactive=false;"), db::RecordsetType::Snapshot,
      db::rsopt::ReadOnly);
  for (; !soc.EOF_(); soc.MoveNext()) {
    const QString code = soc.text(QStringLiteral("TSOC_CODE"));
    m_targets->addItem(code + QStringLiteral("  ") + soc.text(QStringLiteral("TSOC_LIB")), code);
  }
}

bool DuplicationPanel::open(const QString& company, long number, int sequence) {
  m_request = {};
  m_request.company = company;
  m_request.number = number;
  m_request.sequence = sequence;
  if (!allowed()) return false;
  try {
    fillTargets();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
    return false;
  }
  // The dossier's own company when it is active, else the first one.
  m_targets->setCurrentIndex(std::max(0, m_targets->findData(company)));
  show();
  raise();
  m_targets->setFocus(Qt::OtherFocusReason);
  return true;
}

QString DuplicationPanel::target() const { return m_targets->currentData().toString(); }

void DuplicationPanel::duplicate() {
  if (!allowed()) return;
  m_request.target = target();
  m_request.copyDocument = m_copyDocument->isChecked();
  m_request.copyUserFields = m_copyUserFields->isChecked();
  const core::BaseEntry& main = m_state.base(core::entry::Main);
  DossierDuplication duplication(m_state.localDb, main.path(), main.folder, m_state.messages());
  duplication.setAfterInserts(m_afterInserts);
  if (m_state.messages().ask(duplication.confirmation(m_request), ui::Buttons::OkCancel) !=
      ui::Answer::Ok)
    return;
  DossierDuplication::Result result;
  try {
    ui::BusyCursor busy;
    result = duplication.run(m_request);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
    return;
  }
  if (!result.done()) {
    m_state.messages().show(result.refusal, ui::Icon::Warning);
    return;
  }
  if (!result.documentLeft.isEmpty()) {
    ui::MessageFunnel& m = m_state.messages();
    m.show(m.tr(QStringLiteral("Le dossier est copié, mais son texte n'a pas pu prendre son nom : "
                               "il est resté dans ")) +
               result.documentLeft,
           ui::Icon::Warning);
  }
  hide();
  emit duplicated(result.company, result.number);
}

}  // namespace tarovent::dossiers
