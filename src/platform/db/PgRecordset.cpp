#include <QDataStream>
#include <QIODevice>
#include <algorithm>

#include "Criteria.h"
#include "DbError.h"
#include "KeyPredicate.h"
#include "PgDatabase.h"
#include "PgKeys.h"
#include "RecordsetImpl.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

constexpr int kBlock = 100;
// The identities of its table's rows a saved query passes on to a dynaset over it.
const QString kPassedOn = QStringLiteral("__jet_passed");

struct PgRow {
  QVariantList id;  // the identity columns' values, or the row's ctid as text
  QVector<QVariant> values;
  bool loaded = false;
  bool deleted = false;
  quint64 generation = 0;   // the database's change stamp when the values were read
  quint64 transaction = 0;  // the transaction they were read in (0: none)
};

QString idKey(const QVariantList& id) {
  QStringList parts;
  for (const QVariant& v : id) parts << (v.isNull() ? QStringLiteral("\x1e") : v.toString());
  return parts.join(u'\x1f');
}

FieldType typeOfValue(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::LongLong:
      return FieldType::Long;
    case QMetaType::Double:
      return FieldType::Double;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
      return FieldType::Date;
    case QMetaType::QByteArray:
      return FieldType::LongBinary;
    default:
      return FieldType::Memo;
  }
}

// A recordset on the server. Over a table, or a query of one table, the identities of its rows
// in the recordset's order (the keyset) are fixed at opening: a table recordset reads them
// then, a dynaset as its callers move, from a cursor the server keeps; the values come a block
// at a time as the current record reaches them and are read again after a write. Table recordsets follow their
// current index and find keys with Seek by reading the index. Other queries are read whole.
class PgRecordset final : public RecordsetImpl {
 public:
  PgRecordset(std::shared_ptr<PgDatabase> db, RecordsetType type, const QString& source,
              bool isTable, bool readOnly)
      : m_db(std::move(db)), m_type(type) {
    m_source = source;
    m_readOnly = readOnly || type == RecordsetType::Snapshot || m_db->readOnly();
    if (isTable)
      openTable(source);
    else
      openQuery(source);
    moveFirst();
  }

  bool connected() const override { return m_db && m_db->isOpen(); }
  void close() override {
    m_closed = true;
    m_rows.clear();
    m_tail.reset();
  }
  RecordsetType type() const override { return m_type; }
  bool updatable() const override { return !m_readOnly && m_keyed; }

  // Deleting the last row left leaves the set on that hole, neither BOF nor EOF, until it moves.
  bool bof() const override { return m_pos < 0 || (empty() && !onHole()); }
  bool eof() const override { return m_pos >= m_rows.size() || (empty() && !onHole()); }
  bool empty() const { return m_live == 0 && !m_tail; }
  bool onHole() const { return onRow() && m_rows[m_pos].deleted; }

  long recordCount() override {
    checkOpen();
    followWrites();
    readAllKeys();
    return m_live;
  }

  long absolutePosition() override {
    checkOpen();
    followWrites();
    if (!onRow()) return -1;
    long n = 0;
    for (int i = 0; i < m_pos; ++i) n += m_rows[i].deleted ? 0 : 1;
    return n;
  }

  void setAbsolutePosition(long p) override {
    checkOpen();
    followWrites();
    long n = 0;
    for (int i = 0; p >= 0 && reached(i); ++i) {
      if (m_rows[i].deleted) continue;
      if (n++ == p) {
        m_pos = i;
        return;
      }
    }
    noCurrentRecord();
  }

  void moveFirst() override { moveTo(0, +1); }
  void moveLast() override {
    checkOpen();
    readAllKeys();
    moveTo(int(m_rows.size()) - 1, -1);
  }
  void moveNext() override {
    if (eof()) noCurrentRecord();
    moveTo(m_pos + 1, +1);
  }
  void movePrevious() override {
    if (bof()) noCurrentRecord();
    moveTo(m_pos - 1, -1);
  }

