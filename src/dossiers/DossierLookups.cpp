#include "DossierLookups.h"

#include <QDate>

#include "DocumentNames.h"
#include "platform/text/TypedText.h"

namespace tarovent::dossiers {

namespace {

QString dateCriterion(const QVariant& date) {
  QDate day = date.toDate();
  if (!day.isValid()) day = text::readTypedDay(date.toString());
  return QStringLiteral("DATMAX = #") + day.toString(QStringLiteral("MM/dd/yyyy")) +
         QStringLiteral("#");
}

}  // namespace

std::optional<LatestDossier::Found> LatestDossier::next(db::Database& main) {
  if (!m_aggregate.isOpen()) {
    m_aggregate = main.OpenRecordset(
        QStringLiteral("SELECT TDEV.TDEV_SOC AS SOC, Max(TDEV.TDEV_NUMDOSS) AS NUMDOSS, "
                       "Max(TDEV.TDEV_DATE) AS DATMAX FROM TDEV INNER JOIN TDOS ON "
                       "(TDEV.TDEV_NUMDOSS = TDOS.TDOS_NUMDOSS) AND (TDEV.TDEV_SOC = "
                       "TDOS.TDOS_SOC) GROUP BY TDEV.TDEV_SOC ORDER BY TDEV.TDEV_SOC;"),
        db::RecordsetType::Dynaset, db::rsopt::ReadOnly);
    if (m_aggregate.BOF() && m_aggregate.EOF_()) return std::nullopt;
  } else {
    if (m_aggregate.BOF() && m_aggregate.EOF_()) return std::nullopt;
    const QString criterion = dateCriterion(m_aggregate.value(QStringLiteral("DATMAX")));
    m_aggregate.FindNext(criterion);
    if (m_aggregate.NoMatch()) {
      m_aggregate.MoveFirst();
      m_aggregate.FindFirst(criterion);
    }
  }
  return Found{m_aggregate.text(QStringLiteral("SOC")),
               long(m_aggregate.number(QStringLiteral("NUMDOSS")))};
}

std::optional<QString> BusinessNumber::find(db::Database& commercial, const QString& company,
                                            long number) {
  if (!commercial.isOpen()) return std::nullopt;
  if (!m_affairs.isOpen())
    m_affairs = commercial.OpenRecordset(
        QStringLiteral("select * from TAFF where TAFF_NUMDEV & '' <> ''"),
        db::RecordsetType::Dynaset, db::rsopt::ReadOnly);
  if (m_affairs.BOF() && m_affairs.EOF_()) return std::nullopt;
  // Matched on the key's own length: seven characters for a two-letter company, and the right
  // count for the others.
  const QString key = businessKey(company, number);
  m_affairs.FindFirst(QStringLiteral("left(TAFF_NUMDEV,%1) = ").arg(key.size()) +
                      db::sqlLiteral(key));
  if (m_affairs.NoMatch()) return std::nullopt;
  return m_affairs.text(QStringLiteral("TAFF_NUMAFF"));
}

}  // namespace tarovent::dossiers
