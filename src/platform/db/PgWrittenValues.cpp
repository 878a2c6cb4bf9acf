#include "PgDialect.h"
#include "PgSession.h"

namespace tarovent::db {

namespace {

bool identifierChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The arguments of the call whose "(" is at `open`, split at their top-level commas; `close`
// gets the position of its ")" (-1 when there is none).
QStringList callArguments(const QString& sql, qsizetype open, qsizetype* close) {
  QStringList args;
  QString current;
  int depth = 0;
  QChar quote;
  for (qsizetype i = open + 1; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u'(') {
      ++depth;
    } else if (c == u')' && depth-- == 0) {
      args << current.trimmed();
      *close = i;
      return args;
    } else if (c == u',' && depth == 0) {
      args << current.trimmed();
      current.clear();
      continue;
    }
    current += c;
  }
  *close = -1;
  return {};
}

QString unquoted(const QString& text) {
  if (text.size() < 2 || !text.startsWith(u'\'')) return text;
  return text.mid(1, text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
}

}  // namespace

QString pgWrittenValues(
    const QString& sql,
    const std::function<QString(const QString&, const QString&, const QString&)>& typeOf) {
  static const QString kCall = QStringLiteral("jet_field(");
  if (!sql.contains(kCall)) return sql;
  QString out;
  out.reserve(sql.size());
  QChar quote;
  for (qsizetype i = 0; i < sql.size(); ++i) {
    const QChar c = sql[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (sql.mid(i, kCall.size()) == kCall && (i == 0 || !identifierChar(sql[i - 1]))) {
      qsizetype close = -1;
      const QStringList args = callArguments(sql, i + kCall.size() - 1, &close);
      if (close > 0 && args.size() == 4) {
        const QString value = args[0];
        const QString type = typeOf(unquoted(args[1]), unquoted(args[2]), unquoted(args[3]));
        // Text typed with the decimal comma is a number; text holding a date is that date.
        if (type == u"timestamp")
          out += "((" + value + ")::text)::timestamp";
        else if (!type.isEmpty())
          out += "(replace((" + value + ")::text, ',', '.'))::" + type;
        else
          out += value;
        i = close;
        continue;
      }
    }
    out += c;
  }
  return out;
}

QString PgSession::writtenType(const QString& schema, const QString& table,
                               const QString& field) const {
  if (m_writtenTypesRead != namesGeneration()) {
    m_writtenTypesRead = namesGeneration();
    m_writtenTypes.clear();
  }
  const QString key = schema + u'\x1f' + table.toLower();
  auto it = m_writtenTypes.constFind(key);
  if (it == m_writtenTypes.cend()) {
    const PgRows r = const_cast<PgSession*>(this)->query(
        QStringLiteral("SELECT lower(a.attname), format_type(a.atttypid, NULL) FROM pg_attribute "
                       "a JOIN pg_class c ON c.oid = a.attrelid JOIN pg_namespace n ON n.oid = "
                       "c.relnamespace WHERE n.nspname = $1 AND lower(c.relname) = lower($2) AND "
                       "a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"),
        {schema == u"main" ? m_schema : schema, table});
    QList<QPair<QString, QString>> columns;
    for (const QVariantList& row : r.rows) {
      const QString type = row.value(1).toString();
      QString written;
      if (type == u"double precision" || type == u"real")
        written = QStringLiteral("float8");
      else if (type == u"smallint" || type == u"integer" || type == u"bigint" ||
               type == u"numeric")
        written = QStringLiteral("numeric");
      else if (type.startsWith(u"timestamp"))
        written = QStringLiteral("timestamp");
      columns << qMakePair(row.value(0).toString(), written);
    }
    it = m_writtenTypes.insert(key, columns);
  }
  bool position = false;
  const int k = field.toInt(&position);
  if (position) return k >= 0 && k < it->size() ? it->at(k).second : QString();
  for (const auto& column : *it)
    if (column.first == field.toLower()) return column.second;
  return {};
}

}  // namespace tarovent::db
