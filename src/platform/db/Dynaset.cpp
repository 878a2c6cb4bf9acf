#include <QRegularExpression>

#include "Criteria.h"
#include "DbError.h"
#include "RecordsetImpl.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

struct DynRow {
  qint64 rowid = -1;
  QVector<QVariant> values;
  bool loaded = false;
  bool deleted = false;
  quint64 stamp = 0;  // the connection's change stamp when the values were read
};

// The rows of a dynaset, shared by its clones.
struct DynData {
  DynData() = default;
  DynData(const DynData&) = delete;
  DynData& operator=(const DynData&) = delete;
  ~DynData() { sqlite3_finalize(fetch); }
  QVector<DynRow> rows;
  long live = 0;                  // rows not deleted
  sqlite3_stmt* fetch = nullptr;  // reads a block of rows by rowid; reset after each use
};

// A query's rows. Over one table, only the rowids are read at opening, in the query's order;
// the values come a block at a time as the cursor reaches them, so that a list of any length
// opens at once and the set of records stays the one the query gave then. Other queries are
// read whole at opening. Edits go to the table behind a single-table query and are reflected
// in the rows kept here. Deleted rows stay as holes, so bookmarks (row numbers) survive.
class Dynaset final : public RecordsetImpl {
 public:
  Dynaset(std::shared_ptr<Connection> c, const QString& source, bool isTable, bool readOnly,
          bool snapshot)
      : m_snapshot(snapshot) {
    m_c = std::move(c);
    m_source = source;
    m_readOnly = readOnly || snapshot || m_c->readOnly();
    m_isTable = isTable;
    m_data = std::make_shared<DynData>();
    load();
  }

  Dynaset(const Dynaset& other) : RecordsetImpl(other) {
    m_snapshot = other.m_snapshot;
    m_isTable = other.m_isTable;
    m_sql = other.m_sql;
    m_table = other.m_table;
    m_schema = other.m_schema;
    m_origin = other.m_origin;
    m_columns = other.m_columns;
    m_known = other.m_known;
    m_data = other.m_data;
    m_pos = -1;
    m_mode = EditMode::None;
  }

  void close() override {
    m_closed = true;
    m_data.reset();
  }

  RecordsetType type() const override {
    return m_snapshot ? RecordsetType::Snapshot : RecordsetType::Dynaset;
  }
  bool updatable() const override { return !m_readOnly && !m_table.isEmpty(); }

  // Deleting the last row left leaves the set on that hole, neither BOF nor EOF, until it moves.
  bool bof() const override { return m_pos < 0 || (m_data->live == 0 && !onHole()); }
  bool eof() const override { return m_pos >= rows().size() || (m_data->live == 0 && !onHole()); }
  bool onHole() const { return m_pos >= 0 && m_pos < rows().size() && rows()[m_pos].deleted; }

  long recordCount() override {
    checkOpen();
    return m_data->live;
  }

  long absolutePosition() override {
    checkOpen();
    if (!onRow()) return -1;
    if (m_data->live == rows().size()) return m_pos;
    long n = 0;
    for (int i = 0; i < m_pos; ++i) n += rows()[i].deleted ? 0 : 1;
    return n;
  }

  void setAbsolutePosition(long p) override {
    checkOpen();
    if (p < 0 || p >= m_data->live) noCurrentRecord();
    if (m_data->live == rows().size()) {
      m_pos = static_cast<int>(p);
      return;
    }
    long n = 0;
    for (int i = 0; i < rows().size(); ++i) {
      if (rows()[i].deleted) continue;
      if (n == p) {
        m_pos = i;
        return;
      }
      ++n;
    }
    noCurrentRecord();
  }

  void moveFirst() override {
    checkOpen();
    m_mode = EditMode::None;
    m_pos = nextLive(0, +1);
    if (m_pos >= rows().size() && m_data->live == 0) m_pos = rows().size();
  }

