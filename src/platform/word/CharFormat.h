#pragma once

#include <QString>
#include <optional>

namespace tarovent::word {

// Character formatting applied to typed text; an unset field keeps the formatting the text
// inherits from the place it is typed at.
struct CharFormat {
  std::optional<bool> hidden{};
  std::optional<bool> bold{};
  std::optional<bool> underline{};
  std::optional<double> pointSize{};
  std::optional<QString> color{};  // "RRGGBB" or "auto"

  bool isEmpty() const { return !hidden && !bold && !underline && !pointSize && !color; }
};

// A piece of text with its formatting. In the text, '\r' or '\n' starts a new paragraph,
// '\t' is a tab and '\v' a manual line break.
struct TextPiece {
  QString text{};
  CharFormat format{};
};

}  // namespace tarovent::word
