struct sqlite3;
int open(sqlite3* db);