  void moveLast() override {
    checkOpen();
    m_mode = EditMode::None;
    m_pos = nextLive(rows().size() - 1, -1);
  }

  void moveNext() override {
    checkOpen();
    m_mode = EditMode::None;
    if (eof()) noCurrentRecord();
    m_pos = nextLive(m_pos + 1, +1);
  }

  void movePrevious() override {
    checkOpen();
    m_mode = EditMode::None;
    if (bof()) noCurrentRecord();
    m_pos = nextLive(m_pos - 1, -1);
  }

  void find(const QString& criteria, bool forward, bool fromEnd) override {
    checkOpen();
    if (criteria != m_criteriaText || !m_criteria) {
      auto compiled = std::make_shared<Criteria>(
          Criteria::compile(criteria, [this](const QString& qualifier, const QString& name) {
            return resolve(qualifier, name);
          }));
      m_criteria = compiled;
      m_criteriaText = criteria;
    }
    m_mode = EditMode::None;
    const int size = rows().size();
    const int start = findStart(size, m_pos, forward, fromEnd);
    for (int i = start; i >= 0 && i < size; i += forward ? 1 : -1) {
      const DynRow& r = row(i);
      if (r.deleted) continue;
      if (m_criteria->matches(r.values.constData())) {
        m_pos = i;
        m_noMatch = false;
        return;
      }
    }
    // The current record stays where it was, as the engine leaves it.
    m_noMatch = true;
  }

  QByteArray bookmark() const override {
    if (!onRow()) noCurrentRecord();
    return encodeBookmark(m_pos);
  }

  void setBookmark(const QByteArray& b) override {
    checkOpen();
    const qint64 p = decodeBookmark(b);
    if (p < 0 || p >= rows().size())
      throw DbError(err::InvalidBookmark, QStringLiteral("Signet non valide."));
    m_mode = EditMode::None;
    m_pos = static_cast<int>(p);
  }

  std::shared_ptr<RecordsetImpl> clone() const override {
    checkOpen();
    return std::make_shared<Dynaset>(*this);
  }

  void requery() override {
    checkOpen();
    m_mode = EditMode::None;
    m_data = std::make_shared<DynData>();
    load();
  }

  QVariant currentValue(int i) override {
    if (!onRow()) noCurrentRecord();
    DynRow& r = row(m_pos);
    if (r.deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    // Rows of a table are read again once anything may have changed them.
    const quint64 stamp = m_c->changeStamp();
    if (r.stamp != stamp) {
      refreshRow(r);
      r.stamp = stamp;
    }
    return r.values[i];
  }

  void loadForEdit() override {
    DynRow& r = row(m_pos);
    if (r.deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    refreshRow(r);  // the engine re-reads the record when editing begins
    m_buffer = r.values;
  }

  void writeEdit() override {
    DynRow& r = m_data->rows[m_pos];
    QStringList cols;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (!m_dirty[i]) continue;
      cols << quoteIdentifier(writableColumn(i));
      values << m_buffer[i];
    }
    m_c->updateRow(qualifiedTable(), cols, values, r.rowid, m_table);
    for (int i = 0; i < m_fields.size(); ++i)
      if (m_dirty[i]) r.values[i] = m_buffer[i];
    refreshRow(r);
    m_lastModified = encodeBookmark(m_pos);
  }

  void writeNew() override {
    QStringList cols;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
      if (m_buffer[i].isNull() || !m_buffer[i].isValid()) continue;
      cols << quoteIdentifier(writableColumn(i));
      values << m_buffer[i];
    }
    // Added records go to the end of the set.
    DynRow r;
    r.rowid = m_c->insertRow(qualifiedTable(), cols, values, m_table);
    r.values = m_buffer;
    r.loaded = true;
    refreshRow(r);
    m_data->rows.push_back(r);
    ++m_data->live;
    m_lastModified = encodeBookmark(m_data->rows.size() - 1);
    if (m_pos >= m_data->rows.size() - 1) m_pos = m_data->rows.size();  // stay at EOF
  }

