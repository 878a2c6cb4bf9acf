#pragma once

#include <QList>
#include <QString>

#include "core/ProcessState.h"
#include "platform/db/Database.h"

namespace tarovent::macros {

// The catalogue entry whose database holds TMACRO.
constexpr int kMacroBase = core::entry::Main;

// The window box of a macro that applies to every window.
inline const QString kEveryWindow = QStringLiteral("*");

struct Macro {
  QString name;
  QString keys;
};

// The macros of the window `window` (those named for it and those of every window), by name.
// Throws db::DbError.
QList<Macro> macrosOf(db::Database& db, const QString& window);

}  // namespace tarovent::macros
