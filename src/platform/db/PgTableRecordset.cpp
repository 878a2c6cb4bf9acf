#include <QDataStream>
#include <QIODevice>
#include <algorithm>

#include "DbError.h"
#include "KeyPredicate.h"
#include "PgDatabase.h"
#include "PgKeys.h"
#include "RecordsetImpl.h"

namespace tarovent::db {

namespace {

[[noreturn]] void recordDeleted() {
  throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
}

// A table with a primary key on the server in the order of its current index, the primary key
// making every position unique. No keyset is read:
// each move reads the rows after (or before) the current key, a block at a time, the blocks
// growing while a walk goes on. Values stay as the server sent them until the caller reads one.
// Rows read ahead serve later moves while this database is not written through another
// recordset; their values serve an edit only when read in the same transaction.
class PgTableRecordset final : public RecordsetImpl {
 public:
  PgTableRecordset(std::shared_ptr<PgDatabase> db, const QString& name, bool readOnly)
      : m_db(std::move(db)) {
    m_readOnly = readOnly || m_db->readOnly();
    m_table = m_db->table(name);
    m_source = m_table.name;
    m_qtable = quoteIdentifier(m_table.schema) + u'.' + quoteIdentifier(m_table.name);
    setFields(m_table.fields, QStringList(m_table.fields.size(), m_table.name));
    for (const QString& c : m_table.identity()) m_idFields << m_table.indexOfField(c);
    QStringList cols;
    for (const FieldSpec& f : m_fields) cols << quoteIdentifier(f.name);
    m_select = "SELECT " + cols.join(", ") + " FROM " + m_qtable;
    // Until an index is chosen (and Seek refused), rows come in the primary key's order.
    const IndexSpec* primary = nullptr;
    for (const IndexSpec& ix : m_table.indexes)
      if (ix.primary) primary = &ix;
    setOrder(primary);
    m_keyFieldPos.clear();
    moveFirst();
  }

  bool connected() const override { return m_db && m_db->isOpen(); }
  void close() override {
    m_closed = true;
    m_sets.clear();
  }
  RecordsetType type() const override { return RecordsetType::Table; }
  bool updatable() const override { return !m_readOnly; }

  bool bof() const override { return m_state == State::Bof || m_empty; }
  bool eof() const override { return m_state == State::Eof || m_empty; }

  long recordCount() override {
    checkOpen();
    const quint64 stamp = m_db->changeStamp();
    if (m_count < 0 || m_countStamp != stamp) {
      m_count = long(session().prepared("SELECT COUNT(*) FROM " + m_qtable, {})->value(0, 0)
                         .toLongLong());
      m_countStamp = stamp;
    }
    return m_count;
  }

  long absolutePosition() override {
    checkOpen();
    if (m_state != State::OnRow) return -1;
    QVariantList binds;
    const QString sql =
        keyCountSql(m_qtable, keySegments(m_order, KeyRel::Before, currentKey()), binds);
    return long(session().prepared(pgPlaceholders(sql), binds)->value(0, 0).toLongLong());
  }

  void setAbsolutePosition(long p) override {
    checkOpen();
    if (p < 0) throw DbError(err::InvalidArgument, QStringLiteral("Argument non valide."));
    m_mode = EditMode::None;
    walk(KeyRel::AfterOrEqual, {}, kFirstBatch, p);
    if (m_state != State::OnRow) noCurrentRecord();
  }

  void moveFirst() override {
    checkOpen();
    m_mode = EditMode::None;
    walk(KeyRel::AfterOrEqual, {}, kFirstBatch);
    m_empty = m_state != State::OnRow;
  }

  void moveLast() override {
    checkOpen();
    m_mode = EditMode::None;
    walk(KeyRel::BeforeOrEqual, {}, kFirstBatch);
    m_empty = m_state != State::OnRow;
  }

  void moveNext() override { moveBy(+1); }
  void movePrevious() override { moveBy(-1); }

  QString index() const override { return m_indexName; }

