#pragma once

#include <QString>
#include <QStringList>

#include "platform/db/Database.h"
#include "ui/MessageFunnel.h"

namespace tarovent::core {

// Adds to an older main database the tables and fields this version needs. Returns true when
// anything was attempted: the message has then been shown and the program must end. `log`
// receives one line per addition.
bool Mise_A_Niveau(db::Database& main, ui::MessageFunnel& messages, QString& log);

// The price memory of the quotes (TMEMPRIX and its indexes), in Jet DDL: new installations and
// the upgrade create it alike.
const QStringList& priceMemorySchema();
// The sendings of the quote versions (TENVOI), which freeze a version once it has left.
const QStringList& sentVersionsSchema();

}  // namespace tarovent::core
