#include "JetSql.h"

#include <QHash>
#include <QLocale>
#include <list>
#include <mutex>

#include "DbError.h"
#include "JetParser.h"

namespace tarovent::db {

namespace {

using jet::Expr;
using jet::Parser;
using jet::Select;
using jet::TableRef;
using jet::Value;

// What an expression yields, as far as its form tells.
enum class Ty { Unknown, Text, Number, Date, Bool };

Ty typeOf(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::Literal:
      switch (e.value.type) {
        case Value::Type::Text:
          return Ty::Text;
        case Value::Type::Date:
          return Ty::Date;
        case Value::Type::Bool:
          return Ty::Bool;
        case Value::Type::Null:
          return Ty::Unknown;
        default:
          return Ty::Number;
      }
    case Expr::Kind::Unary:
      return e.op == u"NOT" ? Ty::Bool : Ty::Number;
    case Expr::Kind::Binary: {
      if (e.op == u"&") return Ty::Text;
      const Ty a = typeOf(*e.args[0]);
      const Ty b = typeOf(*e.args[1]);
      if (e.op == u"+") {
        if (a == Ty::Date || b == Ty::Date) return Ty::Date;
        if (a == Ty::Text && b == Ty::Text) return Ty::Text;
        return (a == Ty::Unknown || b == Ty::Unknown) ? Ty::Unknown : Ty::Number;
      }
      if (e.op == u"-") return (a == Ty::Date && b != Ty::Date) ? Ty::Date : Ty::Number;
      if (e.op == u"*" || e.op == u"/" || e.op == u"\\" || e.op == u"MOD" || e.op == u"^")
        return Ty::Number;
      return Ty::Bool;
    }
    case Expr::Kind::Function:
      switch (e.fn->fn) {
        case jet::Fn::Left:
        case jet::Fn::Right:
        case jet::Fn::Mid:
        case jet::Fn::UCase:
        case jet::Fn::LCase:
        case jet::Fn::Trim:
        case jet::Fn::LTrim:
        case jet::Fn::RTrim:
        case jet::Fn::Space:
        case jet::Fn::Replace:
        case jet::Fn::Chr:
        case jet::Fn::CStr:
        case jet::Fn::Str:
        case jet::Fn::Format:
          return Ty::Text;
        case jet::Fn::Date:
        case jet::Fn::Now:
        case jet::Fn::Time:
        case jet::Fn::DateSerial:
        case jet::Fn::DateAdd:
        case jet::Fn::CDate:
          return Ty::Date;
        case jet::Fn::CBool:
          return Ty::Bool;
        case jet::Fn::Nz:
        case jet::Fn::IIf:
          return Ty::Unknown;
        default:
          return Ty::Number;
      }
    case Expr::Kind::Aggregate:
      if (e.name == u"SUM" || e.name == u"AVG" || e.name == u"COUNT") return Ty::Number;
      return typeOf(*e.args[0]);
    case Expr::Kind::IsNull:
    case Expr::Kind::Like:
    case Expr::Kind::Between:
    case Expr::Kind::InList:
    case Expr::Kind::InSelect:
    case Expr::Kind::Exists:
      return Ty::Bool;
    default:
      return Ty::Unknown;
  }
}

bool hasAggregate(const Expr& e) {
  if (e.kind == Expr::Kind::Aggregate) return true;
  for (const auto& a : e.args)
    if (hasAggregate(*a)) return true;
  return false;
}

bool isNullLiteral(const Expr& e) {
  return e.kind == Expr::Kind::Literal && e.value.type == Value::Type::Null;
}

QString literal(const Value& v) {
  switch (v.type) {
    case Value::Type::Null:
      return QStringLiteral("NULL");
    case Value::Type::Bool:
      return v.b ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Type::Int:
      return QString::number(v.i);
    case Value::Type::Double: {
      QString s = QString::number(v.d, 'g', QLocale::FloatingPointShortest);
      if (!s.contains(u'.') && !s.contains(u'e')) s += QStringLiteral(".0");
      return s;
    }
    case Value::Type::Text:
      return quoteText(v.s.toString());
    case Value::Type::Date:
      return quoteText(jet::storageFromSerial(v.d));
  }
  return QStringLiteral("NULL");
}

const char* aggregateFunction(const QString& name) {
  if (name == u"SUM") return "sum";
  if (name == u"AVG") return "avg";
  if (name == u"COUNT") return "count";
  if (name == u"MIN") return "min";
  if (name == u"MAX") return "max";
  if (name == u"FIRST") return "jet_first";
  return "jet_last";
}

// Prints syntax trees as SQLite SQL. Every sub-expression it prints is atomic (a name, a
// literal, a call or a parenthesised expression), so a COLLATE clause can follow any of them.
class Printer {
 public:
  Printer(const Parser& parser, const AttachFunction* attach)
      : m_parser(parser), m_attach(attach) {}

