#include <libpq-fe.h>

#include "PgSession.h"

namespace tarovent::db {

void PgSession::send(const QString& sql, const QString& token) {
  settle();
  reconnect();
  if (PQsendQuery(m_conn, sql.toUtf8().constData()) != 1) {
    try {
      fail(Result(nullptr), sql);
    } catch (const DbError& e) {
      m_sentErrors.insert(token, e);
    }
    return;
  }
  m_sentToken = token;
  m_sentSql = sql;
}

void PgSession::settle() {
  if (m_sentToken.isEmpty()) return;
  const QString token = std::exchange(m_sentToken, QString());
  // The last result of the statement tells how it went; the others are read to free the link.
  Result last(PQgetResult(m_conn));
  while (PGresult* more = PQgetResult(m_conn)) {
    PQclear(last.r);
    last.r = more;
  }
  if (last.ok()) return;
  try {
    fail(last, m_sentSql);
  } catch (const DbError& e) {
    m_sentErrors.insert(token, e);
  }
}

std::optional<DbError> PgSession::takeSentError(const QString& token) {
  if (m_sentToken == token) settle();
  const auto it = m_sentErrors.constFind(token);
  if (it == m_sentErrors.cend()) return std::nullopt;
  DbError e = *it;
  m_sentErrors.erase(it);
  return e;
}

bool PgSession::abandon(const QString& token) {
  if (m_sentToken != token) return !takeSentError(token);
  // Still running unless its results are in: the server is asked to stop it. A request that
  // comes once it is over finds the session idle and is dropped.
  PQconsumeInput(m_conn);
  if (PQisBusy(m_conn)) {
    if (PGcancel* cancel = PQgetCancel(m_conn)) {
      char why[256];
      PQcancel(cancel, why, int(sizeof why));
      PQfreeCancel(cancel);
    }
  }
  settle();
  return !takeSentError(token);
}

bool PgSession::beginSnapshot() {
  if (m_level > 0 || m_snapshot) return false;
  exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
  m_snapshot = true;
  return true;
}

void PgSession::endSnapshot() {
  if (!m_snapshot) return;
  settle();
  m_snapshot = false;
  // Reads only: ending it cannot fail for want of writing, but nothing may stay open.
  Result r(PQexec(m_conn, "COMMIT"));
  if (!r.ok() && PQtransactionStatus(m_conn) != PQTRANS_IDLE) PQclear(PQexec(m_conn, "ROLLBACK"));
}

bool PgSession::endedSnapshotFor(const Result& r) {
  if (!m_snapshot || r.ok() || !r.r) return false;
  const char* state = PQresultErrorField(r.r, PG_DIAG_SQLSTATE);
  if (!state || qstrcmp(state, "25006") != 0) return false;  // read_only_sql_transaction
  m_snapshot = false;
  PQclear(PQexec(m_conn, "ROLLBACK"));
  return true;
}

}  // namespace tarovent::db
