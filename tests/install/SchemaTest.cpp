#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "core/SchemaUpgrade.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "ui/MessageFunnel.h"

using namespace tarovent;

namespace {

// One table of a new installation: where it lives, its key index and fields, and the other
// fields the program reads there.
struct TableCase {
  const char* file;
  const char* table;
  const char* index;  // "" when the table has no key
  const char* key;
  const char* fields;
};

const TableCase kTables[] = {
    {"../DBPATH.MDB", "TPATH", "PrimaryKey", "TPATH_NUM", "TPATH_NOMMDB TPATH_path TPATH_PROD"},
    {"TAROVENT.MDB", "TPAR", "", "",
     "TPAR_Ver TPAR_DOCINIT TPAR_LIBDEV1 TPAR_LIBDEV2 TPAR_COEFFDEV TPAR_TYP_TARIF_MAT "
     "TPAR_TYP_TARIF_MO TPAR_TxTVADef TPAR_PATH_EXCEL TPAR_NOMFICH_EXCEL TPAR_Word_Rapide "
     "TPAR_LIBUSER1 TPAR_USER1_TYP TPAR_USER1_LNG TPAR_USER1_DEC TPAR_USER1_TAB TPAR_LIBUSER15 "
     "TPAR_USER15_TYP TPAR_USER15_LNG TPAR_USER15_DEC TPAR_USER15_TAB"},
    {"TAROVENT.MDB", "TSOC", "PrimaryKey", "TSOC_CODE", "TSOC_LIB TSOC_NSEQ TSOC_Desactive"},
    {"TAROVENT.MDB", "TDOS", "PrimaryKey", "TDOS_SOC TDOS_NUMDOSS",
     "TDOS_CLIENT TDOS_TYPE TDOS_CAL TDOS_CONTACT TDOS_CM TDOS_RESUME TDOS_STYPTRAV TDOS_IMMAT "
     "TDOS_NATVEH TDOS_ComplIdent TDOS_USER1 TDOS_USER2 TDOS_USER15 TDOS_NUMDOS"},
    {"TAROVENT.MDB", "TDEV", "Primarykey", "TDEV_SOC TDEV_NUMDOSS TDEV_NSEQ",
     "TDEV_DATE TDEV_DATREL TDEV_MONTANT TDEV_TEMPS TDEV_TXTVA TDEV_TARMAT TDEV_TARMO TDEV_NOTE"},
    {"TAROVENT.MDB", "TTYP", "PrimaryKey", "TTYP_CODE",
     "TTYP_LIB TTYP_Desactive TTYP_TARMAT TTYP_TARMO TTYP_DART1A TTYP_DART2A TTYP_DART1F "
     "TTYP_DART2F TTYP_DTRF1 TTYP_DTRF2 TTYP_DART1A_HT TTYP_DTRF2_HT TTYP_MASKET1 TTYP_MASKET2 "
     "TTYP_MASKHT1 TTYP_MASKHT2 TTYP_LibEnTitre TTYP_TitreCorps TTYP_TitreEnGras "
     "TTYP_TitreSouligne"},
    {"TAROVENT.MDB", "TPRO", "PrimaryKey", "TPRO_Code", "TPRO_LIB TPRO_PU"},
    {"TAROVENT.MDB", "TBUSER_LIBOPE", "PrimaryKey", "TBUSER_Libelle", "TBUSER_Ordre"},
    {"TAROVENT.MDB", "TBUSER_NATVEH", "PrimaryKey", "TBUSER_Libelle", "TBUSER_Ordre"},
    {"TAROVENT.MDB", "TMACRO", "PrimaryKey", "TMACRO_NomMacro", "TMACRO_Form TMACRO_Detail"},
    {"TAROVENT.MDB", "TCLI", "PrimaryKey", "TCLI_CODE", "TCLI_RS TCLI_Categ TCLI_PCRemise"},
    {"TAROVENT.MDB", "TMP_MAIL", "", "",
     "TMAIL_NUM TMAIL_DATE TMAIL_ADRESSE TMAIL_SUJET TMAIL_CORPS TMAIL_NAME TMAIL_FILTER"},
    {"TAROVENT.MDB", "TMP_TRAD", "", "", "T_ABREGE T_VALEUR T_TRAD"},
    {"TAROVENT.MDB", "TMP_TABLEAU", "", "",
     "TMP_NUM TMP_Numtab TMP_Codart TMP_CodFourn TMP_Type TMP_Niveau TMP_Qte TMP_Unite TMP_PDR "
     "TMP_PUBRUT TMP_PCREM TMP_PUNET TMP_MTBRUT TMP_MTNET TMP_MTREM TMP_POIDS TMP_TXTVA "
     "TMP_Libelle"},
    {"TAROVENT.MDB", "TMP_NOMENC", "", "",
     "TMP_NumLig TMP_Niveau TMP_Codart TMP_Type TMP_Pere TMP_Newlig TMP_Libart TMP_Unite TMP_PMP "
     "TMP_PVU1 TMP_PVU2 TMP_QTEUNI TGAM_TmpPrep TGAM_TmpPie TGAM_Note TGAM_Numope"},
    {"TAROVENT.MDB", "TMP_RENTA", "", "",
     "SOC NUMDOSS NUMDEV DATDEV DATREL MONTANT CLIENT TYPE CAL RESUME USER1 USER2 NUMAFF DATAFF "
     "CM"},
    {"TAROVENT.MDB", "TMP_STATAFF", "", "",
     "NumAff Client DateAff Qte PDRMDO PDRFOU PDRMAG MTFACT Marge"},
    {"TAROVENT.MDB", "TMP_DOS", "", "", "TDOS_SOC TDOS_NUMDOSS TDOS_USER15 TDOS_NUMDOS"},
    {"TAROVENT.MDB", "TMP_DEV", "", "", "TDEV_SOC TDEV_NSEQ TDEV_NOTE"},
    {"CORVELIN.MDB", "TPARA", "", "",
     "TPARA_LABART1 TPARA_LABART2 TPARA_LABART3 TPARA_LABIMP1 TPARA_LABIMP2 TPARA_NBRDEC "
     "TPARA_GestLots TPARA_MultiEmpl"},
    {"CORVELIN.MDB", "TARTI", "PrimaryKey", "TARTI_CODART",
     "TARTI_LIBART TARTI_libart2 TARTI_DESCR TARTI_INFOS TARTI_Type TARTI_Sous_Type "
     "TARTI_UNST_LIB TARTI_UNACH_LIB TARTI_POIDS TARTI_USER1 TARTI_USER2 TARTI_USER3 TARTI_USER4 "
     "TARTI_REMPL TARTI_CLREM TARTI_PMP TARTI_COEFFRG TARTI_PVU1 TARTI_PVU2 TARTI_COEFU1 "
     "TARTI_COEFU2 TARTI_PVUMIN TARTI_QTE_LANC TARTI_FOURN TARTI_FOURN2 TARTI_ALLEE TARTI_POSTE "
     "TARTI_Desactive TARTI_QTEDISP TARTI_QTERES TARTI_STKTAMP TARTI_stkneg TARTI_GESTLOTS"},
    {"CORVELIN.MDB", "TFAM", "PrimaryKey", "TFAM_CODE", ""},
    {"CORVELIN.MDB", "TFAM_DETAIL", "PrimaryKey", "TFAM_DETAIL_CODE TFAM_DETAIL_NUM",
     "TFAM_DETAIL_TITRE TFAM_DETAIL_TYPE TFAM_DETAIL_LONG TFAM_DETAIL_NBRDEC"},
    {"CORVELIN.MDB", "TLIEN", "PrimaryKey", "TLIEN_PERE TLIEN_VARPERE TLIEN_FILS TLIEN_VARFILS",
     "TLIEN_NUMORD TLIEN_QTEUNI TLIEN_DebApplic TLIEN_FinApplic"},
    {"CORVELIN.MDB", "TMVTS", "PrimaryKey", "TMVTS_NUM",
     "TMVTS_IMP1 TMVTS_CODMVT TMVTS_QTE TMVTS_PU"},
    {"CORVELIN.MDB", "TARTIS", "PrimaryKey", "TARTIS_CODART TARTIS_LOT", ""},
    {"CORVELIN.MDB", "TSite", "PrimaryKey", "TSite_CODE", ""},
    {"PALUNDA.MDB", "TCLI", "PrimaryKey", "TCLI_CODE",
     "TCLI_RS TCLI_ADR1 TCLI_ADR2 TCLI_ADR3 TCLI_CODP TCLI_VILLE TCLI_PAYS TCLI_TEL1 TCLI_FAX1 "
     "TCLI_EMAIL TCLI_CONTACT1 TCLI_FONCT1 TCLI_Portab1 TCLI_EMail1 TCLI_Categ TCLI_PCRemise "
     "TCLI_TauxMDO TCLI_ModPaie TCLI_CondPaie TCLI_Notes1 TCLI_Notes2 TCLI_Notes3 TCLI_MEMO "
     "TCLI_Valide TCLI_USER1 TCLI_USER2 TCLI_TVAIntra TCLI_Fiabilite"},
    {"PALUNDA.MDB", "TCLI_CONTACT", "PrimaryKey", "TCLI_CONTACT_CodCli TCLI_CONTACT_Num",
     "TCLI_Contact_Nom TCLI_CONTACT_Fonct TCLI_CONTACT_Tel TCLI_CONTACT_Fax TCLI_CONTACT_Portab "
     "TCLI_CONTACT_mail"},
    {"PALUNDA.MDB", "TCAT", "PrimaryKey", "TCAT_CODE", "TCAT_LIBELLE"},
    {"PALUNDA.MDB", "TCDP", "PrimaryKey", "TCDP_CODE", "TCDP_libelle"},
    {"PALUNDA.MDB", "TPAYS", "PrimaryKey", "TPAYS_CODE", "TPAYS_LIBELLE"},
    {"PALUNDA.MDB", "TCAL", "PrimaryKey", "TCAL_CODE", "TCAL_NOM TCAL_TEL TCAL_MAIL"},
    {"PALUNDA.MDB", "TVIS", "PrimaryKey", "TVIS_NumLig",
     "TVIS_CodCli TVIS_DatePrev TVIS_DateRea TVIS_Resume TVIS_Detail TVIS_Cal TVIS_Contact"},
    {"PALUNDA.MDB", "TVEH", "PrimaryKey", "TVEH_CODCLI TVEH_IMMAT",
     "TVEH_COMPLIDENT TVEH_MARQUE TVEH_USER3 TVEH_USER15"},
    {"PALUNDA.MDB", "TPRIX", "PrimaryKey", "TPRIX_CODART TPRIX_MAXTRANCHE",
     "TPRIX_PUV1 TPRIX_PUV2"},
    {"PALUNDA.MDB", "TREMI", "PrimaryKey", "TREMI_CLREM TREMI_CATEG", "TREMI_PC1 TREMI_PC2"},
    {"PALUNDA.MDB", "TAFF", "PrimaryKey", "TAFF_NUMAFF",
     "TAFF_NUMDEV TAFF_NomClient TAFF_DATCREA TAFF_DatMaj TAFF_QTE TAFF_TYPTRAV TAFF_Etat"},
    {"PALUNDA.MDB", "TAFS", "PrimaryKey", "TAFS_NUMAFF", "TAFS_NUMDEV TAFS_DATCREA"},
    {"PALUNDA.MDB", "TFAC", "PrimaryKey", "TFAC_NumFact", "TFAC_NumAff TFAC_MtHT"},
    {"DAVRISET.MDB", "TSEC", "PrimaryKey", "TSEC_CODSEC",
     "TSEC_Libsec TSEC_CoutHRevient TSEC_COUTHVENTE"},
    {"DAVRISET.MDB", "TGAM", "PrimaryKey", "TGAM_Codart TGAM_Vargam TGAM_Numope",
     "TGAM_CodSec TGAM_Libope TGAM_TmpPrep TGAM_TmpPie TGAM_CodFourn TGAM_Note"},
    {"DAVRISET.MDB", "THEU", "PrimaryKey", "THEU_NUM", "THEU_NumAff THEU_CodSec THEU_NbrHRea"},
    {"TARIFS.MDB", "TFOU", "PrimaryKey", "TFOU_CodFourn", "TFOU_RSfourn"},
    {"TARIFS.MDB", "TTRF", "PrimaryKey", "TTRF_CODFOURN TTRF_REFFOURN",
     "TTRF_CODART TTRF_LIBART TTRF_UN TTRF_PUnit TTRF_PrixVen TTRF_DatMaj TTRF_DELAI TTRF_Memo "
     "TTRF_Memo2 TTRF_TauxTVA TTRF_PasDeRemise"},
    {"ACHATS.MDB", "TCMD", "PrimaryKey", "TCMD_NumCmde", "TCMD_NumAff"},
    {"ACHATS.MDB", "TCMD_DETAIL", "PrimaryKey", "TCMD_DETAIL_NumCmde TCMD_DETAIL_NumLig",
     "TCMD_DETAIL_Qte TCMD_DETAIL_PrixUnit TCMD_DETAIL_PCRemise TCMD_DETAIL_RefFourn"},
    {"BDTRAD.MDB", "TTRAD", "", "", "T_VALEUR T_TRAD1 T_TRAD2"},
    {"BASEDOC.MDB", "TPROJ", "PrimaryKey", "PROJET",
     "PATHBASE NOMBASE NomTable Nomchamp Nomchamp2 Nomchamp3"},
    {"BASEDOC.MDB", "TPROJ_DETAIL", "", "", "PROJET VALCHAMP PATHDOC NOMDOC"},
    {"SIGNETS.MDB", "TSIGNETS", "PrimaryKey", "SIGNETS_Appli SIGNETS_nomdot SIGNETS_nomsignet", ""},
};

QStringList words(const char* text) {
  return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts);
}

