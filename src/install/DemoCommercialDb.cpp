#include "DemoTables.h"
#include "DemoWriters.h"
#include "ReportFiles.h"
#include "TableWriter.h"

namespace tarovent::install::demo {

namespace {

void writeClients(db::Database& db, const DemoModel& m) {
  TableWriter cat(db, "TCAT", {"TCAT_CODE", "TCAT_LIBELLE"});
  const QStringList labels = {"Industrie", "Agriculture", "Travaux publics",
                              "Transport et logistique", "Collectivités"};
  for (int i = 0; i < kCategories.size(); ++i) cat.add({kCategories[i], labels[i]});
  TableWriter pays(db, "TPAYS", {"TPAYS_CODE", "TPAYS_LIBELLE"});
  for (const auto& [code, label] : kCountries) pays.add({code, label});
  TableWriter cal(db, "TCAL", {"TCAL_CODE", "TCAL_NOM", "TCAL_TEL", "TCAL_MAIL"});
  for (const Rep& r : m.reps) cal.add({r.code, r.name, r.tel, r.mail});
  TableWriter cli(
      db, "TCLI",
      {"TCLI_CODE",     "TCLI_RS",      "TCLI_ADR1",    "TCLI_ADR2",     "TCLI_CODP",
       "TCLI_VILLE",    "TCLI_PAYS",    "TCLI_TEL1",    "TCLI_FAX1",     "TCLI_EMAIL",
       "TCLI_CONTACT1", "TCLI_FONCT1",  "TCLI_Portab1", "TCLI_EMail1",   "TCLI_Categ",
       "TCLI_PCRemise", "TCLI_TauxMDO", "TCLI_ModPaie", "TCLI_CondPaie", "TCLI_Notes1",
       "TCLI_Valide",   "TCLI_USER1",   "TCLI_USER2",   "TCLI_TVAIntra", "TCLI_Fiabilite"});
  TableWriter contact(
      db, "TCLI_CONTACT",
      {"TCLI_CONTACT_CodCli", "TCLI_CONTACT_Num", "TCLI_Contact_Nom", "TCLI_CONTACT_Fonct",
       "TCLI_CONTACT_Tel", "TCLI_CONTACT_Portab", "TCLI_CONTACT_mail"});
  TableWriter veh(db, "TVEH",
                  {"TVEH_CODCLI", "TVEH_IMMAT", "TVEH_COMPLIDENT", "TVEH_MARQUE", "TVEH_USER3"});
  TableWriter vis(db, "TVIS",
                  {"TVIS_CodCli", "TVIS_DatePrev", "TVIS_DateRea", "TVIS_Resume", "TVIS_Detail",
                   "TVIS_Cal", "TVIS_Contact"});
  for (int i = 0; i < m.clients.size(); ++i) {
    const Client& c = m.clients[i];
    const Contact& main = c.contacts.first();
    const QString domain = c.mail.section('@', 1);
    cli.add({c.code,
             c.name,
             c.adr1,
             c.adr2.isEmpty() ? QVariant() : c.adr2,
             c.postcode,
             c.town,
             c.country,
             c.tel,
             c.fax,
             c.mail,
             main.name,
             main.function,
             main.mobile,
             main.mail + '@' + domain,
             c.category,
             c.discount,
             c.labourRate,
             c.mode,
             c.terms,
             i % 5 == 0 ? QVariant(QStringLiteral("Accès atelier par l'arrière du bâtiment"))
                        : QVariant(),
             c.validated,
             c.workshop,
             i % 3 == 0 ? QVariant(QStringLiteral("Grand compte")) : QVariant(),
             c.vatNumber.isEmpty() ? QVariant() : c.vatNumber,
             QString(QChar('A' + i % 3))});
    for (int j = 0; j < c.contacts.size(); ++j) {
      const Contact& k = c.contacts[j];
      contact.add({c.code, j + 1, k.name, k.function, k.tel, k.mobile, k.mail + '@' + domain});
    }
    for (const Vehicle& v : c.vehicles)
      veh.add({c.code, v.immat, v.serial, v.make, thousands(v.meter)});
    for (const Visit& v : c.visits)
      vis.add({c.code, v.planned, v.done.isValid() ? QVariant(v.done) : QVariant(), v.subject,
               v.done.isValid()
                   ? QVariant(QStringLiteral("Client satisfait ; à rappeler dans trois mois."))
                   : QVariant(),
               v.rep, v.contact});
  }
}

void writePricing(db::Database& db, const DemoModel& m) {
  TableWriter prix(db, "TPRIX", {"TPRIX_CODART", "TPRIX_MAXTRANCHE", "TPRIX_PUV1", "TPRIX_PUV2"});
  for (const Article& a : m.articles)
    for (const PriceBreak& b : a.breaks) prix.add({a.code, b.bound, b.pv1, b.pv2});
  TableWriter remi(db, "TREMI", {"TREMI_CLREM", "TREMI_CATEG", "TREMI_PC1", "TREMI_PC2"});
  for (int c = 0; c < 4; ++c)
    for (int k = 0; k < kCategories.size(); ++k)
      remi.add({QString(QChar('A' + c)), kCategories[k], classDiscount(c, k, "V"),
                classDiscount(c, k, "P")});
}

void writeAffairs(db::Database& db, const DemoModel& m) {
  TableWriter aff(db, "TAFF",
                  {"TAFF_NUMAFF", "TAFF_NUMDEV", "TAFF_NomClient", "TAFF_DATCREA", "TAFF_DatMaj",
                   "TAFF_QTE", "TAFF_TYPTRAV", "TAFF_Etat"});
  TableWriter afs(db, "TAFS", {"TAFS_NUMAFF", "TAFS_NUMDEV", "TAFS_NomClient", "TAFS_DATCREA"});
  TableWriter fac(db, "TFAC", {"TFAC_NumFact", "TFAC_NumAff", "TFAC_DatFact", "TFAC_MtHT"});
  for (const Affair& a : m.affairs) {
    if (a.archived) {
      afs.add({a.number, a.quote, a.client, a.created});
      continue;
    }
    aff.add({a.number, a.quote, a.client, a.created, a.finished ? a.created.addDays(25) : a.created,
             a.quantity > 0 ? QVariant(a.quantity) : QVariant(), a.type, a.finished ? "F" : "E"});
    for (const Affair::Invoice& i : a.invoices) fac.add({i.number, a.number, i.date, i.amount});
  }
}

}  // namespace

void writeCommercialDatabase(db::Database& db, const DemoModel& m) {
  db::TransactionGuard g(db);
  writeClients(db, m);
  writePricing(db, m);
  writeAffairs(db, m);
  g.commit();
  // The visits window re-creates it at each print; IMPVISIT.RPT can be tried before.
  db.CreateQueryDef(QStringLiteral("RimpVis"), QString::fromLatin1(kVisitReportQuery));
}

}  // namespace tarovent::install::demo
