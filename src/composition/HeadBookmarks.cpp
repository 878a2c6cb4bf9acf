#include "composition/HeadBookmarks.h"

#include <QDate>
#include <QStringList>

#include "core/ProcessState.h"
#include "core/QuoteContext.h"
#include "platform/db/Database.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition {

namespace {

// The first record of a query, or none.
std::optional<db::Recordset> firstOf(db::Database& db, const QString& sql) {
  db::Recordset rs = db.OpenRecordset(sql);
  if (rs.EOF_()) return std::nullopt;
  return rs;
}

// Bookmarks that take a field of the record as it stands.
void copyFields(QMap<QString, QString>& bookmarks, const db::Recordset& record,
                std::initializer_list<std::pair<const char*, const char*>> fields) {
  for (const auto& [bookmark, field] : fields)
    bookmarks[QString::fromLatin1(bookmark)] = record.text(QString::fromLatin1(field));
}

// The client file lives in the commercial database when the family has one.
db::Database& clientDatabase(core::ProcessState& state) {
  return state.base(core::entry::Commercial).open() ? state.base(core::entry::Commercial).db
                                                    : state.mainDb();
}

void readClient(core::ProcessState& state, const QString& code, const QString& contact,
                HeadValues& head) {
  db::Database& db = clientDatabase(state);
  auto& b = head.bookmarks;
  const auto client = firstOf(db, "select * from TCLI where TCLI_CODE=" + db::sqlLiteral(code));
  if (!client) return;
  const db::Recordset& c = *client;
  head.client.discount = c.number("TCLI_PCRemise");
  head.client.category = c.text("TCLI_Categ");
  head.client.labourRate = c.number("TCLI_TauxMDO");
  copyFields(b, c,
             {{"CODCLI", "TCLI_CODE"},
              {"RS", "TCLI_RS"},
              {"CLIUSER1", "TCLI_USER1"},
              {"CLIUSER2", "TCLI_USER2"},
              {"TVAINTRA", "TCLI_TVAIntra"},
              {"TEL", "TCLI_TEL1"},
              {"FAX", "TCLI_FAX1"},
              {"PORTABLE", "TCLI_Portab1"},
              {"EMAIL", "TCLI_EMail1"}});
  const QString town = (c.text("TCLI_CODP") + ' ' + c.text("TCLI_VILLE")).trimmed();
  QStringList address;
  for (const char* field : {"TCLI_ADR1", "TCLI_ADR2", "TCLI_ADR3"}) {
    const QString line = c.text(QString::fromLatin1(field));
    b["ADR" + QString::fromLatin1(field).right(1)] = line;
    if (!line.trimmed().isEmpty()) address << line;
  }
  b["ADR4"] = town;
  if (!town.isEmpty()) address << town;
  b["ADR"] = address.join(QLatin1Char('\v'));
  // The client reads the terms and the mode by their labels, not by their codes.
  const auto label = [](const QString& code, const QStringList& codes, const QStringList& labels) {
    const qsizetype i = codes.indexOf(code);
    return i >= 0 && !labels.value(i).trimmed().isEmpty() ? labels.value(i) : code;
  };
  const QString terms =
      label(c.text("TCLI_CondPaie"), state.conditionsPaiementCodes, state.conditionsPaiementLabels);
  const QString mode =
      label(c.text("TCLI_ModPaie"), state.modesReglementCodes, state.modesReglementLabels);
  b["SCOND"] = !terms.trimmed().isEmpty() && !mode.trimmed().isEmpty()
                   ? terms.trimmed() + QStringLiteral(" - ") + mode.trimmed()
                   : (terms + mode).trimmed();
  if (const auto country = firstOf(db, "select TPAYS_LIBELLE from TPAYS where TPAYS_CODE=" +
                                           db::sqlLiteral(c.text("TCLI_PAYS"))))
    b["PAYS"] = country->text("TPAYS_LIBELLE");
  // The dossier's contact has his own numbers when he is in the client's contact list.
  if (contact.isEmpty()) return;
  if (const auto person = firstOf(
          db, "select * from TCLI_CONTACT where TCLI_CONTACT_CodCli=" + db::sqlLiteral(code) +
                  " and TCLI_Contact_Nom=" + db::sqlLiteral(contact))) {
    copyFields(b, *person,
               {{"TEL", "TCLI_CONTACT_Tel"},
                {"FAX", "TCLI_CONTACT_Fax"},
                {"PORTABLE", "TCLI_CONTACT_Portab"},
                {"EMAIL", "TCLI_CONTACT_mail"}});
  }
}

// The dossier's custom fields that have a label and a value, one per line.
QString customFields(core::ProcessState& state, const db::Recordset& dossier) {
  const auto params = firstOf(state.mainDb(), QStringLiteral("select * from TPAR"));
  QStringList lines;
  for (int i = 1; i <= 15; ++i) {
    const QString value = dossier.text(QStringLiteral("TDOS_USER%1").arg(i));
    const QString label =
        params ? params->text(QStringLiteral("TPAR_LIBUSER%1").arg(i)) : QString();
    if (!label.isEmpty() && !value.isEmpty()) lines << label + QStringLiteral(" : ") + value;
  }
  return lines.join(QLatin1Char('\v'));
}

}  // namespace

