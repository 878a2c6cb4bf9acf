#include "KeyPredicate.h"

#include <QStringList>

namespace tarovent::db {

namespace {

bool isNull(const QVariant& v) { return v.isNull() || !v.isValid(); }

QString equalTerm(const KeyColumn& c, const QVariant& v, QVariantList& binds) {
  if (isNull(v)) return c.sql + " IS NULL";
  binds << v;
  return c.sql + " = ?";
}

// ORDER BY of columns `from`.. in the walk's direction.
QString orderFrom(const QList<KeyColumn>& order, int from, bool backward) {
  QStringList parts;
  for (int i = from; i < order.size(); ++i)
    parts << order[i].sql + (order[i].descending != backward ? " DESC" : "");
  return parts.join(", ");
}

}  // namespace

QList<KeySegment> keySegments(const QList<KeyColumn>& order, KeyRel rel, const QVariantList& key) {
  const int n = qMin(key.size(), order.size());
  const bool backward = keyRelBackward(rel);
  QList<KeySegment> out;

  // The rows equal to the key on its n columns.
  const auto equalPrefix = [&](int count, KeySegment& s) {
    QStringList terms;
    for (int i = 0; i < count; ++i) terms << equalTerm(order[i], key[i], s.binds);
    return terms;
  };
  // Forward over ascending columns from a key without Null, one row-value comparison says it
  // all: a row with a Null compares as unknown exactly where it sorts before the key.
  if ((rel == KeyRel::After || rel == KeyRel::AfterOrEqual) && n > 1) {
    bool plain = true;
    for (int i = 0; i < n; ++i) plain &= !order[i].descending && !isNull(key[i]);
    if (plain) {
      KeySegment s;
      QStringList cols, marks;
      for (int i = 0; i < n; ++i) {
        cols << order[i].sql;
        marks << QStringLiteral("?");
        s.binds << key[i];
      }
      s.where = "(" + cols.join(", ") + (rel == KeyRel::After ? ") > (" : ") >= (") +
                marks.join(", ") + ")";
      s.orderBy = orderFrom(order, 0, false);
      return {s};
    }
  }
  if (rel == KeyRel::Equal || rel == KeyRel::AfterOrEqual || rel == KeyRel::BeforeOrEqual) {
    KeySegment s;
    const QStringList terms = equalPrefix(n, s);
    s.where = terms.isEmpty() ? QStringLiteral("1") : terms.join(" AND ");
    s.orderBy = orderFrom(order, n, backward);
    out << s;
  }
  if (rel == KeyRel::Equal) return out;

  // Then, from the last key column to the first: rows equal on the columns before it and
  // beyond the key on it. Walking toward larger values a Null key is passed by every value;
  // walking toward smaller ones the values come first, then the Nulls.
  for (int i = n - 1; i >= 0; --i) {
    const KeyColumn& c = order[i];
    const bool larger = backward == c.descending;
    QList<QString> beyond;
    QList<bool> bindsKey;
    if (larger) {
      if (isNull(key[i])) {
        beyond << c.sql + " IS NOT NULL";
        bindsKey << false;
      } else {
        beyond << c.sql + " > ?";
        bindsKey << true;
      }
    } else if (!isNull(key[i])) {
      beyond << c.sql + " < ?";
      bindsKey << true;
      if (c.sql != QLatin1String("rowid")) {
        beyond << c.sql + " IS NULL";
        bindsKey << false;
      }
    }
    for (int b = 0; b < beyond.size(); ++b) {
      KeySegment s;
      QStringList terms = equalPrefix(i, s);
      terms << beyond[b];
      if (bindsKey[b]) s.binds << key[i];
      s.where = terms.join(" AND ");
      s.orderBy = orderFrom(order, i, backward);
      out << s;
    }
  }
  return out;
}

QString keyWalkSql(const QString& select, const QList<KeySegment>& segments, int limit,
                   QVariantList& binds) {
  if (segments.isEmpty()) return select + " WHERE 0";
  if (segments.size() == 1) {
    binds << segments[0].binds << limit;
    QString sql = select + " WHERE " + segments[0].where;
    if (!segments[0].orderBy.isEmpty()) sql += " ORDER BY " + segments[0].orderBy;
    return sql + " LIMIT ?";
  }
  // Each arm keeps its own order and limit; UNION ALL reads the arms one after the other.
  QStringList arms;
  for (const KeySegment& s : segments) {
    binds << s.binds << limit;
    QString arm = select + " WHERE " + s.where;
    if (!s.orderBy.isEmpty()) arm += " ORDER BY " + s.orderBy;
    arms << "SELECT * FROM (" + arm + " LIMIT ?" + QString::number(binds.size()) + ")";
  }
  binds << limit;
  return arms.join(" UNION ALL ") + " LIMIT ?" + QString::number(binds.size());
}

QString keyCountSql(const QString& table, const QList<KeySegment>& segments, QVariantList& binds) {
  if (segments.isEmpty()) return QStringLiteral("SELECT 0");
  QStringList parts;
  for (const KeySegment& s : segments) {
    binds << s.binds;
    parts << "(SELECT COUNT(*) FROM " + table + " WHERE " + s.where + ")";
  }
  return "SELECT " + parts.join(" + ");
}

}  // namespace tarovent::db
