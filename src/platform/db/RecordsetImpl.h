#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

#include "Connection.h"
#include "KeyPredicate.h"
#include "Recordset.h"

namespace tarovent::db {

// What both kinds of recordsets share: fields by name, the edit buffer, the no-match flag.
class RecordsetImpl {
 public:
  virtual ~RecordsetImpl() = default;

  virtual RecordsetType type() const = 0;
  // Whether the database behind the recordset is still open.
  virtual bool connected() const { return m_c && m_c->isOpen(); }
  virtual bool updatable() const = 0;
  virtual void close() = 0;

  virtual bool bof() const = 0;
  virtual bool eof() const = 0;
  virtual long recordCount() = 0;
  virtual long absolutePosition() = 0;
  virtual void setAbsolutePosition(long p) = 0;
  virtual void moveFirst() = 0;
  virtual void moveLast() = 0;
  virtual void moveNext() = 0;
  virtual void movePrevious() = 0;

  virtual QString index() const;
  virtual void setIndex(const QString& name);
  virtual void seek(const QString& op, const QVariantList& key);
  virtual void find(const QString& criteria, bool forward, bool fromEnd);

  virtual QByteArray bookmark() const = 0;
  virtual void setBookmark(const QByteArray& b) = 0;
  virtual std::shared_ptr<RecordsetImpl> clone() const = 0;
  virtual void requery() = 0;

  virtual QVariant currentValue(int i) = 0;
  // Loads the current record into the edit buffer (fresh from the file).
  virtual void loadForEdit() = 0;
  virtual void writeEdit() = 0;
  virtual void writeNew() = 0;
  virtual void deleteCurrent() = 0;
  // Throws when field `i` cannot be written through this recordset.
  virtual void checkWritable(int) const {}

  void addNew();
  void edit();
  void update();
  void cancelUpdate() { m_mode = EditMode::None; }
  EditMode editMode() const { return m_mode; }

  int fieldCount() const { return m_fields.size(); }
  const FieldSpec& field(int i) const;
  int fieldIndex(const QString& name) const;
  int requireField(const QString& name) const;
  QVariant value(int i);
  void setValue(int i, const QVariant& v);

  bool noMatch() const { return m_noMatch; }
  QByteArray lastModified() const { return m_lastModified; }
  const QString& source() const { return m_source; }
  void checkOpen() const;

 protected:
  void setFields(const QList<FieldSpec>& fields, const QStringList& qualifiers);
  [[noreturn]] static void noCurrentRecord();
  // Seek's comparison as a walk from the key; a key shorter than the index (`indexSize`
  // fields) counts its missing fields as lower than any value.
  static KeyRel seekRelation(const QString& op, qsizetype given, qsizetype indexSize);
  // Seek's key as the index's fields (`keyFields`) store it: 3019 without an index, 3001 for a
  // key of no field or more fields than the index.
  QVariantList seekKey(const QVariantList& key, const QList<int>& keyFields) const;
  // Where FindFirst/FindLast (`fromEnd`) or FindNext/FindPrevious start among `size` rows.
  static int findStart(int size, int pos, bool forward, bool fromEnd);
  std::shared_ptr<Connection> m_c;
  QString m_source;
  bool m_readOnly = false;
  bool m_closed = false;
  bool m_noMatch = false;
  QList<FieldSpec> m_fields;
  QStringList m_qualifiers;     // table of each field, when known
  QHash<QString, int> m_names;  // upper-cased name (and TABLE.NAME) -> field
  // Names as callers spelt them -> field (or -1), so that each is made canonical only once.
  static constexpr int kMaxSpellings = 1024;
  mutable QHash<QString, int> m_spellings;
  EditMode m_mode = EditMode::None;
  QVector<QVariant> m_buffer;
  QVector<bool> m_dirty;
  QByteArray m_lastModified;
};

std::shared_ptr<RecordsetImpl> openTableRecordset(std::shared_ptr<Connection> c,
                                                  const QString& table, bool readOnly);
std::shared_ptr<RecordsetImpl> openDynaset(std::shared_ptr<Connection> c, const QString& source,
                                           bool isTable, bool readOnly, bool snapshot);

QByteArray encodeBookmark(qint64 v);
qint64 decodeBookmark(const QByteArray& b);

}  // namespace tarovent::db
