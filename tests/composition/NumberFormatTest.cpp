#include <gtest/gtest.h>

#include <QLocale>

#include "composition/LineCode.h"
#include "composition/NumberFormat.h"

using namespace tarovent::composition;

namespace {

struct MaskCase {
  double value;
  const char* mask;
  char separator;
  const char* expected;
};

class Masks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(Masks, FormatLikeTheQuoteDocuments) {
  const MaskCase c = GetParam();
  EXPECT_EQ(formatMasked(c.value, c.mask, QLatin1Char(c.separator)), QString::fromUtf8(c.expected))
      << c.value << " " << c.mask;
}

INSTANTIATE_TEST_SUITE_P(
    NumberFormat, Masks,
    ::testing::Values(
        MaskCase{1234.5, "# ### ##0.00", ',', "1 234,50"},
        MaskCase{-1234.5, "# ### ##0.00", ',', "-1 234,50"},
        MaskCase{0.5, "# ### ##0.00", ',', "0,50"}, MaskCase{-0.001, "# ### ##0.00", ',', "0,00"},
        MaskCase{1234567.891, "## ### ##0.00", ',', "1 234 567,89"},
        MaskCase{123456789.1, "# ### ##0.00", ',', "123 456 789,10"},  // past the mask
        MaskCase{1234.5678, "### ##0.000", ',', "1 234,568"},
        MaskCase{1234.5, "### ##0", ',', "1 235"}, MaskCase{2.5, "#0", ',', "3"},
        MaskCase{7.25, "#0.00", ',', "7,25"}, MaskCase{0.125, "#0.00", ',', "0,13"},
        MaskCase{1.005, "#0.00", ',', "1,01"}, MaskCase{-3, "### ##0.00", ',', "-3,00"},
        MaskCase{12.5, "0.0#", ',', "12,5"}, MaskCase{3, "00 000", ',', "00 003"},
        // Past the mask by far: every digit is there, the ones beyond it ungrouped.
        MaskCase{123456789012.34, "# ### ##0.00", ',', "123456 789 012,34"},
        MaskCase{12.3, "#0.0##", ',', "12,3"}, MaskCase{12, "#0.##", ',', "12"},
        MaskCase{0.4, "# ##0", ',', "0"}));

TEST(NumberFormat, TheWorkstationLocaleGivesTheDecimalSeparator) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(formatMasked(1234.5, kPriceMask), "1 234,50");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(formatMasked(1234.5, kPriceMask), "1 234.50");
  QLocale::setDefault(saved);
}

// Only a number as the masks write it has a decimal mark to follow the document's separator;
// codes, dates, telephone numbers and words keep theirs.
TEST(NumberFormat, ADecimalMarkIsFoundOnlyInAPlainNumber) {
  const struct {
    const char* text;
    char mark;  // 0: none
    const char* withComma;
  } cases[] = {{"1 234.50", '.', "1 234,50"},
               {"-3.00", '.', "-3,00"},
               {" 7,5 ", ',', " 7,5 "},
               {"104,10", ',', "104,10"},
               {"20", 0, "20"},
               {"3.", 0, "3."},
               {".5", 0, ".5"},
               {"1.2.3", 0, "1.2.3"},
               {"V3.5", 0, "V3.5"},
               {"12/05/2026", 0, "12/05/2026"},
               {"01.23.45", 0, "01.23.45"},
               {"5.5 %", 0, "5.5 %"},
               {"", 0, ""},
               {" .", 0, " ."}};
  for (const auto& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(decimalMarkOf(text), c.mark ? QChar(c.mark) : QChar()) << c.text;
    EXPECT_EQ(withDecimalMark(text, ','), QString::fromUtf8(c.withComma)) << c.text;
  }
  EXPECT_EQ(withDecimalMark(QString::fromUtf8("1\u00a0234,5"), '.'),
            QString::fromUtf8("1\u00a0234.5"));
}

TEST(NumberFormat, QuantityMaskFollowsTheNumberOfDecimals) {
  EXPECT_EQ(quantityMask(1), "### ##0.0");
  EXPECT_EQ(formatMasked(1500, quantityMask(0), ','), "1 500");
}

