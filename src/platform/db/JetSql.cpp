#include "JetSql.h"

#include <QHash>
#include <QLocale>
#include <list>
#include <mutex>

#include "DbError.h"
#include "JetParser.h"
#include "SqlPrinter.h"

namespace tarovent::db {

namespace {

using namespace jetsql;

// --- statements ---

void checkNoJoin(Parser& p) {
  if (p.atKeyword("INNER") || p.atKeyword("LEFT") || p.atKeyword("RIGHT") || p.atKeyword("JOIN") ||
      p.atOp(","))
    p.unsupported();
}

QString defaultText(const Parser& p, const Expr& e) {
  if (e.kind == Expr::Kind::Literal) {
    switch (e.value.type) {
      case Value::Type::Text: {
        QString s = e.value.s.toString();
        s.replace(u'"', QStringLiteral("\"\""));
        return '"' + s + '"';
      }
      case Value::Type::Bool:
        return e.value.b ? QStringLiteral("True") : QStringLiteral("False");
      case Value::Type::Null:
        return {};
      default:
        break;
    }
  }
  return p.text().mid(e.begin, e.end - e.begin).trimmed();
}

QStringList nameList(Parser& p, QList<bool>* descending) {
  QStringList names;
  p.expectOp("(");
  do {
    names << p.name();
    bool desc = false;
    if (p.acceptKeyword("DESC")) {
      desc = true;
    } else {
      p.acceptKeyword("ASC");
    }
    if (descending) descending->append(desc);
  } while (p.acceptOp(","));
  p.expectOp(")");
  return names;
}

IndexSpec keyConstraint(Parser& p, const QString& name) {
  IndexSpec ix;
  ix.name = name;
  if (p.acceptKeyword("PRIMARY")) {
    p.expectKeyword("KEY");
    ix.primary = ix.unique = true;
    if (ix.name.isEmpty()) ix.name = QStringLiteral("PrimaryKey");
  } else if (p.acceptKeyword("UNIQUE")) {
    ix.unique = true;
  } else {
    p.unsupported();  // FOREIGN KEY, CHECK...
  }
  return ix;
}

FieldSpec fieldDefinition(Parser& p, QList<IndexSpec>* indexes) {
  FieldSpec f;
  f.name = p.name();
  QString type = p.name();
  if (type.compare(u"DOUBLE", Qt::CaseInsensitive) == 0) p.acceptKeyword("PRECISION");
  if (type.compare(u"LONG", Qt::CaseInsensitive) == 0) {
    if (p.acceptKeyword("BINARY"))
      type = QStringLiteral("LONGBINARY");
    else if (p.acceptKeyword("TEXT") || p.acceptKeyword("CHAR"))
      type = QStringLiteral("MEMO");
  }
  int size = 0;
  if (p.acceptOp("(")) {
    size = int(p.integer());
    if (p.acceptOp(",")) p.integer();
    p.expectOp(")");
  }
  if (!applyJetTypeName(type, size, f)) p.unsupported();
  for (;;) {
    if (p.acceptKeyword("NOT")) {
      p.expectKeyword("NULL");
      f.required = true;
    } else if (p.acceptKeyword("NULL")) {
    } else if (p.acceptKeyword("DEFAULT")) {
      jet::ExprPtr d = p.expression();
      f.defaultValue = defaultText(p, *d);
    } else if (p.atKeyword("PRIMARY") || p.atKeyword("UNIQUE")) {
      IndexSpec ix = keyConstraint(p, QString());
      if (ix.name.isEmpty()) ix.name = f.name;
      ix.fields << f.name;
      ix.descending << false;
      indexes->append(ix);
    } else if (p.acceptKeyword("CONSTRAINT")) {
      const QString name = p.name();
      if (p.acceptKeyword("NOT")) {
        p.expectKeyword("NULL");
        f.required = true;
        continue;
      }
      IndexSpec ix = keyConstraint(p, name);
      ix.fields << f.name;
      ix.descending << false;
      indexes->append(ix);
    } else if (p.acceptKeyword("WITH")) {
      if (!p.acceptKeyword("COMPRESSION") && !p.acceptKeyword("COMP")) p.unsupported();
    } else {
      return f;
    }
  }
}

IndexSpec tableConstraint(Parser& p) {
  QString name;
  if (p.acceptKeyword("CONSTRAINT")) name = p.name();
  IndexSpec ix = keyConstraint(p, name);
  ix.fields = nameList(p, &ix.descending);
  if (ix.name.isEmpty()) ix.name = ix.fields.join(QString());
  return ix;
}

QString targetTable(Parser& p, Printer& pr, QString* schema) {
  QString path;
  const QString table = p.tableName(&path);
  if (p.acceptKeyword("IN")) path = p.stringLiteral();
  *schema = pr.schemaOf(path);
  return table;
}

void translateSelect(Parser& p, Printer& pr, SqlTranslation& r) {
  std::shared_ptr<Select> s = p.select();
  p.expectEnd();
  if (s->into) {
    r.kind = SqlTranslation::Kind::SelectInto;
    r.table = s->intoTable;
    r.schema = pr.schemaOf(s->intoPath);
  }
  r.sql = pr.select(*s);
  bool simple = !s->into && s->from.size() == 1 && s->from[0]->kind == TableRef::Kind::Table &&
                !s->distinct && s->groupBy.empty() && !s->having && s->unions.empty();
  for (const auto& item : s->items) simple = simple && !hasAggregate(*item.expr);
  if (simple) {
    r.updatableTable = s->from[0]->name;
    r.updatableSchema = pr.schemaOf(s->from[0]->path);
    r.updatableAlias = s->from[0]->alias.isEmpty() ? r.updatableTable : s->from[0]->alias;
  }
}

// The value a statement writes into a field goes through the checks a recordset makes.
QString checked(const Printer& pr, const QString& value, const SqlTranslation& r,
                const QString& field) {
  return pr.dialect().checkedValue(value, r.schema, r.table, field);
}

void translateInsert(Parser& p, Printer& pr, SqlTranslation& r) {
  p.expectKeyword("INTO");
  r.kind = SqlTranslation::Kind::Insert;
  r.table = targetTable(p, pr, &r.schema);
  QString sql = "INSERT INTO " + pr.target(r.schema, r.table);
  QStringList names;
  if (p.atOp("(") && !p.atKeyword("SELECT", 1)) {
    p.take();
    QStringList cols;
    do {
      QString path;
      names << p.tableName(&path);  // "T.F" names the field F
      cols << quoteIdentifier(names.last());
    } while (p.acceptOp(","));
    p.expectOp(")");
    sql += " (" + cols.join(QStringLiteral(", ")) + u')';
  }
  // Without a field list the values go to the fields in their order.
  const auto field = [&](qsizetype k) {
    return k < names.size() ? quoteText(names[k]) : QString::number(k);
  };
  if (p.acceptKeyword("VALUES")) {
    p.expectOp("(");
    QStringList values;
    do {
      values << checked(pr, pr.operand(*p.expression()), r, field(values.size()));
    } while (p.acceptOp(","));
    p.expectOp(")");
    sql += " VALUES (" + values.join(QStringLiteral(", ")) + u')';
  } else if (p.atKeyword("SELECT")) {
    std::shared_ptr<Select> s = p.select();
    if (s->into) p.fail();
    bool star = false;
    for (const auto& item : s->items) star = star || item.expr->kind == Expr::Kind::Star;
    if (star) {
      sql += u' ' + pr.select(*s);
    } else {
      // The selected rows are named jet_src(c0, c1...) so that each column can be checked.
      QStringList cols, values;
      for (qsizetype k = 0; k < qsizetype(s->items.size()); ++k) {
        cols << QStringLiteral("c%1").arg(k);
        values << checked(pr, cols.last(), r, field(k));
      }
      sql = "WITH jet_src(" + cols.join(QStringLiteral(", ")) + ") AS (" + pr.select(*s) + ") " +
            sql + " SELECT " + values.join(QStringLiteral(", ")) + " FROM jet_src";
    }
  } else {
    p.fail();
  }
  p.expectEnd();
  r.sql = sql;
}

void translateUpdate(Parser& p, Printer& pr, SqlTranslation& r) {
  r.kind = SqlTranslation::Kind::Update;
  r.table = targetTable(p, pr, &r.schema);
  checkNoJoin(p);
  p.expectKeyword("SET");
  QStringList sets;
  do {
    QString qualifier;
    const QString column = p.tableName(&qualifier);
    p.expectOp("=");
    sets << quoteIdentifier(column) + " = " +
                checked(pr, pr.operand(*p.expression()), r, quoteText(column));
  } while (p.acceptOp(","));
  QString sql =
      "UPDATE " + pr.target(r.schema, r.table) + " SET " + sets.join(QStringLiteral(", "));
  if (p.acceptKeyword("WHERE")) sql += " WHERE " + pr.condition(*p.expression());
  p.expectEnd();
  r.sql = sql;
}

void translateDelete(Parser& p, Printer& pr, SqlTranslation& r) {
  r.kind = SqlTranslation::Kind::Delete;
  if (!p.acceptOp("*")) {
    // DELETE T.* FROM T, DELETE T FROM T
    if (p.atName() && p.atOp(".", 1) && p.atOp("*", 2)) {
      p.take();
      p.take();
      p.take();
    } else if (p.atName() && p.atKeyword("FROM", 1)) {
      p.take();
    }
  }
  p.expectKeyword("FROM");
  r.table = targetTable(p, pr, &r.schema);
  if (p.atName()) p.take();  // alias
  checkNoJoin(p);
  QString sql = "DELETE FROM " + pr.target(r.schema, r.table);
  if (p.acceptKeyword("WHERE")) sql += " WHERE " + pr.condition(*p.expression());
  p.expectEnd();
  r.sql = sql;
}

void translateCreate(Parser& p, Printer& pr, SqlTranslation& r) {
  if (p.acceptKeyword("TABLE")) {
    r.kind = SqlTranslation::Kind::CreateTable;
    r.table = targetTable(p, pr, &r.schema);
    p.expectOp("(");
    do {
      if (p.atKeyword("CONSTRAINT") || p.atKeyword("PRIMARY") || p.atKeyword("UNIQUE")) {
        r.indexes.append(tableConstraint(p));
      } else {
        r.fields.append(fieldDefinition(p, &r.indexes));
      }
    } while (p.acceptOp(","));
    p.expectOp(")");
    p.expectEnd();
    return;
  }
  IndexSpec ix;
  ix.unique = p.acceptKeyword("UNIQUE");
  p.expectKeyword("INDEX");
  r.kind = SqlTranslation::Kind::CreateIndex;
  ix.name = p.name();
  p.expectKeyword("ON");
  r.table = targetTable(p, pr, &r.schema);
  ix.fields = nameList(p, &ix.descending);
  if (p.acceptKeyword("WITH")) {
    do {
      if (p.acceptKeyword("PRIMARY")) {
        ix.primary = ix.unique = true;
      } else if (p.acceptKeyword("DISALLOW") || p.acceptKeyword("IGNORE")) {
        p.expectKeyword("NULL");
      } else {
        p.fail();
      }
    } while (!p.atEnd());
  }
  p.expectEnd();
  r.indexes.append(ix);
}

void translateAlter(Parser& p, Printer& pr, SqlTranslation& r) {
  p.expectKeyword("TABLE");
  r.table = targetTable(p, pr, &r.schema);
  if (p.acceptKeyword("ADD")) {
    if (p.atKeyword("CONSTRAINT") || p.atKeyword("PRIMARY") || p.atKeyword("UNIQUE")) {
      r.kind = SqlTranslation::Kind::CreateIndex;
      r.indexes.append(tableConstraint(p));
    } else {
      p.acceptKeyword("COLUMN");
      r.kind = SqlTranslation::Kind::AddColumn;
      r.fields.append(fieldDefinition(p, &r.indexes));
    }
  } else if (p.acceptKeyword("DROP")) {
    if (p.acceptKeyword("CONSTRAINT")) {
      r.kind = SqlTranslation::Kind::DropIndex;
      r.indexName = p.name();
    } else {
      p.acceptKeyword("COLUMN");
      r.kind = SqlTranslation::Kind::DropColumn;
      r.column = p.name();
    }
  } else {
    p.unsupported();
  }
  p.expectEnd();
}

void translateDrop(Parser& p, Printer& pr, SqlTranslation& r) {
  if (p.acceptKeyword("TABLE")) {
    r.kind = SqlTranslation::Kind::DropTable;
    r.table = targetTable(p, pr, &r.schema);
  } else if (p.acceptKeyword("INDEX")) {
    r.kind = SqlTranslation::Kind::DropIndex;
    r.indexName = p.name();
    p.expectKeyword("ON");
    r.table = targetTable(p, pr, &r.schema);
  } else {
    p.unsupported();
  }
  p.expectEnd();
}

SqlTranslation translate(const QString& jet, const AttachFunction& attach,
                         const SqlDialect& dialect,
                         std::vector<std::pair<QString, QString>>* attached) {
  Parser p(jet);
  Printer pr(p, &attach, dialect);
  SqlTranslation r;
  if (p.atKeyword("SELECT")) {
    translateSelect(p, pr, r);
  } else if (p.acceptKeyword("INSERT")) {
    translateInsert(p, pr, r);
  } else if (p.acceptKeyword("UPDATE")) {
    translateUpdate(p, pr, r);
  } else if (p.acceptKeyword("DELETE")) {
    translateDelete(p, pr, r);
  } else if (p.acceptKeyword("CREATE")) {
    translateCreate(p, pr, r);
  } else if (p.acceptKeyword("ALTER")) {
    translateAlter(p, pr, r);
  } else if (p.acceptKeyword("DROP")) {
    translateDrop(p, pr, r);
  } else {
    p.unsupported();
  }
  *attached = std::move(pr.attached);
  return r;
}

// Translations by Jet text. An entry also records the schema each attached file got, and is
// used only while the caller's attach function still gives the same names.
class TranslationCache {
 public:
  struct Entry {
    SqlTranslation translation;
    std::vector<std::pair<QString, QString>> attached;
  };

