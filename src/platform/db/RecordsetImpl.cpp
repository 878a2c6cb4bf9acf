#include "RecordsetImpl.h"

#include <QtEndian>

#include "DbError.h"
#include "SqliteValue.h"

namespace tarovent::db {

QByteArray encodeBookmark(qint64 v) {
  QByteArray b(8, Qt::Uninitialized);
  qToLittleEndian<qint64>(v, b.data());
  return b;
}

qint64 decodeBookmark(const QByteArray& b) {
  if (b.size() != 8) throw DbError(err::InvalidBookmark, QStringLiteral("Signet non valide."));
  return qFromLittleEndian<qint64>(b.constData());
}

void RecordsetImpl::noCurrentRecord() {
  throw DbError(err::NoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
}

KeyRel RecordsetImpl::seekRelation(const QString& op, qsizetype given, qsizetype indexSize) {
  const QString o = op.trimmed();
  KeyRel rel;
  if (o == u"=")
    rel = KeyRel::Equal;
  else if (o == u">=")
    rel = KeyRel::AfterOrEqual;
  else if (o == u">")
    rel = KeyRel::After;
  else if (o == u"<=")
    rel = KeyRel::BeforeOrEqual;
  else if (o == u"<")
    rel = KeyRel::Before;
  else
    throw DbError(err::InvalidArgument,
                  QStringLiteral("Argument non valide (comparaison '%1').").arg(op));
  // ">" on the leading fields lands on the first record that has them, "<=" before it.
  if (given < indexSize) {
    if (rel == KeyRel::After) rel = KeyRel::AfterOrEqual;
    if (rel == KeyRel::BeforeOrEqual) rel = KeyRel::Before;
  }
  return rel;
}

QVariantList RecordsetImpl::seekKey(const QVariantList& key, const QList<int>& keyFields) const {
  if (keyFields.isEmpty())
    throw DbError(err::NoIndex, QStringLiteral("Opération non valide sans index en cours."));
  if (key.isEmpty() || key.size() > keyFields.size())
    throw DbError(err::InvalidArgument, QStringLiteral("Argument non valide (clé de recherche)."));
  QVariantList k;
  for (qsizetype i = 0; i < key.size(); ++i) {
    try {
      k << coerceToField(key[i], m_fields[keyFields[i]]);
    } catch (const DbError& e) {
      // A key longer than its field is sought as given: it matches nothing.
      if (e.number() != err::FieldTooSmall) throw;
      k << key[i];
    }
  }
  return k;
}

int RecordsetImpl::findStart(int size, int pos, bool forward, bool fromEnd) {
  if (fromEnd) return forward ? 0 : size - 1;
  if (forward) return pos < 0 ? 0 : pos + 1;
  return pos >= size ? size - 1 : pos - 1;
}

void RecordsetImpl::checkOpen() const {
  if (m_closed || !connected())
    throw DbError(err::ObjectClosed, QStringLiteral("Objet invalide ou n'est plus défini."));
}

QString RecordsetImpl::index() const { return {}; }

void RecordsetImpl::setIndex(const QString&) {
  throw DbError(err::OperationNotSupported,
                QStringLiteral("Opération non autorisée pour ce type d'objet (Index)."));
}

void RecordsetImpl::seek(const QString&, const QVariantList&) {
  throw DbError(err::OperationNotSupported,
                QStringLiteral("Opération non autorisée pour ce type d'objet (Seek)."));
}

void RecordsetImpl::find(const QString&, bool, bool) {
  throw DbError(err::OperationNotSupported,
                QStringLiteral("Opération non autorisée pour ce type d'objet (Find)."));
}

void RecordsetImpl::setFields(const QList<FieldSpec>& fields, const QStringList& qualifiers) {
  m_fields = fields;
  m_qualifiers = qualifiers;
  m_names.clear();
  m_spellings.clear();
  for (int i = 0; i < m_fields.size(); ++i) {
    const QString n = m_fields[i].name.toUpper();
    if (!m_names.contains(n)) m_names.insert(n, i);
    if (i < m_qualifiers.size() && !m_qualifiers[i].isEmpty()) {
      const QString q = (m_qualifiers[i] + '.' + m_fields[i].name).toUpper();
      if (!m_names.contains(q)) m_names.insert(q, i);
    }
  }
}

const FieldSpec& RecordsetImpl::field(int i) const {
  if (i < 0 || i >= m_fields.size())
    throw DbError(err::ItemNotFound, QStringLiteral("Élément non trouvé dans cette collection."));
  return m_fields[i];
}

int RecordsetImpl::fieldIndex(const QString& name) const {
  // Callers name the same few fields over and over, each always spelt the same way.
  if (const auto it = m_spellings.constFind(name); it != m_spellings.cend()) return *it;
  QString n = name.trimmed().toUpper();
  n.remove('[').remove(']');
  const int i = m_names.value(n, -1);
  if (m_spellings.size() < kMaxSpellings) m_spellings.insert(name, i);
  return i;
}

int RecordsetImpl::requireField(const QString& name) const {
  const int i = fieldIndex(name);
  if (i < 0)
    throw DbError(err::ItemNotFound,
                  QStringLiteral("Élément '%1' non trouvé dans cette collection.").arg(name));
  return i;
}

QVariant RecordsetImpl::value(int i) {
  checkOpen();
  field(i);
  if (m_mode != EditMode::None) return m_buffer[i];
  return currentValue(i);
}

void RecordsetImpl::setValue(int i, const QVariant& v) {
  checkOpen();
  const FieldSpec& f = field(i);
  if (m_mode == EditMode::None)
    throw DbError(err::UpdateWithoutEdit,
                  QStringLiteral("Mise à jour sans AddNew ou Edit (champ %1).").arg(f.name));
  checkWritable(i);
  if (f.autoIncrement)
    throw DbError(err::FieldNotUpdatable,
                  QStringLiteral("Le champ '%1' ne peut pas être mis à jour.").arg(f.name));
  m_buffer[i] = coerceToField(v, f);
  m_dirty[i] = true;
}

void RecordsetImpl::addNew() {
  checkOpen();
  if (!updatable())
    throw DbError(err::ReadOnly, QStringLiteral("Impossible de mettre à jour. Base de données ou "
                                                "objet en lecture seule."));
  m_buffer = QVector<QVariant>(m_fields.size());
  m_dirty = QVector<bool>(m_fields.size(), false);
  for (int i = 0; i < m_fields.size(); ++i) {
    const FieldSpec& f = m_fields[i];
    if (f.defaultValue.isEmpty()) continue;
    QString d = f.defaultValue;
    if (d.startsWith('"') && d.endsWith('"') && d.size() >= 2) d = d.mid(1, d.size() - 2);
    if (d.compare("Date()", Qt::CaseInsensitive) == 0)
      m_buffer[i] = QDate::currentDate();
    else if (d.compare("Now()", Qt::CaseInsensitive) == 0)
      m_buffer[i] = QDateTime::currentDateTime();
    else
      m_buffer[i] = coerceToField(d, f);
  }
  m_mode = EditMode::Add;
}

void RecordsetImpl::edit() {
  checkOpen();
  if (!updatable())
    throw DbError(err::ReadOnly, QStringLiteral("Impossible de mettre à jour. Base de données ou "
                                                "objet en lecture seule."));
  if (bof() || eof()) noCurrentRecord();
  m_buffer = QVector<QVariant>(m_fields.size());
  m_dirty = QVector<bool>(m_fields.size(), false);
  loadForEdit();
  m_mode = EditMode::InProgress;
}

void RecordsetImpl::update() {
  checkOpen();
  if (m_mode == EditMode::None)
    throw DbError(err::UpdateWithoutEdit, QStringLiteral("Mise à jour sans AddNew ou Edit."));
  if (m_mode == EditMode::Add)
    writeNew();
  else
    writeEdit();
  m_mode = EditMode::None;
}

}  // namespace tarovent::db
