#include "SqlDialect.h"

#include "JetValue.h"

namespace tarovent::db {

QString SqlDialect::table(const QString& schema, const QString& table) const {
  if (schema.isEmpty() || schema == u"main") return quoteIdentifier(table);
  return quoteIdentifier(schema) + u'.' + quoteIdentifier(table);
}

QString SqlDialect::call(const jet::FnInfo& fn, const QStringList& args) const {
  return QLatin1String(fn.sqlName) + u'(' + args.join(QStringLiteral(", ")) + u')';
}

namespace {

// SQLite with the JET collation and the jet_* functions the connection registers.
class SqliteDialect final : public SqlDialect {
 public:
  QString name() const override { return QStringLiteral("sqlite"); }

  QString textCollation() const override { return QStringLiteral(" COLLATE JET"); }

  // SQLite's own conditions are 1 when true.
  QString truthValue(const QString& condition) const override { return "(-" + condition + ')'; }

  QString condition(const QString& value) const override { return value; }

  QString dateLiteral(const QString& stored) const override { return quoteText(stored); }

  // like() is replaced on the connection by the engine's.
  QString like(const QString& text, const QString& pattern, bool negated) const override {
    return '(' + text + (negated ? " NOT LIKE " : " LIKE ") + pattern + ')';
  }

  // jet_cat takes at most 127 arguments: long chains are joined in groups.
  QString concatenation(const QStringList& parts) const override {
    constexpr qsizetype kGroup = 100;
    if (parts.size() <= kGroup) return "jet_cat(" + parts.join(QStringLiteral(", ")) + ')';
    QStringList groups;
    for (qsizetype i = 0; i < parts.size(); i += kGroup)
      groups << concatenation(parts.mid(i, kGroup));
    return concatenation(groups);
  }

  QString ifNull(const QString& value, const QString& otherwise) const override {
    return "IFNULL(" + value + ", " + otherwise + ')';
  }

  QString checkedValue(const QString& value, const QString& schema, const QString& table,
                       const QString& field) const override {
    return "jet_field(" + value + ", " + quoteText(schema) + ", " + quoteText(table) + ", " +
           field + ')';
  }

  QString columnDefinition(const FieldSpec& field) const override {
    return sqliteColumnDefinition(field);
  }
};

}  // namespace

const SqlDialect& sqliteDialect() {
  static const SqliteDialect dialect;
  return dialect;
}

}  // namespace tarovent::db