  bool find(const QString& jet, Entry* out) {
    std::lock_guard lock(m_mutex);
    const auto it = m_index.find(jet);
    if (it == m_index.end()) return false;
    m_order.splice(m_order.begin(), m_order, it.value());
    *out = it.value()->second;
    return true;
  }

  void add(const QString& jet, Entry entry) {
    std::lock_guard lock(m_mutex);
    const auto it = m_index.find(jet);
    if (it != m_index.end()) {
      m_order.erase(it.value());
      m_index.erase(it);
    }
    m_order.emplace_front(jet, std::move(entry));
    m_index.insert(jet, m_order.begin());
    if (m_order.size() > kCapacity) {
      m_index.remove(m_order.back().first);
      m_order.pop_back();
    }
  }

 private:
  static constexpr size_t kCapacity = 256;
  std::mutex m_mutex;
  std::list<std::pair<QString, Entry>> m_order;
  QHash<QString, std::list<std::pair<QString, Entry>>::iterator> m_index;
};

TranslationCache& cache() {
  static TranslationCache c;
  return c;
}

}  // namespace

SqlTranslation translateJetSql(const QString& jet, const AttachFunction& attach,
                               const SqlDialect& dialect) {
  const QString key = dialect.name() + u'\n' + jet;
  TranslationCache::Entry entry;
  if (cache().find(key, &entry)) {
    bool same = true;
    for (const auto& [path, schema] : entry.attached) same = same && attach(path) == schema;
    if (same) return entry.translation;
  }
  entry.translation = translate(jet, attach, dialect, &entry.attached);
  cache().add(key, entry);
  return entry.translation;
}

QString translateJetExpression(const QString& jet, const SqlDialect& dialect) {
  // A criteria, or the terms of an ORDER BY ("F DESC, G").
  Parser p(jet);
  Printer pr(p, nullptr, dialect);
  QStringList terms;
  do {
    const jet::ExprPtr e = p.expression();
    if (p.acceptKeyword("DESC")) {
      terms << pr.orderTerm(*e) + " DESC";
    } else if (p.acceptKeyword("ASC")) {
      terms << pr.orderTerm(*e);
    } else {
      terms << pr.expr(*e);
    }
  } while (p.acceptOp(","));
  p.expectEnd();
  return terms.join(QStringLiteral(", "));
}

}  // namespace tarovent::db
