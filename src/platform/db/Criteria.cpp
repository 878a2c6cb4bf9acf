#include "Criteria.h"

#include <array>
#include <vector>

#include "DbError.h"
#include "JetFunctions.h"
#include "JetParser.h"
#include "JetValue.h"

namespace tarovent::db {

namespace {

using jet::Expr;
using jet::Value;

// A compiled expression node. Field names are resolved to column indexes at compile time;
// text values are views into the row, so evaluating a comparison allocates nothing.
struct Node {
  virtual ~Node() = default;
  virtual Value eval(const QVariant* row) const = 0;
};
using NodePtr = std::unique_ptr<Node>;

struct Constant : Node {
  Value value;
  explicit Constant(Value v) : value(std::move(v)) {}
  Value eval(const QVariant*) const override {
    // Text as a view of the node's own copy: no reference counting per row.
    return value.type == Value::Type::Text ? Value::view(value.s) : value;
  }
};

struct Column : Node {
  int index;
  explicit Column(int i) : index(i) {}
  Value eval(const QVariant* row) const override { return jet::fromVariant(row[index]); }
};

struct Not : Node {
  NodePtr a;
  Value eval(const QVariant* row) const override {
    const Value v = a->eval(row);
    if (v.isNull()) return v;
    return Value::boolean(!jet::isTrue(v));
  }
};

struct Negate : Node {
  NodePtr a;
  Value eval(const QVariant* row) const override {
    return jet::arithmetic('-', Value::integer(0), a->eval(row));
  }
};

// And / Or with the engine's three-valued logic: Null And False is False, Null Or True is True.
struct Logical : Node {
  bool isAnd;
  NodePtr a;
  NodePtr b;
  Value eval(const QVariant* row) const override {
    const Value x = a->eval(row);
    const bool xNull = x.isNull();
    const bool xTrue = !xNull && jet::isTrue(x);
    if (isAnd && !xNull && !xTrue) return Value::boolean(false);
    if (!isAnd && xTrue) return Value::boolean(true);
    const Value y = b->eval(row);
    const bool yNull = y.isNull();
    const bool yTrue = !yNull && jet::isTrue(y);
    if (isAnd) {
      if (!yNull && !yTrue) return Value::boolean(false);
      return (xNull || yNull) ? Value::null() : Value::boolean(true);
    }
    if (yTrue) return Value::boolean(true);
    return (xNull || yNull) ? Value::null() : Value::boolean(false);
  }
};

struct Compare : Node {
  enum class Op { Eq, Ne, Lt, Gt, Le, Ge } op;
  NodePtr a;
  NodePtr b;
  Value eval(const QVariant* row) const override {
    bool comparable = false;
    const int c = jet::compare(a->eval(row), b->eval(row), &comparable);
    if (!comparable) return Value::null();
    switch (op) {
      case Op::Eq:
        return Value::boolean(c == 0);
      case Op::Ne:
        return Value::boolean(c != 0);
      case Op::Lt:
        return Value::boolean(c < 0);
      case Op::Gt:
        return Value::boolean(c > 0);
      case Op::Le:
        return Value::boolean(c <= 0);
      case Op::Ge:
        return Value::boolean(c >= 0);
    }
    return Value::null();
  }
};

struct Arithmetic : Node {
  char op;
  NodePtr a;
  NodePtr b;
  Value eval(const QVariant* row) const override {
    return jet::arithmetic(op, a->eval(row), b->eval(row));
  }
};

struct Concat : Node {
  NodePtr a;
  NodePtr b;
  Value eval(const QVariant* row) const override { return jet::concat(a->eval(row), b->eval(row)); }
};

struct IsNull : Node {
  bool negated;
  NodePtr a;
  Value eval(const QVariant* row) const override {
    return Value::boolean(a->eval(row).isNull() != negated);
  }
};

struct Like : Node {
  bool negated;
  NodePtr a;
  NodePtr pattern;
  Value eval(const QVariant* row) const override {
    const Value v = a->eval(row);
    const Value p = pattern->eval(row);
    if (v.isNull() || p.isNull()) return Value::null();
    const QString vt = v.type == Value::Type::Text ? QString() : jet::toText(v);
    const QString pt = p.type == Value::Type::Text ? QString() : jet::toText(p);
    const bool m = jetLike(v.type == Value::Type::Text ? v.s : QStringView(vt),
                           p.type == Value::Type::Text ? p.s : QStringView(pt));
    return Value::boolean(m != negated);
  }
};

struct Between : Node {
  bool negated;
  NodePtr a;
  NodePtr low;
  NodePtr high;
  Value eval(const QVariant* row) const override {
    const Value v = a->eval(row);
    bool c1 = false;
    bool c2 = false;
    const int lo = jet::compare(v, low->eval(row), &c1);
    const int hi = jet::compare(v, high->eval(row), &c2);
    if (!c1 || !c2) return Value::null();
    return Value::boolean((lo >= 0 && hi <= 0) != negated);
  }
};

struct InList : Node {
  bool negated;
  NodePtr a;
  std::vector<NodePtr> items;
  Value eval(const QVariant* row) const override {
    const Value v = a->eval(row);
    if (v.isNull()) return Value::null();
    bool sawNull = false;
    for (const auto& item : items) {
      bool comparable = false;
      if (jet::compare(v, item->eval(row), &comparable) == 0 && comparable)
        return Value::boolean(!negated);
      sawNull = sawNull || !comparable;
    }
    return sawNull ? Value::null() : Value::boolean(negated);
  }
};

struct IIf : Node {
  NodePtr cond;
  NodePtr yes;
  NodePtr no;
  Value eval(const QVariant* row) const override {
    return jet::isTrue(cond->eval(row)) ? yes->eval(row) : no->eval(row);
  }
};

struct Call : Node {
  jet::Fn fn;
  std::vector<NodePtr> args;
  Value eval(const QVariant* row) const override {
    std::array<Value, 4> small;
    std::vector<Value> many;
    Value* values = small.data();
    if (args.size() > small.size()) {
      many.resize(args.size());
      values = many.data();
    }
    for (size_t k = 0; k < args.size(); ++k) values[k] = args[k]->eval(row);
    return jet::call(fn, values, int(args.size()));
  }
};

class Compiler {
 public:
  Compiler(const jet::Parser& parser, const Criteria::Resolver& resolve)
      : m_parser(parser), m_resolve(resolve) {}

