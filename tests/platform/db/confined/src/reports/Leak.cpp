#include "platform/db/Database.h"
int rows(sqlite3_stmt* s) { return sqlite3_step(s); }