  void checkWritable(int i) const override { writableColumn(i); }

  void deleteCurrent() override {
    checkOpen();
    if (!onRow()) noCurrentRecord();
    if (!updatable())
      throw DbError(err::ReadOnly,
                    QStringLiteral("Impossible de supprimer : objet en lecture seule."));
    DynRow& r = m_data->rows[m_pos];
    if (r.deleted) throw DbError(err::RecordDeleted, QStringLiteral("Enregistrement supprimé."));
    m_c->deleteRow(qualifiedTable(), r.rowid, m_table);
    r.deleted = true;
    --m_data->live;
  }

 private:
  const QVector<DynRow>& rows() const { return m_data->rows; }
  bool onRow() const { return m_data && m_pos >= 0 && m_pos < rows().size(); }

  // Rows are read as moves reach them, so that a row found gone is stepped over like a hole.
  int nextLive(int from, int dir) {
    const int size = rows().size();
    int i = from;
    while (i >= 0 && i < size && row(i).deleted) i += dir;
    if (i < 0) return -1;
    if (i >= size) return size;
    return i;
  }

  // Row `i`, its values read with the block around it when they are not yet.
  DynRow& row(int i) {
    DynRow& r = m_data->rows[i];
    if (!r.loaded) fetchBlock(i - i % kBlock);
    return r;
  }

