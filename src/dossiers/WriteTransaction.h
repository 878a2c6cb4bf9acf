#pragma once

#include <functional>

namespace tarovent::db {
class Database;
}

namespace tarovent::dossiers {

// Runs `work` inside one write transaction of `db` (BEGIN IMMEDIATE: the write lock is taken
// before anything is read, so a read-modify-write cannot interleave with another process's).
// When another process keeps the database locked past the busy timeout, the whole transaction
// is run again a few times before the lock error is let through. Any other error rolls back and
// is thrown.
void inWriteTransaction(db::Database& db, const std::function<void()>& work);

}  // namespace tarovent::dossiers