  void setIndex(const QString& name) override {
    checkOpen();
    const IndexSpec* ix = m_table.findIndex(name);
    if (!ix) {
      // An index made since this recordset opened.
      m_table.indexes = m_db->table(m_table.name, m_table.schema).indexes;
      ix = m_table.findIndex(name);
    }
    if (!ix)
      throw DbError(err::IndexNotFound,
                    QStringLiteral("'%1' n'est pas un index de cette table.").arg(name));
    // The first rows read at the opening, in the primary key's order, serve that key chosen
    // right after, while nothing was written since.
    const bool firstRowsRead = m_bufFromStart && m_bufStamp == m_db->changeStamp();
    const QString before = m_orderBy[0];
    setOrder(ix);
    m_indexName = ix->name;
    if (firstRowsRead && m_orderBy[0] == before) {
      m_mode = EditMode::None;
      m_bufDir = 1;
      advance(1);
      m_empty = m_state != State::OnRow;
      return;
    }
    moveFirst();
  }

  void seek(const QString& op, const QVariantList& key) override {
    checkOpen();
    const QVariantList k = seekKey(key, m_keyFieldPos);
    m_mode = EditMode::None;
    const KeyRel rel = seekRelation(op, key.size(), m_keyFieldPos.size());
    // A seek reads the record it lands on (and the next for a walk): more only when the caller
    // moves on.
    walk(rel, k, rel == KeyRel::Equal ? 1 : kSeekBatch);
    // An equality seek is not a walk: moving on starts again from the key.
    if (rel == KeyRel::Equal) m_bufDir = 0;
    m_noMatch = m_state != State::OnRow;
    if (m_noMatch) m_state = State::Eof;
  }

  QByteArray bookmark() const override {
    if (m_state != State::OnRow) noCurrentRecord();
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out << currentId();
    return b;
  }

  void setBookmark(const QByteArray& b) override {
    checkOpen();
    QDataStream in(b);
    QVariantList id;
    in >> id;
    if (in.status() != QDataStream::Ok || id.size() != m_idFields.size())
      throw DbError(err::InvalidBookmark, QStringLiteral("Signet non valide."));
    m_mode = EditMode::None;
    positionOn(id);
    if (!loadRow()) {
      m_state = State::Bof;
      recordDeleted();
    }
    m_key = keyOf(m_row);
  }

  std::shared_ptr<RecordsetImpl> clone() const override {
    checkOpen();
    auto c = std::make_shared<PgTableRecordset>(m_db, m_table.name, m_readOnly);
    if (!m_indexName.isEmpty()) c->setIndex(m_indexName);
    if (m_state == State::OnRow && !m_deleted) {
      c->positionOn(currentId());
      if (c->loadRow()) c->m_key = keyOf(c->m_row);
    }
    return c;
  }

  void requery() override { moveFirst(); }

  QVariant currentValue(int i) override {
    if (m_state != State::OnRow) noCurrentRecord();
    if (m_deleted) recordDeleted();
    const quint64 stamp = m_db->changeStamp();
    if (m_rowLoaded && m_rowStamp == stamp) return m_row[i];
    if (m_bufPos >= 0 && m_bufStamp == stamp) return bufValue(m_bufPos, i);
    if (!loadRow()) recordDeleted();
    return m_row[i];
  }

  void loadForEdit() override {
    if (m_deleted) recordDeleted();
    // The engine reads the record again when editing begins, unless it was read in this very
    // transaction since the last write: nobody else could write it meanwhile.
    const quint64 stamp = m_db->changeStamp();
    const quint64 serial = m_db->transactionLevel() > 0 ? m_db->transactionSerial() : 0;
    if (serial != 0 && m_rowLoaded && m_rowStamp == stamp && m_rowSerial == serial) {
      m_buffer = m_row;
      return;
    }
    if (serial != 0 && m_bufPos >= 0 && m_bufStamp == stamp && m_bufSerial == serial) {
      for (int i = 0; i < m_fields.size(); ++i) m_buffer[i] = bufValue(m_bufPos, i);
      return;
    }
    if (!loadRow()) recordDeleted();
    m_buffer = m_row;
  }