HeadValues readHeadValues(core::ProcessState& state, const core::QuoteContext& quote) {
  HeadValues head;
  auto& b = head.bookmarks;
  b["NUMDEV"] = b["NUMDEV_P2"] = quote.documentName;
  // The issuing company, by its name: a family holds several.
  if (const auto company = firstOf(state.mainDb(), "select TSOC_LIB from TSOC where TSOC_CODE=" +
                                                       db::sqlLiteral(quote.company)))
    b["SOCIETE"] = company->text("TSOC_LIB");
  const QString key = " where TDOS_SOC=" + db::sqlLiteral(quote.company) +
                      " and TDOS_NUMDOSS=" + QString::number(quote.dossier);
  const auto dossier = firstOf(state.mainDb(), "select * from TDOS" + key);
  if (dossier) {
    const db::Recordset& d = *dossier;
    head.typeCode = d.text("TDOS_TYPE");
    copyFields(b, d,
               {{"CM", "TDOS_CM"},
                {"CONTACT", "TDOS_CONTACT"},
                {"TYPVEH", "TDOS_NATVEH"},
                {"IMMAT", "TDOS_IMMAT"},
                {"COMPLIDENT", "TDOS_ComplIdent"},
                {"OPERATION", "TDOS_RESUME"},
                {"STYPTRAV", "TDOS_STYPTRAV"}});
    b["DEVUSER"] = customFields(state, d);
    const QString client = quote.clientCode.isEmpty() ? d.text("TDOS_CLIENT") : quote.clientCode;
    readClient(state, client, d.text("TDOS_CONTACT"), head);
    if (const auto rep = firstOf(clientDatabase(state), "select * from TCAL where TCAL_CODE=" +
                                                            db::sqlLiteral(d.text("TDOS_CAL")))) {
      b["COMMERCIAL"] = b["NOMCAL"] = rep->text("TCAL_NOM");
      copyFields(b, *rep, {{"TELCAL", "TCAL_TEL"}, {"MAILCAL", "TCAL_MAIL"}});
    }
  }
  if (const auto version = firstOf(
          state.mainDb(), "select * from TDEV where TDEV_SOC=" + db::sqlLiteral(quote.company) +
                              " and TDEV_NUMDOSS=" + QString::number(quote.dossier) +
                              " and TDEV_NSEQ=" + QString::number(quote.sequence.toInt()))) {
    const QDate date = version->value("TDEV_DATE").toDate();
    if (date.isValid()) b["DATDEV"] = b["DATDEV_P2"] = date.toString(QStringLiteral("dd/MM/yyyy"));
    if (!version->value("TDEV_TXTVA").isNull())
      head.vatField = QString::number(version->number("TDEV_TXTVA"));
  }
  // The workspace's figures win over the stored ones: they are what the user sees there.
  if (quote.clientDiscount != 0) head.client.discount = quote.clientDiscount;
  if (!quote.clientCategory.isEmpty()) head.client.category = quote.clientCategory;
  return head;
}

int fillHeadBookmarks(word::WordDocument& doc, const QMap<QString, QString>& values) {
  int written = 0;
  for (auto it = values.cbegin(); it != values.cend(); ++it)
    // A head already up to date leaves the document unmodified.
    if (doc.hasBookmark(it.key()) && doc.bookmarkText(it.key()) != it.value() &&
        doc.setBookmarkText(it.key(), it.value()))
      ++written;
  return written;
}

}  // namespace tarovent::composition
