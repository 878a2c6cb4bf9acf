#pragma once

#include <QString>

namespace tarovent::db {
class Database;
}
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::dossiers {

class QuoteTypeTemplates;

// Duplication of a quote type: a new TTYP row with every option of the source, and a copy of
// its template under the new code.
class QuoteTypeDuplication {
 public:
  QuoteTypeDuplication(db::Database& main, QuoteTypeTemplates& templates,
                       const ui::MessageFunnel& messages);

  // Why `code` cannot be duplicated (its template is missing); empty when it can.
  QString sourceRefusal(const QString& code) const;
  // Why `newCode` cannot be the copy's code (empty, or used already); empty when it can.
  QString targetRefusal(const QString& newCode);
  // Makes the copy; returns why it failed (nothing is left behind then), empty on success.
  // Throws db::DbError.
  QString duplicate(const QString& code, const QString& newCode, const QString& newLabel);

 private:
  db::Database& m_main;
  QuoteTypeTemplates& m_templates;
  const ui::MessageFunnel& m_messages;
};

}  // namespace tarovent::dossiers