  void writeEdit() override {
    m_values.clear();
    QByteArray& mask = m_writeMask;
    mask.fill('0', m_fields.size());
    bool keyChanged = false;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (!m_dirty[i]) continue;
      mask[i] = '1';
      m_values << m_buffer[i];
      keyChanged = keyChanged || m_orderField.contains(i);
    }
    pin();
    if (m_values.isEmpty()) {
      m_lastModified = bookmark();
      return;
    }
    // The UPDATE of each set of fields written is made once.
    auto sql = m_updates.constFind(mask);
    if (sql == m_updates.cend()) {
      QStringList sets;
      QVariantList marks = m_values;
      for (int i = 0, n = 0; i < m_fields.size(); ++i)
        if (m_dirty[i]) sets << quoteIdentifier(m_fields[i].name) + " = $" + QString::number(++n);
      sql = m_updates.insert(mask, "UPDATE " + m_qtable + " SET " + sets.join(", ") + " WHERE " +
                                       idCondition(m_id, marks));
    }
    const bool aheadValid = m_bufPos >= 0 && m_bufStamp == m_db->changeStamp();
    m_values << m_id;
    const auto out = session().prepared(*sql, m_values);
    m_db->wrote();
    m_bufFromStart = false;  // what was read ahead may hold the record as it was
    if (out->affected() == 0) recordDeleted();
    m_row = m_buffer;
    m_id.clear();
    for (int f : std::as_const(m_idFields)) m_id << m_row[f];
    m_key = keyOf(m_row);
    m_rowLoaded = true;
    m_rowStamp = m_db->changeStamp();
    m_rowSerial = m_db->transactionLevel() > 0 ? m_db->transactionSerial() : 0;
    if (aheadValid && !keyChanged) {
      // The rows read ahead stay good after this record's own change, read from m_row now.
      // Moves never come back to it in them: a turn reads again.
      m_bufStamp = m_db->changeStamp();
    } else {
      // Moved in the index: moves go on from its new key.
      m_bufPos = -1;
      m_bufDir = 0;
    }
    m_lastModified = bookmark();
  }

  void writeNew() override {
    m_values.clear();
    QStringList cols, marks;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (m_buffer[i].isNull() || !m_buffer[i].isValid()) continue;
      cols << quoteIdentifier(m_fields[i].name);
      m_values << m_buffer[i];
      marks << "$" + QString::number(m_values.size());
    }
    const QString sql = cols.isEmpty() ? "INSERT INTO " + m_qtable + " DEFAULT VALUES"
                                       : "INSERT INTO " + m_qtable + " (" + cols.join(", ") +
                                             ") VALUES (" + marks.join(", ") + ")";
    const auto out = session().prepared(sql + " RETURNING " + idColumns(), m_values);
    m_db->wrote();
    m_bufFromStart = false;  // what was read ahead may hold the record as it was
    QByteArray b;
    QDataStream bookmark(&b, QIODevice::WriteOnly);
    bookmark << readId(*out, 0);
    m_lastModified = b;
    m_empty = false;
  }

  void deleteCurrent() override {
    checkOpen();
    if (m_state != State::OnRow) noCurrentRecord();
    if (m_deleted) recordDeleted();
    if (!updatable())
      throw DbError(err::ReadOnly,
                    QStringLiteral("Impossible de supprimer : objet en lecture seule."));
    pin();  // moves go on from the deleted record's place
    m_values.clear();
    const QString sql = "DELETE FROM " + m_qtable + " WHERE " + idCondition(m_id, m_values);
    session().prepared(sql, m_values);
    m_db->wrote();
    m_bufFromStart = false;  // what was read ahead may hold the record as it was
    m_deleted = true;
    m_bufPos = -1;
    m_bufDir = 0;
  }

 private:
  enum class State { Bof, OnRow, Eof };
  static constexpr int kFirstBatch = 50;
  static constexpr int kSeekBatch = 2;
  static constexpr int kMaxBatch = 10000;

  PgSession& session() const { return m_db->session(); }

  // The index's fields, then those of the primary key not among them.
  void setOrder(const IndexSpec* ix) {
    m_order.clear();
    m_orderField.clear();
    m_keyFieldPos.clear();
    const auto add = [this](int field, bool descending) {
      if (m_orderField.contains(field)) return;
      m_order << KeyColumn{quoteIdentifier(m_fields[field].name), descending};
      m_orderField << field;
    };
    if (ix)
      for (int i = 0; i < ix->fields.size(); ++i) {
        const int f = m_table.indexOfField(ix->fields[i]);
        m_keyFieldPos << f;
        add(f, ix->descending.value(i));
      }
    for (int f : std::as_const(m_idFields)) add(f, false);
    m_orderBy[0] = orderBy(false);
    m_orderBy[1] = orderBy(true);
    m_bufPos = -1;
    m_bufDir = 0;
  }