  NodePtr compile(const Expr& e) {
    switch (e.kind) {
      case Expr::Kind::Literal:
        return std::make_unique<Constant>(e.value);
      case Expr::Kind::Column: {
        const int index = m_resolve(e.qualifier, e.name);
        if (index < 0)
          throw DbError(err::ItemNotFound,
                        QStringLiteral("Le champ « %1 » n'existe pas (critère : %2)")
                            .arg(e.qualifier.isEmpty() ? e.name : e.qualifier + u'.' + e.name,
                                 m_parser.text()));
        return std::make_unique<Column>(index);
      }
      case Expr::Kind::Unary: {
        if (e.op == u"NOT") {
          auto n = std::make_unique<Not>();
          n->a = compile(*e.args[0]);
          return n;
        }
        auto n = std::make_unique<Negate>();
        n->a = compile(*e.args[0]);
        return n;
      }
      case Expr::Kind::Binary:
        return binary(e);
      case Expr::Kind::Function:
        return function(e);
      case Expr::Kind::IsNull: {
        auto n = std::make_unique<IsNull>();
        n->negated = e.negated;
        n->a = compile(*e.args[0]);
        return n;
      }
      case Expr::Kind::Like: {
        auto n = std::make_unique<Like>();
        n->negated = e.negated;
        n->a = compile(*e.args[0]);
        n->pattern = compile(*e.args[1]);
        return n;
      }
      case Expr::Kind::Between: {
        auto n = std::make_unique<Between>();
        n->negated = e.negated;
        n->a = compile(*e.args[0]);
        n->low = compile(*e.args[1]);
        n->high = compile(*e.args[2]);
        return n;
      }
      case Expr::Kind::InList: {
        auto n = std::make_unique<InList>();
        n->negated = e.negated;
        n->a = compile(*e.args[0]);
        for (size_t k = 1; k < e.args.size(); ++k) n->items.push_back(compile(*e.args[k]));
        return n;
      }
      default:
        // Aggregates, subqueries and * have no meaning for one row.
        m_parser.unsupported();
    }
  }

