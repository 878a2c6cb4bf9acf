#include "ClientRules.h"

#include "platform/db/Database.h"
#include "platform/db/JetType.h"
#include "platform/db/Recordset.h"

namespace tarovent::clients {

QString cleanClientCode(const QString& typed) {
  QString code = typed;
  code.remove(' ');
  code.remove('\'');
  return code;
}

MissingEntry missingEntry(const ClientIdentity& c) {
  for (const QString* s : {&c.name, &c.address1, &c.postalCode, &c.town})
    if (s->trimmed().isEmpty()) return MissingEntry::Identity;
  if (c.category.trimmed().isEmpty()) return MissingEntry::Category;
  return MissingEntry::None;
}

QString missingEntryMessage(MissingEntry m) {
  switch (m) {
    case MissingEntry::Identity:
      return QStringLiteral("Saisie incomplete: Raison Sociale, Adresse ...");
    case MissingEntry::Category:
      return QStringLiteral("Données incompletes : Catégorie de client ...");
    case MissingEntry::None:
      break;
  }
  return {};
}

bool Contact::empty() const {
  for (const QString* s : {&name, &function, &telephone, &fax, &mobile, &mail})
    if (!s->trimmed().isEmpty()) return false;
  return true;
}

Contact Contact::trimmed() const {
  return {name.trimmed(), function.trimmed(), telephone.trimmed(),
          fax.trimmed(),  mobile.trimmed(),   mail.trimmed()};
}

QString contactsSql(const QString& clientCode) {
  return "select * from TCLI_Contact where TCLI_CONTACT_Codcli = " + db::quoteText(clientCode) +
         " order by TCLI_CONTACT_Num";
}

long nextContactNumber(db::Database& db, const QString& clientCode) {
  db::Recordset rs =
      db.OpenRecordset(contactsSql(clientCode), db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (rs.EOF_()) return 1;
  rs.MoveLast();
  return rs.value("TCLI_CONTACT_Num").toLongLong() + 1;
}

long addContact(db::Database& db, const QString& clientCode, const Contact& c) {
  const long number = nextContactNumber(db, clientCode);
  db::Recordset rs = db.OpenRecordset("TCLI_CONTACT", db::RecordsetType::Table);
  rs.AddNew();
  rs.setValue("TCLI_CONTACT_CodCli", clientCode);
  rs.setValue("TCLI_CONTACT_Num", static_cast<qlonglong>(number));
  const auto put = [&rs](const char* field, const QString& v) {
    rs.setValue(QString::fromLatin1(field), v.isEmpty() ? QVariant() : QVariant(v));
  };
  put("TCLI_Contact_Nom", c.name);
  put("TCLI_CONTACT_Fonct", c.function);
  put("TCLI_CONTACT_mail", c.mail);
  put("TCLI_CONTACT_Tel", c.telephone);
  put("TCLI_CONTACT_Fax", c.fax);
  put("TCLI_CONTACT_Portab", c.mobile);
  rs.Update();
  return number;
}

std::optional<Contact> tidyContacts(db::Database& db, const QString& clientCode) {
  db::Recordset rs = db.OpenRecordset(contactsSql(clientCode), db::RecordsetType::Dynaset);
  std::optional<Contact> first;
  for (; !rs.EOF_(); rs.MoveNext()) {
    const Contact c{rs.text("TCLI_Contact_Nom"),    rs.text("TCLI_CONTACT_Fonct"),
                    rs.text("TCLI_CONTACT_Tel"),    rs.text("TCLI_CONTACT_Fax"),
                    rs.text("TCLI_CONTACT_Portab"), rs.text("TCLI_CONTACT_mail")};
    if (!first)
      first = c;
    else if (c.empty())
      rs.Delete();
  }
  return first;
}

QString clientWithSameTelephone(db::Database& db, const QString& telephone,
                                const QString& clientCode) {
  if (telephone.trimmed().isEmpty()) return {};
  db::Recordset rs = db.OpenRecordset("TCLI", db::RecordsetType::Dynaset, db::rsopt::ReadOnly);
  rs.FindFirst("TCLI_TEL1 = " + db::quoteText(telephone) + " AND TCLI_CODE <> " +
               db::quoteText(clientCode));
  return rs.NoMatch() ? QString() : rs.text("TCLI_CODE");
}

QString quickSearchCriteria(const QString& typed) {
  return "left(TCLI_Code," + QString::number(typed.size()) + ") >=" + db::quoteText(typed);
}

QString codeCriteria(const QString& code) { return "TCLI_CODE = " + db::quoteText(code); }

QString visitsSql(const QString& clientCode, VisitFilter filter) {
  QString sql =
      "Select * From TVIS LEFT JOIN TCLI ON TVIS.TVIS_CODCLI = TCLI.TCLI_CODE WHERE TVIS_CODCLI=" +
      db::quoteText(clientCode) + ' ';
  if (filter == VisitFilter::ToDo) sql += "AND isnull(TVIS_DateRea) ";
  if (filter == VisitFilter::Done) sql += "AND not isnull(TVIS_DateRea) ";
  return sql + "ORDER BY TVIS_DatePrev DESC;";
}

long dossierCount(db::Database& main, const QString& clientCode) {
  db::Recordset rs =
      main.OpenRecordset(QStringLiteral("SELECT Count(*) AS NB FROM TDOS WHERE TDOS_CLIENT = %1")
                             .arg(db::sqlLiteral(clientCode)),
                         db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  return rs.EOF_() ? 0 : long(rs.number(QStringLiteral("NB")));
}

}  // namespace tarovent::clients
