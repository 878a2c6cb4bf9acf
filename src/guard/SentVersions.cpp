#include "guard/SentVersions.h"

#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"

namespace tarovent::guard {

namespace {

QString whereVersion(const QuoteKey& k) {
  return QStringLiteral(" where TENVOI_SOC=%1 and TENVOI_NUMDOSS=%2 and TENVOI_NSEQ=%3")
      .arg(db::sqlLiteral(k.company))
      .arg(k.dossier)
      .arg(k.sequence);
}

}  // namespace

void SentVersions::mark(const QuoteKey& key, const QString& how, const QDateTime& when) {
  db::TransactionGuard g(m_db);
  {
    db::RowInserter rows(
        m_db, QStringLiteral("TENVOI"),
        {"TENVOI_SOC", "TENVOI_NUMDOSS", "TENVOI_NSEQ", "TENVOI_DATE", "TENVOI_MODE"});
    rows.add({key.company, qlonglong(key.dossier), key.sequence, when, how.left(50)});
  }
  g.commit();
}

std::optional<Sending> SentVersions::firstSending(const QuoteKey& key) {
  db::Recordset rs = m_db.OpenRecordset("select TENVOI_DATE, TENVOI_MODE from TENVOI" +
                                        whereVersion(key) + " order by TENVOI_DATE");
  if (rs.EOF_()) return std::nullopt;
  return Sending{rs.value("TENVOI_DATE").toDateTime(), rs.text("TENVOI_MODE")};
}

void SentVersions::forget(const QuoteKey& key) {
  m_db.Execute("delete * from TENVOI" + whereVersion(key));
}

bool markSentDocument(core::ProcessState& state, const QString& path, const QString& how) {
  const std::optional<QuoteKey> key = quoteKeyOfFile(path);
  if (!key || !state.mainDb().isOpen()) return false;
  try {
    SentVersions(state.mainDb()).mark(*key, how);
    return true;
  } catch (const db::DbError&) {
    return false;
  }
}

std::optional<Sending> sendingOfVersion(core::ProcessState& state, const QuoteKey& key) {
  if (!state.mainDb().isOpen()) return std::nullopt;
  try {
    return SentVersions(state.mainDb()).firstSending(key);
  } catch (const db::DbError&) {
    return std::nullopt;
  }
}

QString frozenReason(const QuoteKey& key, const Sending& s) {
  return QStringLiteral(
             "Devis %1 envoyé le %2 à %3 (%4) : cette version est figée et s'ouvre "
             "en lecture seule. Créez une nouvelle version pour le faire évoluer.")
      .arg(key.number(), s.when.toString(QStringLiteral("dd/MM/yyyy")),
           s.when.toString(QStringLiteral("HH:mm")), s.how);
}

}  // namespace tarovent::guard
