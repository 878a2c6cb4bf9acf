#include <gtest/gtest.h>

#include <QLocale>

#include "platform/db/JetType.h"
#include "ui/BoundControl.h"
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
      {"point where the comma is used", "12", 2, false, '.', ',', true, true},
      {"point where the point is used", "12", 2, false, '.', '.', true, true},
      {"point after a comma", "1,2", 3, false, '.', ',', true, false},
      {"comma after a point", "1.2", 3, false, ',', ',', true, false},
      {"point over a whole 1,2", "1,2", 3, true, '.', ',', true, true},
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

// The keypad of a French keyboard types a point: it becomes the workstation's mark.
TEST(NumberKeyFilter, EitherDecimalMarkIsWrittenAsTheWorkstations) {
  for (const QChar sep : {QChar(','), QChar('.')})
    for (const char typed : {'.', ','})
      EXPECT_EQ(filterNumberKey(typed, {"12", 2, false}, sep).key, sep.unicode())
          << typed << " under " << sep.toLatin1();
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

// Regression: under C.UTF-8 every amount was written with a point, beside the commas of
// documents made on French workstations.
TEST(NumberText, AWorkstationWithoutRegionalSettingsWritesTheComma) {
  const QLocale before;
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(workstationDecimalSeparator(), QChar(','));
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(workstationDecimalSeparator(), QChar('.'));
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  EXPECT_EQ(workstationDecimalSeparator(), QChar(','));
  QLocale::setDefault(before);
}

TEST(NumberText, WritesWithoutTrailingZerosOrExponent) {
  EXPECT_EQ(textFromNumber(19.6, ','), "19,6");
  EXPECT_EQ(textFromNumber(6.55957, '.'), "6.55957");
  EXPECT_EQ(textFromNumber(1e12, ','), "1000000000000");
  EXPECT_EQ(textFromNumber(-0.0, ','), "0");
}

}  // namespace
TEST(BoundValue, TextsOfBoundBoxesBecomeTheFieldsValues) {
  const auto fieldOf = [](db::FieldType type) {
    db::FieldSpec f;
    f.name = "F";
    f.type = type;
    return f;
  };
  const db::FieldSpec flag = fieldOf(db::FieldType::Boolean);
  for (const char* yes : {"Vrai", "-1", "oui", "2"})
    EXPECT_EQ(valueForField(yes, flag), true) << yes;
  for (const char* no : {"Faux", "false", "0", ""}) EXPECT_EQ(valueForField(no, flag), false) << no;
  // A word that is neither goes to the engine, which refuses it.
  EXPECT_EQ(valueForField("peut-être", flag), "peut-être");
  const db::FieldSpec date = fieldOf(db::FieldType::Date);
  EXPECT_EQ(valueForField("15/03/45", date), QDate(2045, 3, 15));
  EXPECT_EQ(valueForField("15/03/1945 10:30", date), QDateTime(QDate(1945, 3, 15), QTime(10, 30)));
  EXPECT_EQ(valueForField(" ", date), QVariant());
  const db::FieldSpec amount = fieldOf(db::FieldType::Double);
  EXPECT_EQ(valueForField("1.234,5", amount), 1234.5);
  EXPECT_EQ(valueForField("12abc", amount), "12abc");
}

}  // namespace tarovent::ui
