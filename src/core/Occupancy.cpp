#include "Occupancy.h"

#include <QDateTime>
#include <QStringList>

#include "ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/db/Presence.h"

namespace tarovent::core {

QString dossierItem(const QString& company, long number) {
  return QStringLiteral("DOS|%1|%2").arg(company.trimmed().toUpper()).arg(number);
}

QString quoteItem(const QString& company, long number, const QString& sequence) {
  return QStringLiteral("DEV|%1|%2|%3")
      .arg(company.trimmed().toUpper())
      .arg(number)
      .arg(sequence.trimmed().toInt());
}

HeldItem::~HeldItem() { hold({}); }

void HeldItem::hold(const QString& item) {
  if (item == m_item) return;
  db::Presence* p = m_state.presence.get();
  const QString previous = m_item;
  m_item = item;
  if (!p) return;
  // Telling the others is a courtesy: a base that refuses it stops nothing here.
  try {
    if (!previous.isEmpty()) p->release(previous);
    if (!item.isEmpty()) p->hold(item);
  } catch (const db::DbError&) {
  }
}

QString HeldItem::othersText() const {
  db::Presence* p = m_state.presence.get();
  if (!p || m_item.isEmpty()) return {};
  QStringList who;
  try {
    for (const db::Holder& h : p->others(m_item)) {
      const QString one =
          m_state.Traduire(QStringLiteral("%1 sur le poste %2")).arg(h.user, h.machine);
      if (!who.contains(one)) who << one;
    }
  } catch (const db::DbError&) {
    return {};
  }
  if (who.isEmpty()) return {};
  return m_state.Traduire(QStringLiteral("Ouvert aussi par ")) + who.join(QStringLiteral(", ")) +
         u'.';
}

void HeldItem::readSaveNumber() {
  db::Presence* p = m_state.presence.get();
  if (!p || m_item.isEmpty()) return;
  try {
    m_seenSave = p->saveNumber(m_item);
  } catch (const db::DbError&) {
    m_seenSave = -1;  // unknown: the next save says so rather than guessing
  }
}

bool HeldItem::claimSave(QString* refusal) {
  db::Presence* p = m_state.presence.get();
  if (!p || m_item.isEmpty()) return true;
  db::Holder newer;
  try {
    if (m_seenSave >= 0) {
      if (const std::optional<qint64> next = p->claimSave(m_item, m_seenSave, &newer)) {
        m_seenSave = *next;
        return true;
      }
    }
  } catch (const db::DbError& e) {
    *refusal = m_state.Traduire(QStringLiteral(
                   "Le devis n'a pas pu être marqué comme enregistré sur la base : rien n'a "
                   "été enregistré.")) +
               '\n' + e.description();
    return false;
  }
  if (m_seenSave < 0) {
    *refusal = m_state.Traduire(QStringLiteral(
        "La base n'a pas dit qui a enregistré ce devis en dernier : rien n'a été enregistré. "
        "Fermez le devis sans l'enregistrer puis rouvrez-le."));
    return false;
  }
  const QString when =
      QDateTime::fromMSecsSinceEpoch(qint64(newer.since * 1000)).toString("dd/MM/yyyy HH:mm");
  *refusal = m_state
                 .Traduire(QStringLiteral("Ce devis a été enregistré par %1 sur le poste %2 "
                                          "le %3, après son ouverture ici : l'enregistrer "
                                          "maintenant effacerait ce travail. Rien n'a été "
                                          "enregistré.\n\nFermez le devis sans l'enregistrer "
                                          "puis rouvrez-le pour repartir de sa dernière "
                                          "version."))
                 .arg(newer.user, newer.machine, when);
  return false;
}

}  // namespace tarovent::core
