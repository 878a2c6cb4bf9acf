#include "CustomFields.h"

#include <QDate>

#include "composition/NumberFormat.h"
#include "core/InputHelpers.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"

namespace tarovent::dossiers {

namespace {

// A date as users type it: with or without separators, the year on two or four digits or
// left out (this year).
QDate readDate(const QString& text) {
  return text::readTypedDay(text, {.time = false, .compact = true, .dayAndMonth = true});
}

}  // namespace

int userFieldSize(db::Database& main, int n) {
  return main.tableDef(QStringLiteral("TDOS")).Field(QStringLiteral("TDOS_USER%1").arg(n)).size;
}

QString formatCustomValue(const CustomFieldDefinition& def, const QString& text,
                          QChar decimalSeparator, bool* ok) {
  if (ok) *ok = true;
  if (text.trimmed().isEmpty()) return text;
  if (def.kind == QLatin1String("N")) {
    const QString mask =
        def.decimals > 0 ? QStringLiteral("# ### ##0.") + QString(def.decimals, QLatin1Char('0'))
                         : QStringLiteral("# ### ##0");
    return composition::formatMasked(core::Valeur_Numerique(text.trimmed().remove(' ')), mask,
                                     decimalSeparator);
  }
  if (def.kind == QLatin1String("D")) {
    const QDate d = readDate(text);
    if (!d.isValid()) {
      if (ok) *ok = false;
      return text;
    }
    return d.toString(QStringLiteral("dd/MM/yyyy"));
  }
  return text;
}

void CustomFields::load(db::Database& main) {
  db::Recordset par =
      main.OpenRecordset(QStringLiteral("TPAR"), db::RecordsetType::Table, db::rsopt::ReadOnly);
  for (int n = 1; n <= kCustomFieldCount; ++n) {
    CustomFieldDefinition& d = m_defs[n - 1];
    m_tables[n - 1] = {};
    d = {};
    if (par.EOF_()) continue;
    const auto text = [&](const QString& field) {
      const QVariant v = par.value(field.arg(n));
      return v.isNull() ? QString() : v.toString().trimmed();
    };
    d.label = text(QStringLiteral("TPAR_LIBUSER%1"));
    d.kind = text(QStringLiteral("TPAR_USER%1_TYP")).toUpper();
    d.length = text(QStringLiteral("TPAR_USER%1_LNG")).toInt();
    d.decimals = text(QStringLiteral("TPAR_USER%1_DEC")).toInt();
    d.table = text(QStringLiteral("TPAR_USER%1_TAB"));
    if (d.table.isEmpty()) continue;
    try {
      db::Recordset values = main.OpenRecordset(d.table, db::RecordsetType::Table);
      values.setIndex(QStringLiteral("PrimaryKey"));
      m_tables[n - 1] = values;
    } catch (const db::DbError&) {
      // A missing or keyless table: the field simply has no list.
    }
  }
}

QString CustomFields::caption(int n) const {
  return definition(n).label + (hasValueTable(n) ? QStringLiteral(" (F4)") : QString());
}

bool CustomFields::panelUsed() const {
  for (int n = 3; n <= kCustomFieldCount; ++n)
    if (definition(n).used()) return true;
  return false;
}

bool CustomFields::listed(int n, const QString& value) {
  if (!hasValueTable(n)) return true;
  db::Recordset& t = m_tables[n - 1];
  t.Seek(QStringLiteral("="), value);
  return !t.NoMatch();
}

QStringList CustomFields::choices(int n) {
  QStringList out;
  if (!hasValueTable(n)) return out;
  db::Recordset& t = m_tables[n - 1];
  if (t.BOF() && t.EOF_()) return out;
  for (t.MoveFirst(); !t.EOF_(); t.MoveNext()) out << t.text(QStringLiteral("TBUSER_Libelle"));
  return out;
}

QStringList pickListLines(db::Database& main, const QString& table) {
  if (!main.hasTable(table)) return {};
  QStringList lines{QString()};
  db::Recordset rs = main.OpenRecordset("select * from " + table + " order by TBUSER_Ordre;",
                                        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  for (; !rs.EOF_(); rs.MoveNext()) {
    const QVariant v = rs.value(QStringLiteral("TBUSER_Libelle"));
    if (!v.isNull()) lines << v.toString();
  }
  return lines;
}

}  // namespace tarovent::dossiers