class NewInstallation : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir;
    s_layout = install::initFamily(s_dir->filePath("fam"), true);
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
  }
  static QTemporaryDir* s_dir;
  static install::FamilyLayout s_layout;
};
QTemporaryDir* NewInstallation::s_dir = nullptr;
install::FamilyLayout NewInstallation::s_layout;

TEST_F(NewInstallation, EveryDatabaseHasItsTablesKeysAndFields) {
  db::Workspace ws;
  for (const TableCase& c : kTables) {
    SCOPED_TRACE(std::string(c.file) + " " + c.table);
    db::Database db = ws.OpenDatabase(s_layout.dataFolder + c.file, true);
    ASSERT_TRUE(db.hasTable(c.table));
    const db::TableDef def = db.tableDef(c.table);
    for (const QString& f : words(c.key) + words(c.fields))
      EXPECT_TRUE(def.hasField(f)) << f.toStdString();
    if (*c.index == 0) continue;
    const db::IndexSpec* key = nullptr;
    for (const auto& ix : def.Indexes())
      if (ix.name == QLatin1String(c.index)) key = &ix;
    ASSERT_NE(key, nullptr) << "index " << c.index;
    EXPECT_TRUE(key->primary);
    EXPECT_EQ(key->fields, words(c.key));
  }
}

