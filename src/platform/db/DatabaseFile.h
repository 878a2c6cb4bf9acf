#pragma once

#include <QFileInfo>
#include <QString>

namespace tarovent::db {

// What the SQLite backend checks of a database file before it opens it.

// An existing file that is not an SQLite database (empty files included) is refused rather
// than turned into one: throws 3343.
void checkHeader(const QString& path);
// What SQLite needs to write a database in WAL mode: the file and its folder. A file or
// folder marked read-only counts as such even for a user allowed to override the mark.
bool writable(const QFileInfo& fi);
// Whether the file's header marks it as kept in WAL mode.
bool walHeader(const QString& path);
// Whether the file cannot change under us: on a read-only medium, or marked immutable.
bool cannotChange(const QString& path);

}  // namespace tarovent::db
