#pragma once

#include <QList>
#include <QString>

namespace tarovent::db {
class Database;
}

namespace tarovent::dossiers {

// A company counter raised by Recalcul_Numeros.
struct CounterChange {
  QString company;
  long before = 0;
  long after = 0;
};

// Brings every company's last dossier number (TSOC_NSEQ) up to its highest stored dossier; a
// counter already at or above it is left alone (a counter raised by hand survives). Returns
// the counters it raised, in company order. Throws db::DbError.
QList<CounterChange> Recalcul_Numeros(db::Database& main);

// The number of a new version of a dossier: 0 for the first, else the highest plus one (gaps
// left by deleted versions are not filled). Throws db::DbError.
int nextVersionNumber(db::Database& main, const QString& company, long dossier);

}  // namespace tarovent::dossiers
