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

// The number a new dossier of `company` takes: the next above both its counter and every
// dossier stored in `dossiers` (the TDOS table as the connection names it), so that a number
// taken outside the counter (by hand, by an import, by an older program) is stepped over
// instead of refused. Run it inside the write transaction that stores the dossier and the
// counter. Throws db::DbError.
long nextDossierNumber(db::Database& db, const QString& dossiers, const QString& company,
                       long counter);

// The number of a new version of a dossier: 0 for the first, else the highest plus one (gaps
// left by deleted versions are not filled). Throws db::DbError.
int nextVersionNumber(db::Database& main, const QString& company, long dossier);

}  // namespace tarovent::dossiers
