#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "TypedText.h"

namespace tarovent::text {

namespace {

bool isBlank(char16_t c) { return c == ' ' || c == 0x00A0 || c == 0x202F || c == '\t'; }

// Thousands marks must leave groups of three digits between them and the decimal mark.
bool groupsOfThree(std::string_view integral, char mark) {
  const size_t first = integral.find(mark);
  if (first == 0 || first > 3) return false;
  for (size_t at = first; at != std::string_view::npos;) {
    const size_t next = integral.find(mark, at + 1);
    const size_t end = next == std::string_view::npos ? integral.size() : next;
    if (end - at - 1 != 3) return false;
    at = next;
  }
  return true;
}

}  // namespace

// Read on a small buffer of plain characters: entry fields read their numbers at every key
// that leaves a field, and the line's numbers again when it is written.
double readTypedNumber(const QString& text, bool* ok) {
  if (ok) *ok = false;
  std::string t;
  t.reserve(size_t(text.size()));
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (isBlank(u)) continue;
    if (u >= 0x80) return 0;
    t += char(u);
  }
  if (t.empty()) {
    if (ok) *ok = true;
    return 0;
  }
  std::string_view v(t);
  const bool negative = v.front() == '-';
  if (v.front() == '+' || negative) v.remove_prefix(1);
  size_t points = 0, commas = 0;
  for (char c : v) {
    if (c == '.')
      ++points;
    else if (c == ',')
      ++commas;
    else if (c < '0' || c > '9')
      return 0;
  }
  // The decimal mark: the last mark when both are typed, a mark typed once otherwise; a mark
  // repeated alone separates thousands ("1.234.567").
  char decimal = 0;
  if (points && commas)
    decimal = v.rfind('.') > v.rfind(',') ? '.' : ',';
  else if (points == 1)
    decimal = '.';
  else if (commas == 1)
    decimal = ',';
  std::string_view integral = v, fraction;
  if (decimal) {
    if ((decimal == '.' ? points : commas) != 1) return 0;
    const size_t at = v.find(decimal);
    integral = v.substr(0, at);
    fraction = v.substr(at + 1);
    if (fraction.find_first_of(".,") != std::string_view::npos) return 0;
  }
  const char thousands = integral.find('.') != std::string_view::npos ? '.' : ',';
  const bool grouped = integral.find(thousands) != std::string_view::npos;
  if (grouped && !groupsOfThree(integral, thousands)) return 0;
  if (integral.empty() && fraction.empty()) return 0;
  // "0", the integral digits, ".", the fraction and "0": always a number for from_chars.
  std::string plain(1, '0');
  plain.reserve(v.size() + 2);
  for (char c : integral)
    if (!grouped || c != thousands) plain += c;
  plain += '.';
  plain.append(fraction);
  plain += '0';
  double value = 0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
    return 0;
  if (ok) *ok = true;
  return negative ? -value : value;
}

}  // namespace tarovent::text
