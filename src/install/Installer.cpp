#include "Installer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

#include "ReportFiles.h"
#include "Schemas.h"
#include "ServerMigration.h"
#include "core/Startup.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/DefaultServer.h"
#include "platform/ooxml/OoxmlError.h"

namespace tarovent::install {

namespace {

struct Sibling {
  int entry;
  const char* file;
  const char* product;
  QStringList (*schema)();
};

const Sibling kSiblings[] = {
    {1, "CORVELIN.MDB", "CORVELIN", stockSchema},
    {2, "PALUNDA.MDB", "PALUNDA", commercialSchema},
    {3, "DAVRISET.MDB", "DAVRISET", planningSchema},
    {5, "TARIFS.MDB", "TARIFS", tariffSchema},
    {6, "ACHATS.MDB", "ACHATS", purchasingSchema},
};

[[noreturn]] void fail(const QString& text) { throw std::runtime_error(text.toStdString()); }

db::Database create(db::Workspace& ws, const QString& path, const QStringList& ddl) {
  db::Database db = ws.CreateDatabase(path);
  applySchema(db, ddl);
  return db;
}

}  // namespace

FamilyLayout familyLayout(const QString& root) {
  FamilyLayout l;
  l.root = QDir(root).absolutePath() + '/';
  l.dataFolder = l.root + "DONNEES/";
  l.workingFolder = l.root + "TAROVENT/";
  return l;
}

FamilyLayout initFamily(const QString& root, bool siblings) {
  const FamilyLayout l = familyLayout(root);
  db::Workspace ws;
  if (ws.exists(l.root + "DBPATH.MDB"))
    fail(QStringLiteral("Le dossier %1 contient déjà une installation (DBPATH.MDB).").arg(l.root));
  for (const QString& d : {l.root, l.dataFolder, l.dataFolder + "DOC_TAROVENT", l.workingFolder})
    if (!QDir().mkpath(d)) fail(QStringLiteral("Impossible de créer le dossier %1.").arg(d));
  writeReportFiles(l.workingFolder);

  QFile ini(l.root + "milostar.ini");
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Text))
    fail(QStringLiteral("Impossible d'écrire %1.").arg(ini.fileName()));
  ini.write("LANGUE=0\nCHARSET=0\nFONT=\nMIRE=ON\nDEVSOC=\nDEVCAL=\n");
  ini.close();
  // Databases made on a server: the family's workstations find it in milostar.ini.
  if (const QString server = db::defaultServer(); !server.isEmpty()) nameServer(l.root, server);

  try {
    db::Database cat = create(ws, l.root + "DBPATH.MDB", catalogueSchema());
    db::Recordset tpath = cat.OpenRecordset("TPATH");
    const auto add = [&](int entry, const QString& file, const QString& folder,
                         const QString& product) {
      tpath.AddNew();
      tpath.setValue("TPATH_NUM", entry);
      tpath.setValue("TPATH_NOMMDB", file);
      tpath.setValue("TPATH_path", folder);
      tpath.setValue("TPATH_PROD", product);
      tpath.Update();
    };
    add(4, "TAROVENT.MDB", l.dataFolder, "TAROVENT");
    for (const Sibling& s : kSiblings) {
      if (siblings) {
        db::Database sib = create(ws, l.dataFolder + s.file, s.schema());
        if (s.entry == 2) {
          // Usual payment terms, so that a new family has some to offer.
          sib.Execute("INSERT INTO TCDP VALUES ('COMPT', 'Comptant à réception')");
          sib.Execute("INSERT INTO TCDP VALUES ('30J', '30 jours net')");
          sib.Execute("INSERT INTO TCDP VALUES ('45FM', '45 jours fin de mois')");
          sib.Execute("INSERT INTO TCDP VALUES ('60J', '60 jours net')");
        }
        sib.Close();
        add(s.entry, s.file, l.dataFolder, s.product);
      }
    }
    tpath.Close();
    cat.Close();

    db::Database main = create(ws, l.dataFolder + "TAROVENT.MDB", mainSchema());
    db::Recordset tpar = main.OpenRecordset("TPAR");
    tpar.AddNew();
    tpar.setValue("TPAR_Ver", core::programVersion());
    tpar.setValue("TPAR_DOCINIT", true);
    tpar.setValue("TPAR_LIBDEV1", "Euro");
    tpar.setValue("TPAR_TYP_TARIF_MAT", "V");
    tpar.setValue("TPAR_TYP_TARIF_MO", "V");
    tpar.setValue("TPAR_TxTVADef", 20.0);
    tpar.setValue("TPAR_COEFFDEV", 0.0);
    tpar.Update();
    tpar.Close();
    main.Close();

    // The translation database sits with the catalogue's first entry, which is the data folder.
    create(ws, l.dataFolder + "BDTRAD.MDB", translationSchema()).Close();
    create(ws, l.dataFolder + "SIGNETS.MDB", bookmarksSchema()).Close();
    // The document base is shared with the family's viewer, installed with the siblings.
    if (siblings) create(ws, l.dataFolder + "BASEDOC.MDB", documentBaseSchema()).Close();
  } catch (const db::DbError& e) {
    fail(QStringLiteral("Erreur n° %1 : %2").arg(e.number()).arg(e.description()));
  }
  // New quote types start from the empty template.
  try {
    templates::buildEmptyTemplate(l.dataFolder + "VIDE.dotx");
  } catch (const ooxml::OoxmlError& e) {
    fail(QStringLiteral("Impossible d'écrire VIDE.dotx : %1").arg(e.message()));
  }
  return l;
}

}  // namespace tarovent::install