  std::vector<std::pair<QString, QString>> attached;

  QString schemaOf(const QString& path) {
    if (path.isEmpty()) return QStringLiteral("main");
    if (!m_attach || !*m_attach) m_parser.unsupported();
    const QString schema = (*m_attach)(path);
    attached.emplace_back(path, schema);
    return schema;
  }

  QString target(const QString& schema, const QString& table) const {
    if (schema.isEmpty() || schema == u"main") return quoteIdentifier(table);
    return quoteIdentifier(schema) + u'.' + quoteIdentifier(table);
  }

  QString expr(const Expr& e) {
    switch (e.kind) {
      case Expr::Kind::Literal:
        return literal(e.value);
      case Expr::Kind::Column:
        return (e.qualifier.isEmpty() ? QString() : quoteIdentifier(e.qualifier) + u'.') +
               quoteIdentifier(e.name);
      case Expr::Kind::Star:
        return e.qualifier.isEmpty() ? QStringLiteral("*") : quoteIdentifier(e.qualifier) + ".*";
      case Expr::Kind::Unary:
        if (e.op == u"NOT") return "(NOT " + expr(*e.args[0]) + ')';
        return "(-" + expr(*e.args[0]) + ')';
      case Expr::Kind::Binary:
        return binary(e);
      case Expr::Kind::Function:
        return function(e);
      case Expr::Kind::Aggregate:
        return QLatin1String(aggregateFunction(e.name)) + u'(' + withCollation(*e.args[0]) + u')';
      case Expr::Kind::IsNull:
        return '(' + expr(*e.args[0]) + (e.negated ? " IS NOT NULL)" : " IS NULL)");
      case Expr::Kind::Like:
        return '(' + expr(*e.args[0]) + (e.negated ? " NOT LIKE " : " LIKE ") + expr(*e.args[1]) +
               ')';
      case Expr::Kind::Between: {
        const bool text = typeOf(*e.args[0]) == Ty::Text || typeOf(*e.args[1]) == Ty::Text ||
                          typeOf(*e.args[2]) == Ty::Text;
        return '(' + expr(*e.args[0]) + (text ? " COLLATE JET" : "") +
               (e.negated ? " NOT BETWEEN " : " BETWEEN ") + expr(*e.args[1]) + " AND " +
               expr(*e.args[2]) + ')';
      }
      case Expr::Kind::InList: {
        bool text = typeOf(*e.args[0]) == Ty::Text;
        QStringList items;
        for (size_t k = 1; k < e.args.size(); ++k) {
          text = text || typeOf(*e.args[k]) == Ty::Text;
          items << expr(*e.args[k]);
        }
        return '(' + expr(*e.args[0]) + (text ? " COLLATE JET" : "") +
               (e.negated ? " NOT IN (" : " IN (") + items.join(QStringLiteral(", ")) + "))";
      }
      case Expr::Kind::InSelect:
        return '(' + expr(*e.args[0]) + (e.negated ? " NOT IN (" : " IN (") + select(*e.select) +
               "))";
      case Expr::Kind::Exists:
        return "(EXISTS (" + select(*e.select) + "))";
      case Expr::Kind::Subquery:
        return '(' + select(*e.select) + ')';
    }
    m_parser.unsupported();
  }

  QString select(const Select& s) {
    QString out = core(s);
    for (size_t k = 0; k < s.unions.size(); ++k)
      out += (s.unionAll[k] ? " UNION ALL " : " UNION ") + core(*s.unions[k]);
    if (!s.orderBy.empty()) {
      QStringList terms;
      for (const auto& o : s.orderBy)
        terms << orderTerm(*o.expr) + (o.descending ? QStringLiteral(" DESC") : QString());
      out += " ORDER BY " + terms.join(QStringLiteral(", "));
    }
    if (s.top >= 0) out += " LIMIT " + QString::number(s.top);
    return out;
  }

  // Computed text carries the JET collation, so that the queries, views and tables built on it
  // compare and sort it like stored text.
  QString withCollation(const Expr& e) {
    if (e.kind != Expr::Kind::Column && typeOf(e) == Ty::Text) return expr(e) + " COLLATE JET";
    return expr(e);
  }

