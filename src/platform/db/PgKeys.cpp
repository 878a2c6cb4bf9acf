#include "PgKeys.h"

#include <QRegularExpression>
#include <algorithm>
#include <atomic>

#include "DbError.h"
#include "PgDatabase.h"

namespace tarovent::db {

namespace {

constexpr int kMaxBlock = 12800;
std::atomic<int> g_cursors{0};

}  // namespace

KeyTail::KeyTail(const std::shared_ptr<PgDatabase>& database, const QString& sql, int first)
    : db(database), cursor(QStringLiteral("__jet_keys%1").arg(++g_cursors)), next(first) {
  PgSession& s = database->session();
  s.exec(QStringLiteral("BEGIN"));
  opening = true;
  try {
    s.exec("DECLARE " + cursor + " NO SCROLL CURSOR WITH HOLD FOR " + sql);
  } catch (const DbError&) {
    abort();
    throw;
  }
}

KeyTail::~KeyTail() {
  const auto database = db.lock();
  if (!database || !database->isOpen()) return;
  try {
    PgSession& s = database->session();
    if (opening) {
      s.exec(QStringLiteral("COMMIT"));
    } else if (!done && s.abandon(cursor) && database->transactionLevel() == 0) {
      // Inside a transaction a failed CLOSE (the cursor lost with a connection) would spoil
      // it: the cursor is then left to the end of the session.
      s.exec("CLOSE " + cursor);
    }
  } catch (const DbError&) {
  }
}

void KeyTail::release() {
  if (!opening) return;
  opening = false;
  PgSession& s = db.lock()->session();
  if (done)
    s.exec(QStringLiteral("COMMIT"));
  else
    s.send(QStringLiteral("COMMIT"), cursor);
}

void KeyTail::abort() {
  if (!opening) return;
  opening = false;
  done = true;
  try {
    db.lock()->session().exec(QStringLiteral("ROLLBACK"));
  } catch (const DbError&) {
  }
}

bool KeyTail::fetch() {
  if (done) return false;
  PgSession& s = db.lock()->session();
  if (std::optional<DbError> failed = s.takeSentError(cursor)) {
    done = true;
    throw *failed;
  }
  const PgRows got = s.query("FETCH FORWARD " + QString::number(next) + " FROM " + cursor);
  ids.append(got.rows);
  done = got.rows.size() < next;
  if (done) s.exec("CLOSE " + cursor);
  next = std::min(next * 2, kMaxBlock);
  return !got.rows.isEmpty();
}

namespace {

bool inPrimaryKey(const PgTable& table, const QString& quotedName) {
  return std::any_of(table.indexes.cbegin(), table.indexes.cend(), [&](const IndexSpec& ix) {
    return ix.primary && std::any_of(ix.fields.cbegin(), ix.fields.cend(), [&](const QString& f) {
             return quoteIdentifier(f).compare(quotedName, Qt::CaseInsensitive) == 0;
           });
  });
}

}  // namespace

QString pgOrderBy(const QList<KeyColumn>& columns, const PgTable& table, bool backward) {
  QStringList parts;
  for (const KeyColumn& c : columns) {
    const bool descending = c.descending != backward;
    QString part = c.sql + (descending ? " DESC" : " ASC");
    if (c.sql != u"ctid" && !inPrimaryKey(table, c.sql))
      part += descending ? " NULLS LAST" : " NULLS FIRST";
    parts << part;
  }
  return parts.join(", ");
}

QString withoutNeedlessNullOrder(const QString& select, const PgTable& table) {
  const qsizetype at = select.lastIndexOf(QLatin1String(" ORDER BY "));
  if (at < 0) return select;
  static const QRegularExpression limit(QStringLiteral(R"( LIMIT \d+$)"));
  static const QRegularExpression term(
      QStringLiteral(R"re(^((?:"[^"]*"\.)?("[^"]*")(?: DESC)?)(?: NULLS (?:FIRST|LAST))?$)re"));
  QString terms = select.mid(at + 10);
  const auto m = limit.match(terms);
  const QString rest = m.hasMatch() ? m.captured(0) : QString();
  terms.chop(rest.size());
  QStringList out;
  for (const QString& t : terms.split(QStringLiteral(", "))) {
    const auto parts = term.match(t);
    if (!parts.hasMatch()) return select;  // an expression, or not the order at all
    const QString name = parts.captured(2);
    // A name given to a computed column of the query is not the field.
    const bool renamed = select.contains(" AS " + name, Qt::CaseInsensitive);
    out << (!renamed && inPrimaryKey(table, name) ? parts.captured(1) : t);
  }
  return select.left(at + 10) + out.join(QStringLiteral(", ")) + rest;
}

}  // namespace tarovent::db
