#pragma once

#include <QList>
#include <QString>

#include "ui/MessageFunnel.h"

namespace tarovent::core {

// A module the database layer loads, with the version it was built against and the one found.
struct EngineModule {
  QString path;
  QString expectedVersion;  // major.minor
  QString expectedBuild;    // build.revision
  QString foundVersion;     // empty: the module carries no version, it is skipped
  QString foundBuild;
};

// The modules really loaded: the SQLite library and our database layer.
QList<EngineModule> loadedEngineModules();

// Splits "3.40.1" (or "3.40.1.2") into version "3.40" and build "1.2".
void splitVersion(const QString& full, QString& version, QString& build);

// Writes the check log to `logPath` and returns false, after showing the message, when a
// module has another major.minor version than expected (the program must end).
bool checkEngineModules(const QList<EngineModule>& modules, const QString& logPath,
                        ui::MessageFunnel& messages);

}  // namespace tarovent::core
