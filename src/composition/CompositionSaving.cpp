// Saving a composition: the file, the totals it prints, the figures stored with the version.
#include <QFileInfo>

#include "composition/CompositionSession.h"
#include "composition/LockFiles.h"
#include "composition/SessionFiles.h"
#include "composition/Totals.h"
#include "core/Occupancy.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

using session::fileStamp;
using session::readOnlyMessage;
using session::showDbError;
using session::writable;

bool CompositionSession::save() {
  ui::MessageFunnel& m = m_state.messages();
  if (!m_frozen.isEmpty()) {
    m.show(m_frozen, ui::Icon::Warning);
    return false;
  }
  if (!m_newText && QFileInfo::exists(m_path) && !writable(m_path)) {
    m.show(readOnlyMessage(m, m_path), ui::Icon::Warning);
    return false;
  }
  if (!releaseLock()) {
    m.show(m.tr(QStringLiteral("Le document est ouvert dans le traitement de texte : "
                               "fermez-le avant d'enregistrer. Rien n'a été enregistré.")),
           ui::Icon::Warning);
    return false;
  }
  // Another workstation's save since this one read the version is never written over.
  QString refusal;
  if (m_held && !m_held->claimSave(&refusal)) {
    m.show(refusal, ui::Icon::Warning);
    return false;
  }
  if (m_origin == Origin::Dossier) refreshTotals();
  try {
    if (m_newText) {
      // Never replace a document that appeared or changed while the new text was written.
      if (QFileInfo::exists(m_path) && fileStamp(m_path) != m_replaced) {
        m.show(m.tr(QStringLiteral("Le document ")) + m_path +
                   m.tr(QStringLiteral(" existe déjà : il n'est pas remplacé.")),
               ui::Icon::Warning);
        return false;
      }
      m_doc->saveAs(m_path);
      m_newText = false;
    } else {
      m_doc->save();
    }
  } catch (const ooxml::OoxmlError& e) {
    m.show(e.message(), ui::Icon::Critical);
    return false;
  }
  if (m_origin == Origin::Dossier) storeFigures();
  if (m_onSaved) m_onSaved(*m_doc, m_path);
  return true;
}

void CompositionSession::storeFigures() {
  const std::optional<QuoteFigures> figures = quoteFigures(*m_doc);
  if (!figures) return;  // a text without line tables: what the user typed stays
  const core::QuoteContext& q = m_state.quote;
  try {
    db::Recordset v = m_state.mainDb().OpenRecordset(
        QStringLiteral("select TDEV_MONTANT, TDEV_TEMPS from TDEV where TDEV_SOC=%1 and "
                       "TDEV_NUMDOSS=%2 and TDEV_NSEQ=%3")
            .arg(db::sqlLiteral(q.company))
            .arg(q.dossier)
            .arg(q.sequence.toInt()),
        db::RecordsetType::Dynaset);
    if (v.EOF_()) return;
    v.Edit();
    v.setValue(QStringLiteral("TDEV_MONTANT"), figures->netTotal);
    v.setValue(QStringLiteral("TDEV_TEMPS"), figures->hours);
    v.Update();
  } catch (const db::DbError& e) {
    showDbError(m_state.messages(), e);
  }
}

bool CompositionSession::releaseLock() {
  const LockOwner lock = wordProcessorLockOwner(m_path, m_runningPrograms);
  if (lock.file.isEmpty()) return true;
  if (!lock.stale) return false;
  // A crashed word processor leaves its lock behind, which would block every save.
  ui::MessageFunnel& m = m_state.messages();
  const QString who = lock.user.isEmpty() ? QString() : m.tr(QStringLiteral(" par ")) + lock.user;
  return m.ask(m.tr(QStringLiteral("Le document est marqué ouvert")) + who +
                   m.tr(QStringLiteral(" dans un traitement de texte qui ne tourne plus sur ce "
                                       "poste. Retirer cette marque et enregistrer ?")),
               ui::Buttons::YesNo, 2, ui::Icon::Question) == ui::Answer::Yes &&
         QFile::remove(lock.file);
}

}  // namespace tarovent::composition
