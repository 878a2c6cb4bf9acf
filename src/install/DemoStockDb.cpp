#include "DemoWriters.h"
#include "TableWriter.h"

namespace tarovent::install::demo {

void writeStockDatabase(db::Database& db, const DemoModel& m) {
  db::TransactionGuard g(db);
  db.Execute(
      "INSERT INTO TPARA (TPARA_LABART1, TPARA_LABART2, TPARA_LABART3, TPARA_LABIMP1, "
      "TPARA_LABIMP2, TPARA_NBRDEC, TPARA_GestLots, TPARA_MultiEmpl) VALUES ('Emplacement', "
      "'Réf. constructeur', 'Marque', 'N° d''affaire', 'N° de lot', 2, False, False)");
  TableWriter arti(
      db, "TARTI",
      {"TARTI_CODART",   "TARTI_LIBART",    "TARTI_DESCR", "TARTI_Type",  "TARTI_Sous_Type",
       "TARTI_UNST_LIB", "TARTI_UNACH_LIB", "TARTI_POIDS", "TARTI_USER1", "TARTI_CLREM",
       "TARTI_PMP",      "TARTI_COEFFRG",   "TARTI_PVU1",  "TARTI_PVU2",  "TARTI_PVUMIN",
       "TARTI_QTE_LANC", "TARTI_FOURN",     "TARTI_ALLEE", "TARTI_POSTE", "TARTI_Desactive",
       "TARTI_QTEDISP"});
  const auto orNull = [](const QString& s) { return s.isEmpty() ? QVariant() : QVariant(s); };
  for (int i = 0; i < m.articles.size(); ++i) {
    const Article& a = m.articles[i];
    arti.add({a.code,
              a.label,
              orNull(a.description),
              a.type,
              orNull(a.subType),
              a.unit,
              a.unit,
              a.weight,
              a.type == "A" ? QVariant(QStringLiteral("Allée %1").arg(i % 12 + 1)) : QVariant(),
              orNull(a.discountClass),
              a.pmp,
              a.overhead,
              a.pv1,
              a.pv2 > 0 ? QVariant(a.pv2) : QVariant(),
              a.floor > 0 ? QVariant(a.floor) : QVariant(),
              a.launch,
              orNull(a.supplier),
              QString::number(i % 12 + 1),
              QString::number(i % 40 + 1),
              i % 97 == 96,
              a.available});
  }
  TableWriter lien(db, "TLIEN",
                   {"TLIEN_PERE", "TLIEN_VARPERE", "TLIEN_FILS", "TLIEN_VARFILS", "TLIEN_NUMORD",
                    "TLIEN_QTEUNI", "TLIEN_DebApplic", "TLIEN_FinApplic"});
  QHash<int, int> order;
  for (const Link& l : m.links)
    lien.add({m.articles[l.parent].code, "00", m.articles[l.child].code, "00",
              (++order[l.parent]) * 10, l.quantity,
              l.from.isValid() ? QVariant(l.from) : QVariant(),
              l.to.isValid() ? QVariant(l.to) : QVariant()});
  db.Execute("INSERT INTO TFAM VALUES ('TUB', 'Tubes carrés sur mesure')");
  db.Execute("INSERT INTO TFAM VALUES ('FLX', 'Flexibles hydrauliques sur mesure')");
  TableWriter fam(db, "TFAM_DETAIL",
                  {"TFAM_DETAIL_CODE", "TFAM_DETAIL_NUM", "TFAM_DETAIL_TITRE", "TFAM_DETAIL_TYPE",
                   "TFAM_DETAIL_LONG", "TFAM_DETAIL_NBRDEC"});
  fam.add({"TUB", 1, "TUB", "K", 3, 0});
  fam.add({"TUB", 2, "Côté (mm)", "N", 3, 0});
  fam.add({"TUB", 3, "X", "K", 1, 0});
  fam.add({"TUB", 4, "Épaisseur (mm)", "N", 4, 1});
  fam.add({"FLX", 1, "FLX-DN", "K", 6, 0});
  fam.add({"FLX", 2, "Diamètre nominal", "N", 2, 0});
  fam.add({"FLX", 3, "-L", "K", 2, 0});
  fam.add({"FLX", 4, "Longueur (mm)", "N", 4, 0});
  fam.add({"FLX", 5, "Embout", "C", 3, 0});
  db.Execute("INSERT INTO TSite VALUES ('ATEL', 'Atelier principal')");
  db.Execute("INSERT INTO TSite VALUES ('EPI', 'Dépôt d''Épinal')");
  // Stock issues of the orders taken from quotes.
  TableWriter mvt(
      db, "TMVTS",
      {"TMVTS_CODART", "TMVTS_CODMVT", "TMVTS_DATE", "TMVTS_QTE", "TMVTS_PU", "TMVTS_IMP1"});
  for (const Affair& a : m.affairs)
    for (const Affair::Issue& i : a.issues)
      mvt.add({i.article, "S", i.date, i.quantity, i.price, a.number});
  g.commit();
}

}  // namespace tarovent::install::demo
