#include "SelectionFormula.h"

#include <QDate>
#include <QDateTime>

#include "FieldFormat.h"
#include "platform/db/JetFunctions.h"

namespace tarovent::report {

struct SelectionFormula::Node {
  enum class Kind { Or, And, Not, Compare, Like, IsNull, Field, Literal };
  Kind kind = Kind::Literal;
  QString op;  // for Compare
  std::shared_ptr<const Node> a, b;
  int slot = -1;   // for Field
  QVariant value;  // for Literal
};

namespace {

using Node = SelectionFormula::Node;
using NodePtr = std::shared_ptr<const Node>;

struct Token {
  enum class Type { End, Field, Name, Number, Text, Date, Op, Open, Close, Comma };
  Type type = Type::End;
  QString text;
  QVariant value;
  int position = 0;  // 1-based
};

QString quoted(const QString& s) { return QStringLiteral("« %1 »").arg(s); }

class Tokenizer {
 public:
  explicit Tokenizer(const QString& text) : m_s(text) {}

  QList<Token> tokens() {
    QList<Token> out;
    for (;;) {
      while (m_i < m_s.size() && m_s[m_i].isSpace()) ++m_i;
      Token t;
      t.position = int(m_i) + 1;
      if (m_i >= m_s.size()) {
        out << t;
        return out;
      }
      const QChar c = m_s[m_i];
      if (c == '{') {
        t.type = Token::Type::Field;
        const qsizetype close = m_s.indexOf('}', m_i);
        if (close < 0)
          throw FormulaError(t.position, QStringLiteral("champ non fermé : « } » attendu"));
        t.text = m_s.mid(m_i + 1, close - m_i - 1).trimmed();
        if (t.text.isEmpty()) throw FormulaError(t.position, QStringLiteral("nom de champ vide"));
        m_i = close + 1;
      } else if (c == '\'' || c == '"') {
        t.type = Token::Type::Text;
        t.value = readText(c, t.position);
      } else if (c == '#') {
        t.type = Token::Type::Date;
        const qsizetype close = m_s.indexOf('#', m_i + 1);
        if (close < 0)
          throw FormulaError(t.position, QStringLiteral("date non fermée : « # » attendu"));
        const QString d = m_s.mid(m_i + 1, close - m_i - 1).trimmed();
        const QDate date = QDate::fromString(d, QStringLiteral("M/d/yyyy"));
        if (!date.isValid())
          throw FormulaError(
              t.position, QStringLiteral("date invalide %1 (mm/jj/aaaa attendu)").arg(quoted(d)));
        t.value = date;
        m_i = close + 1;
      } else if (startsNumber(m_i) || (c == '-' && startsNumber(m_i + 1))) {
        t.type = Token::Type::Number;
        const qsizetype start = m_i;
        if (c == '-') ++m_i;
        while (m_i < m_s.size() && (m_s[m_i].isDigit() || m_s[m_i] == '.')) ++m_i;
        bool ok = false;
        t.text = m_s.mid(start, m_i - start);
        t.value = t.text.toDouble(&ok);
        if (!ok)
          throw FormulaError(t.position, QStringLiteral("nombre invalide %1").arg(quoted(t.text)));
      } else if (c.isLetter() || c == '_') {
        t.type = Token::Type::Name;
        const qsizetype start = m_i;
        while (m_i < m_s.size() && (m_s[m_i].isLetterOrNumber() || m_s[m_i] == '_')) ++m_i;
        t.text = m_s.mid(start, m_i - start).toLower();
      } else if (c == '(' || c == ')' || c == ',') {
        t.type = c == '(' ? Token::Type::Open : c == ')' ? Token::Type::Close : Token::Type::Comma;
        t.text = c;
        ++m_i;
      } else if (c == '=' || c == '<' || c == '>') {
        t.type = Token::Type::Op;
        t.text = c;
        ++m_i;
        if (m_i < m_s.size() && c != '=' && (m_s[m_i] == '=' || (c == '<' && m_s[m_i] == '>')))
          t.text += m_s[m_i++];
      } else {
        throw FormulaError(t.position, QStringLiteral("caractère inattendu %1").arg(quoted(c)));
      }
      out << t;
    }
  }

 private:
  bool startsNumber(qsizetype i) const {
    return i < m_s.size() &&
           (m_s[i].isDigit() || (m_s[i] == '.' && i + 1 < m_s.size() && m_s[i + 1].isDigit()));
  }
  QString readText(QChar quote, int position) {
    QString text;
    for (++m_i; m_i < m_s.size(); ++m_i) {
      if (m_s[m_i] != quote) {
        text += m_s[m_i];
      } else if (m_i + 1 < m_s.size() && m_s[m_i + 1] == quote) {
        text += quote;
        ++m_i;
      } else {
        ++m_i;
        return text;
      }
    }
    throw FormulaError(position, QStringLiteral("texte non terminé"));
  }

