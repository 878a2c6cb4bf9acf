#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace tarovent::db {

// A compiled Jet criteria string ("TDOS_SOC = 'AB' And TDOS_NUMDOSS = 12", "Left(X,3)='abc'",
// "InStr(NOM,'d''a') > 0", "D >= #12/31/2025#", "Not IsNull(F)", "F Is Null", Like, arithmetic,
// &) evaluated against one row at a time, with the engine's rules: text compares with the JET
// collation, Null makes a comparison false.
class Criteria {
 public:
  // Finds a field by optional table qualifier and name (both matched case-insensitively by the
  // caller); returns its column index or -1.
  using Resolver = std::function<int(const QString& qualifier, const QString& name)>;

  // Throws DbError (err::SyntaxError, err::ItemNotFound for an unknown field name).
  static Criteria compile(const QString& criteria, const Resolver& resolve);

  Criteria();
  ~Criteria();
  Criteria(Criteria&&) noexcept;
  Criteria& operator=(Criteria&&) noexcept;

  // `row` holds the row's values by column index.
  bool matches(const QVariant* row) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace tarovent::db