  QString index() const override { return m_indexName; }

  void setIndex(const QString& name) override {
    checkOpen();
    if (m_type != RecordsetType::Table) RecordsetImpl::setIndex(name);
    const IndexSpec* ix = m_table.findIndex(name);
    if (!ix) {
      // An index made since this recordset opened.
      m_table.indexes = m_db->table(m_table.name, m_table.schema).indexes;
      ix = m_table.findIndex(name);
    }
    if (!ix)
      throw DbError(err::IndexNotFound,
                    QStringLiteral("'%1' n'est pas un index de cette table.").arg(name));
    m_indexName = ix->name;
    QList<KeyColumn> order;
    for (int i = 0; i < ix->fields.size(); ++i)
      order << KeyColumn{quoteIdentifier(ix->fields[i]), ix->descending.value(i)};
    m_keyFields.clear();
    for (const QString& f : ix->fields) m_keyFields << m_table.indexOfField(f);
    // The primary key chosen right after opening: the rows are already in its order.
    const bool sameOrder = std::equal(order.cbegin(), order.cend(), m_order.cbegin(),
                                      m_order.cend(), [](const KeyColumn& a, const KeyColumn& b) {
                                        return a.sql == b.sql && a.descending == b.descending;
                                      });
    m_order = order;
    if (!sameOrder) loadKeyset();
    moveFirst();
  }

  void seek(const QString& op, const QVariantList& key) override {
    checkOpen();
    if (m_type != RecordsetType::Table) RecordsetImpl::seek(op, key);
    const QVariantList k = seekKey(key, m_keyFields);
    m_mode = EditMode::None;
    const KeyRel rel = seekRelation(op, key.size(), m_keyFields.size());
    followWrites();
    const std::optional<QVariantList> found = seekRow(rel, k);
    const QVariantList id = found ? found->mid(0, idCount()) : QVariantList();
    int at = found ? positionOf(id) : -1;
    if (found && at < 0) {  // added by another workstation since the keyset was read
      loadKeyset();
      at = positionOf(id);
    }
    m_noMatch = at < 0;
    m_pos = m_noMatch ? int(m_rows.size()) : at;
    // The row came with its values: reading them costs no second query.
    if (!m_noMatch) takeValues(m_rows[at], *found, idCount());
  }

  void find(const QString& criteria, bool forward, bool fromEnd) override {
    checkOpen();
    if (m_type == RecordsetType::Table) RecordsetImpl::find(criteria, forward, fromEnd);
    if (criteria != m_criteriaText || !m_criteria) {
      m_criteria = std::make_shared<Criteria>(
          Criteria::compile(criteria, [this](const QString& qualifier, const QString& name) {
            const int i = qualifier.isEmpty() ? -1 : fieldIndex(qualifier + '.' + name);
            return i >= 0 ? i : fieldIndex(name);
          }));
      m_criteriaText = criteria;
    }
    m_mode = EditMode::None;
    if (fromEnd && !forward) readAllKeys();
    for (int i = findStart(int(m_rows.size()), m_pos, forward, fromEnd); i >= 0 && reached(i);
         i += forward ? 1 : -1) {
      if (m_rows[i].deleted) continue;
      const PgRow& r = row(i);
      if (!r.deleted && m_criteria->matches(r.values.constData())) {
        m_pos = i;
        m_noMatch = false;
        return;
      }
    }
    m_noMatch = true;
  }

  QByteArray bookmark() const override {
    if (!onRow()) noCurrentRecord();
    return bookmarkOf(m_rows[m_pos].id);
  }

  void setBookmark(const QByteArray& b) override {
    checkOpen();
    QDataStream in(b);
    QVariantList id;
    in >> id;
    if (in.status() != QDataStream::Ok || id.size() != m_idColumns.size())
      throw DbError(err::InvalidBookmark, QStringLiteral("Signet non valide."));
    m_mode = EditMode::None;
    followWrites();
    int at = positionOf(id);
    while (at < 0 && readMoreKeys()) at = positionOf(id);
    if (at < 0 || m_rows[at].deleted)
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    m_pos = at;
  }

