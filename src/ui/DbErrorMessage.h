#pragma once

#include <QString>

namespace tarovent::db {
class DbError;
}

namespace tarovent::ui {

class MessageFunnel;

// A database error as users read it: its description, then "   Err. n° " and its number.
QString dbErrorText(const MessageFunnel& messages, const db::DbError& e);
// Shows it as an error message, after the translated `source` ("DBD_Cli : ") when given.
void showDbError(MessageFunnel& messages, const db::DbError& e, const QString& source = {});

}  // namespace tarovent::ui
