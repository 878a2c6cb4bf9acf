#include <QDateTime>
#include <algorithm>

#include "DbError.h"
#include "JetParser.h"

// The expression half of the parser: precedence levels, operands and function calls.
namespace tarovent::db::jet {

namespace {
// Parentheses, functions, subqueries, Not and signs nested deeper than this are refused.
constexpr int kMaxNesting = 64;
// Deeper expression trees are refused (chains of And, Or and & are kept balanced).
constexpr int kMaxDepth = 256;

[[noreturn]] void tooComplex(const QString& text) {
  throw DbError(
      err::QueryTooComplex,
      QStringLiteral("Expression trop complexe dans l'instruction : %1").arg(text.left(200)));
}
}  // namespace

Parser::Nesting::Nesting(Parser& p) : m_p(p) {
  if (++m_p.m_nesting > kMaxNesting) {
    --m_p.m_nesting;
    tooComplex(m_p.m_text);
  }
}

ExprPtr Parser::finish(ExprPtr e) {
  int depth = 0;
  for (const auto& a : e->args) depth = std::max(depth, a->depth);
  e->depth = depth + 1;
  if (e->depth > kMaxDepth) tooComplex(m_text);
  return e;
}

ExprPtr Parser::binary(QString op, ExprPtr a, ExprPtr b) {
  auto e = std::make_unique<Expr>();
  e->kind = Expr::Kind::Binary;
  e->op = std::move(op);
  e->begin = a->begin;
  e->end = b->end;
  e->args.push_back(std::move(a));
  e->args.push_back(std::move(b));
  return finish(std::move(e));
}

ExprPtr Parser::chain(const QString& op, std::vector<ExprPtr>& items, size_t from, size_t to) {
  if (to - from == 1) return std::move(items[from]);
  const size_t mid = from + (to - from) / 2;
  ExprPtr left = chain(op, items, from, mid);
  return binary(op, std::move(left), chain(op, items, mid, to));
}

ExprPtr Parser::expression() {
  const qsizetype begin = peek().begin;
  ExprPtr e = orExpr();
  e->begin = begin;
  e->end = m_pos > 0 ? m_tokens[m_pos - 1].end : begin;
  return e;
}

ExprPtr Parser::orExpr() {
  std::vector<ExprPtr> items;
  items.push_back(andExpr());
  for (;;) {
    if (acceptKeyword("OR")) {
      items.push_back(andExpr());
      continue;
    }
    const char* other = nullptr;
    for (const char* op : {"XOR", "EQV", "IMP"})
      if (!other && acceptKeyword(op)) other = op;
    ExprPtr left = chain(QStringLiteral("OR"), items, 0, items.size());
    if (!other) return left;
    items.clear();
    items.push_back(binary(QString::fromLatin1(other), std::move(left), andExpr()));
  }
}

ExprPtr Parser::andExpr() {
  std::vector<ExprPtr> items;
  items.push_back(notExpr());
  while (acceptKeyword("AND")) items.push_back(notExpr());
  return chain(QStringLiteral("AND"), items, 0, items.size());
}

ExprPtr Parser::notExpr() {
  if (atKeyword("NOT")) {
    const Nesting nesting(*this);
    const qsizetype begin = take().begin;
    auto e = std::make_unique<Expr>();
    e->kind = Expr::Kind::Unary;
    e->op = QStringLiteral("NOT");
    e->args.push_back(notExpr());
    e->begin = begin;
    e->end = e->args[0]->end;
    return finish(std::move(e));
  }
  return comparison();
}

ExprPtr Parser::comparison() {
  ExprPtr e = concatExpr();
  for (;;) {
    const Token& t = peek();
    if (t.kind == Token::Kind::Op &&
        (t.text == u"=" || t.text == u"<>" || t.text == u"<" || t.text == u">" || t.text == u"<=" ||
         t.text == u">=" || t.text == u"!=")) {
      QString op = take().text;
      if (op == u"!=") op = QStringLiteral("<>");
      e = binary(op, std::move(e), concatExpr());
      continue;
    }
    if (atKeyword("IS")) {
      take();
      auto n = std::make_unique<Expr>();
      n->kind = Expr::Kind::IsNull;
      n->negated = acceptKeyword("NOT");
      expectKeyword("NULL");
      n->begin = e->begin;
      n->args.push_back(std::move(e));
      e = finish(std::move(n));
      continue;
    }
    const bool negated =
        atKeyword("NOT") && (atKeyword("LIKE", 1) || atKeyword("BETWEEN", 1) || atKeyword("IN", 1));
    if (negated) take();
    if (acceptKeyword("LIKE")) {
      auto n = std::make_unique<Expr>();
      n->kind = Expr::Kind::Like;
      n->negated = negated;
      n->begin = e->begin;
      n->args.push_back(std::move(e));
      n->args.push_back(concatExpr());
      e = finish(std::move(n));
    } else if (acceptKeyword("BETWEEN")) {
      auto n = std::make_unique<Expr>();
      n->kind = Expr::Kind::Between;
      n->negated = negated;
      n->begin = e->begin;
      n->args.push_back(std::move(e));
      n->args.push_back(concatExpr());
      expectKeyword("AND");
      n->args.push_back(concatExpr());
      e = finish(std::move(n));
    } else if (acceptKeyword("IN")) {
      auto n = std::make_unique<Expr>();
      n->negated = negated;
      n->begin = e->begin;
      n->args.push_back(std::move(e));
      expectOp("(");
      if (atKeyword("SELECT")) {
        n->kind = Expr::Kind::InSelect;
        n->select = select();
      } else {
        n->kind = Expr::Kind::InList;
        do {
          n->args.push_back(expression());
        } while (acceptOp(","));
      }
      expectOp(")");
      e = finish(std::move(n));
    } else {
      if (negated) fail();
      return e;
    }
  }
}

ExprPtr Parser::concatExpr() {
  std::vector<ExprPtr> items;
  items.push_back(additive());
  while (acceptOp("&")) items.push_back(additive());
  return chain(QStringLiteral("&"), items, 0, items.size());
}

ExprPtr Parser::additive() {
  ExprPtr e = modExpr();
  for (;;) {
    if (acceptOp("+")) {
      e = binary(QStringLiteral("+"), std::move(e), modExpr());
    } else if (acceptOp("-")) {
      e = binary(QStringLiteral("-"), std::move(e), modExpr());
    } else {
      return e;
    }
  }
}

ExprPtr Parser::modExpr() {
  ExprPtr e = intDivExpr();
  while (acceptKeyword("MOD")) e = binary(QStringLiteral("MOD"), std::move(e), intDivExpr());
  return e;
}

ExprPtr Parser::intDivExpr() {
  ExprPtr e = multiplicative();
  while (acceptOp("\\")) e = binary(QStringLiteral("\\"), std::move(e), multiplicative());
  return e;
}

ExprPtr Parser::multiplicative() {
  ExprPtr e = unary();
  for (;;) {
    if (acceptOp("*")) {
      e = binary(QStringLiteral("*"), std::move(e), unary());
    } else if (acceptOp("/")) {
      e = binary(QStringLiteral("/"), std::move(e), unary());
    } else {
      return e;
    }
  }
}

ExprPtr Parser::unary() {
  if (atOp("-") || atOp("+")) {
    const Nesting nesting(*this);
    const Token t = take();
    ExprPtr operand = unary();
    if (t.text == u"+") return operand;
    if (operand->kind == Expr::Kind::Literal && operand->value.type == Value::Type::Int) {
      operand->value.i = -operand->value.i;
      return operand;
    }
    if (operand->kind == Expr::Kind::Literal && operand->value.type == Value::Type::Double) {
      operand->value.d = -operand->value.d;
      return operand;
    }
    auto e = std::make_unique<Expr>();
    e->kind = Expr::Kind::Unary;
    e->op = QStringLiteral("-");
    e->begin = t.begin;
    e->end = operand->end;
    e->args.push_back(std::move(operand));
    return finish(std::move(e));
  }
  return power();
}

ExprPtr Parser::power() {
  ExprPtr e = primary();
  while (acceptOp("^")) e = binary(QStringLiteral("^"), std::move(e), primary());
  return e;
}

ExprPtr Parser::primary() {
  const Nesting nesting(*this);
  return finish(primaryTerm());
}

ExprPtr Parser::primaryTerm() {
  const Token& t = peek();
  auto literal = [&](Value v) {
    auto e = std::make_unique<Expr>();
    e->kind = Expr::Kind::Literal;
    e->value = std::move(v);
    e->begin = t.begin;
    e->end = t.end;
    take();
    return e;
  };
  switch (t.kind) {
    case Token::Kind::Number:
      return literal(t.number);
    case Token::Kind::Date:
      return literal(t.number);
    case Token::Kind::String:
      return literal(Value::text(t.text));
    case Token::Kind::Bracketed:
      return nameOrCall();
    case Token::Kind::Name: {
      if (atKeyword("TRUE") || atKeyword("YES")) return literal(Value::boolean(true));
      if (atKeyword("FALSE") || atKeyword("NO")) return literal(Value::boolean(false));
      if (atKeyword("NULL")) return literal(Value::null());
      if (atKeyword("EXISTS")) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Exists;
        e->begin = take().begin;
        expectOp("(");
        e->select = select();
        expectOp(")");
        return e;
      }
      if (atKeyword("NOT")) {
        // "F = Not True": Not as an operand.
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Unary;
        e->op = QStringLiteral("NOT");
        e->begin = take().begin;
        e->args.push_back(concatExpr());
        e->end = e->args[0]->end;
        return e;
      }
      // Left(…) and Right(…) are functions even though LEFT and RIGHT are join words.
      if (isReservedWord(t.text) && !atOp("(", 1)) fail();
      return nameOrCall();
    }
    case Token::Kind::Op:
      if (t.text == u"(") {
        const qsizetype begin = take().begin;
        if (atKeyword("SELECT")) {
          auto e = std::make_unique<Expr>();
          e->kind = Expr::Kind::Subquery;
          e->begin = begin;
          e->select = select();
          expectOp(")");
          return e;
        }
        ExprPtr e = expression();
        expectOp(")");
        return e;
      }
      if (t.text == u"*") {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Star;
        e->begin = t.begin;
        e->end = t.end;
        take();
        return e;
      }
      if (t.text == u"?") unsupported();
      fail();
    case Token::Kind::End:
      fail();
  }
  fail();
}

