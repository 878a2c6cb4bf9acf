#include "DossierTestSupport.h"
#include "dossiers/DossierCreation.h"
#include "dossiers/DossierNumbering.h"
#include "platform/db/DbError.h"

namespace tarovent::dossiers {
namespace {

using Numbering = test::MainDbTest;

TEST_F(Numbering, RecalculRaisesOnlyLaggingCounters) {
  m_db.Execute("INSERT INTO TSOC VALUES ('CD', 'Sans dossier', 3, False)");
  m_db.Execute("INSERT INTO TSOC VALUES ('EF', 'Compteur relevé', 500, False)");
  // A code that is the beginning of another must not take the other's dossiers.
  m_db.Execute("INSERT INTO TSOC VALUES ('A', 'Courte', 1, False)");
  for (const char* sql : {"INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('AB', 9)",
                          "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('AB', 11)",
                          "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('EF', 12)",
                          "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('ZZ', 40)"})
    m_db.Execute(sql);
  const QList<CounterChange> changes = Recalcul_Numeros(m_db);
  ASSERT_EQ(changes.size(), 1);
  EXPECT_EQ(QStringLiteral("%1 %2 %3")
                .arg(changes[0].company)
                .arg(changes[0].before)
                .arg(changes[0].after),
            "AB 6 11");
  EXPECT_EQ(counter("AB"), 11);
  EXPECT_EQ(counter("CD"), 3);    // no dossier: no row from the aggregate
  EXPECT_EQ(counter("EF"), 500);  // raised by hand: survives
  EXPECT_EQ(counter("ZZ"), 40);   // equal: untouched
  EXPECT_EQ(counter("A"), 1);
  EXPECT_TRUE(Recalcul_Numeros(m_db).isEmpty());
}

TEST_F(Numbering, NextVersionIsTheHighestPlusOne) {
  EXPECT_EQ(nextVersionNumber(m_db, "AB", 7), 0);
  for (const char* sql :
       {"INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('AB', 7, 0)",
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('AB', 7, 3)",
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('AB', 7, 1)",
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('AB', 8, 9)",
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ) VALUES ('ZZ', 7, 12)"})
    m_db.Execute(sql);
  EXPECT_EQ(nextVersionNumber(m_db, "AB", 7), 4);  // version 2 was deleted: not filled
  EXPECT_EQ(nextVersionNumber(m_db, "ab", 8), 10);
  EXPECT_EQ(nextVersionNumber(m_db, "AB", 9), 0);
}

NewDossier dossier(const QString& company, const QString& client, const QString& type,
                   const QString& rep = {}) {
  NewDossier d;
  d.company = company;
  d.client = client;
  d.type = type;
  d.rep = rep;
  return d;
}

class Creation : public test::MainDbTest {
 protected:
  DossierCreation::Result create(const NewDossier& d) {
    DossierCreation creation(m_db, m_db, m_messages);
    return creation.create(d);
  }
  long dossiers() { return scalar("select count(*) from TDOS").toLong(); }
};

TEST_F(Creation, FirstSaveTakesTheCompanysNextNumber) {
  NewDossier d = dossier("ab", " C1 ", "A1", "JD");
  d.summary = "Portail";
  d.contact = "M. Aubry";
  d.otherFields.insert("TDOS_CM", "REF-12");
  const auto r = create(d);
  EXPECT_EQ(r.number, 7) << qPrintable(r.refusal);
  EXPECT_EQ(counter("AB"), 7);
  EXPECT_EQ(scalar("select TDOS_SOC & '|' & TDOS_CLIENT & '|' & TDOS_TYPE & '|' & TDOS_CAL & "
                   "'|' & TDOS_CONTACT & '|' & TDOS_RESUME & '|' & TDOS_CM from TDOS where "
                   "TDOS_NUMDOSS = 7"),
            "AB|C1|A1|JD|M. Aubry|Portail|REF-12");
  EXPECT_EQ(create(dossier("AB", "C2", "OLD")).number, 8);  // a deactivated type is allowed
}

TEST_F(Creation, RefusedDossiersWriteNothing) {
  struct Case {
    NewDossier d;
    QString message;
  };
  const QList<Case> cases = {
      {dossier("", "C1", "A1"), "Données incomplètes, enregistrement impossible"},
      {dossier("AB", "  ", "A1"), "Données incomplètes, enregistrement impossible"},
      {dossier("AB", "C1", ""), "Données incomplètes, enregistrement impossible"},
      {dossier("XY", "C1", "A1"), "La société XY n'existe pas"},
      {dossier("ZZ", "C1", "A1"), "La société ZZ est désactivée, enregistrement impossible"},
      {dossier("AB", "C9", "A1"), "Le client C9 n'existe pas, choisissez un client valide"},
      {dossier("AB", "C1", "B7"), "Le type de devis B7 n'existe pas"},
  };
  for (const Case& c : cases) EXPECT_EQ(create(c.d).refusal, c.message);
  EXPECT_EQ(dossiers(), 0);
  EXPECT_EQ(counter("AB"), 6);
}

// Regression: a representative missing from TCAL (the workstation's own code, say) could never
// create a dossier; the box says so when it is typed, the save does not refuse.
TEST_F(Creation, ARepresentativeMissingFromTheListDoesNotBlockTheSave) {
  const auto r = create(dossier("AB", "C1", "A1", "XX"));
  EXPECT_EQ(r.refusal, "");
  EXPECT_EQ(scalar("select TDOS_CAL from TDOS where TDOS_NUMDOSS = 7"), "XX");
}

// Regression: a number taken outside the counter blocked the save with a key error. The save
// takes the next free number above both the counter and the stored dossiers.
TEST_F(Creation, ANumberTakenOutsideTheCounterIsSteppedOver) {
  for (const char* taken : {"'AB', 7", "'AB', 9", "'CD', 40"})
    m_db.Execute(
        QStringLiteral("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES (%1)").arg(taken));
  const NewDossier d = dossier("AB", "C1", "A1");
  EXPECT_EQ(create(d).number, 10);
  EXPECT_EQ(counter("AB"), 10);
  // A counter raised by hand above the stored dossiers is followed as it stands.
  m_db.Execute("UPDATE TSOC SET TSOC_NSEQ = 20 WHERE TSOC_CODE = 'AB'");
  EXPECT_EQ(create(d).number, 21);
  // A field the table does not have fails after the counter was raised: undone.
  NewDossier unknownField = d;
  unknownField.otherFields.insert("TDOS_NOPE", "x");
  EXPECT_DB_ERROR(create(unknownField), db::err::ItemNotFound);
  EXPECT_EQ(counter("AB"), 21);
  EXPECT_EQ(dossiers(), 5);
}

// Dossier 100000 would share dossier 0's document names: refused before anything is written.
TEST_F(Creation, NumbersStopAtTheLastOneWithItsOwnDocumentNames) {
  m_db.Execute("UPDATE TSOC SET TSOC_NSEQ = 99998 WHERE TSOC_CODE = 'AB'");
  EXPECT_EQ(create(dossier("AB", "C1", "A1")).number, 99999);
  EXPECT_EQ(create(dossier("AB", "C1", "A1")).refusal,
            "Le dernier numéro de dossier (99999) est atteint pour cette société : aucun dossier "
            "n'a été créé.");
  EXPECT_EQ(counter("AB"), 99999);
  EXPECT_EQ(dossiers(), 1);
}

}  // namespace
}  // namespace tarovent::dossiers