  QString orderBy(bool backward) const { return pgOrderBy(m_order, m_table, backward); }

  QString idColumns() const {
    QStringList cols;
    for (int f : m_idFields) cols << quoteIdentifier(m_fields[f].name);
    return cols.join(", ");
  }

  // The primary key condition of `id`, its values appended to `binds`.
  QString idCondition(const QVariantList& id, QVariantList& binds) const {
    QStringList terms;
    for (int i = 0; i < m_idFields.size(); ++i) {
      binds << id.value(i);
      terms << quoteIdentifier(m_fields[m_idFields[i]].name) + " = $" +
                   QString::number(binds.size());
    }
    return terms.join(" AND ");
  }

  // The primary key of row `row` of `set` when it holds the key's columns alone.
  QVariantList readId(const PgResultSet& set, int row) const {
    QVariantList id;
    for (int i = 0; i < m_idFields.size(); ++i)
      id << pgFieldValue(set.value(row, i), m_fields[m_idFields[i]].type);
    return id;
  }

  // The rows read ahead: the results of one or more statements, one after the other.
  int bufRows() const { return m_setEnds.isEmpty() ? 0 : m_setEnds.last(); }
  std::pair<const PgResultSet*, int> bufCell(int pos) const {
    int set = 0;
    while (pos >= m_setEnds[set]) ++set;
    return {m_sets[set].get(), pos - (set ? m_setEnds[set - 1] : 0)};
  }
  QVariant bufValue(int pos, int field) const {
    const auto [set, row] = bufCell(pos);
    return pgFieldValue(set->value(row, field), m_fields[field].type);
  }
  QVariantList bufId(int pos) const {
    QVariantList id;
    for (int f : m_idFields) id << bufValue(pos, f);
    return id;
  }
  QVariantList bufKey(int pos) const {
    QVariantList key;
    for (int f : m_orderField) key << bufValue(pos, f);
    return key;
  }

  QVariantList keyOf(const QVector<QVariant>& values) const {
    QVariantList key;
    for (int f : m_orderField) key << values.value(f);
    return key;
  }

  QVariantList currentId() const { return m_pinned ? m_id : bufId(m_bufPos); }

  // The current record's identity and key kept apart from the rows read ahead, which a move
  // may drop.
  void pin() {
    if (m_pinned || m_bufPos < 0) return;
    m_id = bufId(m_bufPos);
    m_key = bufKey(m_bufPos);
    m_pinned = true;
  }

  QVariantList currentKey() {
    pin();
    return m_key;
  }

  void positionOn(const QVariantList& id) {
    m_bufPos = -1;
    m_bufDir = 0;
    m_id = id;
    m_key.clear();
    m_pinned = true;
    m_state = State::OnRow;
    m_deleted = false;
    m_rowLoaded = false;
    m_empty = false;
  }