  // An ORDER BY or GROUP BY term. Stored columns carry the JET collation in their declaration
  // (and keep their indexes usable that way); computed text needs it spelt out.
  QString orderTerm(const Expr& e) {
    const Ty t = typeOf(e);
    if (e.kind == Expr::Kind::Column || t == Ty::Number || t == Ty::Date || t == Ty::Bool)
      return expr(e);
    return expr(e) + " COLLATE JET";
  }

  QString tableRef(const TableRef& t) {
    switch (t.kind) {
      case TableRef::Kind::Table: {
        const QString schema = schemaOf(t.path);
        if (schema == u"main" && t.path.isEmpty())
          return quoteIdentifier(t.name) +
                 (t.alias.isEmpty() ? QString() : " AS " + quoteIdentifier(t.alias));
        return quoteIdentifier(schema) + u'.' + quoteIdentifier(t.name) + " AS " +
               quoteIdentifier(t.alias.isEmpty() ? t.name : t.alias);
      }
      case TableRef::Kind::Subquery:
        return '(' + select(*t.select) + ')' +
               (t.alias.isEmpty() ? QString() : " AS " + quoteIdentifier(t.alias));
      case TableRef::Kind::Join: {
        QString right = tableRef(*t.right);
        if (t.right->kind == TableRef::Kind::Join) right = '(' + right + ')';
        return tableRef(*t.left) + u' ' + t.join + " JOIN " + right + " ON " + expr(*t.on);
      }
    }
    m_parser.unsupported();
  }

 private:
  QString core(const Select& s) {
    QString out = QStringLiteral("SELECT ");
    if (s.distinct) out += QStringLiteral("DISTINCT ");
    QStringList items;
    for (const auto& item : s.items) {
      QString text = withCollation(*item.expr);
      if (!item.alias.isEmpty()) {
        text += " AS " + quoteIdentifier(item.alias);
      } else if (item.expr->kind != Expr::Kind::Column && item.expr->kind != Expr::Kind::Star) {
        text += " AS " + quoteIdentifier(defaultName(*item.expr));
      }
      items << text;
    }
    out += items.join(QStringLiteral(", "));
    if (!s.from.empty()) {
      QStringList from;
      for (const auto& t : s.from) from << tableRef(*t);
      out += " FROM " + from.join(QStringLiteral(", "));
    }
    if (s.where) out += " WHERE " + expr(*s.where);
    if (!s.groupBy.empty()) {
      QStringList terms;
      for (const auto& g : s.groupBy) terms << orderTerm(*g);
      out += " GROUP BY " + terms.join(QStringLiteral(", "));
    }
    if (s.having) out += " HAVING " + expr(*s.having);
    return out;
  }

  // The engine's names for unnamed columns: MaxOfTDOS_NUMDOSS, Expr1000, Expr1001...
  QString defaultName(const Expr& e) {
    if (e.kind == Expr::Kind::Aggregate && e.args[0]->kind == Expr::Kind::Column) {
      QString fn = e.name.toLower();
      fn[0] = fn[0].toUpper();
      return fn + "Of" + e.args[0]->name;
    }
    return QStringLiteral("Expr%1").arg(1000 + m_unnamed++);
  }

  QString comparison(const Expr& e) {
    const Expr& a = *e.args[0];
    const Expr& b = *e.args[1];
    // "F = Null" would never be true; what the program means is "F Is Null".
    if ((e.op == u"=" || e.op == u"<>") && (isNullLiteral(a) || isNullLiteral(b))) {
      const Expr& other = isNullLiteral(a) ? b : a;
      return '(' + expr(other) + (e.op == u"=" ? " IS NULL)" : " IS NOT NULL)");
    }
    const bool text = typeOf(a) == Ty::Text || typeOf(b) == Ty::Text;
    return '(' + expr(a) + u' ' + e.op + u' ' + expr(b) + (text ? " COLLATE JET)" : ")");
  }

  void concatOperands(const Expr& e, QStringList& out) {
    if (e.kind == Expr::Kind::Binary && e.op == u"&") {
      concatOperands(*e.args[0], out);
      concatOperands(*e.args[1], out);
    } else {
      out << expr(e);
    }
  }

