#include <gtest/gtest.h>

#include <QDate>
#include <QHash>

#include "platform/db/QtPrinters.h"
#include "platform/report/SelectionFormula.h"

namespace tarovent::report {
namespace {

// Evaluates `formula` on a row given by field name.
bool keeps(const QString& formula, const QHash<QString, QVariant>& row) {
  const SelectionFormula f = SelectionFormula::parse(formula);
  return f.matches([&](int slot) { return row.value(f.fields().at(slot).field.toUpper()); });
}

TEST(SelectionFormulaTest, ComparesAsTheDatabaseDoes) {
  const QHash<QString, QVariant> row = {
      {"TVIS_NUMLIG", 12},
      {"NAME", QStringLiteral("Éric Dupont")},
      {"AMOUNT", 1234.5},
      {"DAY", QDate(2025, 3, 15)},
      {"WON", true},
      {"EMPTY", QVariant()},
      {"CODE", QStringLiteral("42")},
  };
  struct Case {
    const char* formula;
    bool kept;
  } cases[] = {
      {"{RImpVis.TVIS_NumLig}= 12", true},
      {"{RImpVis.TVIS_NumLig} = 13", false},
      {"{TVIS_NumLig} <> 13", true},
      {"{T.NAME} = 'éric dupont'", true},  // case ignored, accents kept, as in the database
      {"{T.NAME} = \"ÉRIC DUPONT\"", true},
      {"{T.NAME} = 'eric dupont'", false},
      {"{T.NAME} < 'F'", true},
      {"{T.NAME} like 'é*pont'", true},
      {"{T.NAME} like '?ric'", false},
      {"{T.AMOUNT} >= 1234.5 and {T.AMOUNT} < 2000", true},
      {"{T.AMOUNT} > -5", true},
      {"{T.DAY} = #03/15/2025#", true},
      {"{T.DAY} >= Date(2025, 4, 1)", false},
      {"{T.WON} = True", true},
      {"{T.WON}", true},
      {"not {T.WON}", false},
      {"{T.EMPTY} = ''", false},  // an empty field compares as nothing
      {"{T.EMPTY} <> ''", false},
      {"isnull({T.EMPTY})", true},
      {"not isnull({T.NAME})", true},
      {"{T.CODE} = 42", true},  // a number held as text compares as a number
      {"{T.AMOUNT} = 'abc'", false},
      {"{T.DAY} = 12", false},
      // and before or, then parentheses
      {"{T.AMOUNT} = 0 and {T.WON} or {T.TVIS_NUMLIG} = 12", true},
      {"{T.AMOUNT} = 0 and ({T.WON} or {T.TVIS_NUMLIG} = 12)", false},
      {"NOT ({T.NAME} = 'x' OR {T.NAME} = 'y')", true},
      {"{T.NAME} = 'l''atelier'", false},
      {"   ", true},
  };
  for (const Case& c : cases) EXPECT_EQ(keeps(c.formula, row), c.kept) << c.formula;
}

TEST(SelectionFormulaTest, NamesEachFieldOnce) {
  const SelectionFormula f =
      SelectionFormula::parse("{Q.A} = 1 or {q.a} = 2 or {B} = 'x' and isnull({Q.C})");
  ASSERT_EQ(f.fields().size(), 3);
  EXPECT_EQ(f.fields()[0].source, "Q");
  EXPECT_EQ(f.fields()[1].source, "");
  EXPECT_EQ(f.fields()[2].field, "C");
}

TEST(SelectionFormulaTest, BothMustHold) {
  const SelectionFormula f = SelectionFormula::both(
      SelectionFormula::parse("{A} > 1"), SelectionFormula::parse("{B} = 'x' or {A} = 9"));
  const auto eval = [&](QVariant a, QVariant b) {
    return f.matches([&](int slot) { return f.fields().at(slot).field == "A" ? a : b; });
  };
  EXPECT_TRUE(eval(2, "x"));
  EXPECT_FALSE(eval(1, "x"));
  EXPECT_FALSE(eval(2, "y"));
  EXPECT_TRUE(eval(9, "y"));
  EXPECT_TRUE(SelectionFormula::both({}, {}).isEmpty());
}

TEST(SelectionFormulaTest, AFormulaThatDoesNotParseSaysWhere) {
  struct Case {
    const char* formula;
    int position;
    const char* says;
  } cases[] = {
      {"{A.B = 1", 1, "champ non fermé"},
      {"{A} = 'abc", 7, "texte non terminé"},
      {"{A} = #13/45/2025#", 7, "date invalide"},
      {"{A} = Date(2025, 2, 30)", 7, "date invalide"},
      {"{A} = ", 7, "valeur attendue"},
      {"{A} = 1 1", 9, "fin de formule attendue"},
      {"({A} = 1", 9, "« ) » attendu"},
      {"{A} == 1", 6, "valeur attendue"},
      {"{A} = 1; drop table TDEV", 8, "caractère inattendu « ; »"},
      {"{A} = maybe", 7, "mot inconnu"},
      {"isnull(3)", 8, "isnull attend un champ"},
      {"{} = 1", 1, "nom de champ vide"},
  };
  for (const Case& c : cases) {
    try {
      SelectionFormula::parse(c.formula);
      ADD_FAILURE() << "accepted: " << c.formula;
    } catch (const FormulaError& e) {
      EXPECT_EQ(e.position(), c.position) << c.formula;
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.says))) << qPrintable(e.message());
    }
  }
}

}  // namespace
}  // namespace tarovent::report