  const QString& m_s;
  qsizetype m_i = 0;
};

class Parser {
 public:
  Parser(QList<Token> tokens, QList<SelectionFormula::FieldRef>& fields)
      : m_t(std::move(tokens)), m_fields(fields) {}

  NodePtr parse() {
    NodePtr root = orExpr();
    if (peek().type != Token::Type::End)
      throw FormulaError(
          peek().position,
          QStringLiteral("fin de formule attendue, %1 trouvé").arg(quoted(shown(peek()))));
    return root;
  }

 private:
  const Token& peek() const { return m_t[m_i]; }
  Token take() { return m_t[m_i++]; }
  bool isName(const char* name) const {
    return peek().type == Token::Type::Name && peek().text == QLatin1String(name);
  }
  static QString shown(const Token& t) {
    if (t.type == Token::Type::Text) return t.value.toString();
    if (t.type == Token::Type::Field) return '{' + t.text + '}';
    return t.text;
  }
  static NodePtr make(Node::Kind kind, NodePtr a, NodePtr b = {}, QString op = {}) {
    auto n = std::make_shared<Node>();
    n->kind = kind;
    n->a = std::move(a);
    n->b = std::move(b);
    n->op = std::move(op);
    return n;
  }

  NodePtr orExpr() {
    NodePtr left = andExpr();
    while (isName("or")) {
      take();
      left = make(Node::Kind::Or, left, andExpr());
    }
    return left;
  }
  NodePtr andExpr() {
    NodePtr left = notExpr();
    while (isName("and")) {
      take();
      left = make(Node::Kind::And, left, notExpr());
    }
    return left;
  }
  NodePtr notExpr() {
    if (isName("not")) {
      take();
      return make(Node::Kind::Not, notExpr());
    }
    return comparison();
  }
  NodePtr comparison() {
    NodePtr left = operand();
    if (peek().type == Token::Type::Op) {
      const QString op = take().text;
      return make(Node::Kind::Compare, left, operand(), op);
    }
    if (isName("like")) {
      take();
      return make(Node::Kind::Like, left, operand());
    }
    return left;
  }
  NodePtr operand() {
    const Token t = take();
    auto n = std::make_shared<Node>();
    switch (t.type) {
      case Token::Type::Field:
        n->kind = Node::Kind::Field;
        n->slot = fieldSlot(t.text);
        return n;
      case Token::Type::Number:
      case Token::Type::Text:
      case Token::Type::Date:
        n->value = t.value;
        return n;
      case Token::Type::Open: {
        NodePtr inner = orExpr();
        expect(Token::Type::Close, ")");
        return inner;
      }
      case Token::Type::Name:
        return named(t);
      default:
        break;
    }
    if (t.type == Token::Type::End)
      throw FormulaError(t.position,
                         QStringLiteral("la formule s'arrête avant la fin : valeur attendue"));
    throw FormulaError(t.position,
                       QStringLiteral("valeur attendue, %1 trouvé").arg(quoted(shown(t))));
  }
  NodePtr named(const Token& t) {
    auto n = std::make_shared<Node>();
    if (t.text == "true" || t.text == "false") {
      n->value = t.text == "true";
      return n;
    }
    if (t.text == "isnull") {
      expect(Token::Type::Open, "(");
      const Token f = take();
      if (f.type != Token::Type::Field)
        throw FormulaError(f.position, QStringLiteral("isnull attend un champ {Source.Champ}"));
      auto field = std::make_shared<Node>();
      field->kind = Node::Kind::Field;
      field->slot = fieldSlot(f.text);
      expect(Token::Type::Close, ")");
      return make(Node::Kind::IsNull, field);
    }
    if (t.text == "date") {
      expect(Token::Type::Open, "(");
      int parts[3];
      for (int i = 0; i < 3; ++i) {
        if (i > 0) expect(Token::Type::Comma, ",");
        const Token p = take();
        if (p.type != Token::Type::Number)
          throw FormulaError(p.position,
                             QStringLiteral("Date(année, mois, jour) attend trois nombres"));
        parts[i] = int(p.value.toDouble());
      }
      expect(Token::Type::Close, ")");
      const QDate d(parts[0], parts[1], parts[2]);
      if (!d.isValid())
        throw FormulaError(t.position, QStringLiteral("date invalide Date(%1, %2, %3)")
                                           .arg(parts[0])
                                           .arg(parts[1])
                                           .arg(parts[2]));
      n->value = d;
      return n;
    }
    throw FormulaError(t.position, QStringLiteral("mot inconnu %1").arg(quoted(t.text)));
  }
  void expect(Token::Type type, const char* what) {
    if (peek().type != type)
      throw FormulaError(peek().position,
                         QStringLiteral("« %1 » attendu").arg(QLatin1String(what)));
    take();
  }
  int fieldSlot(const QString& written) {
    SelectionFormula::FieldRef ref;
    const qsizetype dot = written.lastIndexOf('.');
    ref.source = dot < 0 ? QString() : written.left(dot).trimmed();
    ref.field = (dot < 0 ? written : written.mid(dot + 1)).trimmed();
    for (int i = 0; i < m_fields.size(); ++i)
      if (m_fields[i].field.compare(ref.field, Qt::CaseInsensitive) == 0 &&
          m_fields[i].source.compare(ref.source, Qt::CaseInsensitive) == 0)
        return i;
    m_fields << ref;
    return int(m_fields.size()) - 1;
  }