 private:
  static bool isNullLiteral(const Expr& e) {
    return e.kind == Expr::Kind::Literal && e.value.isNull();
  }

  NodePtr binary(const Expr& e) {
    const QString& op = e.op;
    if (op == u"AND" || op == u"OR") {
      auto n = std::make_unique<Logical>();
      n->isAnd = op == u"AND";
      n->a = compile(*e.args[0]);
      n->b = compile(*e.args[1]);
      return n;
    }
    if ((op == u"=" || op == u"<>") && (isNullLiteral(*e.args[0]) || isNullLiteral(*e.args[1]))) {
      // "F = Null" means "F Is Null", as in the translated SQL.
      auto n = std::make_unique<IsNull>();
      n->negated = op == u"<>";
      n->a = compile(isNullLiteral(*e.args[0]) ? *e.args[1] : *e.args[0]);
      return n;
    }
    static const std::pair<const char16_t*, Compare::Op> kCompare[] = {
        {u"=", Compare::Op::Eq}, {u"<>", Compare::Op::Ne}, {u"<", Compare::Op::Lt},
        {u">", Compare::Op::Gt}, {u"<=", Compare::Op::Le}, {u">=", Compare::Op::Ge},
    };
    for (const auto& [text, cmp] : kCompare) {
      if (op == QStringView(text)) {
        auto n = std::make_unique<Compare>();
        n->op = cmp;
        n->a = compile(*e.args[0]);
        n->b = compile(*e.args[1]);
        return n;
      }
    }
    if (op == u"&") {
      auto n = std::make_unique<Concat>();
      n->a = compile(*e.args[0]);
      n->b = compile(*e.args[1]);
      return n;
    }
    char c = 0;
    if (op == u"+" || op == u"-" || op == u"*" || op == u"/" || op == u"\\" || op == u"^")
      c = char(op[0].unicode());
    else if (op == u"MOD")
      c = '%';
    else
      m_parser.unsupported();  // Xor, Eqv, Imp
    auto n = std::make_unique<Arithmetic>();
    n->op = c;
    n->a = compile(*e.args[0]);
    n->b = compile(*e.args[1]);
    return n;
  }

  NodePtr function(const Expr& e) {
    if (e.fn->fn == jet::Fn::IIf) {
      auto n = std::make_unique<IIf>();
      n->cond = compile(*e.args[0]);
      n->yes = compile(*e.args[1]);
      n->no = compile(*e.args[2]);
      return n;
    }
    auto n = std::make_unique<Call>();
    n->fn = e.fn->fn;
    for (const auto& a : e.args) n->args.push_back(compile(*a));
    return n;
  }

  const jet::Parser& m_parser;
  const Criteria::Resolver& m_resolve;
};

}  // namespace

struct Criteria::Impl {
  NodePtr root;
};

Criteria Criteria::compile(const QString& criteria, const Resolver& resolve) {
  jet::Parser parser(criteria);
  const jet::ExprPtr e = parser.expression();
  parser.expectEnd();
  Criteria c;
  c.m_impl->root = Compiler(parser, resolve).compile(*e);
  return c;
}

Criteria::Criteria() : m_impl(std::make_unique<Impl>()) {}
Criteria::~Criteria() = default;
Criteria::Criteria(Criteria&&) noexcept = default;
Criteria& Criteria::operator=(Criteria&&) noexcept = default;

bool Criteria::matches(const QVariant* row) const {
  if (!m_impl || !m_impl->root) return false;
  const Value v = m_impl->root->eval(row);
  return !v.isNull() && jet::isTrue(v);
}

}  // namespace tarovent::db
