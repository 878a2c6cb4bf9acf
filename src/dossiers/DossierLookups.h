#pragma once

#include <QString>
#include <optional>

#include "platform/db/Database.h"

namespace tarovent::dossiers {

// The latest dossier of the workspace's button: per company its highest dossier number and its
// latest quote date. Each use moves to the next company whose latest date equals the current
// row's, round to the first again, so that companies sharing one latest date take turns.
class LatestDossier {
 public:
  struct Found {
    QString company;
    long number = 0;
  };
  // The next dossier to show; nothing when no dossier has a version. Database errors throw.
  std::optional<Found> next(db::Database& main);

 private:
  db::Recordset m_aggregate;  // opened at the first use, kept while the workspace lives
};

// The affair number the commercial product gave the quote of a dossier, from its current
// affairs: the first whose quote number begins with the business key. Nothing without a
// commercial database or without a match. Database errors throw.
class BusinessNumber {
 public:
  std::optional<QString> find(db::Database& commercial, const QString& company, long number);

 private:
  db::Recordset m_affairs;  // the affairs with a quote number, opened at the first use
};

}  // namespace tarovent::dossiers