ExprPtr Parser::nameOrCall() {
  const Token first = take();
  auto e = std::make_unique<Expr>();
  e->begin = first.begin;
  if (first.kind == Token::Kind::Name && atOp("(")) {
    take();
    const QString upper = first.text.toUpper();
    const auto closeCall = [&] {
      expectOp(")");
      e->end = m_tokens[m_pos - 1].end;
    };
    static const char* const kAggregates[] = {"SUM", "AVG", "COUNT", "MIN", "MAX", "FIRST", "LAST"};
    for (const char* a : kAggregates) {
      if (upper == QLatin1String(a)) {
        e->kind = Expr::Kind::Aggregate;
        e->name = upper;
        if (upper == u"COUNT" && atOp("*")) {
          e->args.push_back(primary());
        } else {
          e->args.push_back(expression());
        }
        closeCall();
        return e;
      }
    }
    if (upper == u"STDEV" || upper == u"STDEVP" || upper == u"VAR" || upper == u"VARP")
      unsupported();
    if (upper == u"ISNULL") {
      e->kind = Expr::Kind::IsNull;
      e->args.push_back(expression());
      closeCall();
      return e;
    }
    const FnInfo* fn = findFunction(first.text);
    if (!fn)
      throw DbError(err::UnknownFunction,
                    QStringLiteral("Fonction '%1' non définie dans l'expression : %2")
                        .arg(first.text, m_text));
    e->kind = Expr::Kind::Function;
    e->fn = fn;
    e->name = first.text;
    if (!atOp(")")) {
      do {
        e->args.push_back(expression());
      } while (acceptOp(","));
    }
    if (int(e->args.size()) < fn->minArgs || int(e->args.size()) > fn->maxArgs)
      throw DbError(err::SyntaxError,
                    QStringLiteral("Nombre d'arguments incorrect pour la fonction %1 : %2")
                        .arg(first.text, m_text));
    closeCall();
    return e;
  }
  std::vector<QString> parts{first.text};
  while (atOp(".") || atOp("!")) {
    take();
    if (atOp("*")) {
      e->end = take().end;
      if (parts.size() != 1) unsupported();
      e->kind = Expr::Kind::Star;
      e->qualifier = parts[0];
      return e;
    }
    if (peek().kind != Token::Kind::Name && peek().kind != Token::Kind::Bracketed) fail();
    parts.push_back(take().text);
  }
  if (parts.size() > 2) unsupported();
  e->kind = Expr::Kind::Column;
  e->name = parts.back();
  if (parts.size() == 2) e->qualifier = parts[0];
  e->end = m_tokens[m_pos - 1].end;
  return e;
}

}  // namespace tarovent::db::jet
