#pragma once

#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

#include "JetValue.h"

// Tokenizer and recursive-descent parser of Jet SQL, shared by the SQL translator and the
// criteria evaluator. It builds a syntax tree; printing it is the callers' business.
namespace tarovent::db::jet {

struct Token {
  enum class Kind { End, Name, Bracketed, String, Number, Date, Op };
  Kind kind = Kind::End;
  QString text;  // name, unquoted string, operator; a date as its stored text
  Value number;  // Number: Int or Double
  qsizetype begin = 0;
  qsizetype end = 0;
};

struct Select;
struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
  enum class Kind {
    Literal,    // value
    Column,     // qualifier.name
    Star,       // * or qualifier.*
    Unary,      // op: NOT, -
    Binary,     // op: AND OR XOR EQV IMP = <> < > <= >= + - * / \ MOD ^ &
    Function,   // fn, args
    Aggregate,  // name (SUM AVG COUNT MIN MAX FIRST LAST), args (Star for Count(*))
    IsNull,     // args[0] Is [Not] Null, IsNull(x)
    Like,       // args[0] [Not] Like args[1]
    Between,    // args[0] [Not] Between args[1] And args[2]
    InList,     // args[0] [Not] In (args[1..])
    InSelect,   // args[0] [Not] In (select)
    Exists,     // Exists (select)
    Subquery,   // (select)
  };
  Kind kind = Kind::Literal;
  Value value;
  QString qualifier;
  QString name;
  QString op;
  const FnInfo* fn = nullptr;
  bool negated = false;
  std::vector<ExprPtr> args;
  std::shared_ptr<Select> select;
  qsizetype begin = 0;  // source range, for messages and default values
  qsizetype end = 0;
  int depth = 1;  // levels of the tree below and including this node
};

struct TableRef {
  enum class Kind { Table, Join, Subquery };
  Kind kind = Kind::Table;
  QString path;  // database file ("[path].TABLE" or "IN 'path'"); empty for this database
  QString name;
  QString alias;
  QString join;  // INNER, LEFT, RIGHT
  std::unique_ptr<TableRef> left;
  std::unique_ptr<TableRef> right;
  ExprPtr on;
  std::shared_ptr<Select> select;
};

struct SelectItem {
  ExprPtr expr;
  QString alias;
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct Select {
  bool distinct = false;
  qint64 top = -1;
  std::vector<SelectItem> items;
  bool into = false;
  QString intoTable;
  QString intoPath;
  std::vector<std::unique_ptr<TableRef>> from;
  ExprPtr where;
  std::vector<ExprPtr> groupBy;
  ExprPtr having;
  std::vector<std::shared_ptr<Select>> unions;  // further members of a UNION
  std::vector<bool> unionAll;
  std::vector<OrderItem> orderBy;
};

class Parser {
 public:
  // Tokenizes `text`; throws DbError(err::SyntaxError) on a malformed token.
  explicit Parser(QString text);

  const QString& text() const { return m_text; }
  const Token& peek(int ahead = 0) const;
  Token take();
  bool atEnd() const;  // only a trailing ";" left
  void expectEnd();

  bool atKeyword(const char* word, int ahead = 0) const;
  bool acceptKeyword(const char* word);
  void expectKeyword(const char* word);
  bool atOp(const char* op, int ahead = 0) const;
  bool acceptOp(const char* op);
  void expectOp(const char* op);
  // A bare or bracketed name.
  bool atName(int ahead = 0) const;
  QString name();
  // A table name: "T", "[T]", "[path].T"; sets `path` for the qualified form.
  QString tableName(QString* path);
  // A string literal ('…' or "…").
  QString stringLiteral();
  qint64 integer();

  ExprPtr expression();
  std::shared_ptr<Select> select();

  [[noreturn]] void fail(int number = 0) const;
  [[noreturn]] void unsupported() const;

 private:
  ExprPtr orExpr();
  ExprPtr andExpr();
  ExprPtr notExpr();
  ExprPtr comparison();
  ExprPtr concatExpr();
  ExprPtr additive();
  ExprPtr modExpr();
  ExprPtr intDivExpr();
  ExprPtr multiplicative();
  ExprPtr unary();
  ExprPtr power();
  ExprPtr primary();
  ExprPtr primaryTerm();
  ExprPtr nameOrCall();
  // Sets the node's depth from its operands; refuses a tree too deep to print or evaluate.
  ExprPtr finish(ExprPtr e);
  // Builds `op` over `items` as a balanced tree, so long chains stay shallow.
  ExprPtr chain(const QString& op, std::vector<ExprPtr>& items, size_t from, size_t to);
  // Counts nesting while parsing; refuses statements nested deeper than the stack allows.
  struct Nesting {
    explicit Nesting(Parser& p);
    ~Nesting() { --m_p.m_nesting; }
    Parser& m_p;
  };
  std::shared_ptr<Select> selectCore();
  std::unique_ptr<TableRef> tableRef();
  std::unique_ptr<TableRef> tablePrimary();
  QString optionalAlias();
  ExprPtr binary(QString op, ExprPtr a, ExprPtr b);
  // Fails on a malformed token at [begin, end) of the text.
  [[noreturn]] void failAt(qsizetype begin, qsizetype end);

  QString m_text;
  std::vector<Token> m_tokens;
  size_t m_pos = 0;
  int m_nesting = 0;
};

// True for words that end an expression or a table reference and so cannot be an alias.
bool isReservedWord(QStringView word);

}  // namespace tarovent::db::jet
