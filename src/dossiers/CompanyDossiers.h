#pragma once

#include <QString>

namespace tarovent::db {
class Database;
}

namespace tarovent::dossiers {

// The dossiers stored under a company code: how many, and the highest number among them.
struct CompanyDossiers {
  long count = 0;
  long highest = 0;
};

// Throws db::DbError.
CompanyDossiers companyDossiers(db::Database& main, const QString& company);

}  // namespace tarovent::dossiers
