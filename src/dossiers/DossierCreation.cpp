#include "DossierCreation.h"

#include "DocumentNames.h"
#include "DossierNumbering.h"
#include "WriteTransaction.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/MessageFunnel.h"

namespace tarovent::dossiers {

QString tooManyDossiers(const ui::MessageFunnel& m) {
  return m.tr(QStringLiteral("Le dernier numéro de dossier (")) +
         QString::number(kLastDossierNumber) +
         m.tr(QStringLiteral(") est atteint pour cette société : aucun dossier n'a été créé."));
}

DossierCreation::DossierCreation(db::Database& main, db::Database& clients,
                                 const ui::MessageFunnel& messages)
    : m_main(main), m_clients(clients), m_messages(messages) {}

bool DossierCreation::exists(db::Database& db, const QString& table, const QString& code) {
  db::Recordset rs = db.OpenRecordset(table, db::RecordsetType::Table, db::rsopt::ReadOnly);
  rs.setIndex(QStringLiteral("PrimaryKey"));
  rs.Seek(QStringLiteral("="), code);
  return !rs.NoMatch();
}

QString DossierCreation::refusal(const NewDossier& d) {
  const auto& m = m_messages;
  const QString company = d.company.trimmed();
  const QString client = d.client.trimmed();
  const QString type = d.type.trimmed();
  if (company.isEmpty() || client.isEmpty() || type.isEmpty())
    return m.tr(QStringLiteral("Données incomplètes, enregistrement impossible"));
  db::Recordset soc =
      m_main.OpenRecordset(QStringLiteral("TSOC"), db::RecordsetType::Table, db::rsopt::ReadOnly);
  soc.setIndex(QStringLiteral("PrimaryKey"));
  soc.Seek(QStringLiteral("="), company);
  if (soc.NoMatch())
    return m.tr(QStringLiteral("La société ")) + company + m.tr(QStringLiteral(" n'existe pas"));
  if (soc.flag(QStringLiteral("TSOC_Desactive")))
    return m.tr(QStringLiteral("La société ")) + company +
           m.tr(QStringLiteral(" est désactivée, enregistrement impossible"));
  if (!exists(m_clients, QStringLiteral("TCLI"), client))
    return m.tr(QStringLiteral("Le client ")) + client +
           m.tr(QStringLiteral(" n'existe pas, choisissez un client valide"));
  if (!exists(m_main, QStringLiteral("TTYP"), type))
    return m.tr(QStringLiteral("Le type de devis ")) + type + m.tr(QStringLiteral(" n'existe pas"));
  return {};
}

DossierCreation::Result DossierCreation::create(const NewDossier& d) {
  Result result;
  result.refusal = refusal(d);
  if (!result.saved()) return result;
  inWriteTransaction(m_main, [&] {
    db::Recordset soc = m_main.OpenRecordset(QStringLiteral("TSOC"), db::RecordsetType::Table);
    soc.setIndex(QStringLiteral("PrimaryKey"));
    soc.Seek(QStringLiteral("="), d.company.trimmed());
    // Checked above; another workstation may have deleted it since.
    if (soc.NoMatch())
      throw db::DbError(db::err::NoCurrentRecord,
                        m_messages.tr(QStringLiteral("Société introuvable")));
    const long number =
        nextDossierNumber(m_main, QStringLiteral("TDOS"), soc.text(QStringLiteral("TSOC_CODE")),
                          long(soc.number(QStringLiteral("TSOC_NSEQ"))));
    if (!hasOwnName(number)) {
      result.refusal = tooManyDossiers(m_messages);
      return;
    }
    soc.Edit();
    soc.setValue(QStringLiteral("TSOC_NSEQ"), qlonglong(number));
    soc.Update();

    db::Recordset dos = m_main.OpenRecordset(QStringLiteral("TDOS"), db::RecordsetType::Table);
    dos.AddNew();
    for (auto it = d.otherFields.cbegin(); it != d.otherFields.cend(); ++it)
      dos.setValue(it.key(), it.value());
    dos.setValue(QStringLiteral("TDOS_SOC"), soc.text(QStringLiteral("TSOC_CODE")));
    dos.setValue(QStringLiteral("TDOS_NUMDOSS"), qlonglong(number));
    dos.setValue(QStringLiteral("TDOS_CLIENT"), d.client.trimmed());
    dos.setValue(QStringLiteral("TDOS_TYPE"), d.type.trimmed());
    const auto optional = [&](const char* field, const QString& value) {
      if (!value.trimmed().isEmpty()) dos.setValue(QLatin1String(field), value.trimmed());
    };
    optional("TDOS_CAL", d.rep);
    optional("TDOS_CONTACT", d.contact);
    optional("TDOS_RESUME", d.summary);
    dos.Update();
    result.number = number;
    result.company = soc.text(QStringLiteral("TSOC_CODE"));
  });
  return result;
}

}  // namespace tarovent::dossiers
