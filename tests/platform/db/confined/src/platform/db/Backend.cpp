#include <sqlite3.h>
int open(const char* f, sqlite3** db) { return sqlite3_open(f, db); }
