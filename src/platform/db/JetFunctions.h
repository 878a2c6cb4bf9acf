#pragma once

#include <sqlite3.h>

#include <QString>
#include <QStringView>

namespace tarovent::db {

// A failing Jet function reports the engine's error number through SQLite's extended result
// code: SQLITE_ERROR with the number above SQLite's own extended codes.
constexpr int kFunctionErrorBase = 1000;
constexpr int functionErrorCode(int number) {
  return SQLITE_ERROR | ((kFunctionErrorBase + number) << 8);
}
constexpr int functionErrorNumber(int extended) {
  return (extended & 0xff) == SQLITE_ERROR && (extended >> 8) >= kFunctionErrorBase
             ? (extended >> 8) - kFunctionErrorBase
             : 0;
}

// Registers on `db` what the translated SQL relies on: the collation JET (case-insensitive,
// accented letters included: é = É, é sorts right after e and before f), like() with Jet
// patterns, jet_cat (the & operator), jet_left/jet_right/jet_mid/jet_instr/jet_ucase/jet_lcase/
// jet_trim/jet_ltrim/jet_rtrim/jet_len/jet_cdbl/jet_clng/jet_cint/jet_cstr/jet_val/jet_date/
// jet_now/jet_year/jet_month/jet_day/jet_format/jet_iif/jet_nz..., and the aggregates
// jet_first/jet_last (value of the first/last row of the group in scan order).
void registerJetFunctions(sqlite3* db);

// The comparison behind the JET collation: <0, 0, >0.
int jetCompare(QStringView a, QStringView b);
// Jet's Like: * any run, ? one character, # one digit, [abc] [!abc] [a-z] classes;
// case-insensitive.
bool jetLike(QStringView text, QStringView pattern);
// InStr(start, text, search) with the collation's case rule; 1-based, 0 when absent.
int jetInStr(int start, QStringView text, QStringView search);

}  // namespace tarovent::db
