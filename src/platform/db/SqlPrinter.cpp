#include "SqlPrinter.h"

#include <QLocale>

#include "DbError.h"
#include "JetType.h"
#include "JetValue.h"

namespace tarovent::db::jetsql {

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

QString literal(const Value& v, const SqlDialect& dialect) {
  switch (v.type) {
    case Value::Type::Null:
      return QStringLiteral("NULL");
    case Value::Type::Bool:
      return v.b ? QStringLiteral("-1") : QStringLiteral("0");
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
      return dialect.dateLiteral(jet::storageFromSerial(v.d));
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

QString Printer::schemaOf(const QString& path) {
  if (path.isEmpty()) return QStringLiteral("main");
  if (!m_attach || !*m_attach) m_parser.unsupported();
  const QString schema = (*m_attach)(path);
  attached.emplace_back(path, schema);
  return schema;
}

QString Printer::target(const QString& schema, const QString& table) const {
  return m_dialect.table(schema, table);
}

QString Printer::expr(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::Literal:
      return literal(e.value, m_dialect);
    case Expr::Kind::Column:
      return (e.qualifier.isEmpty() ? QString() : quoteIdentifier(e.qualifier) + u'.') +
             quoteIdentifier(e.name);
    case Expr::Kind::Star:
      return e.qualifier.isEmpty() ? QStringLiteral("*") : quoteIdentifier(e.qualifier) + ".*";
    case Expr::Kind::Unary:
      if (e.op == u"NOT") return "(NOT " + condition(*e.args[0]) + ')';
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
      return m_dialect.like(expr(*e.args[0]), expr(*e.args[1]), e.negated);
    case Expr::Kind::Between: {
      const bool text = typeOf(*e.args[0]) == Ty::Text || typeOf(*e.args[1]) == Ty::Text ||
                        typeOf(*e.args[2]) == Ty::Text;
      return '(' + expr(*e.args[0]) + (text ? m_dialect.textCollation() : QString()) +
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
      return '(' + expr(*e.args[0]) + (text ? m_dialect.textCollation() : QString()) +
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

QString Printer::condition(const Expr& e) {
  return nativeCondition(e) ? expr(e) : m_dialect.condition(expr(e));
}

QString Printer::select(const Select& s) {
  QString out = core(s);
  for (size_t k = 0; k < s.unions.size(); ++k)
    out += (s.unionAll[k] ? " UNION ALL " : " UNION ") + core(*s.unions[k]);
  if (!s.orderBy.empty()) {
    QStringList terms;
    for (const auto& o : s.orderBy)
      terms << orderTerm(*o.expr) + (o.descending ? QStringLiteral(" DESC") : QString()) +
                   m_dialect.nullOrder(o.descending);
    out += " ORDER BY " + terms.join(QStringLiteral(", "));
  }
  if (s.top >= 0) out += " LIMIT " + QString::number(s.top);
  return out;
}

QString Printer::withCollation(const Expr& e) {
  if (e.kind != Expr::Kind::Column && typeOf(e) == Ty::Text)
    return expr(e) + m_dialect.textCollation();
  return expr(e);
}

QString Printer::orderTerm(const Expr& e) {
  const Ty t = typeOf(e);
  // A column, or a subquery giving one, sorts by the column's own collation.
  const bool column =
      e.kind == Expr::Kind::Column ||
      (e.kind == Expr::Kind::Subquery && e.select && e.select->items.size() == 1 &&
       e.select->items[0].expr && e.select->items[0].expr->kind == Expr::Kind::Column);
  if (column || t == Ty::Number || t == Ty::Date || t == Ty::Bool) return expr(e);
  return expr(e) + m_dialect.textCollation();
}

QString Printer::tableRef(const TableRef& t) {
  switch (t.kind) {
    case TableRef::Kind::Table: {
      // A table of another database keeps its bare name as the name its columns go by.
      const QString schema = schemaOf(t.path);
      const QString alias = t.alias.isEmpty() && !t.path.isEmpty() ? t.name : t.alias;
      return m_dialect.table(schema, t.name) +
             (alias.isEmpty() ? QString() : " AS " + quoteIdentifier(alias));
    }
    case TableRef::Kind::Subquery: {
      // The engine lets a subquery in FROM go without a name; PostgreSQL wants one. Its
      // columns are then named alone, so the name given here is never read.
      const QString alias = t.alias.isEmpty()
                                ? QStringLiteral("_sub%1").arg(++m_unnamedSubqueries)
                                : t.alias;
      return '(' + select(*t.select) + ") AS " + quoteIdentifier(alias);
    }
    case TableRef::Kind::Join: {
      QString right = tableRef(*t.right);
      if (t.right->kind == TableRef::Kind::Join) right = '(' + right + ')';
      return tableRef(*t.left) + u' ' + t.join + " JOIN " + right + " ON " + condition(*t.on);
    }
  }
  m_parser.unsupported();
}

QString Printer::core(const Select& s) {
  QString out = QStringLiteral("SELECT ");
  if (s.distinct) out += QStringLiteral("DISTINCT ");
  QStringList items;
  for (const auto& item : s.items) {
    // A truth value shown in a column reads as the engine's True, -1.
    QString text = nativeCondition(*item.expr) ? operand(*item.expr) : withCollation(*item.expr);
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
  if (s.where) out += " WHERE " + condition(*s.where);
  if (!s.groupBy.empty()) {
    QStringList terms;
    for (const auto& g : s.groupBy) terms << orderTerm(*g);
    out += " GROUP BY " + terms.join(QStringLiteral(", "));
  }
  if (s.having) out += " HAVING " + condition(*s.having);
  return out;
}

QString Printer::defaultName(const Expr& e) {
  if (e.kind == Expr::Kind::Aggregate && e.args[0]->kind == Expr::Kind::Column) {
    QString fn = e.name.toLower();
    fn[0] = fn[0].toUpper();
    return fn + "Of" + e.args[0]->name;
  }
  return QStringLiteral("Expr%1").arg(1000 + m_unnamed++);
}

QString Printer::comparison(const Expr& e) {
  const Expr& a = *e.args[0];
  const Expr& b = *e.args[1];
  // "F = Null" would never be true; what the program means is "F Is Null".
  if ((e.op == u"=" || e.op == u"<>") && (isNullLiteral(a) || isNullLiteral(b))) {
    const Expr& other = isNullLiteral(a) ? b : a;
    return '(' + expr(other) + (e.op == u"=" ? " IS NULL)" : " IS NOT NULL)");
  }
  const bool text = typeOf(a) == Ty::Text || typeOf(b) == Ty::Text;
  return '(' + operand(a) + u' ' + e.op + u' ' + operand(b) +
         (text ? m_dialect.textCollation() : QString()) + ')';
}

bool Printer::nativeCondition(const Expr& e) {
  switch (e.kind) {
    case Expr::Kind::Binary:
      return typeOf(e) == Ty::Bool;
    case Expr::Kind::Unary:
      return e.op == u"NOT";
    case Expr::Kind::IsNull:
    case Expr::Kind::Like:
    case Expr::Kind::Between:
    case Expr::Kind::InList:
    case Expr::Kind::InSelect:
    case Expr::Kind::Exists:
      return true;
    default:
      return false;
  }
}

QString Printer::operand(const Expr& e) {
  return nativeCondition(e) ? m_dialect.truthValue(expr(e)) : expr(e);
}

void Printer::concatOperands(const Expr& e, QStringList& out) {
  if (e.kind == Expr::Kind::Binary && e.op == u"&") {
    concatOperands(*e.args[0], out);
    concatOperands(*e.args[1], out);
  } else {
    out << operand(e);
  }
}

QString Printer::binary(const Expr& e) {
  const QString& op = e.op;
  if (op == u"AND" || op == u"OR")
    return '(' + condition(*e.args[0]) + u' ' + op + u' ' + condition(*e.args[1]) + ')';
  if (op == u"=" || op == u"<>" || op == u"<" || op == u">" || op == u"<=" || op == u">=")
    return comparison(e);
  if (op == u"&") {
    QStringList parts;
    concatOperands(e, parts);
    return m_dialect.concatenation(parts);
  }
  const QString a = operand(*e.args[0]);
  const QString b = operand(*e.args[1]);
  const Ty ta = typeOf(*e.args[0]);
  const Ty tb = typeOf(*e.args[1]);
  // Jet's + and - also add days to dates and join texts: SQLite's operators only do that
  // right when both sides are known to be numbers.
  const auto numeric = [](Ty t) { return t == Ty::Number || t == Ty::Bool; };
  const bool special = !numeric(ta) || !numeric(tb);
  if (op == u"+") return special ? "jet_add(" + a + ", " + b + ')' : '(' + a + " + " + b + ')';
  if (op == u"-") return special ? "jet_sub(" + a + ", " + b + ')' : '(' + a + " - " + b + ')';
  if (op == u"*") return '(' + a + " * " + b + ')';
  if (op == u"/") return "jet_div(" + a + ", " + b + ')';
  if (op == u"\\") return "jet_intdiv(" + a + ", " + b + ')';
  if (op == u"MOD") return "jet_mod(" + a + ", " + b + ')';
  if (op == u"^") return "jet_pow(" + a + ", " + b + ')';
  m_parser.unsupported();  // Xor, Eqv, Imp
}

QString Printer::function(const Expr& e) {
  QStringList args;
  for (const auto& a : e.args) args << operand(*a);
  switch (e.fn->fn) {
    case jet::Fn::Nz:
      return m_dialect.ifNull(args[0], args.size() > 1 ? args[1] : QStringLiteral("''"));
    case jet::Fn::IIf:
      return "(CASE WHEN " + condition(*e.args[0]) + " THEN " + args[1] + " ELSE " + args[2] +
             " END)";
    default:
      return m_dialect.call(*e.fn, args);
  }
}

}  // namespace tarovent::db::jetsql
