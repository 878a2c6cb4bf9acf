#pragma once

#include <QString>
#include <QStringList>

namespace tarovent::db {
class Database;
}

namespace tarovent::install {

// The Jet DDL of every database of the family, one statement per table or index.
QStringList catalogueSchema();     // DBPATH.MDB
QStringList mainSchema();          // TAROVENT.MDB (entry 4)
QStringList stockSchema();         // entry 1
QStringList commercialSchema();    // entry 2
QStringList planningSchema();      // entry 3
QStringList tariffSchema();        // entry 5
QStringList purchasingSchema();    // entry 6
QStringList translationSchema();   // BDTRAD.MDB
QStringList documentBaseSchema();  // BASEDOC.MDB
QStringList bookmarksSchema();     // SIGNETS.MDB

// A table of allowed values for a custom dossier field (TBUSER_Libelle, TBUSER_Ordre), created
// in the main database under `name`.
QStringList customValueTableSchema(const QString& name);

// Runs `ddl` on `db`, statement by statement.
void applySchema(db::Database& db, const QStringList& ddl);

}  // namespace tarovent::install
