#include <gtest/gtest.h>

#include "core/KeyNotation.h"
#include "macros/MacroText.h"

namespace tarovent::macros {
namespace {

using Problem = core::KeyNotationError::Problem;

const MacroStep kPrint{true, {}};
MacroStep keys(const char* k) { return {false, QString::fromUtf8(k)}; }

TEST(MacroPlan, CutsTheTextAtEachPrintMarker) {
  const struct {
    const char* text;
    QList<MacroStep> steps;
  } cases[] = {
      {"a[ImpEcran]b", {keys("a"), kPrint, keys("b")}},
      {"[ImpEcran][ImpEcran]", {kPrint, kPrint}},
      {"{TAB}5,5{F10}", {keys("{TAB}5,5{F10}")}},
      {"x[ImpEcran]", {keys("x"), kPrint}},
      {"", {}},
      // Only the exact marker prints; anything else is typed.
      {"[impecran]", {keys("[impecran]")}},
      {"[ImpEcran", {keys("[ImpEcran")}},
  };
  for (const auto& c : cases) {
    const MacroPlan plan = planMacro(QString::fromUtf8(c.text));
    EXPECT_FALSE(plan.error) << c.text;
    EXPECT_EQ(plan.steps, c.steps) << c.text;
  }
}

TEST(MacroPlan, AMalformedPartAnywhereStopsTheWholeTextAndSaysWhere) {
  const struct {
    const char* text;
    Problem problem;
    int position;
    const char* name;
  } cases[] = {
      {"ab{FOO}c", Problem::UnknownKey, 2, "FOO"},
      // Positions count in the whole text, markers included.
      {"x[ImpEcran]{TAB", Problem::UnclosedBrace, 11, ""},
      {"a[ImpEcran]b[ImpEcran]c}", Problem::StrayBrace, 23, ""},
      // A modifier does not reach over a marker.
      {"ab+[ImpEcran]", Problem::ModifierWithoutKey, 2, ""},
  };
  for (const auto& c : cases) {
    const MacroPlan plan = planMacro(QString::fromUtf8(c.text));
    ASSERT_TRUE(plan.error) << c.text;
    EXPECT_TRUE(plan.steps.isEmpty()) << c.text;
    EXPECT_EQ(plan.error->problem, c.problem) << c.text;
    EXPECT_EQ(plan.error->position, c.position) << c.text;
    EXPECT_EQ(plan.error->name, QString::fromUtf8(c.name)) << c.text;
    EXPECT_FALSE(problemText(*plan.error).isEmpty());
  }
}

TEST(MacroPlan, TheProblemNamesTheKeyInFrench) {
  const MacroPlan plan = planMacro("{F17}");
  ASSERT_TRUE(plan.error);
  EXPECT_EQ(problemText(*plan.error), "nom de touche inconnu « {F17} »");
}

TEST(HelpKeyInsertion, GoesAtTheCursorAndLeavesItAfterTheKey) {
  const struct {
    const char* text;
    int cursor;
    const char* key;
    const char* result;
    int after;
  } cases[] = {
      {"ab", 1, "{TAB}", "a{TAB}b", 6},
      {"ab", 0, "%", "%ab", 1},
      {"ab", 2, "[ImpEcran]", "ab[ImpEcran]", 12},
      {"", 0, "{F10}", "{F10}", 5},
      {"ab", 9, "~", "ab~", 3},
  };
  for (const auto& c : cases) {
    int cursor = c.cursor;
    EXPECT_EQ(insertKey(QString::fromUtf8(c.text), cursor, QString::fromUtf8(c.key)),
              QString::fromUtf8(c.result));
    EXPECT_EQ(cursor, c.after) << c.text << " " << c.key;
  }
}

}  // namespace
}  // namespace tarovent::macros
