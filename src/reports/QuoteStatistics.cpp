#include "QuoteStatistics.h"

#include <QStringList>

#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::reports {

namespace {

QString sqlDate(const QDate& d, const QString& open) {
  return d.isValid() ? d.toString(QStringLiteral("MM/dd/yyyy")) : open;
}

QString shown(const QDate& d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

}  // namespace

QString quoteCondition(const QuoteCriteria& c) {
  QString where = QStringLiteral("where TDEV_DATE >= #") +
                  sqlDate(c.from, QStringLiteral("01/01/1900")) +
                  QStringLiteral("# AND TDEV_DATE <= #") +
                  sqlDate(c.to, QStringLiteral("12/31/2100")) + QStringLiteral("# AND ");
  const std::pair<const char*, const QString*> criteria[] = {
      {"TDOS_CLIENT", &c.client}, {"TCLI_CATEG", &c.category}, {"TDOS_CAL", &c.rep},
      {"TDOS_TYPE", &c.type},     {"TDOS_USER1", &c.user1},    {"TDOS_USER2", &c.user2}};
  for (const auto& [field, value] : criteria)
    if (!value->trimmed().isEmpty())
      where += QLatin1String(field) + QStringLiteral(" = ") + db::sqlLiteral(value->trimmed()) +
               QStringLiteral(" AND ");
  where.chop(4);  // the last "AND "
  return where;
}

QString quoteFillStatement(const QString& mainPath, const QString& clientPath,
                           const QString& condition) {
  return QStringLiteral(
             "INSERT INTO TMP_RENTA ( SOC, NUMDOSS, NUMDEV, DATDEV, DATREL, MONTANT, CLIENT, TYPE, "
             "CAL, RESUME, USER1, USER2, NUMAFF, CM) SELECT TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS, "
             "Last(TDEV.TDEV_NSEQ) AS DNSEQ, Last(TDEV.TDEV_DATE) AS DDATE, "
             "Last(TDEV.TDEV_DATREL) AS DDATREL, Last(TDEV.TDEV_MONTANT) AS DMONTANT, "
             "Last(TDOS.TDOS_CLIENT) AS DCLIENT, Last(TDOS.TDOS_TYPE) AS DTYPE, "
             "Last(TDOS.TDOS_CAL) AS DCAL, Last(TDOS.TDOS_RESUME) AS DRESUME, "
             "Last(TDOS.TDOS_USER1) AS DUSER1, Last(TDOS.TDOS_USER2) AS DUSER2, '' AS Expr1 , "
             "last(TDOS.TDOS_CM) as CM FROM ([%1].TDEV LEFT JOIN [%1].TDOS ON (TDEV.TDEV_NUMDOSS "
             "= TDOS.TDOS_NUMDOSS) AND (TDEV.TDEV_SOC = TDOS.TDOS_SOC)) left join [%2].TCLI on "
             "TDOS.TDOS_CLIENT = TCLI.TCLI_CODE ")
             .arg(mainPath, clientPath) +
         condition +
         QStringLiteral(
             "GROUP BY TDEV.TDEV_SOC, TDEV.TDEV_NUMDOSS ORDER BY TDEV.TDEV_SOC, "
             "TDEV.TDEV_NUMDOSS; ");
}

QString quoteKey(const QString& company, const QString& dossier) {
  return company + (QStringLiteral("00000") + dossier.trimmed()).right(5);
}

QString choiceLabel(QuoteChoice choice) {
  switch (choice) {
    case QuoteChoice::NotWon:
      return QStringLiteral("Devis non aboutis");
    case QuoteChoice::Won:
      return QStringLiteral("Devis aboutis");
    case QuoteChoice::All:
      break;
  }
  return QStringLiteral("Tous les devis");
}

void AffairIndex::load(db::Database& db, const QString& table) {
  clear();
  const QString sql = QStringLiteral("select %1_NUMDEV, %1_NUMAFF, %1_DATCREA from %1").arg(table);
  const QByteArray quote = (table + QStringLiteral("_NUMDEV")).toLatin1();
  const QByteArray number = (table + QStringLiteral("_NUMAFF")).toLatin1();
  const QByteArray created = (table + QStringLiteral("_DATCREA")).toLatin1();
  db.forEachRow(sql, [&](const db::RowReader& row) {
    m_quotes << row.text(quote.constData()).toCaseFolded();
    m_affairs << Affair{row.text(number.constData()), row.value(created.constData())};
  });
}

void AffairIndex::clear() {
  m_quotes.clear();
  m_affairs.clear();
  m_byLength.clear();
}

const AffairIndex::Affair* AffairIndex::find(const QString& key) const {
  if (key.isEmpty() || m_quotes.isEmpty()) return nullptr;
  auto byLength = m_byLength.find(int(key.size()));
  if (byLength == m_byLength.end()) {
    // Built once per key length: the first affair of each distinct start of quote number.
    QHash<QString, int> first;
    for (int i = 0; i < m_quotes.size(); ++i)
      if (m_quotes[i].size() >= key.size()) {
        const QString start = m_quotes[i].left(key.size());
        if (!first.contains(start)) first.insert(start, i);
      }
    byLength = m_byLength.insert(int(key.size()), first);
  }
  const auto it = byLength->constFind(key.toCaseFolded());
  return it == byLength->cend() ? nullptr : &m_affairs[*it];
}

QuoteStatistics::QuoteStatistics(core::ProcessState& state) : m_state(state) {}

db::Database& QuoteStatistics::workDatabase() { return m_state.localDb; }

void QuoteStatistics::loadAffairs() {
  m_affairsLoaded = false;
  m_current.clear();
  m_archived.clear();
  core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
  if (!commercial.present() || !commercial.open()) return;
  m_current.load(commercial.db, QStringLiteral("TAFF"));
  m_archived.load(commercial.db, QStringLiteral("TAFS"));
  m_affairsLoaded = true;
}

int QuoteStatistics::fillTable(const QuoteCriteria& c) {
  db::Database& work = workDatabase();
  const core::BaseEntry& commercial = m_state.base(core::entry::Commercial);
  const QString mainPath = m_state.base(core::entry::Main).path();
  const QString clientPath = commercial.present() ? commercial.path() : mainPath;
  work.Execute(QStringLiteral("delete * from TMP_RENTA"));
  // Only the dossier's last version of the period is read: the rows of a group come in no
  // given order on a server, so Last() alone would take any of them.
  const QString lastVersion =
      QStringLiteral(
          "AND TDEV.TDEV_NSEQ = (SELECT Max(V.TDEV_NSEQ) FROM [%1].TDEV AS V WHERE V.TDEV_SOC = "
          "TDEV.TDEV_SOC AND V.TDEV_NUMDOSS = TDEV.TDEV_NUMDOSS AND V.TDEV_DATE >= #%2# AND "
          "V.TDEV_DATE <= #%3#) ")
          .arg(mainPath, sqlDate(c.from, QStringLiteral("01/01/1900")),
               sqlDate(c.to, QStringLiteral("12/31/2100")));
  return work.Execute(
      quoteFillStatement(mainPath, clientPath, quoteCondition(c) + lastVersion));
}

void QuoteStatistics::matchAffairs(QuoteChoice choice) {
  db::Database& work = workDatabase();
  db::TransactionGuard guard(work);
  db::Recordset rs =
      work.OpenRecordset(QStringLiteral("SELECT SOC, NUMDOSS, NUMAFF, DATAFF FROM TMP_RENTA"),
                         db::RecordsetType::Dynaset);
  for (; !rs.EOF_(); rs.MoveNext()) {
    const QString key =
        quoteKey(rs.text(QStringLiteral("SOC")), rs.text(QStringLiteral("NUMDOSS")));
    const AffairIndex::Affair* affair = m_current.find(key);
    if (!affair) affair = m_archived.find(key);
    // Only the rows an affair changes are written; kept won quotes are listed bare.
    if ((choice == QuoteChoice::Won && !affair) || (choice == QuoteChoice::NotWon && affair)) {
      rs.Delete();
    } else if (choice == QuoteChoice::All && affair) {
      rs.Edit();
      rs.setValue(QStringLiteral("NUMAFF"), affair->number);
      rs.setValue(QStringLiteral("DATAFF"), affair->created);
      rs.Update();
    }
  }
  rs.Close();
  guard.commit();
}

QuoteStatistics::Outcome QuoteStatistics::fill(const QuoteCriteria& c) {
  auto& m = m_state.messages();
  if (c.from.isValid() && c.to.isValid() && c.from > c.to) {
    m.show(m.tr(QStringLiteral("Dates dans le désordre")), ui::Icon::Warning);
    return Outcome::DatesOutOfOrder;
  }
  try {
    if (fillTable(c) == 0) {
      m.show(m.tr(QStringLiteral("Aucun devis à traiter")), ui::Icon::Information);
      return Outcome::NoQuote;
    }
    matchAffairs(c.choice);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, QStringLiteral("TMP_RENTA : "));
    return Outcome::Failed;
  }
  return Outcome::Filled;
}

QHash<QString, QString> QuoteStatistics::reportParameters(const QuoteCriteria& c) {
  QString period;
  if (c.from.isValid() && c.to.isValid())
    period = QStringLiteral("Du %1 au %2").arg(shown(c.from), shown(c.to));
  else if (c.from.isValid())
    period = QStringLiteral("Depuis le %1").arg(shown(c.from));
  else if (c.to.isValid())
    period = QStringLiteral("Jusqu'au %1").arg(shown(c.to));
  else
    period = QStringLiteral("Toutes dates");
  QStringList criteria;
  const std::pair<const char*, const QString*> named[] = {
      {"Client", &c.client}, {"Catégorie", &c.category}, {"Commercial", &c.rep},
      {"Type", &c.type},     {"Zone 1", &c.user1},       {"Zone 2", &c.user2}};
  for (const auto& [label, value] : named)
    if (!value->trimmed().isEmpty())
      criteria << QString::fromUtf8(label) + QStringLiteral(" : ") + value->trimmed();
  return {{QStringLiteral("PERIODE"), period},
          {QStringLiteral("CHOIX"), choiceLabel(c.choice)},
          {QStringLiteral("CRITERES"), criteria.join(QStringLiteral(" ; "))}};
}

}  // namespace tarovent::reports
