#include <QHash>

#include "DbError.h"
#include "KeyPredicate.h"
#include "RecordsetImpl.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

// A table opened in the order of its current index. No statement stays open between calls,
// so a recordset held for hours never pins an old snapshot of the file: each move reads a few
// rows ahead from the current key and lets go. Rows read ahead serve later moves only while
// nothing has changed (this connection's writes, or another process's commits).
class TableRecordset final : public RecordsetImpl, public LiveCursor {
 public:
  TableRecordset(std::shared_ptr<Connection> c, const QString& table, bool readOnly) {
    m_c = std::move(c);
    m_readOnly = readOnly || m_c->readOnly();
    const TableInfo& info = m_c->table(table);
    m_table = info.name;
    m_qtable = quoteIdentifier(info.name);
    m_source = info.name;
    setFields(info.fields, QStringList(info.fields.size(), info.name));
    m_used = QVector<bool>(m_fields.size(), false);
    for (const auto& f : m_fields) m_quoted << quoteIdentifier(f.name);
    m_c->registerCursor(this);
    setOrder({}, {});
    moveFirst();
  }

  ~TableRecordset() override { close(); }

  void close() override {
    if (m_closed) return;
    for (auto* s : std::as_const(m_stmts)) sqlite3_finalize(s);
    m_stmts.clear();
    dropShapes();
    dropWrites();
    if (m_c) m_c->unregisterCursor(this);
    m_closed = true;
  }

  RecordsetType type() const override { return RecordsetType::Table; }
  bool updatable() const override { return !m_readOnly; }

  // Rows read ahead are dropped: the next move reads the file again.
  void releaseStatements() override { m_bufDir = 0; }

  // The current record deleted by another recordset: moves go on from the place it had.
  void rowDeleting(const QString& table, qint64 rowid) override {
    if (m_state == State::OnRow && !m_deleted && rowid == m_rowid &&
        table.compare(m_table, Qt::CaseInsensitive) == 0)
      currentKey();
  }

  bool bof() const override { return m_state == State::Bof || m_empty; }
  bool eof() const override { return m_state == State::Eof || m_empty; }

