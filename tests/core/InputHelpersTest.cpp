#include <gtest/gtest.h>

#include <QLocale>

#include "core/InputHelpers.h"
#include "core/ProcessState.h"

namespace tarovent::core {
namespace {

// Runs with the workstation's locale set to `locale`.
class WithLocale {
 public:
  explicit WithLocale(QLocale::Language l, QLocale::Country c) {
    QLocale::setDefault(QLocale(l, c));
  }
  ~WithLocale() { QLocale::setDefault(QLocale::c()); }
};

TEST(InputHelpers, SeparatorAndNumbersFollowTheWorkstation) {
  for (const bool french : {true, false}) {
    WithLocale l(french ? QLocale::French : QLocale::English,
                 french ? QLocale::France : QLocale::UnitedStates);
    EXPECT_EQ(Separateur_Virgule(), french);
    EXPECT_DOUBLE_EQ(Valeur_Numerique("1,5"), 1.5);
  }
  EXPECT_EQ(Valeur_Numerique("   "), 0);
}

TEST(InputHelpers, NumericFilterBeepsThroughTheFunnel) {
  WithLocale fr(QLocale::French, QLocale::France);
  ui::ScriptedResponder messages;
  ProcessState state(messages);
  EXPECT_EQ(Filtre_Numerique(state, '-', {"12", 0, false}), '-');
  EXPECT_EQ(Filtre_Numerique(state, '.', {"12", 2, false}), ',');  // the keypad's point
  EXPECT_EQ(Filtre_Numerique(state, 'x', {"12", 2, false}), 0);
  EXPECT_EQ(messages.beeps(), 1);
}

TEST(InputHelpers, ArrondiRoundsHalfUp) {
  struct Case {
    double value;
    int decimals;
    double expected;
  };
  const Case cases[] = {
      {1.125, 2, 1.13}, {-1.125, 2, -1.12},      {2.5, 0, 3},      {-2.5, 0, -2},  {1.005, 2, 1.01},
      {0.285, 2, 0.29}, {1234.5649, 2, 1234.56}, {19.99, 1, 20.0}, {-0.004, 2, 0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(Arrondi(c.value, c.decimals), c.expected) << c.value << " to " << c.decimals;
}

TEST(InputHelpers, DecouperRequeteSplitsAtWhereAndOrderBy) {
  struct Case {
    const char* sql;
    const char* base;
    const char* where;
    const char* order;
  };
  const Case cases[] = {
      {"SELECT * FROM TDOS WHERE TDOS_SOC = 'A' ORDER BY TDOS_NUMDOSS DESC;", "SELECT * FROM TDOS",
       "TDOS_SOC = 'A'", "TDOS_NUMDOSS DESC"},
      {"select * from TCLI order by TCLI_NOM", "select * from TCLI", "", "TCLI_NOM"},
      {"Select * From TCLI Where TCLI_CAT = 'IND';", "Select * From TCLI", "TCLI_CAT = 'IND'", ""},
      {"TCLI", "TCLI", "", ""},
      {"SELECT * FROM TCLI WHERE TCLI_NOM = 'Where Order By' ORDER BY TCLI_CODE ;",
       "SELECT * FROM TCLI", "TCLI_NOM = 'Where Order By'", "TCLI_CODE"},
      {"SELECT * FROM TWHEREHOUSE WHERE (A IN (SELECT B FROM C WHERE D = 1))",
       "SELECT * FROM TWHEREHOUSE", "(A IN (SELECT B FROM C WHERE D = 1))", ""},
      {"SELECT * FROM T  WHERE X = 1\nORDER  BY Y, Z", "SELECT * FROM T", "X = 1", "Y, Z"},
  };
  for (const Case& c : cases) {
    const QueryParts p = Decouper_Requete(QString::fromUtf8(c.sql));
    EXPECT_EQ(QStringList({p.base, p.where, p.orderBy}), QStringList({c.base, c.where, c.order}))
        << c.sql;
  }
}

}  // namespace
}  // namespace tarovent::core
