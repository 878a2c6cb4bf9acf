#include <gtest/gtest.h>

#include "ui/NumericInput.h"

namespace tarovent::ui {
namespace {

struct FilterCase {
  const char* what;
  const char* text;
  int cursor;
  bool allSelected;
  char key;
  QChar separator;
  bool decimals;
  bool kept;
};

TEST(NumberKeyFilter, SignsOnlyFirstAndOneDecimalSeparator) {
  const FilterCase cases[] = {
      {"minus at the end of 12", "12", 2, false, '-', ',', true, false},
      {"minus before 12", "12", 0, false, '-', ',', true, true},
      {"minus over all of 12", "12", 2, true, '-', ',', true, true},
      {"second minus at 0", "-12", 0, false, '-', ',', true, false},
      {"second minus over all", "-12", 3, true, '-', ',', true, false},
      {"thousands space", "1", 1, false, ' ', ',', true, true},
      {"comma once", "12", 2, false, ',', ',', true, true},
      {"comma twice", "1,2", 3, false, ',', ',', true, false},
      {"point where the comma is used", "12", 2, false, '.', ',', true, false},
      {"point where the point is used", "12", 2, false, '.', '.', true, true},
      {"separator without decimals", "12", 2, false, ',', ',', false, false},
      {"letter", "12", 2, false, 'a', ',', true, false},
  };
  for (const auto& c : cases) {
    const NumberKey k = filterNumberKey(c.key, {QString::fromUtf8(c.text), c.cursor, c.allSelected},
                                        c.separator, c.decimals);
    EXPECT_EQ(k.key != 0, c.kept) << c.what;
    EXPECT_EQ(k.beep, !c.kept) << c.what;
  }
}

TEST(NumberKeyFilter, EnterIsDroppedSilentlyAndControlKeysPass) {
  const NumberKey enter = filterNumberKey(13, {"12", 2, false}, ',');
  EXPECT_TRUE(enter.key == 0 && !enter.beep);
  for (int control : {1, 6, 7, 8, 22, 27}) {
    const NumberKey k = filterNumberKey(control, {"1,5", 3, false}, ',');
    EXPECT_TRUE(k.key == control && !k.beep) << control;
  }
  EXPECT_TRUE(filterNumberKey(9, {"", 0, false}, ',').beep);
}

TEST(NumberText, ReadsPointAndCommaUnderBothSeparators) {
  for (QChar sep : {QChar(','), QChar('.')}) {
    EXPECT_DOUBLE_EQ(numberFromText("1.5", sep), 1.5);
    EXPECT_DOUBLE_EQ(numberFromText("1,5", sep), 1.5);
    EXPECT_DOUBLE_EQ(numberFromText(" -1 234,25 ", sep), -1234.25);
  }
  bool blank = false, letters = true;
  EXPECT_EQ(numberFromText("   ", ',', &blank) + numberFromText("12a", ',', &letters), 0);
  EXPECT_TRUE(blank && !letters);
}

TEST(NumberText, ReadsWhatAFrenchUserTypesAndRefusesTheRest) {
  const struct {
    const char* typed;
    double value;
  } good[] = {{"1 234,50", 1234.5}, {"1.234,50", 1234.5}, {"1,234.50", 1234.5},
              {"1234,5", 1234.5},   {"1234.5", 1234.5},   {"1.234.567", 1234567},
              {"+,5", 0.5},         {"-12.", -12},        {"1\u202F234,5", 1234.5}};
  for (const auto& c : good) {
    bool ok = false;
    EXPECT_DOUBLE_EQ(readTypedNumber(QString::fromUtf8(c.typed), &ok), c.value) << c.typed;
    EXPECT_TRUE(ok) << c.typed;
  }
  for (const char* bad : {"12abc", "1e3", "nan", "inf", "1,2,3", "1.23.4", "12,34.5,6", "--1",
                          "1-2", ".", ",", "+", "1.234,5.6", "12 34,5.6"}) {
    bool ok = true;
    EXPECT_EQ(readTypedNumber(bad, &ok), 0) << bad;
    EXPECT_FALSE(ok) << bad;
  }
}

TEST(NumberText, WritesWithoutTrailingZerosOrExponent) {
  EXPECT_EQ(textFromNumber(19.6, ','), "19,6");
  EXPECT_EQ(textFromNumber(6.55957, '.'), "6.55957");
  EXPECT_EQ(textFromNumber(1e12, ','), "1000000000000");
  EXPECT_EQ(textFromNumber(-0.0, ','), "0");
}

}  // namespace
}  // namespace tarovent::ui
