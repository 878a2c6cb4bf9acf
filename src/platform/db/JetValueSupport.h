#pragma once

#include "DbError.h"
#include "JetValue.h"

// Helpers shared by the value rules and the built-in functions of Jet expressions.
namespace tarovent::db::jet::detail {

DbError mismatch();
// Rounds half to even, as the engine's conversions do.
double roundEven(double v);
// A date's serial number from a date, a date text or a number.
bool toSerial(const Value& v, double* out);
// An integer when the number has no fraction, else a double.
Value numberValue(double d);

}  // namespace tarovent::db::jet::detail
