#include <gtest/gtest.h>

#include <QLocale>

#include "core/GridQuery.h"

namespace tarovent::core {
namespace {

TEST(GridQuery, TypedDatesAreDayFirstWithTwoDigitYearsAroundTwoThousand) {
  EXPECT_EQ(typedDate(" 1.2.25 "), QDate(2025, 2, 1));
  EXPECT_EQ(typedDate("31-12-49"), QDate(2049, 12, 31));
  EXPECT_EQ(typedDate("01/01/50"), QDate(1950, 1, 1));
  for (const char* wrong : {"31/02/2025", "2025", ""}) EXPECT_FALSE(typedDate(wrong).isValid());
}

struct SearchCase {
  const char* field;
  ColumnKind kind;
  TextMatch match;
  const char* value;
  const char* criteria;  // null: refused with `error`
  QString error;
};

TEST(GridQuery, SearchCriteriaByColumnKind) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  const SearchCase cases[] = {
      {"NOM", ColumnKind::Text, TextMatch::Contains, "dup", "inStr(1,NOM,'dup') <> 0", {}},
      {"NOM", ColumnKind::Text, TextMatch::Equal, "d'Artagnan", "NOM ='d''Artagnan'", {}},
      {"NOM", ColumnKind::Text, TextMatch::BeginsWith, "d'Ar", "Left(NOM,4) ='d''Ar'", {}},
      {"NOM", ColumnKind::Text, TextMatch::Contains, "a'", "inStr(1,NOM,'a''') <> 0", {}},
      {"D", ColumnKind::Date, TextMatch::Equal, "02/01/2025", "D =#01/02/2025# ", {}},
      {"D", ColumnKind::Date, TextMatch::Equal, "2/1/25", "D =#01/02/2025# ", {}},
      {"D", ColumnKind::Date, TextMatch::Equal, "hier", nullptr, kNotADate},
      {"M", ColumnKind::Decimal, TextMatch::Equal, "1500,5", "M =1500.5 ", {}},
      {"M", ColumnKind::Decimal, TextMatch::Equal, "1500.5", "M =1500.5 ", {}},
      {"N", ColumnKind::Integer, TextMatch::Equal, "12", "N =12 ", {}},
      {"N", ColumnKind::Number, TextMatch::Equal, "-3", "N =-3 ", {}},
      {"N", ColumnKind::Integer, TextMatch::Equal, "douze", nullptr, kNotANumber},
      {"N", ColumnKind::Decimal, TextMatch::Equal, " ", nullptr, kNotANumber},
      {"A", ColumnKind::CheckBox, TextMatch::Equal, "Vrai", "A =True", {}},
      {"A", ColumnKind::CheckBox, TextMatch::Equal, "TRUE", "A =True", {}},
      {"A", ColumnKind::CheckBox, TextMatch::Equal, "non", "A =False", {}},
      {"A", ColumnKind::CheckBox, TextMatch::Equal, "peut-être", nullptr, kNotYesNo},
  };
  for (const SearchCase& c : cases) {
    const GridCondition got = searchCriteria(c.field, c.kind, c.match, QString::fromUtf8(c.value));
    if (c.criteria) {
      EXPECT_TRUE(got.ok()) << c.value << ": " << got.error.toStdString();
      EXPECT_EQ(got.text, QString::fromUtf8(c.criteria)) << c.value;
    } else {
      EXPECT_EQ(got.error, c.error) << c.value;
    }
  }
  QLocale::setDefault(QLocale::c());
}

TEST(GridQuery, SortPutsTheNewKeyFirstAndKeepsThePreviousOrderOnlyWhenAsked) {
  EXPECT_EQ(sortOrder("D", true, false, ""), "D DESC");
  EXPECT_EQ(sortOrder("NOM", false, true, "D DESC"), "NOM, D DESC");
  EXPECT_EQ(sortOrder("NOM", false, false, "D DESC"), "NOM");
  EXPECT_EQ(sortOrder("NOM", true, true, "  "), "NOM DESC");
}

struct SelectCase {
  ColumnKind kind;
  const char* op;
  const char* value;
  const char* condition;  // null: refused with `error`
  QString error;
};

TEST(GridQuery, SelectionConditionsAndTheOperatorsEachKindRefuses) {
  const SelectCase cases[] = {
      {ColumnKind::Text, "Instr", "dup", " InStr(1, F, 'dup') <> 0 ", {}},
      {ColumnKind::Text, "=", "d'Artagnan", "F = 'd''Artagnan' ", {}},
      {ColumnKind::Text, ">", "M", "F > 'M' ", {}},
      {ColumnKind::Date, "<", "14/07/2025", "F < #07/14/2025# ", {}},
      {ColumnKind::Date, "Instr", "2025", nullptr, kOperatorRefused},
      {ColumnKind::Date, "=", "demain", nullptr, kNotADate},
      {ColumnKind::Decimal, ">", "100,5", "F > 100.5", {}},
      {ColumnKind::Integer, "<>", "3", "F <> 3", {}},
      {ColumnKind::Integer, "Instr", "3", nullptr, kOperatorRefused},
      {ColumnKind::Number, "=", "x", nullptr, kNotANumber},
      {ColumnKind::CheckBox, "=", "VRAI", "F = True ", {}},
      {ColumnKind::CheckBox, "<>", "oui", " not F = True ", {}},
      {ColumnKind::CheckBox, "=", "Non", "F = False ", {}},
      {ColumnKind::CheckBox, ">", "oui", nullptr, kOperatorRefused},
      {ColumnKind::CheckBox, "Instr", "oui", nullptr, kOperatorRefused},
      {ColumnKind::CheckBox, "=", "bof", nullptr, kNotYesNo},
      {ColumnKind::Text, "=", "vide", " F Is Null ", {}},
      {ColumnKind::Decimal, "<>", "NULL", " F Is Not Null ", {}},
      {ColumnKind::Date, "=", "Null", " F Is Null ", {}},
      {ColumnKind::Text, ">", "NULL", nullptr, kOperatorRefused},
      {ColumnKind::Text, "Like", "a", nullptr, kOperatorRefused},
  };
  for (const SelectCase& c : cases) {
    const GridCondition got = selectionCondition("F", c.kind, c.op, QString::fromUtf8(c.value));
    if (c.condition) {
      EXPECT_TRUE(got.ok()) << c.op << ' ' << c.value << ": " << got.error.toStdString();
      EXPECT_EQ(got.text, QString::fromUtf8(c.condition)) << c.op << ' ' << c.value;
    } else {
      EXPECT_EQ(got.error, c.error) << c.op << ' ' << c.value;
    }
  }
  EXPECT_EQ(selectionOperators(), (QStringList{"=", "<>", ">", "<", "Instr"}));
}

TEST(GridQuery, SelectionsAccumulateAndRecordSourcesAreRebuiltFromTheirParts) {
  EXPECT_EQ(addCondition("", "A = 1"), "A = 1");
  EXPECT_EQ(addCondition("A = 1", "B = 2"), "A = 1 and B = 2");
  // An existing "or" keeps its meaning.
  EXPECT_EQ(addCondition("A = 1 OR A = 2", "B = 2"), "(A = 1 OR A = 2) and B = 2");
  EXPECT_EQ(addCondition("ORDRE = 1", "B = 2"), "ORDRE = 1 and B = 2");

  EXPECT_EQ(recordSourceOf({"TCLI", "", "TCLI_NOM DESC"}),
            "Select * From TCLI Order by TCLI_NOM DESC;");
  EXPECT_EQ(recordSourceOf({"SELECT A FROM T", "A > 1", ""}), "SELECT A FROM T Where A > 1;");
  EXPECT_EQ(recordSourceOf({"select A from T", "A > 1", "A"}),
            "select A from T Where A > 1 Order by A;");
}

TEST(GridQuery, KeyboardPromptsDoubleApostrophes) {
  EXPECT_EQ(prefixCondition("NOM", "d'A"), "Left(NOM, 3) = 'd''A'");
  EXPECT_EQ(containsCriteria("NOM", "l'a"), "instr(1,NOM,'l''a') <> 0");
}

}  // namespace
}  // namespace tarovent::core