  QList<Token> m_t;
  qsizetype m_i = 0;
  QList<SelectionFormula::FieldRef>& m_fields;
};

bool isNumber(const QVariant& v) { return isNumeric(v) || v.typeId() == QMetaType::Bool; }
bool isDate(const QVariant& v) {
  return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
}
double number(const QVariant& v) {
  if (v.typeId() == QMetaType::Bool) return v.toBool() ? -1 : 0;
  return v.toDouble();
}
QDateTime moment(const QVariant& v) {
  return v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
}
// A text read as a number (comma or point); false when it is not one.
bool textNumber(const QVariant& v, double* out) {
  QString t = v.toString().trimmed();
  t.replace(',', '.');
  bool ok = false;
  *out = t.toDouble(&ok);
  return ok;
}

// <0, 0, >0; false in `comparable` when the two cannot be compared.
int compare(const QVariant& a, const QVariant& b, bool* comparable) {
  *comparable = true;
  const auto order = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  if (isDate(a) || isDate(b)) {
    if (isDate(a) && isDate(b)) return order(moment(a), moment(b));
    *comparable = false;
    return 0;
  }
  if (isNumber(a) || isNumber(b)) {
    double x = 0, y = 0;
    const bool okA = isNumber(a) ? (x = number(a), true) : textNumber(a, &x);
    const bool okB = isNumber(b) ? (y = number(b), true) : textNumber(b, &y);
    if (okA && okB) return order(x, y);
  }
  return db::jetCompare(a.toString(), b.toString());
}

bool truth(const QVariant& v) {
  if (isEmptyValue(v)) return false;
  if (isNumber(v)) return number(v) != 0;
  return false;
}

QVariant valueOf(const Node& n, const std::function<QVariant(int)>& row);

bool test(const Node& n, const std::function<QVariant(int)>& row) {
  switch (n.kind) {
    case Node::Kind::Or:
      return test(*n.a, row) || test(*n.b, row);
    case Node::Kind::And:
      return test(*n.a, row) && test(*n.b, row);
    case Node::Kind::Not:
      return !test(*n.a, row);
    case Node::Kind::IsNull: {
      const QVariant v = row(n.a->slot);
      return isEmptyValue(v);
    }
    case Node::Kind::Like: {
      const QVariant a = valueOf(*n.a, row), b = valueOf(*n.b, row);
      if (isEmptyValue(a) || isEmptyValue(b)) return false;
      return db::jetLike(a.toString(), b.toString());
    }
    case Node::Kind::Compare: {
      const QVariant a = valueOf(*n.a, row), b = valueOf(*n.b, row);
      if (isEmptyValue(a) || isEmptyValue(b)) return false;
      bool comparable = false;
      const int c = compare(a, b, &comparable);
      if (!comparable) return false;
      if (n.op == "=") return c == 0;
      if (n.op == "<>") return c != 0;
      if (n.op == "<") return c < 0;
      if (n.op == ">") return c > 0;
      if (n.op == "<=") return c <= 0;
      return c >= 0;
    }
    default:
      return truth(valueOf(n, row));
  }
}

QVariant valueOf(const Node& n, const std::function<QVariant(int)>& row) {
  if (n.kind == Node::Kind::Field) return row(n.slot);
  if (n.kind == Node::Kind::Literal) return n.value;
  return test(n, row);
}

}  // namespace

SelectionFormula::SelectionFormula() = default;
SelectionFormula::~SelectionFormula() = default;
SelectionFormula::SelectionFormula(SelectionFormula&&) noexcept = default;
SelectionFormula& SelectionFormula::operator=(SelectionFormula&&) noexcept = default;

SelectionFormula SelectionFormula::parse(const QString& text) {
  SelectionFormula f;
  if (text.trimmed().isEmpty()) return f;
  f.m_text = text;
  Parser parser(Tokenizer(text).tokens(), f.m_fields);
  f.m_root = parser.parse();
  return f;
}

SelectionFormula SelectionFormula::both(SelectionFormula a, SelectionFormula b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  return parse('(' + a.m_text + ") and (" + b.m_text + ')');
}

bool SelectionFormula::matches(const std::function<QVariant(int slot)>& value) const {
  return !m_root || test(*m_root, value);
}

}  // namespace tarovent::report