TEST(NumberFormat, RoundingIsHalfUpAsTheFormulaSays) {
  EXPECT_DOUBLE_EQ(round2(1.234), 1.23);
  EXPECT_DOUBLE_EQ(round2(1.235), 1.24);
  EXPECT_DOUBLE_EQ(round2(26.966), 26.97);
  EXPECT_DOUBLE_EQ(roundHalfUp(2.5, 0), 3);
  EXPECT_DOUBLE_EQ(roundHalfUp(-2.5, 0), -2);  // floor(x + 0.5): towards plus infinity
  EXPECT_DOUBLE_EQ(roundHalfUp(1.23456, 3), 1.235);
  // What is computed is what is shown: the decimal value rounds, not its binary neighbour.
  EXPECT_DOUBLE_EQ(round2(1.005), 1.01);
  EXPECT_EQ(formatMasked(1.005, "#0.00", ','), "1,01");
  EXPECT_DOUBLE_EQ(round2(-1.125), -1.12);
  EXPECT_EQ(formatMasked(-1.125, "#0.00", ','), "-1,12");
  EXPECT_EQ(cents(0.29), 29);
  EXPECT_TRUE(sameAmount(0.1 + 0.2, 0.3));
}

TEST(NumberFormat, NumbersReadBackFromCells) {
  EXPECT_DOUBLE_EQ(parseNumber("1 234,50"), 1234.5);
  EXPECT_DOUBLE_EQ(parseNumber("26.97"), 26.97);
  EXPECT_DOUBLE_EQ(parseNumber(QString::fromUtf8("1\u00a0234,5")), 1234.5);
  EXPECT_DOUBLE_EQ(parseNumber("-3,5"), -3.5);
  EXPECT_DOUBLE_EQ(parseNumber("12,5 kg"), 12.5);
  EXPECT_DOUBLE_EQ(parseNumber(""), 0);
  EXPECT_DOUBLE_EQ(parseNumber("abc"), 0);
  // The leading number only, as far as it reads as one.
  EXPECT_DOUBLE_EQ(parseNumber(",5"), 0.5);
  EXPECT_DOUBLE_EQ(parseNumber("5,"), 5);
  EXPECT_DOUBLE_EQ(parseNumber("+2,5e2x"), 250);
  EXPECT_DOUBLE_EQ(parseNumber("3e"), 3);
  EXPECT_DOUBLE_EQ(parseNumber("3e+"), 3);
  EXPECT_DOUBLE_EQ(parseNumber("1,5,2"), 1.5);
  EXPECT_DOUBLE_EQ(parseNumber("-,"), 0);
  EXPECT_DOUBLE_EQ(parseNumber("--1"), 0);
  EXPECT_DOUBLE_EQ(parseNumber(QString::fromUtf8("٣")), 0);  // not an ASCII digit
  EXPECT_EQ(parseNumber("0,1"), 0.1);  // the nearest double, not one a few units away
  EXPECT_EQ(parseNumber(QString::fromUtf8("7\u0131")), 7);  // U+0131 is not 0x31
  for (double v : {0.0, 5.0, 1234.5, -98765.43, 0.07})
    EXPECT_DOUBLE_EQ(parseNumber(formatMasked(v, "## ### ##0.00", ',')), v);
}

TEST(LineCode, LevelCodeAndKindComeFromTheCodeCell) {
  LineCode c = parseLineCode("      VIS6");
  EXPECT_EQ(c.level, 2);
  EXPECT_EQ(c.code, "VIS6");
  EXPECT_EQ(c.kind, LineKind::Article);

  c = parseLineCode("MO*SOUD");
  EXPECT_EQ(c.level, 0);
  EXPECT_EQ(c.kind, LineKind::Labour);
  EXPECT_EQ(c.section, "SOUD");

  EXPECT_EQ(parseLineCode("   MO*PEINT ").section, "PEINT");

  c = parseLineCode("    X");  // four spaces: one level, the fourth is part of nothing
  EXPECT_EQ(c.level, 1);
  EXPECT_EQ(c.code, "X");
  EXPECT_EQ(parseLineCode("").kind, LineKind::Text);
  EXPECT_EQ(parseLineCode("      ").kind, LineKind::Text);
  EXPECT_EQ(indentedCode("ECROU", 2), "      ECROU");
  EXPECT_EQ(parseLineCode(indentedCode("ECROU", 3)).level, 3);
}

}  // namespace