TEST_F(NewInstallation, KeysRefuseDuplicatesIgnoringCaseAndCountersNumber) {
  db::Workspace ws;
  db::Database main = ws.OpenDatabase(s_layout.dataFolder + "TAROVENT.MDB");
  main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('ab', 1, 'X')");
  main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('ab', 2, 'X')");
  EXPECT_ANY_THROW(
      main.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT) VALUES ('AB', 1, 'Y')"));
  db::Recordset rs = main.OpenRecordset("select TDOS_NUMDOS from TDOS order by TDOS_NUMDOSS");
  EXPECT_EQ(rs.number("TDOS_NUMDOS"), 1);
  rs.MoveNext();
  EXPECT_EQ(rs.number("TDOS_NUMDOS"), 2);
  main.Execute("delete * from TDOS");
}

TEST_F(NewInstallation, CatalogueNamesEveryDatabaseAndTheUpgradeHasNothingToAdd) {
  db::Workspace ws;
  db::Database cat = ws.OpenDatabase(s_layout.root + "DBPATH.MDB", true);
  db::Recordset rs = cat.OpenRecordset("select * from TPATH order by TPATH_NUM");
  QStringList entries;
  for (; !rs.EOF_(); rs.MoveNext()) {
    entries << rs.text("TPATH_NUM") + ":" + rs.text("TPATH_NOMMDB");
    EXPECT_TRUE(QFileInfo::exists(rs.text("TPATH_path") + rs.text("TPATH_NOMMDB")));
  }
  EXPECT_EQ(entries, QStringList({"1:CORVELIN.MDB", "2:PALUNDA.MDB", "3:DAVRISET.MDB",
                                  "4:TAROVENT.MDB", "5:TARIFS.MDB", "6:ACHATS.MDB"}));
  EXPECT_TRUE(QFileInfo::exists(s_layout.dataFolder + "VIDE.dotx"));

  db::Database main = ws.OpenDatabase(s_layout.dataFolder + "TAROVENT.MDB");
  ui::ScriptedResponder messages;
  QString log;
  EXPECT_FALSE(core::Mise_A_Niveau(main, messages, log));
  EXPECT_TRUE(messages.texts().isEmpty());
}

TEST(NewInstallationWithoutSiblings, HoldsOnlyTheProgramsOwnDatabases) {
  QTemporaryDir dir;
  const auto layout = install::initFamily(dir.filePath("seul"), false);
  EXPECT_FALSE(QFileInfo::exists(layout.dataFolder + "PALUNDA.MDB"));
  EXPECT_FALSE(QFileInfo::exists(layout.dataFolder + "BASEDOC.MDB"));
  EXPECT_TRUE(QFileInfo::exists(layout.dataFolder + "SIGNETS.MDB"));
  db::Workspace ws;
  db::Database cat = ws.OpenDatabase(layout.root + "DBPATH.MDB", true);
  EXPECT_EQ(cat.OpenRecordset("TPATH", db::RecordsetType::Table).RecordCount(), 1);
  EXPECT_THROW(install::initFamily(dir.filePath("seul"), false), std::runtime_error);
}

}  // namespace