  std::shared_ptr<RecordsetImpl> clone() const override {
    checkOpen();
    auto c = std::make_shared<PgRecordset>(*this);
    c->m_pos = -1;
    c->m_mode = EditMode::None;
    return c;
  }

  void requery() override {
    checkOpen();
    m_mode = EditMode::None;
    if (m_type == RecordsetType::Table) {
      loadKeyset();
    } else {
      // A query is read again as if opened anew: its fields may have changed since.
      m_columns.clear();
      m_origin.clear();
      m_valueSql.clear();
      m_querySql.clear();
      openQuery(m_source);
    }
    moveFirst();
  }

  QVariant currentValue(int i) override {
    followWrites();
    if (!onRow()) noCurrentRecord();
    const PgRow& r = row(m_pos);
    if (r.deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    return r.values[i];
  }

  void loadForEdit() override {
    PgRow& r = m_rows[m_pos];
    if (r.deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    // The engine reads the record again when editing begins, unless it was read in this very
    // transaction since the last write: nobody else could write it meanwhile.
    const bool fresh = r.loaded && !stale(r) && m_db->transactionLevel() > 0 &&
                       r.transaction == m_db->transactionSerial();
    if (!fresh) r.loaded = false;
    m_buffer = row(m_pos).values;
    if (m_rows[m_pos].deleted)
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
  }

  void checkWritable(int i) const override { writableColumn(i); }

  void writeEdit() override {
    QStringList sets;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (!m_dirty[i]) continue;
      values << m_buffer[i];
      sets << quoteIdentifier(writableColumn(i)) + " = $" + QString::number(values.size());
    }
    PgRow& r = m_rows[m_pos];
    if (!sets.isEmpty()) {
      const int first = int(values.size()) + 1;
      values << r.id;
      const PgRows out =
          m_db->session().query("UPDATE " + qualified() + " SET " + sets.join(", ") + " WHERE " +
                                    idCondition(first) + " RETURNING " + idSelect(QString()),
                                values);
      wrote(!movesRow());
      if (out.rows.isEmpty())
        throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
      reidentify(m_pos, out.rows[0]);
    }
    m_lastModified = bookmarkOf(m_rows[m_pos].id);
    m_rows[m_pos].loaded = false;
  }

  // Whether the fields being written may move the current record in the index order.
  bool movesRow() const {
    if (m_type != RecordsetType::Table) return false;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (!m_dirty[i]) continue;
      const QString column = quoteIdentifier(m_origin.value(i));
      for (const KeyColumn& c : m_order)
        if (c.sql.compare(column, Qt::CaseInsensitive) == 0) return true;
      for (const QString& c : m_idColumns)
        if (c.compare(m_origin.value(i), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
  }

  // After a write of this recordset: when it leaves the order as it was and nothing else
  // wrote meanwhile, the keyset still holds.
  void wrote(bool orderKept) {
    const bool current = m_seen == m_db->generation();
    const bool onlyMine = m_known == m_db->changeStamp();
    m_db->wrote();
    if (orderKept && current) m_seen = m_db->generation();
    // A write by identity changes its own row only (marked unread by the caller): the other
    // rows read keep their values.
    if (onlyMine) m_known = m_db->changeStamp();
  }

  void writeNew() override {
    QStringList cols, marks;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (m_buffer[i].isNull() || !m_buffer[i].isValid()) continue;
      cols << quoteIdentifier(writableColumn(i));
      values << m_buffer[i];
      marks << "$" + QString::number(values.size());
    }
    const QString sql = cols.isEmpty() ? "INSERT INTO " + qualified() + " DEFAULT VALUES"
                                       : "INSERT INTO " + qualified() + " (" + cols.join(", ") +
                                             ") VALUES (" + marks.join(", ") + ")";
    // Added records go after all the others: the keys not read yet come before.
    if (m_type != RecordsetType::Table) readAllKeys();
    const PgRows out = m_db->session().query(sql + " RETURNING " + idSelect(QString()), values);
    // A table recordset reads its keyset again at its next move, the new record in its place.
    wrote(m_type != RecordsetType::Table);
    PgRow r;
    r.id = out.rows.value(0);
    m_lastModified = bookmarkOf(r.id);
    if (m_type == RecordsetType::Table) return;
    // Added records go to the end of the set.
    const bool atEnd = m_pos >= m_rows.size();
    m_rows.push_back(r);
    m_byId.insert(idKey(r.id), int(m_rows.size()) - 1);
    ++m_live;
    if (atEnd) m_pos = int(m_rows.size());
  }

  void deleteCurrent() override {
    checkOpen();
    if (!onRow()) noCurrentRecord();
    if (!updatable())
      throw DbError(err::ReadOnly,
                    QStringLiteral("Impossible de supprimer : objet en lecture seule."));
    PgRow& r = m_rows[m_pos];
    if (r.deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    m_db->session().exec("DELETE FROM " + qualified() + " WHERE " + idCondition(1), r.id);
    wrote(true);  // the record stays a hole until the next move
    r.deleted = true;
    --m_live;
  }

 private:
  bool onRow() const { return m_pos >= 0 && m_pos < m_rows.size(); }

  QByteArray bookmarkOf(const QVariantList& id) const {
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out << id;
    return b;
  }

  QString qualified() const {
    return quoteIdentifier(m_table.schema) + u'.' + quoteIdentifier(m_table.name);
  }

  // The identity columns as a select list, qualified by `alias` when given.
  QString idSelect(const QString& alias, const QString& as = QStringLiteral("__jet_id")) const {
    const QString prefix = alias.isEmpty() ? QString() : alias + u'.';
    if (m_idColumns.isEmpty()) return prefix + "ctid::text AS \"" + as + "0\"";
    QStringList parts;
    for (int i = 0; i < m_idColumns.size(); ++i)
      parts << prefix + quoteIdentifier(m_idColumns[i]) + " AS \"" + as + QString::number(i) +
                   u'"';
    return parts.join(", ");
  }

  QString idCondition(int first) const {
    if (m_idColumns.isEmpty()) return "ctid = $" + QString::number(first) + "::tid";
    QStringList terms;
    for (int i = 0; i < m_idColumns.size(); ++i)
      terms << quoteIdentifier(m_idColumns[i]) + " = $" + QString::number(first + i);
    return terms.join(" AND ");
  }

  int idCount() const { return m_idColumns.isEmpty() ? 1 : int(m_idColumns.size()); }

  QString orderBy(bool backward) const {
    QList<KeyColumn> order = m_order;
    if (m_idColumns.isEmpty()) order << KeyColumn{QStringLiteral("ctid"), false};
    for (const QString& c : m_idColumns) order << KeyColumn{quoteIdentifier(c), false};
    return pgOrderBy(order, m_table, backward);
  }

  void openTable(const QString& name) {
    m_table = m_db->table(name);
    m_keyed = true;
    m_idColumns = m_table.identity();
    setFields(m_table.fields, QStringList(m_table.fields.size(), m_table.name));
    for (const FieldSpec& f : m_fields) m_origin << f.name;
    QStringList cols;
    for (const FieldSpec& f : m_fields) cols << quoteIdentifier(f.name);
    m_valueSql = "SELECT " + idSelect(QString()) + ", " + cols.join(", ") + " FROM " + qualified();
    // Until an index is chosen (no Seek before), rows come in the primary key's order.
    m_order.clear();
    for (const IndexSpec& ix : m_table.indexes)
      if (ix.primary)
        for (int i = 0; i < ix.fields.size(); ++i)
          m_order << KeyColumn{quoteIdentifier(ix.fields[i]), ix.descending.value(i)};
    loadKeyset();
  }

  void openQuery(const QString& jet) {
    const SqlTranslation t = m_db->session().translate(jet);
    if (t.kind != SqlTranslation::Kind::Select)
      throw DbError(err::InvalidOperation,
                    QStringLiteral("Opération non valide : une requête action ne peut pas être "
                                   "ouverte comme jeu d'enregistrements."));
    bool single = !t.updatableTable.isEmpty() && t.sql.startsWith(u"SELECT ") &&
                  m_type != RecordsetType::Snapshot;
    if (single && t.updatableSchema == u"main" && !m_db->hasTable(t.updatableTable)) {
      m_valueSql = overSavedQuery(t);
      single = !m_valueSql.isEmpty();
    } else if (single) {
      m_table = m_db->table(t.updatableTable, t.updatableSchema);
      m_idColumns = m_table.identity();
      const QString alias =
          quoteIdentifier(t.updatableAlias.isEmpty() ? m_table.name : t.updatableAlias);
      m_valueSql = "SELECT " + idSelect(alias) + ", " + withoutNeedlessNullOrder(t.sql, m_table).mid(7);
    }
    if (single) {
      m_keyed = true;
      const PgRows shape = m_db->session().query("SELECT * FROM (" + m_valueSql + ") AS q LIMIT 0");
      QList<FieldSpec> fields;
      for (int c = idCount(); c < shape.columns.size(); ++c) {
        // The identities a saved query passes on are no fields, even under "*".
        if (shape.columns[c].startsWith(kPassedOn)) continue;
        m_columns << c;
        const int at = m_table.indexOfField(shape.columns[c]);
        FieldSpec f = at >= 0 ? m_table.fields[at] : FieldSpec{};
        f.name = shape.columns[c];
        if (at < 0) f.type = FieldType::Memo;
        fields << f;
        m_origin << (at >= 0 ? m_table.fields[at].name : QString());
      }
      setFields(fields, QStringList(fields.size(), m_table.name));
      m_querySql =
          "SELECT " + QStringList(idColumnAliases()).join(", ") + " FROM (" + m_valueSql + ") AS q";
      loadKeyset();
      return;
    }
    // Read whole: not updatable. A query of one table still reads its key's order from the
    // key's index ("TOP 1 ... ORDER BY key DESC" reads one row).
    m_keyed = false;
    const PgRows all = m_db->session().query(m_db->selectSql(t));
    QList<FieldSpec> fields;
    for (int c = 0; c < all.columns.size(); ++c) {
      FieldSpec f;
      f.name = all.columns[c];
      f.type = FieldType::Memo;
      for (const QVariantList& r : all.rows)
        if (!r[c].isNull() && r[c].isValid()) {
          f.type = typeOfValue(r[c]);
          break;
        }
      fields << f;
    }
    setFields(fields, all.tables);
    m_rows.clear();
    for (const QVariantList& values : all.rows) {
      PgRow r;
      r.values = QVector<QVariant>(values.begin(), values.end());
      r.loaded = true;
      r.generation = ~quint64(0);
      m_rows.push_back(r);
    }
    m_live = int(m_rows.size());
  }

  // A saved query of one table read in place of its view, passing on that table's identities,
  // so that a dynaset over it edits the table; empty when the query is not of one table.
  QString overSavedQuery(const SqlTranslation& t) {
    const QString view = quoteIdentifier(t.updatableTable);
    const qsizetype from = t.sql.indexOf(" FROM " + view);
    if (from < 0 || !m_db->hasQueryDef(t.updatableTable)) return {};
    const SqlTranslation inner = m_db->session().translate(m_db->queryDefSql(t.updatableTable));
    if (inner.kind != SqlTranslation::Kind::Select || inner.updatableTable.isEmpty() ||
        !inner.sql.startsWith(u"SELECT ") ||
        (inner.updatableSchema == u"main" && !m_db->hasTable(inner.updatableTable)))
      return {};
    m_table = m_db->table(inner.updatableTable, inner.updatableSchema);
    m_idColumns = m_table.identity();
    const QString innerAlias =
        quoteIdentifier(inner.updatableAlias.isEmpty() ? m_table.name : inner.updatableAlias);
    const QString body =
        "(SELECT " + idSelect(innerAlias, kPassedOn) + ", " + inner.sql.mid(7) + u')';
    const qsizetype end = from + 6 + view.size();
    const bool aliased = t.sql.mid(end).startsWith(QLatin1String(" AS "));
    const QString outer =
        quoteIdentifier(t.updatableAlias.isEmpty() ? t.updatableTable : t.updatableAlias);
    QStringList ids;
    for (int i = 0; i < idCount(); ++i) {
      const QString n = QString::number(i);
      ids << outer + u'.' + quoteIdentifier(kPassedOn + n) + " AS \"__jet_id" + n + u'"';
    }
    return "SELECT " + ids.join(", ") + ", " + t.sql.mid(7, from - 7) + " FROM " + body +
           (aliased ? QString() : " AS " + view) + t.sql.mid(end);
  }

  QStringList idColumnAliases() const {
    QStringList out;
    for (int i = 0; i < idCount(); ++i) out << "q.\"__jet_id" + QString::number(i) + u'"';
    return out;
  }

  void loadKeyset() {
    const QString sql = m_querySql.isEmpty() ? "SELECT " + idSelect(QString()) + " FROM " +
                                                   qualified() + " ORDER BY " + orderBy(false)
                                             : m_querySql;
    m_rows.clear();
    m_byId.clear();
    m_live = 0;
    m_tail.reset();
    m_taken = 0;
    // A cursor made inside a transaction would go with its rollback.
    if (m_type != RecordsetType::Table && m_db->transactionLevel() == 0 && !m_db->inSnapshot()) {
      const auto tail = std::make_shared<KeyTail>(m_db, sql, kBlock);
      m_tail = tail;
      try {
        readMoreKeys();
        // The first block's values too, before the rest of the set is put aside.
        if (!m_rows.isEmpty()) fetchBlock(0);
      } catch (const DbError&) {
        tail->abort();
        m_tail.reset();
        throw;
      }
      tail->release();
    } else {
      const PgRows keys = m_db->session().query(sql);
      m_rows.reserve(keys.rows.size());
      for (const QVariantList& id : keys.rows) addKey(id);
    }
    m_seen = m_db->generation();
    m_known = m_cleanFrom = m_db->changeStamp();
  }

  void addKey(const QVariantList& id) {
    PgRow r;
    r.id = id;
    m_byId.insert(idKey(id), int(m_rows.size()));
    m_rows.push_back(r);
    ++m_live;
  }

  // Takes the keys of the next block of the cursor; false when all were taken already.
  bool readMoreKeys() {
    if (!m_tail) return false;
    if (m_taken == m_tail->ids.size()) m_tail->fetch();
    const qsizetype from = m_taken;
    for (; m_taken < m_tail->ids.size(); ++m_taken) addKey(m_tail->ids[m_taken]);
    if (m_tail->done && m_taken == m_tail->ids.size()) m_tail.reset();
    return m_taken > from;
  }

  void readAllKeys() {
    while (readMoreKeys()) {
    }
  }

  // Whether the set has a row `i`, its keys read up to there.
  bool reached(int i) {
    while (i >= m_rows.size() && readMoreKeys()) {
    }
    return i < m_rows.size();
  }

  int positionOf(const QVariantList& id) const { return m_byId.value(idKey(id), -1); }

  void reidentify(int at, const QVariantList& id) {
    m_byId.remove(idKey(m_rows[at].id));
    m_rows[at].id = id;
    m_byId.insert(idKey(id), at);
  }

  // Writes of another recordset of this database: a table's rows are read again in order.
  void followWrites() {
    if (!m_keyed || m_seen == m_db->generation()) return;
    if (m_type == RecordsetType::Table && m_mode == EditMode::None) {
      // The current record, or the first live one after a deleted current record.
      int from = m_pos;
      while (from >= 0 && from < m_rows.size() && m_rows[from].deleted) ++from;
      if (from >= 0 && from < m_rows.size()) {
        const QVariantList id = m_rows[from].id;
        loadKeyset();
        const int at = positionOf(id);
        m_pos = at >= 0 ? at : int(m_rows.size());
      } else {
        const bool atEnd = m_pos >= m_rows.size();
        loadKeyset();
        m_pos = atEnd ? int(m_rows.size()) : -1;
      }
    }
    m_seen = m_db->generation();
  }

  void moveTo(int from, int dir) {
    checkOpen();
    m_mode = EditMode::None;
    followWrites();
    int i = from;
    while (i >= 0 && reached(i) && row(i).deleted) i += dir;
    m_pos = i < 0 ? -1 : std::min(i, int(m_rows.size()));
  }

  // Row `i` with its values, read with its block when missing or older than a write.
  const PgRow& row(int i) {
    PgRow& r = m_rows[i];
    if (!r.deleted && (!r.loaded || (m_keyed && stale(r)))) fetchBlock(i);
    return m_rows[i];
  }

  void fetchBlock(int at) {
    // The block around `at`, or `at` alone when only it is stale.
    QList<int> wanted;
    const int from = at - at % kBlock;
    const int to = std::min<int>(from + kBlock, int(m_rows.size()));
    for (int i = from; i < to; ++i)
      if (!m_rows[i].deleted && (!m_rows[i].loaded || i == at)) wanted << i;
    QStringList tuples;
    QVariantList binds;
    for (const int i : std::as_const(wanted)) {
      QStringList marks;
      for (const QVariant& v : m_rows[i].id) {
        binds << v;
        marks << "$" + QString::number(binds.size());
      }
      tuples << u'(' + marks.join(", ") + u')';
    }
    const QString sql = "SELECT * FROM (" + m_valueSql + ") AS q WHERE (" +
                        idColumnAliases().join(", ") + ") IN (" + tuples.join(", ") + ")";
    const PgRows got = m_db->session().query(sql, binds);
    const quint64 generation = m_db->changeStamp();
    const int ids = idCount();
    QHash<QString, int> byId;
    for (int r = 0; r < got.rows.size(); ++r) byId.insert(idKey(got.rows[r].mid(0, ids)), r);
    for (const int i : std::as_const(wanted)) {
      PgRow& r = m_rows[i];
      const int g = byId.value(idKey(r.id), -1);
      // A row that no longer meets the query keeps its place with the table's values; a row
      // deleted since the keyset was read is a hole.
      if (g < 0 && (m_querySql.isEmpty() || !readFromTable(r, generation))) {
        r.deleted = true;
        --m_live;
        continue;
      }
      if (g >= 0) takeValues(r, got.rows[g], ids, generation);
    }
  }

  bool readFromTable(PgRow& r, quint64 generation) {
    QStringList cols;
    for (const QString& c : std::as_const(m_origin))
      cols << (c.isEmpty() ? QStringLiteral("NULL") : quoteIdentifier(c));
    const PgRows got = m_db->session().query("SELECT " + cols.join(", ") + " FROM " + qualified() +
                                                 " WHERE " + idCondition(1),
                                             r.id);
    if (got.rows.isEmpty()) return false;
    r.values.resize(m_fields.size());
    for (int f = 0; f < m_fields.size(); ++f)
      r.values[f] = pgFieldValue(got.rows[0].value(f), m_fields[f].type);
    r.loaded = true;
    r.generation = generation;
    r.transaction = m_db->transactionLevel() > 0 ? m_db->transactionSerial() : 0;
    return true;
  }

  // The values of a row read as identities then fields, from the server as it is now.
  void takeValues(PgRow& r, const QVariantList& read, int ids) {
    takeValues(r, read, ids, m_db->changeStamp());
  }
  void takeValues(PgRow& r, const QVariantList& read, int ids, quint64 generation) {
    r.values.resize(m_fields.size());
    for (int f = 0; f < m_fields.size(); ++f)
      r.values[f] =
          pgFieldValue(read.value(m_columns.isEmpty() ? ids + f : m_columns[f]), m_fields[f].type);
    r.loaded = true;
    r.generation = generation;
    r.transaction = m_db->transactionLevel() > 0 ? m_db->transactionSerial() : 0;
  }

  // Values read before a write of another recordset (or a rollback) are read again; this
  // recordset's own writes leave the other rows it read as they are.
  bool stale(const PgRow& r) {
    const quint64 g = m_db->changeStamp();
    if (g != m_known) m_cleanFrom = m_known = g;
    return r.generation < m_cleanFrom;
  }

  // The first row of the table in the sought relation to `key`: identities then fields.
  std::optional<QVariantList> seekRow(KeyRel rel, const QVariantList& key) {
    QList<KeyColumn> order = m_order;
    for (const QString& c : m_idColumns) order << KeyColumn{quoteIdentifier(c), false};
    const QString walk = orderBy(keyRelBackward(rel));
    for (const KeySegment& s : keySegments(order, rel, key)) {
      const QString where = s.where == u"1" ? QStringLiteral("TRUE") : pgPlaceholders(s.where);
      const PgRows r = m_db->session().query(
          m_valueSql + " WHERE " + where + " ORDER BY " + walk + " LIMIT 1", s.binds);
      if (!r.rows.isEmpty()) return r.rows[0];
    }
    return std::nullopt;
  }

  QString writableColumn(int i) const {
    if (!m_keyed || m_origin.value(i).isEmpty())
      throw DbError(
          err::FieldNotUpdatable,
          QStringLiteral("Le champ '%1' ne peut pas être mis à jour.").arg(m_fields[i].name));
    return m_origin[i];
  }

  std::shared_ptr<PgDatabase> m_db;
  RecordsetType m_type;
  PgTable m_table;
  bool m_keyed = false;      // rows known by their identity (editable unless read-only)
  QStringList m_idColumns;   // empty: ctid
  QStringList m_origin;      // the table's column behind each field, empty when computed
  QList<int> m_columns;      // the column of each field in a row read (empty: in order)
  QString m_valueSql;        // identities then fields
  QString m_querySql;        // the keyset of a query, in its order (empty for a table)
  QList<KeyColumn> m_order;  // the current index (or primary key) of a table
  QList<int> m_keyFields;
  QString m_indexName;
  QVector<PgRow> m_rows;
  QHash<QString, int> m_byId;
  std::shared_ptr<KeyTail> m_tail;  // the keys still to read (none: all are in m_rows)
  qsizetype m_taken = 0;            // the tail's keys already in m_rows
  int m_live = 0;
  int m_pos = -1;
  quint64 m_seen = 0;
  quint64 m_known = 0;      // the change stamp at this recordset's last look
  quint64 m_cleanFrom = 0;  // values read at this stamp or later are current
  QString m_criteriaText;
  std::shared_ptr<Criteria> m_criteria;
};

}  // namespace

std::shared_ptr<RecordsetImpl> openKeysetTable(std::shared_ptr<PgDatabase> db, const QString& name,
                                               bool readOnly) {
  return std::make_shared<PgRecordset>(std::move(db), RecordsetType::Table, name, true, readOnly);
}

QVariant pgFieldValue(const QVariant& v, FieldType type) {
  if (v.isNull() || !v.isValid()) return {};
  switch (type) {
    case FieldType::Boolean:
      return v.toLongLong() != 0;
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
      return v.toLongLong();
    case FieldType::Currency:
    case FieldType::Single:
    case FieldType::Double:
      return v.toDouble();
    default:
      return v;
  }
}

std::shared_ptr<RecordsetImpl> PgDatabase::openDynaset(const QString& source, bool isTable,
                                                       bool readOnly, bool snapshot) {
  return std::make_shared<PgRecordset>(shared_from_this(),
                                       snapshot ? RecordsetType::Snapshot : RecordsetType::Dynaset,
                                       source, isTable, readOnly);
}

}  // namespace tarovent::db
