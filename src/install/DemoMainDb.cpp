#include "DemoTables.h"
#include "DemoWriters.h"
#include "Schemas.h"
#include "TableWriter.h"

namespace tarovent::install::demo {

namespace {

void writeParameters(db::Database& db) {
  db.Execute(QStringLiteral("UPDATE TPAR SET TPAR_LIBDEV1 = '%1', TPAR_LIBDEV2 = '%2', "
                            "TPAR_COEFFDEV = %3, ")
                 .arg(QString::fromUtf8(kMainCurrency), QString::fromUtf8(kSecondCurrency))
                 .arg(kExchangeRate, 0, 'g', 17) +
             "TPAR_LIBUSER1 = 'Atelier', TPAR_USER1_TYP = 'C', TPAR_USER1_LNG = 20, "
             "TPAR_USER1_DEC = 0, TPAR_USER1_TAB = 'TBUSER_ATELIER', TPAR_LIBUSER2 = 'Date "
             "souhaitée', TPAR_USER2_TYP = 'D', TPAR_USER2_LNG = 10, TPAR_USER2_DEC = 0, "
             "TPAR_LIBUSER3 = 'Compteur (km/h)', TPAR_USER3_TYP = 'N', TPAR_USER3_LNG = 15, "
             "TPAR_USER3_DEC = 0");
  applySchema(db, customValueTableSchema("TBUSER_ATELIER"));
  const auto fill = [&](const QString& table, const QStringList& values) {
    TableWriter w(db, table, {"TBUSER_Libelle", "TBUSER_Ordre"});
    for (int i = 0; i < values.size(); ++i) w.add({values[i], (i + 1) * 10});
  };
  fill("TBUSER_ATELIER", kWorkshops);
  fill("TBUSER_LIBOPE", kOperations);
  fill("TBUSER_NATVEH", kMakes);
  TableWriter typ(db, "TTYP",
                  {"TTYP_CODE", "TTYP_LIB", "TTYP_Desactive", "TTYP_TARMAT", "TTYP_TARMO",
                   "TTYP_DART1A", "TTYP_DART1F", "TTYP_DTRF1", "TTYP_DART1A_HT", "TTYP_MASKET2",
                   "TTYP_LibEnTitre", "TTYP_TitreCorps", "TTYP_TitreEnGras", "TTYP_TitreSouligne"});
  for (int i = 0; i < int(kTypes.size()); ++i) {
    const QuoteType& t = kTypes[i];
    typ.add({t.code, t.label, t.inactive, t.materials, t.labour, t.describeBought, true, i != 2,
             i == 1, i == 3, i == 1, 11, true, i == 1});
  }
  TableWriter pro(db, "TPRO", {"TPRO_Code", "TPRO_LIB", "TPRO_PU"});
  for (const Option& o : kOptions) pro.add({o.code, o.label, o.price});
  TableWriter mac(db, "TMACRO", {"TMACRO_NomMacro", "TMACRO_Form", "TMACRO_Detail"});
  mac.add({"Ligne de déplacement", "FCOMPO", "DEPL{TAB}1{ENTER}"});
  mac.add({"Relance téléphonique", "FREL", "{TAB}{TAB}Relancé par téléphone{ENTER}"});
  mac.add({"Imprimer la fenêtre", "*", "[ImpEcran]"});
}

void writeDossiers(db::Database& db, const DemoModel& m) {
  TableWriter dos(db, "TDOS",
                  {"TDOS_SOC", "TDOS_NUMDOSS", "TDOS_CLIENT", "TDOS_TYPE", "TDOS_CAL",
                   "TDOS_CONTACT", "TDOS_CM", "TDOS_RESUME", "TDOS_STYPTRAV", "TDOS_IMMAT",
                   "TDOS_NATVEH", "TDOS_ComplIdent", "TDOS_USER1", "TDOS_USER2", "TDOS_USER3"});
  TableWriter dev(
      db, "TDEV",
      {"TDEV_SOC", "TDEV_NUMDOSS", "TDEV_NSEQ", "TDEV_DATE", "TDEV_DATREL", "TDEV_MONTANT",
       "TDEV_TEMPS", "TDEV_TXTVA", "TDEV_TARMAT", "TDEV_TARMO", "TDEV_NOTE"});
  const auto orNull = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
  for (const Dossier& d : m.dossiers) {
    const Client& c = m.clients[d.client];
    const QuoteType& type = kTypes[d.type];
    const Vehicle* vehicle = d.vehicle >= 0 ? &c.vehicles[d.vehicle] : nullptr;
    dos.add({d.company, d.number, c.code, type.code, d.rep, d.contact, orNull(d.cm), d.operation,
             d.subType, vehicle ? QVariant(vehicle->immat) : QVariant(),
             vehicle ? QVariant(vehicle->make) : QVariant(),
             vehicle ? QVariant(vehicle->serial) : QVariant(), d.workshop, orNull(d.wishedDate),
             vehicle ? QVariant(thousands(vehicle->meter)) : QVariant()});
    for (const Version& v : d.versions)
      dev.add({d.company, d.number, v.seq, v.date,
               v.reminder.isValid() ? QVariant(v.reminder) : QVariant(), v.amount, v.hours,
               c.country == "F" ? 20.0 : 0.0, type.materials, type.labour, orNull(v.note)});
  }
  TableWriter soc(db, "TSOC", {"TSOC_CODE", "TSOC_LIB", "TSOC_NSEQ", "TSOC_Desactive"});
  for (const Company& c : m.companies) soc.add({c.code, c.name, c.last, c.inactive});
  // The dossiers as the document viewer reads them.
  db.CreateQueryDef("RDOS",
                    "SELECT [TDOS_SOC] & Right('00000' & [TDOS_NUMDOSS],5) AS NUMDEV, TDOS.* "
                    "FROM TDOS;");
}

}  // namespace

void writeMainDatabase(db::Database& db, const DemoModel& m) {
  db::TransactionGuard g(db);
  writeParameters(db);
  writeDossiers(db, m);
  g.commit();
}

}  // namespace tarovent::install::demo
