#include "DbError.h"

namespace tarovent::db {

DbError::DbError(int number, QString description)
    : m_number(number),
      m_description(std::move(description)),
      m_what(QStringLiteral("%1 : %2").arg(m_number).arg(m_description).toStdString()) {}

QString engineDescription(int number, const QString& message) {
  switch (number) {
    case err::DuplicateKey:
      return QStringLiteral(
                 "Les modifications n'ont pas été effectuées car elles créeraient des doublons "
                 "dans un "
                 "index, une clé primaire ou une relation (%1).")
          .arg(message);
    case err::Locked:
      return QStringLiteral("La base de données est verrouillée par un autre utilisateur (%1).")
          .arg(message);
    case err::FieldRequired:
      return QStringLiteral("Un champ obligatoire est vide (%1).").arg(message);
    case err::ZeroLengthNotAllowed:
      return QStringLiteral("Le champ ne peut pas être une chaîne de longueur nulle (%1).")
          .arg(message);
    case err::UnrecognizedFormat:
      return QStringLiteral("Format de base de données non reconnu (%1).").arg(message);
    default:
      return message;
  }
}

}  // namespace tarovent::db
