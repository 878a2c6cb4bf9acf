#include <gtest/gtest.h>

#include "platform/text/TypedText.h"

namespace tarovent::text {
namespace {

TEST(TypedDate, OneCenturyRuleForTwoDigitYearsOnly) {
  EXPECT_EQ(readTypedDay("15/03/49"), QDate(2049, 3, 15));
  EXPECT_EQ(readTypedDay("15/03/50"), QDate(1950, 3, 15));
  EXPECT_EQ(readTypedDay("15.03.05"), QDate(2005, 3, 15));
  // A year typed on four digits is the year typed, however old.
  EXPECT_EQ(readTypedDay("15/03/1945"), QDate(1945, 3, 15));
  EXPECT_EQ(readTypedDay("1-2-0099"), QDate(99, 2, 1));
  EXPECT_EQ(fullYear(29, 2), 2029);
  EXPECT_EQ(fullYear(1929, 4), 1929);
}

TEST(TypedDate, FormsByOption) {
  EXPECT_EQ(readTypedDay("2026-03-15"), QDate(2026, 3, 15));
  EXPECT_EQ(readTypedDate("15/03/2026 14:05:09"), QDateTime(QDate(2026, 3, 15), QTime(14, 5, 9)));
  EXPECT_EQ(readTypedDate("2026-03-15T14:05"), QDateTime(QDate(2026, 3, 15), QTime(14, 5)));
  EXPECT_EQ(readTypedDate("03/15/2026 2:05 PM", {.monthFirst = true}),
            QDateTime(QDate(2026, 3, 15), QTime(14, 5)));
  EXPECT_EQ(readTypedDay("03/15/26", {.monthFirst = true}), QDate(2026, 3, 15));
  // Forms a place does not ask for are refused.
  EXPECT_FALSE(readTypedDate("15/03/2026 14:05", {.time = false}).isValid());
  EXPECT_FALSE(readTypedDay("150326").isValid());
  EXPECT_EQ(readTypedDay("150326", {.compact = true}), QDate(2026, 3, 15));
  EXPECT_EQ(readTypedDay("15032026", {.compact = true}), QDate(2026, 3, 15));
  EXPECT_FALSE(readTypedDay("15/03").isValid());
  EXPECT_EQ(readTypedDay("15/03", {.dayAndMonth = true}),
            QDate(QDate::currentDate().year(), 3, 15));
  for (const char* bad : {"31/02/2026", "15/13/2026", "15/03/2026 25:00", "13:00 PM", "demain",
                          "15/03/2026 13:00 PM", "1/2/345", ""})
    EXPECT_FALSE(readTypedDate(bad).isValid()) << bad;
}

TEST(YesNo, FrenchAndEnglishWordsAndNumbersInAnyCase) {
  for (const char* yes : {"Oui", "VRAI", "true", "Yes", "-1", " 1 "})
    EXPECT_EQ(readYesNo(yes), true) << yes;
  for (const char* no : {"non", "Faux", "FALSE", "no", "0"}) EXPECT_EQ(readYesNo(no), false) << no;
  for (const char* neither : {"", "2", "peut-être", "O"})
    EXPECT_EQ(readYesNo(neither), std::nullopt) << neither;
}

TEST(TypedNumber, ReadsWhatAFrenchUserTypesAndRefusesTheRest) {
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
                          "1-2", ".", ",", "+", "1.234,5.6", "12 34,5.6", "1.2345.678"}) {
    bool ok = true;
    EXPECT_EQ(readTypedNumber(bad, &ok), 0) << bad;
    EXPECT_FALSE(ok) << bad;
  }
}

}  // namespace
}  // namespace tarovent::text
