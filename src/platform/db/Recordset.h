#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "JetType.h"

namespace tarovent::db {

class Connection;
class RecordsetImpl;

enum class RecordsetType { Default = 0, Table = 1, Dynaset = 2, Snapshot = 4 };
// Options of OpenRecordset.
namespace rsopt {
constexpr int ReadOnly = 4;
}
enum class EditMode { None = 0, InProgress = 1, Add = 2 };

// A set of records with a current record, as the engine gives them. Copies share the same
// cursor (like object references); Clone() gives an independent cursor on the same records.
class Recordset {
 public:
  Recordset() = default;

  bool isOpen() const { return static_cast<bool>(m_impl); }
  RecordsetType Type() const;
  bool Updatable() const;
  void Close();

  bool BOF() const;
  // EOF is a C macro: the engine's EOF property is spelt EOF_.
  bool EOF_() const;
  bool NoMatch() const;
  // Table recordsets: always exact. Dynasets: every row of the query (deleted ones excepted).
  long RecordCount() const;
  // 0-based position of the current record; -1 without one.
  long AbsolutePosition() const;
  void setAbsolutePosition(long position);

  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  void Move(long rows);

  // Table recordsets: the current index (by the engine's name, "PrimaryKey").
  QString Index() const;
  void setIndex(const QString& name);
  // Seek with "=", ">=", ">", "<=", "<" on the whole key or on its leading fields.
  void Seek(const QString& comparison, const QVariantList& key);
  template <typename... Args>
  void Seek(const QString& comparison, const Args&... key) {
    Seek(comparison, QVariantList{QVariant(key)...});
  }

  // Dynasets: Jet criteria strings.
  void FindFirst(const QString& criteria);
  void FindLast(const QString& criteria);
  void FindNext(const QString& criteria);
  void FindPrevious(const QString& criteria);

  QByteArray Bookmark() const;
  void setBookmark(const QByteArray& bookmark);
  QByteArray LastModified() const;
  Recordset Clone() const;
  // Runs the query again (dynasets) or goes back to the first record (tables).
  void Requery();

  void AddNew();
  void Edit();
  void Update();
  void CancelUpdate();
  void Delete();
  tarovent::db::EditMode EditMode() const;

  int fieldCount() const;
  QString fieldName(int i) const;
  FieldSpec fieldSpec(int i) const;
  // -1 when absent. Accepts "FIELD" and "TABLE.FIELD".
  int fieldIndex(const QString& name) const;
  bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

  // Fields(name).Value; throws 3265 for an unknown name and 3021 without a current record.
  QVariant value(const QString& name) const;
  QVariant value(int i) const;
  void setValue(const QString& name, const QVariant& v);
  void setValue(int i, const QVariant& v);
  // A Null read as the caller reads it: empty text, 0, false.
  QString text(const QString& name) const;
  double number(const QString& name) const;
  bool flag(const QString& name) const;

  // The SQL or table behind the recordset.
  QString source() const;

 private:
  friend class Database;
  explicit Recordset(std::shared_ptr<RecordsetImpl> impl) : m_impl(std::move(impl)) {}
  RecordsetImpl& impl() const;
  std::shared_ptr<RecordsetImpl> m_impl;
};

}  // namespace tarovent::db
