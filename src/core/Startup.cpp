#include "Startup.h"

#include <QDir>
#include <QFileInfo>

#include "Catalogue.h"
#include "ConfigFile.h"
#include "HelpPages.h"
#include "Paths.h"
#include "ProcessState.h"
#include "SchemaUpgrade.h"
#include "platform/db/DbError.h"
#include "platform/db/Presence.h"
#include "platform/word/GWORD.h"

namespace tarovent::core {

namespace {

const char* const kModes[][2] = {
    {"CHQ", "Chèque"},          {"VIR", "Virement"},
    {"ESP", "Espèce"},          {"CBL", "Carte Bleue"},
    {"TRT", "Traite"},          {"BAO", "Billet à ordre"},
    {"MAN", "Mandat"},          {"DOC", "Crédit documentaire"},
    {"LCR", "LCR Magnétique"},  {"DIV", "Spécifique"},
    {"VIA", "Virement admin."},
};

void readGeneralParameters(db::Recordset& tpar, GeneralParameters& p) {
  const auto text = [&](const char* f) { return tpar.hasField(f) ? tpar.text(f) : QString(); };
  const auto number = [&](const char* f) { return tpar.hasField(f) ? tpar.number(f) : 0.0; };
  const auto flag = [&](const char* f) { return tpar.hasField(f) && tpar.flag(f); };
  p.docInit = flag("TPAR_DOCINIT");
  p.libDev1 = text("TPAR_LIBDEV1");
  p.libDev2 = text("TPAR_LIBDEV2");
  p.coeffDev = number("TPAR_COEFFDEV");
  p.tarifMat = text("TPAR_TYP_TARIF_MAT");
  p.tarifMo = text("TPAR_TYP_TARIF_MO");
  p.txTvaDef = number("TPAR_TxTVADef");
  p.pathExcel = withSeparator(text("TPAR_PATH_EXCEL"));
  p.nomFichExcel = text("TPAR_NOMFICH_EXCEL");
  p.wordRapide = flag("TPAR_Word_Rapide");
}

}  // namespace

QString programVersion() {
  return QStringLiteral("%1.%2").arg(TAROVENT_VERSION_MAJOR).arg(TAROVENT_VERSION_MINOR);
}

QString mainCaption(const QString& base, const QString& dataFolderName, const QString& salesRep) {
  const QString revision = ("0" + QString::number(TAROVENT_VERSION_PATCH)).right(2);
  QString caption =
      base + "   V" + programVersion() + "." + revision + QString(26, ' ') + dataFolderName;
  if (!salesRep.isEmpty()) caption += " (" + salesRep + ")";
  return caption;
}

bool Marquer_Documentation_Vue(ProcessState& s) {
  if (!s.base(entry::Main).open()) return false;
  try {
    db::Recordset tpar = s.mainDb().OpenRecordset("TPAR", db::RecordsetType::Table);
    if (tpar.EOF_()) return false;
    tpar.Edit();
    tpar.setValue("TPAR_DOCINIT", true);
    tpar.Update();
    tpar.Close();
  } catch (const db::DbError&) {
    return false;
  }
  s.params.docInit = true;
  return true;
}

namespace {

// Steps 5 and 6: the databases, then the schema upgrade.
bool openDatabases(ProcessState& s) {
  Catalogue catalogue(s);
  if (!catalogue.Lire_Catalogue()) return false;
  bool fatal = false;
  catalogue.Ouvrir_Bases(fatal);
  if (fatal || !s.base(entry::Main).open()) return false;
  return !Mise_A_Niveau(s.mainDb(), s.messages(), s.upgradeLog);
}

// Steps 7 to 9: the parameters record, the version check and the general parameters.
bool readParameters(ProcessState& s) {
  auto& msg = s.messages();
  try {
    db::Recordset tpar = s.mainDb().OpenRecordset("TPAR", db::RecordsetType::Table);
    if (tpar.RecordCount() == 0) {
      tpar.AddNew();
      tpar.Update();
    }
    tpar.MoveFirst();
    const QString dbVersion = tpar.text("TPAR_Ver");
    if (dbVersion != programVersion()) {
      msg.show(msg.tr("Ce programme est en version ") + programVersion() +
                   msg.tr(" et la base de données en version ") + dbVersion,
               ui::Icon::Critical);
      return false;
    }
    readGeneralParameters(tpar, s.params);
    tpar.Close();
  } catch (const db::DbError& e) {
    msg.show(msg.tr("La table des paramètres n'est pas accessible.") + "\n" + e.description() +
                 msg.tr("   Err. n° ") + QString::number(e.number()),
             ui::Icon::Critical);
    return false;
  }
  return true;
}

// The stock parameters record, or an empty recordset.
db::Recordset stockParameters(ProcessState& s) {
  return s.base(entry::Stock)
      .db.OpenRecordset("TPARA", db::RecordsetType::Table, db::rsopt::ReadOnly);
}

// Step 10: article labels.
void readArticleLabels(ProcessState& s) {
  if (!s.base(entry::Stock).open()) return;
  try {
    db::Recordset para = stockParameters(s);
    if (!para.EOF_()) {
      s.params.labArt1 = para.text("TPARA_LABART1");
      s.params.labArt2 = para.text("TPARA_LABART2");
      s.params.labArt3 = para.text("TPARA_LABART3");
    }
  } catch (const db::DbError&) {
    s.messages().show(s.messages().tr("La table des paramètres articles n'est pas accessible."),
                      ui::Icon::Warning);
  }
}

void openClientTable(ProcessState& s, db::Database& db) {
  try {
    s.clientTable = db.OpenRecordset("TCLI", db::RecordsetType::Table, db::rsopt::ReadOnly);
    s.clientTable.setIndex("PrimaryKey");
  } catch (const db::DbError&) {
    s.clientTable = {};
    s.messages().show(s.messages().tr("La table des clients n'est pas accessible."),
                      ui::Icon::Warning);
  }
}

void checkSalesRep(ProcessState& s, db::Database& com) {
  if (s.config.salesRep.isEmpty()) return;
  try {
    db::Recordset cal = com.OpenRecordset("TCAL", db::RecordsetType::Table);
    if (cal.RecordCount() == 0) return;
    cal.setIndex("PrimaryKey");
    cal.Seek("=", s.config.salesRep);
    if (cal.NoMatch()) {
      s.messages().show(
          "(Milostar.ini) : Le code commercial <" + s.config.salesRep + "> n'est pas reconnu !!!",
          ui::Icon::Warning);
      s.config.salesRep.clear();
    }
  } catch (const db::DbError&) {
    // Without the representatives table the code is kept as configured.
  }
}

// Step 11: the client and price tables and the sales representative.
void openCommercialData(ProcessState& s, StartupHost& host) {
  BaseEntry& com = s.base(entry::Commercial);
  if (!com.open()) {
    openClientTable(s, s.mainDb());
    s.hideRentabilite = true;
    host.hideMenuEntry("M_RENTA");
    return;
  }
  openClientTable(s, com.db);
  try {
    db::Recordset prix = com.db.OpenRecordset("TPRIX", db::RecordsetType::Table);
    if (prix.RecordCount() > 0) {
      prix.setIndex("PrimaryKey");
      s.priceTable = prix;
    }
  } catch (const db::DbError&) {
    s.priceTable = {};
  }
  checkSalesRep(s, com.db);
}

// Step 12: payment modes and terms.
void buildPaymentLists(ProcessState& s) {
  s.modesReglementCodes.clear();
  s.modesReglementLabels.clear();
  for (const auto& m : kModes) {
    s.modesReglementCodes << QString::fromUtf8(m[0]);
    s.modesReglementLabels << QString::fromUtf8(m[1]);
  }
  s.conditionsPaiementCodes = QStringList{QString()};
  s.conditionsPaiementLabels = QStringList{QString()};
  BaseEntry& com = s.base(entry::Commercial);
  if (!com.open()) return;
  try {
    db::Recordset cdp = com.db.OpenRecordset("TCDP", db::RecordsetType::Table, db::rsopt::ReadOnly);
    cdp.setIndex("PrimaryKey");
    if (cdp.RecordCount() == 0) {
      s.messages().show(s.messages().tr("Table de conditions de paiement vide."),
                        ui::Icon::Warning);
      return;
    }
    QStringList codes, labels;
    for (cdp.MoveFirst(); !cdp.EOF_(); cdp.MoveNext()) {
      codes << cdp.text("TCDP_CODE");
      labels << cdp.text("TCDP_libelle");
    }
    codes << QString();
    labels << QString();
    s.conditionsPaiementCodes = codes;
    s.conditionsPaiementLabels = labels;
  } catch (const db::DbError&) {
    // No payment terms: the single empty entry stays.
  }
}

// Step 13: the number of quantity decimals.
void readQuantityDecimals(ProcessState& s) {
  s.Nb_Decimales = 3;
  if (!s.base(entry::Stock).open()) return;
  try {
    db::Recordset para = stockParameters(s);
    if (!para.EOF_() && !para.value("TPARA_NBRDEC").isNull())
      s.Nb_Decimales = static_cast<int>(para.number("TPARA_NBRDEC"));
  } catch (const db::DbError&) {
    // Message already given with the article labels.
  }
}

// Step 14: the routing table.
void openRoutingTable(ProcessState& s) {
  if (!s.base(entry::Planning).open()) return;
  try {
    s.routingTable = s.base(entry::Planning).db.OpenRecordset("TGAM", db::RecordsetType::Table);
    s.routingTable.setIndex("PrimaryKey");
  } catch (const db::DbError&) {
    s.routingTable = {};
  }
}

// Step 15: the document engine, tried on the empty template of the documents folder, which
// every new document falls back on. When it cannot work the program goes on without it.
void createWordInterface(ProcessState& s) {
  auto engine = std::make_unique<word::GWORD>();
  const QString folder = localPath(s.base(entry::Main).folder);
  const bool works = engine->W_FichierNouveau(folder + "VIDE");
  engine->W_FichierFermer();
  if (works) {
    s.wordInterface = std::move(engine);
    return;
  }
  s.wordInterface.reset();
  s.messages().show(s.messages().tr("WORD n'a pas pu être lancé. ") + "\n" + engine->lastError(),
                    ui::Icon::Warning);
}

// Steps 17 and 18: the caption, with the default company when it exists.
QString caption(ProcessState& s) {
  QString caption =
      mainCaption(s.Traduire("TAROVENT - Gestion des devis"), s.dataFolderName, s.config.salesRep);
  if (s.config.defaultCompany.isEmpty()) return caption;
  try {
    db::Recordset soc = s.mainDb().OpenRecordset("TSOC", db::RecordsetType::Table);
    soc.setIndex("PrimaryKey");
    soc.Seek("=", s.config.defaultCompany);
    if (soc.NoMatch())
      s.config.defaultCompany.clear();
    else
      caption += " - [" + soc.text("TSOC_LIB") + "]";
  } catch (const db::DbError&) {
    s.config.defaultCompany.clear();
  }
  return caption;
}

// Step 20: the quote documents folder.
void makeDocumentsFolder(ProcessState& s) {
  const QString docs = localPath(s.base(entry::Main).folder) + "DOC_TAROVENT";
  if (!QFileInfo(docs).isDir()) QDir().mkpath(docs);
}

}  // namespace

StartupResult runStartup(ProcessState& s, StartupHost& host) {
  Fichier_Aide(s, QStringLiteral("TAROVENT"));
  s.config = readConfigurationFile(localPath(configurationPath(s.workingFolder)));
  host.placeMainWindow();
  s.Code_Application = 4;
  s.Liste_Applications = {4, 2, 5, 1, 3, 0};
  if (!openDatabases(s) || !readParameters(s)) return StartupResult::End;
  s.presence =
      std::make_unique<db::Presence>(s.mainDb(), db::workstationUser(), db::workstationName());
  if (!s.params.docInit) host.openHelp();
  readArticleLabels(s);
  openCommercialData(s, host);
  buildPaymentLists(s);
  readQuantityDecimals(s);
  openRoutingTable(s);
  createWordInterface(s);
  host.translateMainMenu();
  host.setCaption(caption(s));
  host.showHome();
  makeDocumentsFolder(s);
  return StartupResult::Continue;
}

}  // namespace tarovent::core
