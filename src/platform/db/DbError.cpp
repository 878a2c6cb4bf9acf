#include "DbError.h"

namespace tarovent::db {

DbError::DbError(int number, QString description)
    : m_number(number),
      m_description(std::move(description)),
      m_what(QStringLiteral("%1 : %2").arg(m_number).arg(m_description).toStdString()) {}

namespace {

// "no such table: TX" -> "TX".
QString afterColon(const QString& message) {
  const qsizetype colon = message.indexOf(QLatin1Char(':'));
  return colon < 0 ? message : message.mid(colon + 1).trimmed();
}

}  // namespace

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
    // The engine speaks English: the user reads what happened in French, the engine's words
    // kept for whoever looks into it.
    case err::ReadOnly:
      return QStringLiteral(
                 "La base de données est en lecture seule : rien n'a été enregistré "
                 "(%1).")
          .arg(message);
    case err::CannotOpen:
      return QStringLiteral("Le fichier de la base de données ne peut pas être ouvert (%1).")
          .arg(message);
    case err::DiskFull:
      return QStringLiteral("Le disque est plein : rien n'a été enregistré (%1).").arg(message);
    case err::DataTypeMismatch:
      return QStringLiteral("Type de données incompatible (%1).").arg(message);
    case err::SourceNotFound:
      return QStringLiteral("Table ou requête introuvable : %1.").arg(afterColon(message));
    case err::TooFewParameters:
      return QStringLiteral("Champ inconnu : %1.").arg(afterColon(message));
    case err::UnknownFunction:
      return QStringLiteral("Fonction inconnue : %1.").arg(afterColon(message));
    case err::DivisionByZero:
      return QStringLiteral("Division par zéro.");
    case err::TableExists:
      return QStringLiteral("La table existe déjà (%1).").arg(message);
    case err::SyntaxError:
      return QStringLiteral("Erreur de syntaxe dans l'instruction (%1).").arg(message);
    case err::ValidationFailed:
      return QStringLiteral("Une règle de validation de la base n'est pas respectée (%1).")
          .arg(message);
    default:
      return QStringLiteral("Erreur du moteur de base de données (%1).").arg(message);
  }
}

}  // namespace tarovent::db