  void fetchBlock(int from) {
    auto& rows = m_data->rows;
    const int to = std::min<int>(from + kBlock, rows.size());
    if (!m_data->fetch) {
      QStringList marks;
      for (int i = 0; i < kBlock; ++i) marks << QStringLiteral("?");
      m_data->fetch = m_c->prepare("SELECT * FROM (" + m_sql + ") WHERE __jet_rowid IN (" +
                                   marks.join(',') + ')');
    }
    sqlite3_stmt* s = m_data->fetch;
    m_c->use();
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    QHash<qint64, int> at;
    for (int i = from; i < to; ++i) {
      // A row deleted before its block was read is a hole already.
      if (rows[i].loaded || rows[i].deleted) continue;
      sqlite3_bind_int64(s, i - from + 1, rows[i].rowid);
      at.insert(rows[i].rowid, i);
    }
    const quint64 stamp = m_c->changeStamp();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      const auto it = at.constFind(sqlite3_column_int64(s, 0));
      if (it == at.cend()) continue;
      DynRow& r = rows[*it];
      at.erase(it);
      readValues(s, r);
      r.stamp = stamp;
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) m_c->fail(rc, m_source);
    // A row that no longer meets the query keeps its place with the table's values; a row
    // deleted since the opening is a hole.
    for (const int i : std::as_const(at)) {
      DynRow& r = rows[i];
      r.values = QVector<QVariant>(m_fields.size());
      r.loaded = true;
      r.stamp = stamp;
      if (!refreshRow(r)) {
        r.deleted = true;
        --m_data->live;
      }
    }
  }

  void readValues(sqlite3_stmt* s, DynRow& r) const {
    r.values.resize(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
      r.values[i] = columnValue(s, m_columns[i], m_fields[i].type, m_known[i]);
    r.loaded = true;
  }

  QString qualifiedTable() const {
    return quoteIdentifier(m_schema) + '.' + quoteIdentifier(m_table);
  }

  QString writableColumn(int i) const {
    if (m_origin.value(i).isEmpty())
      throw DbError(
          err::FieldNotUpdatable,
          QStringLiteral("Le champ '%1' ne peut pas être mis à jour.").arg(m_fields[i].name));
    return m_origin[i];
  }

  int resolve(const QString& qualifier, const QString& name) const {
    if (!qualifier.isEmpty()) {
      const int i = fieldIndex(qualifier + '.' + name);
      if (i >= 0) return i;
    }
    return fieldIndex(name);
  }

  // False when the row is no longer in the table.
  bool refreshRow(DynRow& r) {
    if (m_table.isEmpty() || r.rowid < 0) return true;
    const TableInfo& info = m_c->table(m_table, m_schema);
    sqlite3_stmt* s = m_c->cached("SELECT * FROM " + qualifiedTable() + " WHERE rowid = ?");
    sqlite3_bind_int64(s, 1, r.rowid);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
      for (int i = 0; i < m_fields.size(); ++i) {
        if (m_origin.value(i).isEmpty()) continue;
        const int col = info.indexOfField(m_origin[i]);
        if (col >= 0) r.values[i] = columnValue(s, col, info.fields[col].type, true);
      }
    }
    sqlite3_reset(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) m_c->fail(rc, m_table);
    return rc == SQLITE_ROW;
  }

  void load() {
    QString select;
    if (m_isTable) {
      const TableInfo& info = m_c->table(m_source);
      m_table = info.name;
      m_schema = info.schema;
      QStringList order;
      for (const auto& ix : info.indexes)
        if (ix.primary)
          for (int i = 0; i < ix.fields.size(); ++i)
            order << quoteIdentifier(ix.fields[i]) + (ix.descending.value(i) ? " DESC" : "");
      order << "rowid";
      select = "SELECT rowid AS __jet_rowid, * FROM " + quoteIdentifier(m_table) + " ORDER BY " +
               order.join(", ");
    } else {
      const SqlTranslation t = m_c->translate(m_source);
      if (t.kind != SqlTranslation::Kind::Select)
        throw DbError(err::InvalidOperation,
                      QStringLiteral("Opération non valide : une requête action ne peut pas être "
                                     "ouverte comme jeu d'enregistrements."));
      select = t.sql;
      if (!t.updatableTable.isEmpty() && !m_snapshot) {
        static const QRegularExpression head(R"(^\s*SELECT\s+)",
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = head.match(select);
        if (m.hasMatch() && m_c->hasTable(t.updatableTable, t.updatableSchema)) {
          m_table = m_c->table(t.updatableTable, t.updatableSchema).name;
          m_schema = t.updatableSchema;
          const QString alias = t.updatableAlias.isEmpty() ? m_table : t.updatableAlias;
          select = "SELECT " + quoteIdentifier(alias) + ".rowid AS __jet_rowid, " +
                   select.mid(m.capturedEnd());
        } else if (m.hasMatch() && t.updatableSchema == u"main") {
          select = overSavedQuery(t, select, m.capturedEnd());
        }
      }
    }
    m_sql = select;
    sqlite3_stmt* s = m_c->prepare(select);
    const int n = sqlite3_column_count(s);
    const int first = m_table.isEmpty() ? 0 : 1;
    QList<FieldSpec> fields;
    QStringList qualifiers;
    QList<bool> known;
    m_origin.clear();
    m_columns.clear();
    for (int i = first; i < n; ++i) {
      // The rowid a saved query passes on is no field, even under "*".
      if (first && qstrcmp(sqlite3_column_name(s, i), "__jet_rowid") == 0) continue;
      m_columns << i;
      const char* decl = sqlite3_column_decltype(s, i);
      const char* tab = sqlite3_column_table_name(s, i);
      const char* orig = sqlite3_column_origin_name(s, i);
      FieldSpec f = decl ? fieldFromSqlite(QString::fromUtf8(sqlite3_column_name(s, i)),
                                           QString::fromUtf8(decl), {}, false)
                         : FieldSpec{};
      f.name = QString::fromUtf8(sqlite3_column_name(s, i));
      if (!decl) f.type = FieldType::Memo;
      fields << f;
      known << (decl != nullptr);
      qualifiers << (tab ? QString::fromUtf8(tab) : QString());
      const bool own = tab && !m_table.isEmpty() &&
                       QString::fromUtf8(tab).compare(m_table, Qt::CaseInsensitive) == 0;
      m_origin << (own && orig ? QString::fromUtf8(orig) : QString());
    }
    setFields(fields, qualifiers);
    m_known = known;
    auto& rows = m_data->rows;
    const quint64 stamp = m_c->changeStamp();
    if (first) {
      // Over one table the rowids are enough: values are read when the cursor comes.
      sqlite3_finalize(s);
      s = m_c->prepare("SELECT __jet_rowid FROM (" + select + ')');
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      DynRow r;
      r.stamp = stamp;
      if (first)
        r.rowid = sqlite3_column_int64(s, 0);
      else
        readValues(s, r);
      rows.push_back(std::move(r));
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) m_c->fail(rc, m_source);
    m_data->live = rows.size();
    m_pos = 0;
  }

  // A saved query over one table, read in place of its name with that table's rowids, so
  // that a dynaset over it edits the table. `select` is left as it is otherwise.
  QString overSavedQuery(const SqlTranslation& t, const QString& select, qsizetype itemsAt) {
    const QString view = quoteIdentifier(t.updatableTable);
    const qsizetype from = select.indexOf(" FROM " + view);
    static const QString kQueries = QStringLiteral("MSysTaroventQueries");
    if (from < 0 || !m_c->hasTable(kQueries)) return select;
    QString jet;
    sqlite3_stmt* q =
        m_c->cached("SELECT SqlText FROM " + kQueries + " WHERE Name = ?1 COLLATE NOCASE");
    bindValue(q, 1, t.updatableTable);
    if (sqlite3_step(q) == SQLITE_ROW) jet = columnText(q, 0);
    sqlite3_reset(q);
    if (jet.isEmpty()) return select;
    const SqlTranslation inner = m_c->translate(jet);
    if (inner.kind != SqlTranslation::Kind::Select || inner.updatableTable.isEmpty() ||
        !m_c->hasTable(inner.updatableTable, inner.updatableSchema))
      return select;
    static const QRegularExpression head(R"(^\s*SELECT\s+)",
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(inner.sql);
    if (!m.hasMatch()) return select;
    const QString innerAlias =
        inner.updatableAlias.isEmpty() ? inner.updatableTable : inner.updatableAlias;
    const QString body = "(SELECT " + quoteIdentifier(innerAlias) + ".rowid AS __jet_rowid, " +
                         inner.sql.mid(m.capturedEnd()) + ')';
    const qsizetype end = from + 6 + view.size();
    const bool aliased = select.mid(end).startsWith(QLatin1String(" AS "));
    const QString outerAlias = t.updatableAlias.isEmpty() ? t.updatableTable : t.updatableAlias;
    m_table = m_c->table(inner.updatableTable, inner.updatableSchema).name;
    m_schema = inner.updatableSchema;
    return "SELECT " + quoteIdentifier(outerAlias) + ".__jet_rowid AS __jet_rowid, " +
           select.mid(itemsAt, from - itemsAt) + " FROM " + body +
           (aliased ? QString() : " AS " + view) + select.mid(end);
  }

  bool m_snapshot = false;
  bool m_isTable = false;
  static constexpr int kBlock = 64;
  QList<int> m_columns;  // the statement's column of each field
  QList<bool> m_known;   // whether each field's declared type is known
  QString m_sql, m_table, m_schema = QStringLiteral("main");
  QStringList m_origin;
  std::shared_ptr<DynData> m_data;
  int m_pos = 0;
  QString m_criteriaText;
  std::shared_ptr<Criteria> m_criteria;
};

}  // namespace

std::shared_ptr<RecordsetImpl> openDynaset(std::shared_ptr<Connection> c, const QString& source,
                                           bool isTable, bool readOnly, bool snapshot) {
  return std::make_shared<Dynaset>(std::move(c), source, isTable, readOnly, snapshot);
}

}  // namespace tarovent::db