  // Reads the current record into m_row; false when it is gone.
  bool loadRow() {
    pin();
    m_values.clear();
    const QString sql = m_select + " WHERE " + idCondition(m_id, m_values);
    const auto got = session().prepared(sql, m_values);
    m_rowLoaded = got->rows() > 0;
    if (!m_rowLoaded) return false;
    m_row.resize(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
      m_row[i] = pgFieldValue(got->value(0, i), m_fields[i].type);
    m_rowStamp = m_db->changeStamp();
    m_rowSerial = m_db->transactionLevel() > 0 ? m_db->transactionSerial() : 0;
    return true;
  }

  // Reads up to `limit` rows on the `rel` side of `key` in the walk's direction (skipping
  // `offset` of them) and lands on the first.
  void walk(KeyRel rel, const QVariantList& key, int limit, long offset = 0) {
    const bool backward = keyRelBackward(rel);
    m_sets.clear();
    m_setEnds.clear();
    int got = 0;
    for (const KeySegment& s : keySegments(m_order, rel, key)) {
      m_values = s.binds;
      QString sql = m_select;
      if (s.where != u"1") sql += " WHERE " + pgPlaceholders(s.where);
      sql += " ORDER BY " + m_orderBy[backward ? 1 : 0];
      m_values << limit - got;
      sql += " LIMIT $" + QString::number(m_values.size());
      if (offset > 0) {
        m_values << qlonglong(offset);
        sql += " OFFSET $" + QString::number(m_values.size());
      }
      auto set = session().prepared(sql, m_values);
      if (set->rows() == 0) continue;
      got += set->rows();
      m_sets << std::move(set);
      m_setEnds << got;
      if (got >= limit) break;
    }
    m_bufStamp = m_db->changeStamp();
    m_bufSerial = m_db->transactionLevel() > 0 ? m_db->transactionSerial() : 0;
    m_bufDir = backward ? -1 : 1;
    m_bufFromStart = rel == KeyRel::AfterOrEqual && key.isEmpty() && offset == 0;
    m_bufEnd = got < limit;
    m_batch = limit;
    m_bufPos = -1;
    advance(m_bufDir);
  }

  void advance(int dir) {
    m_deleted = false;
    m_rowLoaded = false;
    m_pinned = false;
    if (++m_bufPos < bufRows()) {
      m_state = State::OnRow;
      return;
    }
    m_bufPos = -1;
    m_bufDir = 0;
    m_state = dir < 0 ? State::Bof : State::Eof;
  }

  void moveBy(int dir) {
    checkOpen();
    m_mode = EditMode::None;
    if (m_empty || (dir > 0 ? m_state == State::Eof : m_state == State::Bof)) noCurrentRecord();
    if (m_state != State::OnRow) return dir > 0 ? moveFirst() : moveLast();
    // Reads grow while a walk goes on through what was read ahead; anything else starts small.
    const bool walking = m_bufDir == dir && m_bufPos >= 0 && m_bufStamp == m_db->changeStamp();
    if (walking && (m_bufPos + 1 < bufRows() || m_bufEnd)) return advance(dir);
    const QVariantList key = currentKey();
    const int batch = walking ? qMin(m_batch * 4, kMaxBatch) : kFirstBatch;
    walk(dir > 0 ? KeyRel::After : KeyRel::Before, key, batch);
  }

  std::shared_ptr<PgDatabase> m_db;
  PgTable m_table;
  QString m_qtable;  // schema-qualified and quoted
  QString m_select;  // every field
  QList<int> m_idFields;  // the primary key's fields
  QString m_indexName;
  QList<KeyColumn> m_order;
  QList<int> m_orderField;  // field of each column of the order
  QList<int> m_keyFieldPos;
  QString m_orderBy[2];  // forward, backward
  QVariantList m_values;
  QHash<QByteArray, QString> m_updates;  // by the fields written ('1' each)
  QByteArray m_writeMask;

  // Rows read ahead, in the walk's direction.
  QList<std::shared_ptr<const PgResultSet>> m_sets;
  QList<int> m_setEnds;
  int m_bufPos = -1;
  int m_bufDir = 0;  // 0: nothing usable read ahead
  bool m_bufEnd = false;
  bool m_bufFromStart = false;  // the rows read ahead begin with the table's first
  int m_batch = kFirstBatch;
  quint64 m_bufStamp = 0;
  quint64 m_bufSerial = 0;  // the transaction they were read in (0: none)

  State m_state = State::Bof;
  bool m_empty = false;
  bool m_deleted = false;
  bool m_pinned = false;  // m_id and m_key hold the current record's
  QVariantList m_id;
  QVariantList m_key;
  QVector<QVariant> m_row;
  bool m_rowLoaded = false;
  quint64 m_rowStamp = 0;
  quint64 m_rowSerial = 0;
  long m_count = -1;
  quint64 m_countStamp = 0;
};

}  // namespace

std::shared_ptr<RecordsetImpl> PgDatabase::openTable(const QString& name, bool readOnly) {
  // Without a primary key, rows are told apart by their place (which every write changes) or a
  // unique index that may hold Nulls: their identities are read at opening.
  const PgTable& t = table(name);
  const bool keyed = std::any_of(t.indexes.cbegin(), t.indexes.cend(),
                                 [](const IndexSpec& ix) { return ix.primary; });
  if (!keyed) return openKeysetTable(shared_from_this(), name, readOnly);
  return std::make_shared<PgTableRecordset>(shared_from_this(), name, readOnly);
}

}  // namespace tarovent::db