  QString binary(const Expr& e) {
    const QString& op = e.op;
    if (op == u"AND" || op == u"OR")
      return '(' + expr(*e.args[0]) + u' ' + op + u' ' + expr(*e.args[1]) + ')';
    if (op == u"=" || op == u"<>" || op == u"<" || op == u">" || op == u"<=" || op == u">=")
      return comparison(e);
    if (op == u"&") {
      QStringList parts;
      concatOperands(e, parts);
      return "jet_cat(" + parts.join(QStringLiteral(", ")) + ')';
    }
    const QString a = expr(*e.args[0]);
    const QString b = expr(*e.args[1]);
    const Ty ta = typeOf(*e.args[0]);
    const Ty tb = typeOf(*e.args[1]);
    // Jet's + and - also add days to dates and join texts: SQLite's operators only do that
    // right when both sides are known to be numbers.
    const auto numeric = [](Ty t) { return t == Ty::Number || t == Ty::Bool; };
    const bool special = !numeric(ta) || !numeric(tb);
    if (op == u"+") return special ? "jet_add(" + a + ", " + b + ')' : '(' + a + " + " + b + ')';
    if (op == u"-") return special ? "jet_sub(" + a + ", " + b + ')' : '(' + a + " - " + b + ')';
    if (op == u"*") return '(' + a + " * " + b + ')';
    if (op == u"/") return "(CAST(" + a + " AS REAL) / " + b + ')';
    if (op == u"\\") return "jet_intdiv(" + a + ", " + b + ')';
    if (op == u"MOD") return '(' + a + " % " + b + ')';
    if (op == u"^") return "jet_pow(" + a + ", " + b + ')';
    m_parser.unsupported();  // Xor, Eqv, Imp
  }

  QString function(const Expr& e) {
    QStringList args;
    for (const auto& a : e.args) args << expr(*a);
    switch (e.fn->fn) {
      case jet::Fn::Nz:
        return "IFNULL(" + args[0] + ", " + (args.size() > 1 ? args[1] : QStringLiteral("''")) +
               ')';
      case jet::Fn::IIf:
        return "(CASE WHEN " + args[0] + " THEN " + args[1] + " ELSE " + args[2] + " END)";
      default:
        return QLatin1String(e.fn->sqlName) + u'(' + args.join(QStringLiteral(", ")) + u')';
    }
  }

  const Parser& m_parser;
  const AttachFunction* m_attach;
  int m_unnamed = 0;
};

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

void translateInsert(Parser& p, Printer& pr, SqlTranslation& r) {
  p.expectKeyword("INTO");
  r.kind = SqlTranslation::Kind::Insert;
  r.table = targetTable(p, pr, &r.schema);
  QString sql = "INSERT INTO " + pr.target(r.schema, r.table);
  if (p.atOp("(") && !p.atKeyword("SELECT", 1)) {
    p.take();
    QStringList cols;
    do {
      QString path;
      cols << quoteIdentifier(p.tableName(&path));  // "T.F" names the field F
    } while (p.acceptOp(","));
    p.expectOp(")");
    sql += " (" + cols.join(QStringLiteral(", ")) + u')';
  }
  if (p.acceptKeyword("VALUES")) {
    p.expectOp("(");
    QStringList values;
    do {
      values << pr.expr(*p.expression());
    } while (p.acceptOp(","));
    p.expectOp(")");
    sql += " VALUES (" + values.join(QStringLiteral(", ")) + u')';
  } else if (p.atKeyword("SELECT")) {
    std::shared_ptr<Select> s = p.select();
    if (s->into) p.fail();
    sql += u' ' + pr.select(*s);
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
    sets << quoteIdentifier(column) + " = " + pr.expr(*p.expression());
  } while (p.acceptOp(","));
  QString sql =
      "UPDATE " + pr.target(r.schema, r.table) + " SET " + sets.join(QStringLiteral(", "));
  if (p.acceptKeyword("WHERE")) sql += " WHERE " + pr.expr(*p.expression());
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
  if (p.acceptKeyword("WHERE")) sql += " WHERE " + pr.expr(*p.expression());
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
                         std::vector<std::pair<QString, QString>>* attached) {
  Parser p(jet);
  Printer pr(p, &attach);
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

SqlTranslation translateJetSql(const QString& jet, const AttachFunction& attach) {
  TranslationCache::Entry entry;
  if (cache().find(jet, &entry)) {
    bool same = true;
    for (const auto& [path, schema] : entry.attached) same = same && attach(path) == schema;
    if (same) return entry.translation;
  }
  entry.translation = translate(jet, attach, &entry.attached);
  cache().add(jet, entry);
  return entry.translation;
}

QString translateJetExpression(const QString& jet) {
  // A criteria, or the terms of an ORDER BY ("F DESC, G").
  Parser p(jet);
  Printer pr(p, nullptr);
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
