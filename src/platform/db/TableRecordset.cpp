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
    m_c->registerCursor(this);
    setOrder({}, {});
    moveFirst();
  }

  ~TableRecordset() override { close(); }

  void close() override {
    if (m_closed) return;
    for (auto* s : std::as_const(m_stmts)) sqlite3_finalize(s);
    m_stmts.clear();
    if (m_c) m_c->unregisterCursor(this);
    m_closed = true;
  }

  RecordsetType type() const override { return RecordsetType::Table; }
  bool updatable() const override { return !m_readOnly; }

  // Rows read ahead are dropped: the next move reads the file again.
  void releaseStatements() override { m_bufDir = 0; }

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
    if (p < 0) throw DbError(3001, QStringLiteral("Argument non valide."));
    m_mode = EditMode::None;
    QVariantList binds;
    QString sql = keyWalkSql(selectText(), keySegments(m_order, KeyRel::AfterOrEqual, {}),
                             kFirstBatch, binds);
    sql += " OFFSET ?";
    binds << static_cast<qlonglong>(p);
    fill(sql, binds, +1, kFirstBatch);
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
    if (m_keyFieldPos.isEmpty())
      throw DbError(err::NoIndex, QStringLiteral("Opération non valide sans index en cours."));
    if (key.isEmpty() || key.size() > m_keyFieldPos.size())
      throw DbError(3001, QStringLiteral("Argument non valide (clé de recherche)."));
    m_mode = EditMode::None;
    const QString o = op.trimmed();
    KeyRel rel;
    if (o == "=")
      rel = KeyRel::Equal;
    else if (o == ">=")
      rel = KeyRel::AfterOrEqual;
    else if (o == ">")
      rel = KeyRel::After;
    else if (o == "<=")
      rel = KeyRel::BeforeOrEqual;
    else if (o == "<")
      rel = KeyRel::Before;
    else
      throw DbError(3001, QStringLiteral("Argument non valide (comparaison '%1').").arg(op));
    // Key fields left out count as lower than any value, as the engine has it: ">" on the
    // leading fields lands on the first record that has them, "<=" before it.
    if (key.size() < m_keyFieldPos.size()) {
      if (rel == KeyRel::After) rel = KeyRel::AfterOrEqual;
      if (rel == KeyRel::BeforeOrEqual) rel = KeyRel::Before;
    }
    QVariantList k;
    for (int i = 0; i < key.size(); ++i) {
      try {
        k << coerceToField(key[i], m_fields[m_keyFieldPos[i]]);
      } catch (const DbError& e) {
        // A key longer than its field is sought as given: it matches nothing.
        if (e.number() != err::FieldTooSmall) throw;
        k << key[i];
      }
    }
    walk(rel, k);
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
    if (m_bufPos >= 0 && m_bufCols[i] && m_bufStamp == m_c->changeStamp())
      return m_buf[m_bufPos].values[i];
    // Later reads ahead carry this field too.
    m_used[i] = true;
    if (!loadRow(false))
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    return m_row[i];
  }

  void loadForEdit() override {
    if (m_deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    // The engine reads the record again when editing begins.
    if (!loadRow(true))
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    m_buffer = m_row;
  }

  void writeEdit() override {
    QStringList cols;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (!m_dirty[i]) continue;
      cols << quoteIdentifier(m_fields[i].name);
      values << m_buffer[i];
    }
    // A changed key moves the record in the index: moves start again from its new key.
    if (!cols.isEmpty()) m_c->updateRow(m_qtable, cols, values, m_rowid, m_table);
    m_lastModified = encodeBookmark(m_rowid);
  }

  void writeNew() override {
    QStringList cols;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (m_buffer[i].isNull() || !m_buffer[i].isValid()) continue;
      cols << quoteIdentifier(m_fields[i].name);
      values << m_buffer[i];
    }
    m_lastModified = encodeBookmark(m_c->insertRow(m_qtable, cols, values, m_table));
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
    m_c->deleteRow(m_qtable, m_rowid, m_table);
    m_deleted = true;
  }

 private:
  enum class State { Bof, OnRow, Eof };
  struct Row {
    qint64 rowid = -1;
    QVector<QVariant> values;  // the fields of m_bufCols
  };
  static constexpr int kFirstBatch = 8;
  static constexpr int kMaxBatch = 256;

  void setOrder(const QStringList& fields, const QList<bool>& desc) {
    m_order.clear();
    m_keyFieldPos.clear();
    for (int i = 0; i < fields.size(); ++i) {
      m_order << KeyColumn{quoteIdentifier(fields[i]), i < desc.size() && desc[i]};
      m_keyFieldPos << requireField(fields[i]);
    }
    m_order << KeyColumn{QStringLiteral("rowid"), false};
    for (int p : m_keyFieldPos) m_used[p] = true;
    m_bufDir = 0;
    m_keyValid = false;
    m_indexName.clear();
  }

  QString selectText() const {
    QStringList cols{QStringLiteral("rowid")};
    for (int i = 0; i < m_fields.size(); ++i)
      if (m_used[i]) cols << quoteIdentifier(m_fields[i].name);
    return "SELECT " + cols.join(", ") + " FROM " + m_qtable;
  }

  sqlite3_stmt* statement(const QString& sql) {
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

  void walk(KeyRel rel, const QVariantList& key, int batch = kFirstBatch) {
    const int dir = keyRelBackward(rel) ? -1 : +1;
    QVariantList binds;
    const QString sql = keyWalkSql(selectText(), keySegments(m_order, rel, key), batch, binds);
    fill(sql, binds, dir, batch);
  }

  // Reads up to `limit` rows and lets go of the statement; lands on the first of them.
  void fill(const QString& sql, const QVariantList& binds, int dir, int limit) {
    sqlite3_stmt* s = statement(sql);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    m_bufStamp = m_c->changeStamp();
    m_bufCols = QVector<bool>(m_fields.size(), false);
    QList<int> cols;
    for (int i = 0; i < m_fields.size(); ++i)
      if (m_used[i]) {
        m_bufCols[i] = true;
        cols << i;
      }
    m_buf.clear();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      Row r;
      r.rowid = sqlite3_column_int64(s, 0);
      r.values.resize(m_fields.size());
      for (int c = 0; c < cols.size(); ++c)
        r.values[cols[c]] = columnValue(s, c + 1, m_fields[cols[c]].type, true);
      m_buf.push_back(std::move(r));
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) m_c->fail(rc, m_table);
    m_bufDir = dir;
    m_bufEnd = m_buf.size() < limit;
    m_batch = limit;
    m_bufPos = -1;
    advance(dir);
  }

  void advance(int dir) {
    m_deleted = false;
    m_rowLoaded = false;
    m_keyValid = false;
    if (++m_bufPos < m_buf.size()) {
      m_state = State::OnRow;
      m_rowid = m_buf[m_bufPos].rowid;
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
    if (m_bufDir == dir && m_bufPos >= 0 && m_bufStamp == m_c->changeStamp()) {
      if (m_bufPos + 1 < m_buf.size() || m_bufEnd) return advance(dir);
    }
    const QVariantList key = currentKey();
    const int batch = m_bufDir == dir ? qMin(m_batch * 2, kMaxBatch) : kFirstBatch;
    walk(dir > 0 ? KeyRel::After : KeyRel::Before, key, batch);
  }

  // The current record's key and rowid, read again if it may have changed since.
  QVariantList currentKey() {
    const quint64 stamp = m_c->changeStamp();
    if (!m_keyValid || m_keyStamp != stamp) {
      const bool fromBuffer = m_bufPos >= 0 && !m_deleted;
      if (fromBuffer && m_bufStamp == stamp) {
        keyFrom(m_buf[m_bufPos].values);
      } else if (!m_deleted && loadRow(false)) {
        keyFrom(m_row);
      } else if (!m_keyValid && fromBuffer) {
        keyFrom(m_buf[m_bufPos].values);  // gone since: it keeps the place it had
      }
      m_keyValid = true;
      m_keyStamp = stamp;
    }
    QVariantList k = m_key;
    k << QVariant(static_cast<qlonglong>(m_rowid));
    return k;
  }

  void keyFrom(const QVector<QVariant>& values) {
    m_key.clear();
    for (int p : m_keyFieldPos) m_key << values[p];
  }

  // Reads the current record into m_row; false when it is gone.
  bool loadRow(bool force) {
    const quint64 stamp = m_c->changeStamp();
    if (m_rowLoaded && !force && m_rowStamp == stamp) return true;
    QStringList cols;
    for (const auto& f : m_fields) cols << quoteIdentifier(f.name);
    sqlite3_stmt* s =
        m_c->cached("SELECT " + cols.join(", ") + " FROM " + m_qtable + " WHERE rowid = ?");
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
  QVector<bool> m_used;  // fields read ahead: the key and those the caller has read
  QHash<QString, sqlite3_stmt*> m_stmts;

  QVector<Row> m_buf;  // rows read ahead, in the walk's direction
  QVector<bool> m_bufCols;
  int m_bufPos = -1;
  int m_bufDir = 0;  // 0: nothing usable read ahead
  bool m_bufEnd = false;
  int m_batch = kFirstBatch;
  quint64 m_bufStamp = 0;

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
