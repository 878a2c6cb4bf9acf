// FDEV's look-ups around the current dossier: the latest dossier, the affair number of its
// quote, the period panel of the order cost statistics.
#include <QPushButton>
#include <QTableView>

#include "DuplicationPanel.h"
#include "FDEV.h"
#include "StatsPeriodPanel.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::dossiers {

QPushButton* FDEV::lookUpButton(const char* name, const QString& caption,
                                void (FDEV::*command)()) {
  QPushButton* b = button(QString::fromLatin1(name), caption);
  connect(b, &QPushButton::clicked, this, command);
  return b;
}

void FDEV::latestDossier() {
  if (m_adding) {
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (!guard()) return;
  try {
    const std::optional<LatestDossier::Found> found = m_latest.next(m_state.mainDb());
    if (!found) return;
    findDossier(found->company, found->number);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
    return;
  }
  m_list->setFocus(Qt::OtherFocusReason);
}

void FDEV::showBusinessNumber() {
  core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
  const DossierKey key = currentDossier();
  if (!commercial.open() || !key.present()) return;
  try {
    const std::optional<QString> affair =
        m_businessNumber.find(commercial.db, key.company, key.number);
    if (affair) m_state.messages().show(*affair, ui::Icon::Information);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, QStringLiteral("TAFF : "));
  }
}

void FDEV::showStatsPanel() {
  if (!guard()) return;
  if (m_adding) {
    m_state.messages().show(m_state.Traduire(kRefusal), ui::Icon::Warning);
    return;
  }
  m_duplication->hide();
  m_stats->open();
}

}  // namespace tarovent::dossiers