  long recordCount() override {
    checkOpen();
    const quint64 stamp = m_c->changeStamp();
    if (m_countStamp != stamp || m_count < 0) {
      sqlite3_stmt* s = m_c->cached("SELECT COUNT(*) FROM " + m_qtable);
      m_count = sqlite3_step(s) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(s, 0)) : 0;
      sqlite3_reset(s);
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
    sqlite3_stmt* s = m_c->cached(sql);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    const int rc = sqlite3_step(s);
    const long n = rc == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(s, 0)) : -1;
    sqlite3_reset(s);
    if (rc != SQLITE_ROW) m_c->fail(rc, m_table);
    return n;
  }

  void setAbsolutePosition(long p) override {
    checkOpen();
    if (p < 0) throw DbError(err::InvalidArgument, QStringLiteral("Argument non valide."));
    m_mode = EditMode::None;
    QVariantList binds;
    QString sql = keyWalkSql(selectText(), keySegments(m_order, KeyRel::AfterOrEqual, {}),
                             kFirstBatch, binds);
    sql += " OFFSET ?";
    binds << static_cast<qlonglong>(p);
    sqlite3_stmt* s = statement(sql);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    fill(s, +1, kFirstBatch);
    if (m_state != State::OnRow) noCurrentRecord();
  }

  void moveFirst() override {
    checkOpen();
    m_mode = EditMode::None;
    walk(KeyRel::AfterOrEqual, {});
    m_empty = m_state != State::OnRow;
  }

  void moveLast() override {
    checkOpen();
    m_mode = EditMode::None;
    walk(KeyRel::BeforeOrEqual, {});
    m_empty = m_state != State::OnRow;
  }

  void moveNext() override { moveBy(+1); }
  void movePrevious() override { moveBy(-1); }

  QString index() const override { return m_indexName; }

  void setIndex(const QString& name) override {
    checkOpen();
    const TableInfo& info = m_c->table(m_table);
    const IndexInfo* ix = info.findIndex(name);
    if (!ix)
      throw DbError(err::IndexNotFound,
                    QStringLiteral("'%1' n'est pas un index de cette table.").arg(name));
    setOrder(ix->fields, ix->descending);
    m_indexName = ix->name;
    moveFirst();
  }

  void seek(const QString& op, const QVariantList& key) override {
    checkOpen();
    const QVariantList k = seekKey(key, m_keyFieldPos);
    m_mode = EditMode::None;
    const KeyRel rel = seekRelation(op, key.size(), m_keyFieldPos.size());
    // A seek mostly reads the record it lands on and a few after it (the operations of one
    // routing): it starts with a small read, which doubles while the walk goes on.
    walk(rel, k, kSeekBatch);
    // An equality seek is not a walk: moving on starts again from the key.
    if (rel == KeyRel::Equal) m_bufDir = 0;
    m_noMatch = m_state != State::OnRow;
    if (m_noMatch) m_state = State::Eof;
  }

  QByteArray bookmark() const override {
    if (m_state != State::OnRow) noCurrentRecord();
    return encodeBookmark(m_rowid);
  }

  void setBookmark(const QByteArray& b) override {
    checkOpen();
    const qint64 rowid = decodeBookmark(b);
    m_mode = EditMode::None;
    positionOn(rowid);
    if (!loadRow(false)) {
      m_state = State::Bof;
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    }
  }

  std::shared_ptr<RecordsetImpl> clone() const override {
    auto c = std::make_shared<TableRecordset>(m_c, m_table, m_readOnly);
    if (!m_indexName.isEmpty()) c->setIndex(m_indexName);
    if (m_state == State::OnRow && !m_deleted) c->positionOn(m_rowid);
    return c;
  }

  void requery() override { moveFirst(); }

  QVariant currentValue(int i) override {
    if (m_state != State::OnRow) noCurrentRecord();
    if (m_deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    // Values are those of the last move, unless this connection wrote since.
    if (m_bufPos >= 0 && m_bufSlot[i] >= 0 && m_bufStamp == m_c->generation())
      return bufValue(m_bufPos, m_bufSlot[i]);
    // Later reads ahead carry this field too.
    if (!m_used[i]) {
      m_used[i] = true;
      dropShapes();
    }
    if (!loadRow(false))
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    return m_row[i];
  }

  void loadForEdit() override {
    if (m_deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    // Rows read ahead carry every field from now on, so that the next edits find them there.
    if (m_used.contains(false)) {
      m_used.fill(true);
      dropShapes();
    }
    if (aheadIsCurrent()) {
      for (int i = 0; i < m_fields.size(); ++i) m_buffer[i] = bufValue(m_bufPos, m_bufSlot[i]);
      return;
    }
    // The engine reads the record again when editing begins.
    if (!loadRow(true))
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    m_buffer = m_row;
  }

  void writeEdit() override {
    QVariantList& values = m_values;
    values.clear();
    for (int i = 0; i < m_fields.size(); ++i)
      if (m_dirty[i]) values << m_buffer[i];
    if (!values.isEmpty()) {
      const bool aheadValid = m_bufPos >= 0 && m_bufStamp == m_c->changeStamp();
      m_c->beforeWrite();
      m_c->write(writeStatement(Write::Update, m_dirty), values, m_rowid, m_table);
      // Rows read ahead stay good after this record's own change, unless its key changed:
      // then it moved in the index and moves start again from its new key.
      bool keyChanged = false;
      for (int p : m_keyFieldPos) keyChanged |= m_dirty[p];
      if (aheadValid && !keyChanged) {
        m_bufStamp = m_c->changeStamp();
        for (int i = 0; i < m_fields.size(); ++i)
          if (m_dirty[i] && m_bufSlot[i] >= 0)
            m_bufValues[m_bufPos * m_bufWidth + m_bufSlot[i]] = m_buffer[i];
      }
    }
    m_lastModified = encodeBookmark(m_rowid);
  }

  void writeNew() override {
    QVector<bool> given(m_fields.size(), false);
    QVariantList& values = m_values;
    values.clear();
    for (int i = 0; i < m_fields.size(); ++i) {
      if (m_buffer[i].isNull() || !m_buffer[i].isValid()) continue;
      given[i] = true;
      values << m_buffer[i];
    }
    m_c->beforeWrite();
    m_c->write(writeStatement(Write::Insert, given), values, -1, m_table);
    m_lastModified = encodeBookmark(sqlite3_last_insert_rowid(m_c->handle()));
    m_empty = false;
  }

  void deleteCurrent() override {
    checkOpen();
    if (m_state != State::OnRow) noCurrentRecord();
    if (m_deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    if (!updatable())
      throw DbError(err::ReadOnly,
                    QStringLiteral("Impossible de supprimer : objet en lecture seule."));
    currentKey();  // moves go on from the deleted record's place
    const bool aheadValid = m_bufPos >= 0 && m_bufStamp == m_c->changeStamp();
    m_c->deleteRow(m_qtable, m_rowid, m_table);
    if (aheadValid) m_bufStamp = m_c->changeStamp();
    m_keyStamp = m_c->changeStamp();
    m_deleted = true;
  }

 private:
  enum class State { Bof, OnRow, Eof };
  enum class Write : char { Insert = 'I', Update = 'U' };
  static constexpr int kFirstBatch = 8;
  static constexpr int kSeekBatch = 2;
  static constexpr int kMaxBatch = 1024;

  void setOrder(const QStringList& fields, const QList<bool>& desc) {
    m_order.clear();
    m_keyFieldPos.clear();
    for (int i = 0; i < fields.size(); ++i) {
      m_order << KeyColumn{quoteIdentifier(fields[i]), i < desc.size() && desc[i]};
      m_keyFieldPos << requireField(fields[i]);
    }
    m_order << KeyColumn{QStringLiteral("rowid"), false};
    dropShapes();
    m_bufDir = 0;
    m_keyValid = false;
    m_indexName.clear();
  }

  // rowid, the key fields, then the other fields the caller reads.
  QString selectText() const {
    QStringList cols{QStringLiteral("rowid")};
    for (int p : m_keyFieldPos) cols << quoteIdentifier(m_fields[p].name);
    for (int i = 0; i < m_fields.size(); ++i)
      if (m_used[i] && !m_keyFieldPos.contains(i)) cols << quoteIdentifier(m_fields[i].name);
    return "SELECT " + cols.join(", ") + " FROM " + m_qtable;
  }

  const QVariant& bufValue(int row, int slot) const { return m_bufValues[row * m_bufWidth + slot]; }

  sqlite3_stmt* statement(const QString& sql) {
    m_c->use();
    auto it = m_stmts.find(sql);
    sqlite3_stmt* s;
    if (it != m_stmts.end()) {
      s = *it;
    } else {
      s = m_c->prepare(sql);
      m_stmts.insert(sql, s);
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return s;
  }

  // The INSERT or UPDATE (by rowid) of the fields `fields` marks: made once for each such set,
  // then bound again for every row.
  sqlite3_stmt* writeStatement(Write kind, const QVector<bool>& fields) {
    QByteArray& key = m_writeKey;
    key.fill('0', fields.size() + 1);
    key[0] = char(kind);
    for (int i = 0; i < fields.size(); ++i)
      if (fields[i]) key[i + 1] = '1';
    if (sqlite3_stmt* s = m_writes.value(key)) {
      m_c->use();
      return s;
    }
    QStringList cols;
    for (int i = 0; i < fields.size(); ++i)
      if (fields[i]) cols << m_quoted[i];
    QString sql;
    if (kind == Write::Update)
      sql = "UPDATE " + m_qtable + " SET " + cols.join(" = ?, ") + " = ? WHERE rowid = ?";
    else if (cols.isEmpty())
      sql = "INSERT INTO " + m_qtable + " DEFAULT VALUES";
    else
      sql = "INSERT INTO " + m_qtable + " (" + cols.join(", ") + ") VALUES (" +
            QStringList(cols.size(), QStringLiteral("?")).join(", ") + ")";
    sqlite3_stmt* s = m_c->prepare(sql);
    m_writes.insert(key, s);
    return s;
  }

  void dropWrites() {
    for (sqlite3_stmt* s : std::as_const(m_writes)) sqlite3_finalize(s);
    m_writes.clear();
    sqlite3_finalize(m_load);
    m_load = nullptr;
  }

  // True when the current record's values read ahead are those of the file: they were read
  // under the write lock of the transaction still going on, and nothing was written since
  // except through this recordset's own edits of them.
  bool aheadIsCurrent() const {
    if (m_bufPos < 0 || !m_bufLocked || !m_c->writeLocked() ||
        m_bufSerial != m_c->transactionSerial() || m_bufStamp != m_c->generation())
      return false;
    for (int slot : m_bufSlot)
      if (slot < 0) return false;
    return true;
  }

  // A walk's statement depends on the relation, the key's length and which of its values are
  // Null: it is made once for each such shape.
  void walk(KeyRel rel, const QVariantList& key, int batch = kFirstBatch) {
    quint64 code = quint64(rel) | quint64(key.size()) << 3;
    for (int i = 0; i < key.size() && i < 48; ++i)
      if (key[i].isNull() || !key[i].isValid()) code |= quint64(1) << (8 + i);
    auto it = m_shapes.find(code);
    if (it == m_shapes.end()) {
      // Built on the key's positions, the parameters say which key value each one takes.
      QVariantList positions, params;
      for (int i = 0; i < key.size(); ++i)
        positions << (key[i].isNull() || !key[i].isValid() ? QVariant() : QVariant(i));
      const QString sql =
          keyWalkSql(selectText(), keySegments(m_order, rel, positions), -1, params);
      Shape shape{m_c->prepare(sql), {}};
      for (const QVariant& v : std::as_const(params)) shape.params << v.toInt();
      it = m_shapes.insert(code, shape);
    }
    m_c->use();
    sqlite3_stmt* s = it->stmt;
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    for (int j = 0; j < it->params.size(); ++j) {
      const int k = it->params[j];
      if (k < 0)
        sqlite3_bind_int(s, j + 1, batch);
      else
        bindValue(s, j + 1, key[k]);
    }
    fill(s, keyRelBackward(rel) ? -1 : +1, batch);
  }

  void dropShapes() {
    for (const Shape& s : std::as_const(m_shapes)) sqlite3_finalize(s.stmt);
    m_shapes.clear();
    m_layoutReady = false;
  }

  // Which columns of a walk's row hold which fields.
  void prepareLayout() {
    if (m_layoutReady) return;
    m_bufSlot = QVector<int>(m_fields.size(), -1);
    m_fillFields.clear();
    m_fillColumns.clear();
    int column = 1;
    for (int p : m_keyFieldPos) {
      if (m_used[p] && m_bufSlot[p] < 0) {
        m_bufSlot[p] = m_fillFields.size();
        m_fillFields << p;
        m_fillColumns << column;
      }
      ++column;
    }
    for (int i = 0; i < m_fields.size(); ++i) {
      if (!m_used[i] || m_keyFieldPos.contains(i)) continue;
      m_bufSlot[i] = m_fillFields.size();
      m_fillFields << i;
      m_fillColumns << column++;
    }
    m_bufWidth = m_fillFields.size();
    m_layoutReady = true;
  }

  // Reads up to `limit` rows and lets go of the statement; lands on the first of them. Only
  // the fields the caller reads are kept for every row; the key only for the last one, from
  // which the next read goes on.
  void fill(sqlite3_stmt* s, int dir, int limit) {
    prepareLayout();
    m_bufStamp = m_c->changeStamp();
    m_bufLocked = m_c->writeLocked();
    m_bufSerial = m_c->transactionSerial();
    const QList<int>& fields = m_fillFields;
    const QList<int>& columns = m_fillColumns;
    m_bufRowids.clear();
    m_bufValues.clear();
    m_bufRowids.reserve(limit);
    m_bufValues.reserve(limit * m_bufWidth);
    m_lastKey.clear();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      m_bufRowids << sqlite3_column_int64(s, 0);
      for (int c = 0; c < fields.size(); ++c)
        m_bufValues << columnValue(s, columns[c], m_fields[fields[c]].type, true);
      if (m_bufRowids.size() == limit)
        for (int k = 0; k < m_keyFieldPos.size(); ++k)
          m_lastKey << columnValue(s, k + 1, m_fields[m_keyFieldPos[k]].type, true);
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) m_c->fail(rc, m_table);
    m_bufDir = dir;
    m_bufEnd = m_bufRowids.size() < limit;
    m_batch = limit;
    m_bufPos = -1;
    advance(dir);
  }

  void advance(int dir) {
    m_deleted = false;
    m_rowLoaded = false;
    m_keyValid = false;
    if (++m_bufPos < m_bufRowids.size()) {
      m_state = State::OnRow;
      m_rowid = m_bufRowids[m_bufPos];
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
    const bool walking = m_bufDir == dir && m_bufPos >= 0 && m_bufStamp == m_c->changeStamp();
    if (walking && (m_bufPos + 1 < m_bufRowids.size() || m_bufEnd)) return advance(dir);
    const QVariantList key = currentKey();
    const int batch = walking ? qMin(m_batch * 2, kMaxBatch) : kFirstBatch;
    walk(dir > 0 ? KeyRel::After : KeyRel::Before, key, batch);
  }

  // The current record's key and rowid, read again if it may have changed since.
  QVariantList currentKey() {
    const quint64 stamp = m_c->changeStamp();
    if (!m_keyValid || m_keyStamp != stamp) {
      const bool last = m_bufPos >= 0 && m_bufPos == m_bufRowids.size() - 1 && !m_lastKey.isEmpty();
      if (!m_deleted && last && m_bufStamp == stamp) {
        m_key = m_lastKey;
      } else if (!m_deleted && loadRow(false)) {
        m_key.clear();
        for (int p : m_keyFieldPos) m_key << m_row[p];
      }
      // A record gone since keeps the place it had.
      m_keyValid = true;
      m_keyStamp = stamp;
    }
    QVariantList k = m_key;
    k << QVariant(static_cast<qlonglong>(m_rowid));
    return k;
  }

  // Reads the current record into m_row; false when it is gone.
  bool loadRow(bool force) {
    const quint64 stamp = m_c->changeStamp();
    if (m_rowLoaded && !force && m_rowStamp == stamp) return true;
    if (!m_load)
      m_load =
          m_c->prepare("SELECT " + m_quoted.join(", ") + " FROM " + m_qtable + " WHERE rowid = ?");
    m_c->use();
    sqlite3_stmt* s = m_load;
    sqlite3_bind_int64(s, 1, m_rowid);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
      m_row.resize(m_fields.size());
      for (int i = 0; i < m_fields.size(); ++i)
        m_row[i] = columnValue(s, i, m_fields[i].type, true);
    }
    sqlite3_reset(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) m_c->fail(rc, m_table);
    m_rowLoaded = rc == SQLITE_ROW;
    m_rowStamp = stamp;
    return m_rowLoaded;
  }

  void positionOn(qint64 rowid) {
    m_bufDir = 0;
    m_bufPos = -1;
    m_rowid = rowid;
    m_state = State::OnRow;
    m_deleted = false;
    m_rowLoaded = false;
    m_keyValid = false;
    m_empty = false;
  }

  QString m_table, m_qtable, m_indexName;
  QList<KeyColumn> m_order;  // the index's fields, then rowid
  QList<int> m_keyFieldPos;
  QStringList m_quoted;  // field names as SQL quotes them
  QVector<bool> m_used;  // fields read ahead: the key and those the caller has read
  QHash<QString, sqlite3_stmt*> m_stmts;
  QHash<QByteArray, sqlite3_stmt*> m_writes;  // by kind and fields written
  QByteArray m_writeKey;                      // kept between writes, as m_values is
  QVariantList m_values;
  sqlite3_stmt* m_load = nullptr;  // every field of one row, by rowid

  // Rows read ahead, in the walk's direction: rowids, and m_bufWidth values a row.
  QVector<qint64> m_bufRowids;
  QVector<QVariant> m_bufValues;
  QVector<int> m_bufSlot;  // field -> place among a row's values, -1 when not read
  QList<int> m_fillFields, m_fillColumns;
  bool m_layoutReady = false;
  struct Shape {
    sqlite3_stmt* stmt = nullptr;
    QList<int> params;  // key position of each parameter, -1 for the limit
  };
  QHash<quint64, Shape> m_shapes;
  int m_bufWidth = 0;
  QVariantList m_lastKey;  // key of the last row, when the read stopped at its limit
  int m_bufPos = -1;
  int m_bufDir = 0;  // 0: nothing usable read ahead
  bool m_bufEnd = false;
  int m_batch = kFirstBatch;
  quint64 m_bufStamp = 0;
  bool m_bufLocked = false;  // read under a transaction's write lock, that of m_bufSerial
  quint64 m_bufSerial = 0;

  State m_state = State::Bof;
  bool m_empty = false;
  bool m_deleted = false;
  qint64 m_rowid = -1;
  QVariantList m_key;
  bool m_keyValid = false;
  quint64 m_keyStamp = 0;
  QVector<QVariant> m_row;
  bool m_rowLoaded = false;
  quint64 m_rowStamp = 0;
  long m_count = -1;
  quint64 m_countStamp = 0;
};

}  // namespace

std::shared_ptr<RecordsetImpl> openTableRecordset(std::shared_ptr<Connection> c,
                                                  const QString& table, bool readOnly) {
  return std::make_shared<TableRecordset>(std::move(c), table, readOnly);
}

}  // namespace tarovent::db
