#include "WriteTransaction.h"

#include <QRandomGenerator>
#include <QThread>

#include "platform/db/Database.h"
#include "platform/db/DbError.h"

namespace tarovent::dossiers {

namespace {
constexpr int kAttempts = 6;
}

void inWriteTransaction(db::Database& db, const std::function<void()>& work) {
  for (int attempt = 1;; ++attempt) {
    try {
      db::TransactionGuard transaction(db);
      work();
      transaction.commit();
      return;
    } catch (const db::DbError& e) {
      if (e.number() != db::err::Locked || attempt == kAttempts) throw;
    }
    // Apart, so that processes that failed together do not collide again.
    QThread::msleep(20 + QRandomGenerator::global()->bounded(80u * unsigned(attempt)));
  }
}

}  // namespace tarovent::dossiers
