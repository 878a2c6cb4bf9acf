#pragma once

#include <QString>

#include "DemoModel.h"
#include "platform/db/Database.h"

// One writer per database of the demo family; each writes its tables in one transaction.
namespace tarovent::install::demo {

void writeStockDatabase(db::Database& db, const DemoModel& m);       // CORVELIN.MDB
void writePlanningDatabase(db::Database& db, const DemoModel& m);    // DAVRISET.MDB
void writeTariffDatabase(db::Database& db, const DemoModel& m);      // TARIFS.MDB
void writeCommercialDatabase(db::Database& db, const DemoModel& m);  // PALUNDA.MDB
void writePurchasingDatabase(db::Database& db, const DemoModel& m);  // ACHATS.MDB
void writeMainDatabase(db::Database& db, const DemoModel& m);        // TAROVENT.MDB
void writeTranslationDatabase(db::Database& db);                     // BDTRAD.MDB
// BASEDOC.MDB, with the article pictures it points at in `dataFolder` + "PHOTOS/".
void writeDocumentBase(db::Database& db, const DemoModel& m, const QString& dataFolder);
// SIGNETS.MDB: the bookmarks of each quote type's template found in `dataFolder`.
void writeBookmarkDatabase(db::Database& db, const QString& dataFolder);

}  // namespace tarovent::install::demo
