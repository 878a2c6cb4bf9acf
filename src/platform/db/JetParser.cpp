#include "JetParser.h"

#include <QDateTime>
#include <algorithm>
#include <array>

#include "DbError.h"
#include "SqliteValue.h"
#include "platform/text/TypedText.h"

namespace tarovent::db::jet {

namespace {

constexpr std::array kReserved = {
    "SELECT", "FROM", "WHERE",   "GROUP", "BY",     "HAVING", "ORDER",       "UNION",
    "INTO",   "IN",   "ON",      "JOIN",  "INNER",  "LEFT",   "RIGHT",       "OUTER",
    "FULL",   "AND",  "OR",      "NOT",   "XOR",    "EQV",    "IMP",         "IS",
    "NULL",   "LIKE", "BETWEEN", "AS",    "ASC",    "DESC",   "SET",         "VALUES",
    "MOD",    "TOP",  "TRUE",    "FALSE", "EXISTS", "WITH",   "DISTINCTROW", "DISTINCT",
};

// Parses the inside of #…#: m/d/yyyy with an optional time, or yyyy-mm-dd.
bool parseDateLiteral(const QString& raw, QString* stored, double* serial) {
  const QString t = raw.simplified();
  QDateTime dt = text::readTypedDate(t, {.monthFirst = true});
  for (const char* f : {"H:m:s", "H:m"}) {
    if (dt.isValid()) break;
    const QTime time = QTime::fromString(t, QString::fromLatin1(f));
    if (time.isValid()) dt = QDateTime(QDate(1899, 12, 30), time);
  }
  if (!dt.isValid()) return false;
  *stored = dateToStorage(dt);
  *serial = serialFromDateTime(dt);
  return true;
}

bool isNameStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isNamePart(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

}  // namespace

bool isReservedWord(QStringView word) {
  for (const char* r : kReserved)
    if (word.compare(QLatin1String(r), Qt::CaseInsensitive) == 0) return true;
  return false;
}

void Parser::failAt(qsizetype begin, qsizetype end) {
  m_pos = m_tokens.size();
  m_tokens.push_back(Token{Token::Kind::Op, m_text.mid(begin, end - begin), {}, begin, end});
  fail();
}

Parser::Parser(QString text) : m_text(std::move(text)) {
  const QString& s = m_text;
  const qsizetype n = s.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = s[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    Token t;
    t.begin = i;
    if (c == u'[') {
      const qsizetype close = s.indexOf(u']', i + 1);
      if (close < 0) {
        failAt(i, n);
      }
      t.kind = Token::Kind::Bracketed;
      t.text = s.mid(i + 1, close - i - 1);
      i = close + 1;
    } else if (c == u'\'' || c == u'"') {
      t.kind = Token::Kind::String;
      qsizetype k = i + 1;
      for (;;) {
        if (k >= n) {
          failAt(i, n);
        }
        if (s[k] == c) {
          if (k + 1 < n && s[k + 1] == c) {
            t.text += c;
            k += 2;
            continue;
          }
          break;
        }
        t.text += s[k++];
      }
      i = k + 1;
    } else if (c == u'#') {
      const qsizetype close = s.indexOf(u'#', i + 1);
      double serial = 0;
      if (close < 0 || !parseDateLiteral(s.mid(i + 1, close - i - 1), &t.text, &serial)) {
        failAt(i, n);
      }
      t.kind = Token::Kind::Date;
      t.number = Value::date(serial);
      i = close + 1;
    } else if (c.isDigit() ||
               (c == u'.' && i + 1 < n && s[i + 1].isDigit() &&
                (m_tokens.empty() || (m_tokens.back().kind != Token::Kind::Name &&
                                      m_tokens.back().kind != Token::Kind::Bracketed &&
                                      m_tokens.back().text != u")")))) {
      qsizetype k = i;
      bool real = false;
      while (k < n && s[k].isDigit()) ++k;
      if (k < n && s[k] == u'.' && !(k + 1 < n && isNameStart(s[k + 1]))) {
        real = true;
        ++k;
        while (k < n && s[k].isDigit()) ++k;
      }
      if (k < n && (s[k] == u'e' || s[k] == u'E') && k + 1 < n &&
          (s[k + 1].isDigit() ||
           ((s[k + 1] == u'-' || s[k + 1] == u'+') && k + 2 < n && s[k + 2].isDigit()))) {
        real = true;
        k += 2;
        while (k < n && s[k].isDigit()) ++k;
      }
      t.kind = Token::Kind::Number;
      t.text = s.mid(i, k - i);
      bool ok = false;
      if (!real) {
        const qlonglong v = t.text.toLongLong(&ok);
        if (ok) t.number = Value::integer(v);
      }
      if (!ok) t.number = Value::real(t.text.toDouble());
      i = k;
    } else if (isNameStart(c)) {
      qsizetype k = i + 1;
      while (k < n && isNamePart(s[k])) ++k;
      if (k < n && s[k] == u'$') ++k;  // Left$, Mid$...
      t.kind = Token::Kind::Name;
      t.text = s.mid(i, k - i);
      i = k;
    } else {
      t.kind = Token::Kind::Op;
      const QStringView two = QStringView(s).mid(i, 2);
      if (two == u"<>" || two == u"<=" || two == u">=" || two == u"!=") {
        t.text = two.toString();
        i += 2;
      } else if (QStringView(u"(),.;*+-/\\^&=<>!?").contains(c)) {
        t.text = c;
        ++i;
      } else {
        failAt(i, i + 1);
      }
    }
    t.end = i;
    m_tokens.push_back(std::move(t));
  }
  Token end;
  end.begin = end.end = n;
  m_tokens.push_back(end);
}

const Token& Parser::peek(int ahead) const {
  const size_t k = m_pos + ahead;
  return k < m_tokens.size() ? m_tokens[k] : m_tokens.back();
}

Token Parser::take() {
  const Token t = peek();
  if (m_pos + 1 < m_tokens.size()) ++m_pos;
  return t;
}

bool Parser::atEnd() const {
  size_t k = m_pos;
  while (k < m_tokens.size() && m_tokens[k].kind == Token::Kind::Op && m_tokens[k].text == u";")
    ++k;
  return k >= m_tokens.size() || m_tokens[k].kind == Token::Kind::End;
}

void Parser::expectEnd() {
  if (!atEnd()) fail();
}

bool Parser::atKeyword(const char* word, int ahead) const {
  const Token& t = peek(ahead);
  return t.kind == Token::Kind::Name &&
         t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool Parser::acceptKeyword(const char* word) {
  if (!atKeyword(word)) return false;
  take();
  return true;
}

void Parser::expectKeyword(const char* word) {
  if (!acceptKeyword(word)) fail();
}

bool Parser::atOp(const char* op, int ahead) const {
  const Token& t = peek(ahead);
  return t.kind == Token::Kind::Op && t.text == QLatin1String(op);
}

bool Parser::acceptOp(const char* op) {
  if (!atOp(op)) return false;
  take();
  return true;
}

void Parser::expectOp(const char* op) {
  if (!acceptOp(op)) fail();
}

bool Parser::atName(int ahead) const {
  const Token& t = peek(ahead);
  return t.kind == Token::Kind::Bracketed ||
         (t.kind == Token::Kind::Name && !isReservedWord(t.text));
}

QString Parser::name() {
  if (!atName()) fail();
  return take().text;
}

QString Parser::tableName(QString* path) {
  path->clear();
  QString first = name();
  if (atOp(".") && atName(1)) {
    take();
    *path = first;
    return name();
  }
  return first;
}

QString Parser::stringLiteral() {
  if (peek().kind != Token::Kind::String) fail();
  return take().text;
}

qint64 Parser::integer() {
  if (peek().kind != Token::Kind::Number || peek().number.type != Value::Type::Int) fail();
  return take().number.i;
}

void Parser::fail(int number) const {
  const Token& t = peek();
  const QString near = t.kind == Token::Kind::End
                           ? QStringLiteral("fin de l'instruction")
                           : QStringLiteral("« %1 »").arg(m_text.mid(t.begin, t.end - t.begin));
  throw DbError(
      number ? number : err::SyntaxError,
      QStringLiteral("Erreur de syntaxe près de %1 dans l'instruction : %2").arg(near, m_text));
}

void Parser::unsupported() const {
  throw DbError(err::UnsupportedSql,
                QStringLiteral("Instruction SQL non prise en charge : ") + m_text);
}

std::shared_ptr<Select> Parser::select() {
  std::shared_ptr<Select> s = selectCore();
  while (acceptKeyword("UNION")) {
    s->unionAll.push_back(acceptKeyword("ALL"));
    s->unions.push_back(selectCore());
  }
  if (acceptKeyword("ORDER")) {
    expectKeyword("BY");
    do {
      OrderItem o;
      o.expr = expression();
      if (acceptKeyword("DESC")) {
        o.descending = true;
      } else {
        acceptKeyword("ASC");
      }
      s->orderBy.push_back(std::move(o));
    } while (acceptOp(","));
  }
  return s;
}

std::shared_ptr<Select> Parser::selectCore() {
  expectKeyword("SELECT");
  auto s = std::make_shared<Select>();
  for (;;) {
    if (acceptKeyword("DISTINCTROW") || acceptKeyword("ALL")) continue;
    if (acceptKeyword("DISTINCT")) {
      s->distinct = true;
      continue;
    }
    if (acceptKeyword("TOP")) {
      s->top = integer();
      if (atKeyword("PERCENT")) unsupported();
      continue;
    }
    break;
  }
  do {
    SelectItem item;
    item.expr = expression();
    if (acceptKeyword("AS")) item.alias = name();
    s->items.push_back(std::move(item));
  } while (acceptOp(","));
  if (acceptKeyword("INTO")) {
    s->into = true;
    s->intoTable = tableName(&s->intoPath);
    if (acceptKeyword("IN")) s->intoPath = stringLiteral();
  }
  if (acceptKeyword("FROM")) {
    do {
      s->from.push_back(tableRef());
    } while (acceptOp(","));
    if (acceptKeyword("IN")) {
      const QString path = stringLiteral();
      std::vector<TableRef*> stack;
      for (auto& t : s->from) stack.push_back(t.get());
      while (!stack.empty()) {
        TableRef* t = stack.back();
        stack.pop_back();
        if (t->kind == TableRef::Kind::Table && t->path.isEmpty()) t->path = path;
        if (t->left) stack.push_back(t->left.get());
        if (t->right) stack.push_back(t->right.get());
      }
    }
  }
  if (acceptKeyword("WHERE")) s->where = expression();
  if (acceptKeyword("GROUP")) {
    expectKeyword("BY");
    do {
      s->groupBy.push_back(expression());
    } while (acceptOp(","));
  }
  if (acceptKeyword("HAVING")) s->having = expression();
  return s;
}

std::unique_ptr<TableRef> Parser::tableRef() {
  std::unique_ptr<TableRef> left = tablePrimary();
  for (;;) {
    QString join;
    if (acceptKeyword("INNER")) {
      join = QStringLiteral("INNER");
    } else if (acceptKeyword("LEFT")) {
      join = QStringLiteral("LEFT");
      acceptKeyword("OUTER");
    } else if (acceptKeyword("RIGHT")) {
      join = QStringLiteral("RIGHT");
      acceptKeyword("OUTER");
    } else if (atKeyword("JOIN")) {
      join = QStringLiteral("INNER");
    } else if (atKeyword("FULL")) {
      unsupported();
    } else {
      return left;
    }
    expectKeyword("JOIN");
    auto j = std::make_unique<TableRef>();
    j->kind = TableRef::Kind::Join;
    j->join = join;
    j->left = std::move(left);
    j->right = tablePrimary();
    if (!acceptKeyword("ON")) fail(err::SyntaxErrorFrom);
    j->on = expression();
    left = std::move(j);
  }
}

std::unique_ptr<TableRef> Parser::tablePrimary() {
  if (acceptOp("(")) {
    if (atKeyword("SELECT")) {
      auto t = std::make_unique<TableRef>();
      t->kind = TableRef::Kind::Subquery;
      t->select = select();
      expectOp(")");
      t->alias = optionalAlias();
      return t;
    }
    std::unique_ptr<TableRef> inner = tableRef();
    expectOp(")");
    return inner;
  }
  if (!atName()) fail(err::SyntaxErrorFrom);
  auto t = std::make_unique<TableRef>();
  t->name = tableName(&t->path);
  t->alias = optionalAlias();
  return t;
}

QString Parser::optionalAlias() {
  if (acceptKeyword("AS")) return name();
  if (atName()) return name();
  return {};
}

}  // namespace tarovent::db::jet
