#include "QuoteTypeDuplication.h"

#include <QFile>

#include "QuoteTypeTemplates.h"
#include "WriteTransaction.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/MessageFunnel.h"

namespace tarovent::dossiers {

QuoteTypeDuplication::QuoteTypeDuplication(db::Database& main, QuoteTypeTemplates& templates,
                                           const ui::MessageFunnel& messages)
    : m_main(main), m_templates(templates), m_messages(messages) {}

QString QuoteTypeDuplication::sourceRefusal(const QString& code) const {
  if (m_templates.hasTemplate(code)) return {};
  return m_messages.tr(QStringLiteral("Modèle ")) + code +
         m_messages.tr(QStringLiteral(" introuvable ..."));
}

QString QuoteTypeDuplication::targetRefusal(const QString& newCode) {
  const QString code = newCode.trimmed();
  if (code.isEmpty()) return m_messages.tr(QStringLiteral("Le nouveau code est obligatoire"));
  if (QString refusal = QuoteTypeTemplates::codeRefusal(code, m_messages); !refusal.isEmpty())
    return refusal;
  db::Recordset typ =
      m_main.OpenRecordset(QStringLiteral("TTYP"), db::RecordsetType::Table, db::rsopt::ReadOnly);
  typ.setIndex(QStringLiteral("PrimaryKey"));
  typ.Seek(QStringLiteral("="), code);
  if (typ.NoMatch()) return {};
  return m_messages.tr(QStringLiteral("Code modèle ")) + code +
         m_messages.tr(QStringLiteral(" déjà utilisé !!!"));
}

QString QuoteTypeDuplication::duplicate(const QString& code, const QString& newCode,
                                        const QString& newLabel) {
  const QString target = newCode.trimmed();
  if (QString refusal = sourceRefusal(code); !refusal.isEmpty()) return refusal;
  if (QString refusal = targetRefusal(target); !refusal.isEmpty()) return refusal;
  QString error;
  if (!m_templates.copyTemplate(code, target, &error)) return error;
  try {
    inWriteTransaction(m_main, [&] {
      db::Recordset typ = m_main.OpenRecordset(QStringLiteral("TTYP"), db::RecordsetType::Table);
      typ.setIndex(QStringLiteral("PrimaryKey"));
      typ.Seek(QStringLiteral("="), code);
      if (typ.NoMatch())
        throw db::DbError(db::err::NoCurrentRecord,
                          m_messages.tr(QStringLiteral("Type ")) + code +
                              m_messages.tr(QStringLiteral(" introuvable")));
      QVariantList values;
      for (int i = 0; i < typ.fieldCount(); ++i) values << typ.value(i);
      typ.AddNew();
      for (int i = 0; i < typ.fieldCount(); ++i) typ.setValue(i, values[i]);
      typ.setValue(QStringLiteral("TTYP_CODE"), target);
      typ.setValue(QStringLiteral("TTYP_LIB"), newLabel);
      typ.Update();
    });
  } catch (const db::DbError&) {
    m_templates.removeTemplate(target);
    throw;
  }
  return {};
}

}  // namespace tarovent::dossiers
