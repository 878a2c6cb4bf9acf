#include "ReportData.h"

#include "ReportError.h"
#include "platform/db/DbError.h"

namespace tarovent::report {

namespace {

QString bracketed(const QString& name) { return '[' + name + ']'; }

}  // namespace

ReportData::ReportData(db::Database& db, const ReportDefinition& def, const QStringList& fields,
                       const QStringList& wanted, SelectionFormula formula, int formulaLine)
    : m_file(def.file), m_formula(std::move(formula)) {
  const auto fail = [&](int line, const QString& message) -> void {
    throw ReportError(m_file, line, message);
  };
  if (def.source.contains(']') || !(db.hasTable(def.source) || db.hasQueryDef(def.source)))
    fail(def.sourceLine, QStringLiteral("la source de données « %1 » n'existe pas dans la base %2")
                             .arg(def.source, db.Name()));
  try {
    db::Recordset probe =
        db.OpenRecordset("SELECT * FROM " + bracketed(def.source) + " WHERE 1 = 0",
                         db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (int i = 0; i < probe.fieldCount(); ++i) m_sourceFields << probe.fieldName(i);
  } catch (const db::DbError& e) {
    fail(def.sourceLine, QStringLiteral("la source de données « %1 » ne peut pas être lue : %2")
                             .arg(def.source, e.description()));
  }
  const auto known = [&](const QString& field) {
    for (const QString& f : m_sourceFields)
      if (f.compare(field, Qt::CaseInsensitive) == 0) return f;
    return QString();
  };
  const auto missing = [&](const QString& field, int line) {
    fail(line, QStringLiteral("le champ « %1 » n'existe pas dans « %2 »").arg(field, def.source));
  };
  for (const QString& f : fields) {
    const QString name = known(f);
    if (name.isEmpty()) {
      int line = 0;
      for (const Column& c : def.columns)
        if (c.field.compare(f, Qt::CaseInsensitive) == 0) line = c.line;
      for (const Group& g : def.groups)
        if (line == 0 && (g.field.compare(f, Qt::CaseInsensitive) == 0)) line = g.line;
      missing(f, line);
    }
    if (!m_read.contains(name, Qt::CaseInsensitive)) m_read << name;
  }
  for (const QString& f : wanted) {
    const QString name = known(f);
    if (!name.isEmpty() && !m_read.contains(name, Qt::CaseInsensitive)) m_read << name;
  }
  QStringList select;
  for (const QString& f : m_read) select << bracketed(f);
  m_fieldCount = int(select.size());
  for (const SelectionFormula::FieldRef& ref : m_formula.fields()) {
    if (!ref.source.isEmpty() && ref.source.compare(def.source, Qt::CaseInsensitive) != 0)
      fail(formulaLine,
           QStringLiteral("la formule de sélection lit {%1.%2} alors que la source du modèle est "
                          "« %3 »")
               .arg(ref.source, ref.field, def.source));
    const QString name = known(ref.field);
    if (name.isEmpty())
      fail(formulaLine, QStringLiteral("le champ {%1} de la formule de sélection n'existe pas dans "
                                       "« %2 »")
                            .arg(ref.field, def.source));
    m_formulaSlots << int(select.size());
    select << bracketed(name);
  }
  QStringList order;
  for (const Group& g : def.groups) {
    if (known(g.field).isEmpty()) missing(g.field, g.line);
    order << bracketed(known(g.field));
  }
  for (const SortKey& s : def.sort) {
    if (known(s.field).isEmpty()) missing(s.field, s.line);
    order << bracketed(known(s.field)) + (s.descending ? " DESC" : "");
  }
  QString sql = "SELECT " + select.join(", ") + " FROM " + bracketed(def.source);
  if (!order.isEmpty()) sql += " ORDER BY " + order.join(", ");
  try {
    m_rows = db.OpenRecordset(sql, db::RecordsetType::Dynaset, db::rsopt::ReadOnly);
  } catch (const db::DbError& e) {
    fail(def.sourceLine, QStringLiteral("la source de données « %1 » ne peut pas être lue : %2")
                             .arg(def.source, e.description()));
  }
}

int ReportData::slot(const QString& field) const {
  for (int i = 0; i < m_read.size(); ++i)
    if (m_read[i].compare(field, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

bool ReportData::next(QVector<QVariant>& row) {
  for (;;) {
    if (m_started) m_rows.MoveNext();
    m_started = true;
    if (m_rows.EOF_()) return false;
    if (!m_formula.isEmpty()) {
      const bool kept =
          m_formula.matches([this](int slot) { return m_rows.value(m_formulaSlots[slot]); });
      if (!kept) continue;
    }
    row.resize(m_fieldCount);
    for (int i = 0; i < m_fieldCount; ++i) row[i] = m_rows.value(i);
    return true;
  }
}

}  // namespace tarovent::report
