#include "Recordset.h"

#include "DbError.h"
#include "RecordsetImpl.h"
#include "platform/text/TypedText.h"

namespace tarovent::db {

RecordsetImpl& Recordset::impl() const {
  if (!m_impl)
    throw DbError(err::ObjectVariableNotSet,
                  QStringLiteral("Variable objet non définie (jeu d'enregistrements)."));
  m_impl->checkOpen();
  return *m_impl;
}

RecordsetType Recordset::Type() const { return impl().type(); }
bool Recordset::Updatable() const { return impl().updatable(); }
void Recordset::Close() {
  if (m_impl) m_impl->close();
}
bool Recordset::BOF() const { return impl().bof(); }
bool Recordset::EOF_() const { return impl().eof(); }
bool Recordset::NoMatch() const { return impl().noMatch(); }
long Recordset::RecordCount() const { return impl().recordCount(); }
long Recordset::AbsolutePosition() const { return impl().absolutePosition(); }
void Recordset::setAbsolutePosition(long p) { impl().setAbsolutePosition(p); }
void Recordset::MoveFirst() { impl().moveFirst(); }
void Recordset::MoveLast() { impl().moveLast(); }
void Recordset::MoveNext() { impl().moveNext(); }
void Recordset::MovePrevious() { impl().movePrevious(); }

void Recordset::Move(long rows) {
  auto& r = impl();
  // Moving past either end stops there, as the engine does; starting there is an error.
  for (long i = 0; i < rows && !(i > 0 && r.eof()); ++i) r.moveNext();
  for (long i = 0; i > rows && !(i < 0 && r.bof()); --i) r.movePrevious();
}

QString Recordset::Index() const { return impl().index(); }
void Recordset::setIndex(const QString& name) { impl().setIndex(name); }
void Recordset::Seek(const QString& comparison, const QVariantList& key) {
  impl().seek(comparison, key);
}
void Recordset::FindFirst(const QString& c) { impl().find(c, true, true); }
void Recordset::FindLast(const QString& c) { impl().find(c, false, true); }
void Recordset::FindNext(const QString& c) { impl().find(c, true, false); }
void Recordset::FindPrevious(const QString& c) { impl().find(c, false, false); }
QByteArray Recordset::Bookmark() const { return impl().bookmark(); }
void Recordset::setBookmark(const QByteArray& b) { impl().setBookmark(b); }

QByteArray Recordset::LastModified() const {
  QByteArray b = impl().lastModified();
  if (b.isEmpty())
    throw DbError(err::NoCurrentRecord, QStringLiteral("Aucun enregistrement modifié."));
  return b;
}

Recordset Recordset::Clone() const { return Recordset(impl().clone()); }
void Recordset::Requery() { impl().requery(); }
void Recordset::AddNew() { impl().addNew(); }
void Recordset::Edit() { impl().edit(); }
void Recordset::Update() { impl().update(); }
void Recordset::CancelUpdate() { impl().cancelUpdate(); }
void Recordset::Delete() { impl().deleteCurrent(); }
EditMode Recordset::EditMode() const { return impl().editMode(); }
int Recordset::fieldCount() const { return impl().fieldCount(); }
QString Recordset::fieldName(int i) const { return impl().field(i).name; }
FieldSpec Recordset::fieldSpec(int i) const { return impl().field(i); }
int Recordset::fieldIndex(const QString& name) const { return impl().fieldIndex(name); }
QVariant Recordset::value(const QString& name) const {
  auto& r = impl();
  return r.value(r.requireField(name));
}
QVariant Recordset::value(int i) const { return impl().value(i); }
void Recordset::setValue(const QString& name, const QVariant& v) {
  auto& r = impl();
  r.setValue(r.requireField(name), v);
}
void Recordset::setValue(int i, const QVariant& v) { impl().setValue(i, v); }

QString Recordset::text(const QString& name) const {
  const QVariant v = value(name);
  if (v.isNull() || !v.isValid()) return {};
  if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
  if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
  return v.toString();
}

double Recordset::number(const QString& name) const {
  const QVariant v = value(name);
  if (v.isNull() || !v.isValid()) return 0;
  if (v.typeId() == QMetaType::QString) {
    QString t = v.toString().trimmed();
    t.replace(',', '.');
    return t.toDouble();
  }
  if (v.typeId() == QMetaType::Bool) return v.toBool() ? -1 : 0;
  return v.toDouble();
}

bool Recordset::flag(const QString& name) const {
  const QVariant v = value(name);
  if (v.isNull() || !v.isValid()) return false;
  if (v.typeId() == QMetaType::QString) {
    return text::readYesNo(v.toString()).value_or(false);
  }
  return v.toDouble() != 0;
}

QString Recordset::source() const { return impl().source(); }

}  // namespace tarovent::db
