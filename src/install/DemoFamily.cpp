#include "DemoFamily.h"

#include <QFile>
#include <stdexcept>

#include "DemoDocuments.h"
#include "DemoModel.h"
#include "DemoRecalc.h"
#include "DemoTables.h"
#include "DemoWorkbooks.h"
#include "DemoWriters.h"
#include "ServerMigration.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/db/DbError.h"
#include "platform/db/DefaultServer.h"

namespace tarovent::install {

namespace {

void writeTemplates(const QString& folder) {
  templates::buildEmptyTemplate(folder + "VIDE.dotx");
  for (const demo::QuoteType& t : demo::kTypes)
    templates::buildQuoteTemplate(folder + t.code + ".dotx", t.kind);
  templates::buildProFormaTemplate(folder + "FACPROF.dotx");
}

void writeIni(const QString& root) {
  QFile ini(root + "milostar.ini");
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
    throw std::runtime_error(
        QStringLiteral("Impossible d'écrire %1.").arg(ini.fileName()).toStdString());
  // The workstation of a sales representative: his dossiers, his pro-forma invoices.
  ini.write("LANGUE=0\nCHARSET=0\nFONT=\nMIRE=ON\nDEVCAL=JMD\nSITE=ATEL\nDEVSOC=AB\n");
  ini.close();
  if (const QString server = db::defaultServer(); !server.isEmpty()) nameServer(root, server);
}

DemoSummary writeFamily(const QString& root, DemoSize size, const QDate& today) {
  DemoSummary s;
  s.layout = initFamily(root, true);
  const QString data = s.layout.dataFolder;
  const demo::DemoModel m = demo::buildDemoModel(size, today, data);
  writeTemplates(data);
  {
    db::Workspace ws;
    const auto open = [&](const char* file) { return ws.OpenDatabase(data + file); };
    db::Database stock = open("CORVELIN.MDB"), com = open("PALUNDA.MDB"),
                 planning = open("DAVRISET.MDB"), tariffs = open("TARIFS.MDB"),
                 purchasing = open("ACHATS.MDB"), main = open("TAROVENT.MDB"),
                 trad = open("BDTRAD.MDB"), basedoc = open("BASEDOC.MDB"),
                 signets = open("SIGNETS.MDB");
    demo::writeStockDatabase(stock, m);
    demo::writePlanningDatabase(planning, m);
    demo::writeTariffDatabase(tariffs, m);
    demo::writeCommercialDatabase(com, m);
    demo::writePurchasingDatabase(purchasing, m);
    demo::writeMainDatabase(main, m);
    writeCalculationTemplates(main, data + "CALCULS/");
    demo::writeTranslationDatabase(trad);
    demo::writeDocumentBase(basedoc, m, data);
    demo::writeBookmarkDatabase(signets, data);
  }
  for (const DemoQuote& q : m.documents) writeDemoQuote(data + "DOC_TAROVENT/", q);
  writeIni(s.layout.root);

  s.companies = int(m.companies.size());
  s.clients = int(m.clients.size());
  s.articles = int(m.articles.size());
  s.manufactured = m.manufactured;
  s.tariffLines = int(m.tariffs.size());
  s.dossiers = int(m.dossiers.size());
  s.versions = m.versionCount;
  s.documents = int(m.documents.size());
  return s;
}

}  // namespace

DemoSummary buildDemoFamily(const QString& root, DemoSize size, const QDate& today) {
  try {
    DemoSummary summary = writeFamily(root, size, today);
    // The documents get their totals from the recalculation, as the composition gives them.
    recalculateDocuments(summary.layout);
    return summary;
  } catch (const db::DbError& e) {
    throw std::runtime_error(
        QStringLiteral("Erreur n° %1 : %2").arg(e.number()).arg(e.description()).toStdString());
  }
}

}  // namespace tarovent::install
