#include <QHash>

#include "DbError.h"
#include "RecordsetImpl.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

enum class Rel { Equal, After, AfterOrEqual, Before, BeforeOrEqual };

// A table opened in the order of its current index. The current record is known by its rowid
// and its key; a live statement walks on from it and is dropped whenever the connection needs
// (writes, transactions), to be started again from the key.
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
    QStringList cols;
    for (const auto& f : info.fields) cols << quoteIdentifier(f.name);
    m_select = "SELECT rowid, " + cols.join(", ") + " FROM " + m_qtable;
    m_c->registerCursor(this);
    setOrder({}, {});
    moveFirst();
  }

  ~TableRecordset() override { close(); }

  void close() override {
    if (m_closed) return;
    releaseStatements();
    for (auto* s : std::as_const(m_stmts)) sqlite3_finalize(s);
    m_stmts.clear();
    if (m_c) m_c->unregisterCursor(this);
    m_closed = true;
  }

  RecordsetType type() const override { return RecordsetType::Table; }
  bool updatable() const override { return !m_readOnly; }

  void releaseStatements() override {
    if (!m_live) return;
    if (m_state == State::OnRow && m_liveRowid == m_rowid && !m_keyValid) captureKeyFromLive();
    sqlite3_reset(m_live);
    m_live = nullptr;
    m_liveDir = 0;
  }

  bool bof() const override { return m_state == State::Bof || m_empty; }
  bool eof() const override { return m_state == State::Eof || m_empty; }

  long recordCount() override {
    checkOpen();
    const int dv = m_c->dataVersion();
    if (m_countGen != m_c->generation() || m_countDv != dv || m_count < 0) {
      sqlite3_stmt* s = m_c->cached("SELECT COUNT(*) FROM " + m_qtable);
      m_count = sqlite3_step(s) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(s, 0)) : 0;
      sqlite3_reset(s);
      m_countGen = m_c->generation();
      m_countDv = dv;
    }
    return m_count;
  }

  long absolutePosition() override {
    checkOpen();
    if (m_state != State::OnRow) return -1;
    ensureKey();
    QVariantList binds;
    const QString where = predicate(Rel::Before, fullKey(), binds);
    sqlite3_stmt* s = m_c->cached("SELECT COUNT(*) FROM " + m_qtable + " WHERE " + where);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    long n = sqlite3_step(s) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(s, 0)) : -1;
    sqlite3_reset(s);
    return n;
  }

  void setAbsolutePosition(long p) override {
    checkOpen();
    if (p < 0) throw DbError(3001, QStringLiteral("Argument non valide."));
    sqlite3_stmt* s = statement(m_select + " ORDER BY " + m_order + " LIMIT -1 OFFSET ?");
    sqlite3_bind_int64(s, 1, p);
    startWalk(s, +1);
    if (m_state != State::OnRow) noCurrentRecord();
  }

  void moveFirst() override {
    checkOpen();
    m_mode = EditMode::None;
    startWalk(statement(m_select + " ORDER BY " + m_order), +1);
    m_empty = m_state != State::OnRow;
  }

  void moveLast() override {
    checkOpen();
    m_mode = EditMode::None;
    startWalk(statement(m_select + " ORDER BY " + m_reverse), -1);
    m_empty = m_state != State::OnRow;
  }

  void moveNext() override {
    checkOpen();
    m_mode = EditMode::None;
    if (m_state == State::Eof || m_empty) noCurrentRecord();
    if (m_state == State::Bof) return moveFirst();
    if (m_live && m_liveDir > 0 && m_liveRowid == m_rowid) return step(+1);
    ensureKey();
    QVariantList binds;
    const QString where = predicate(Rel::After, fullKey(), binds);
    sqlite3_stmt* s = statement(m_select + " WHERE " + where + " ORDER BY " + m_order);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    startWalk(s, +1);
  }

  void movePrevious() override {
    checkOpen();
    m_mode = EditMode::None;
    if (m_state == State::Bof || m_empty) noCurrentRecord();
    if (m_state == State::Eof) return moveLast();
    if (m_live && m_liveDir < 0 && m_liveRowid == m_rowid) return step(-1);
    ensureKey();
    QVariantList binds;
    const QString where = predicate(Rel::Before, fullKey(), binds);
    sqlite3_stmt* s = statement(m_select + " WHERE " + where + " ORDER BY " + m_reverse);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    startWalk(s, -1);
  }

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
    if (m_keyCols.isEmpty())
      throw DbError(err::NoIndex, QStringLiteral("Opération non valide sans index en cours."));
    if (key.isEmpty() || key.size() > m_keyCols.size())
      throw DbError(3001, QStringLiteral("Argument non valide (clé de recherche)."));
    m_mode = EditMode::None;
    const QString o = op.trimmed();
    Rel rel;
    if (o == "=")
      rel = Rel::Equal;
    else if (o == ">=")
      rel = Rel::AfterOrEqual;
    else if (o == ">")
      rel = Rel::After;
    else if (o == "<=")
      rel = Rel::BeforeOrEqual;
    else if (o == "<")
      rel = Rel::Before;
    else
      throw DbError(3001, QStringLiteral("Argument non valide (comparaison '%1').").arg(op));
    // Key fields left out count as lower than any value, as the engine has it: ">" on the
    // leading fields lands on the first record that has them, "<=" before it.
    if (key.size() < m_keyCols.size()) {
      if (rel == Rel::After) rel = Rel::AfterOrEqual;
      if (rel == Rel::BeforeOrEqual) rel = Rel::Before;
    }
    QVariantList k;
    for (int i = 0; i < key.size(); ++i) k << coerceToField(key[i], m_fields[m_keyFieldPos[i]]);
    QVariantList binds;
    const QString where = predicate(rel, k, binds);
    const bool backward = rel == Rel::Before || rel == Rel::BeforeOrEqual;
    QString sql = m_select + " WHERE " + where + " ORDER BY " + (backward ? m_reverse : m_order);
    sqlite3_stmt* s = statement(sql);
    for (int i = 0; i < binds.size(); ++i) bindValue(s, i + 1, binds[i]);
    // An equality seek is not a walk: moving on starts again from the key.
    startWalk(s, rel == Rel::Equal ? 0 : (backward ? -1 : +1));
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
    releaseStatements();
    if (!rowExists(rowid))
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    positionOn(rowid);
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
    if (m_live && m_liveRowid == m_rowid && !m_liveStale) {
      const FieldSpec& f = m_fields[i];
      return columnValue(m_live, i + 1, f.type, true);
    }
    loadRow();
    return m_row[i];
  }

  void loadForEdit() override {
    if (m_deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    // Inside a transaction the walk's own row is current: no need to read it again.
    if (m_c->transactionLevel() > 0 && m_live && m_liveRowid == m_rowid && !m_liveStale) {
      for (int i = 0; i < m_fields.size(); ++i)
        m_buffer[i] = columnValue(m_live, i + 1, m_fields[i].type, true);
      return;
    }
    m_rowLoaded = false;
    loadRow();
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
    if (!cols.isEmpty()) {
      m_c->updateRow(m_qtable, cols, values, m_rowid, m_table);
      // A changed key moves the record in the index: the walk starts again from it.
      bool keyChanged = false;
      for (int p : m_keyFieldPos) keyChanged |= m_dirty[p];
      if (keyChanged && m_live) {
        sqlite3_reset(m_live);
        m_live = nullptr;
        m_liveDir = 0;
      }
      // The walk's copy of this row is out of date; its key columns are not.
      m_liveStale = true;
    }
    m_keyValid = false;
    m_rowLoaded = false;
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
    ensureKey();
    releaseStatements();
    m_c->deleteRow(m_qtable, m_rowid, m_table);
    m_deleted = true;
  }

 private:
  enum class State { Bof, OnRow, Eof };

  void setOrder(const QStringList& fields, const QList<bool>& desc) {
    releaseStatements();
    m_keyCols.clear();
    m_keyDesc.clear();
    m_keyFieldPos.clear();
    QStringList ord, rev;
    for (int i = 0; i < fields.size(); ++i) {
      const QString q = quoteIdentifier(fields[i]);
      const bool d = i < desc.size() && desc[i];
      m_keyCols << q;
      m_keyDesc << d;
      m_keyFieldPos << requireField(fields[i]);
      ord << q + (d ? " DESC" : "");
      rev << q + (d ? "" : " DESC");
    }
    ord << "rowid";
    rev << "rowid DESC";
    m_order = ord.join(", ");
    m_reverse = rev.join(", ");
    m_keyValid = false;
    m_indexName.clear();
  }

  sqlite3_stmt* statement(const QString& sql) {
    // The caller moves elsewhere: the current key is not needed any more.
    if (m_live) sqlite3_reset(m_live);
    m_live = nullptr;
    m_liveDir = 0;
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

  void startWalk(sqlite3_stmt* s, int dir) {
    m_live = s;
    m_liveDir = dir;
    step(dir);
  }

  void step(int dir) {
    const int rc = sqlite3_step(m_live);
    m_liveStale = false;
    m_deleted = false;
    m_rowLoaded = false;
    m_keyValid = false;
    if (rc == SQLITE_ROW) {
      m_state = State::OnRow;
      m_rowid = sqlite3_column_int64(m_live, 0);
      m_liveRowid = m_rowid;
      return;
    }
    sqlite3_stmt* s = m_live;
    sqlite3_reset(s);
    m_live = nullptr;
    m_liveDir = 0;
    if (rc != SQLITE_DONE) m_c->fail(rc, m_table);
    m_state = dir < 0 ? State::Bof : State::Eof;
  }

  void captureKeyFromLive() {
    m_key.clear();
    for (int p : m_keyFieldPos) m_key << columnValue(m_live, p + 1, m_fields[p].type, true);
    m_keyValid = true;
  }

  void loadRow() {
    if (m_rowLoaded) return;
    sqlite3_stmt* s = m_c->cached(m_select + " WHERE rowid = ?");
    sqlite3_bind_int64(s, 1, m_rowid);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW) {
      sqlite3_reset(s);
      throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    }
    m_row.resize(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
      m_row[i] = columnValue(s, i + 1, m_fields[i].type, true);
    sqlite3_reset(s);
    m_rowLoaded = true;
  }

  void ensureKey() {
    if (m_keyValid) return;
    if (m_live && m_liveRowid == m_rowid) return captureKeyFromLive();
    loadRow();
    m_key.clear();
    for (int p : m_keyFieldPos) m_key << m_row[p];
    m_keyValid = true;
  }

  bool rowExists(qint64 rowid) {
    sqlite3_stmt* s = m_c->cached("SELECT 1 FROM " + m_qtable + " WHERE rowid = ?");
    sqlite3_bind_int64(s, 1, rowid);
    const bool found = sqlite3_step(s) == SQLITE_ROW;
    sqlite3_reset(s);
    return found;
  }

  void positionOn(qint64 rowid) {
    releaseStatements();
    m_rowid = rowid;
    m_state = State::OnRow;
    m_deleted = false;
    m_rowLoaded = false;
    m_keyValid = false;
    m_empty = false;
  }

  QVariantList fullKey() const {
    QVariantList k = m_key;
    k << QVariant(static_cast<qlonglong>(m_rowid));
    return k;
  }

  // WHERE text comparing the leading key columns (and rowid when `key` holds one more value)
  // with `key` in index order. NULL sorts first, as in SQLite.
  QString predicate(Rel rel, const QVariantList& key, QVariantList& binds) const {
    QStringList cols = m_keyCols;
    QList<bool> desc = m_keyDesc;
    cols << "rowid";
    desc << false;
    const int n = key.size();
    bool simple = true;
    for (int i = 0; i < n; ++i) simple &= !desc[i] && !(key[i].isNull() || !key[i].isValid());
    if (rel == Rel::Equal) {
      QStringList parts;
      for (int i = 0; i < n; ++i) {
        if (key[i].isNull() || !key[i].isValid()) {
          parts << cols[i] + " IS NULL";
        } else {
          parts << cols[i] + " = ?";
          binds << key[i];
        }
      }
      return parts.join(" AND ");
    }
    if (simple) {
      const char* op = rel == Rel::After          ? ">"
                       : rel == Rel::AfterOrEqual ? ">="
                       : rel == Rel::Before       ? "<"
                                                  : "<=";
      QStringList lhs, marks;
      for (int i = 0; i < n; ++i) {
        lhs << cols[i];
        marks << "?";
        binds << key[i];
      }
      if (n == 1) return lhs[0] + ' ' + op + " ?";
      return "(" + lhs.join(", ") + ") " + op + " (" + marks.join(", ") + ")";
    }
    const bool forward = rel == Rel::After || rel == Rel::AfterOrEqual;
    const bool orEqual = rel == Rel::AfterOrEqual || rel == Rel::BeforeOrEqual;
    QStringList alternatives;
    QStringList equalPrefix;
    QVariantList prefixBinds;
    for (int i = 0; i < n; ++i) {
      const bool isNull = key[i].isNull() || !key[i].isValid();
      // "beyond" in the walk's direction: greater for an ascending column walked forward.
      const bool greater = forward != desc[i];
      QString beyond;
      QVariantList beyondBinds;
      if (isNull) {
        beyond = greater ? cols[i] + " IS NOT NULL" : QString();
      } else {
        beyond = greater ? cols[i] + " > ?" : "(" + cols[i] + " < ? OR " + cols[i] + " IS NULL)";
        beyondBinds << key[i];
      }
      if (!beyond.isEmpty()) {
        QStringList terms = equalPrefix;
        terms << beyond;
        alternatives << "(" + terms.join(" AND ") + ")";
        binds << prefixBinds << beyondBinds;
      }
      if (isNull) {
        equalPrefix << cols[i] + " IS NULL";
      } else {
        equalPrefix << cols[i] + " = ?";
        prefixBinds << key[i];
      }
    }
    if (orEqual) {
      alternatives << "(" + equalPrefix.join(" AND ") + ")";
      binds << prefixBinds;
    }
    if (alternatives.isEmpty()) return "0";
    return alternatives.join(" OR ");
  }

  QString m_table, m_qtable, m_select, m_order, m_reverse, m_indexName;
  QStringList m_keyCols;
  QList<bool> m_keyDesc;
  QList<int> m_keyFieldPos;
  QHash<QString, sqlite3_stmt*> m_stmts;
  sqlite3_stmt* m_live = nullptr;
  int m_liveDir = 0;
  qint64 m_liveRowid = -1;
  bool m_liveStale = false;
  State m_state = State::Bof;
  bool m_empty = false;
  bool m_deleted = false;
  qint64 m_rowid = -1;
  QVariantList m_key;
  bool m_keyValid = false;
  QVector<QVariant> m_row;
  bool m_rowLoaded = false;
  long m_count = -1;
  quint64 m_countGen = 0;
  int m_countDv = -1;
};

}  // namespace

std::shared_ptr<RecordsetImpl> openTableRecordset(std::shared_ptr<Connection> c,
                                                  const QString& table, bool readOnly) {
  return std::make_shared<TableRecordset>(std::move(c), table, readOnly);
}

}  // namespace tarovent::db
