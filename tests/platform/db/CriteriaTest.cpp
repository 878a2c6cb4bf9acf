#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "QtPrinters.h"
#include "platform/db/Criteria.h"
#include "platform/db/DbError.h"
#include "platform/db/JetType.h"

namespace tarovent::db {
namespace {

const QStringList kFields{"TDOS_SOC", "TDOS_NUMDOSS", "NOM", "D", "B", "X", "MONTANT", "DT"};

int resolve(const QString& qualifier, const QString& name) {
  if (!qualifier.isEmpty() && qualifier.compare("TDOS", Qt::CaseInsensitive) != 0) return -1;
  for (int k = 0; k < kFields.size(); ++k)
    if (kFields[k].compare(name, Qt::CaseInsensitive) == 0) return k;
  return -1;
}

std::vector<QVariant> sampleRow() {
  return {QString("AB"),
          qlonglong(12),
          QString("D'Artagnan"),
          QDate(2026, 1, 5),
          true,
          QVariant(),
          26.97,
          QDateTime(QDate(2025, 12, 31), QTime(8, 30))};
}

bool matches(const QString& criteria, const std::vector<QVariant>& row = sampleRow()) {
  return Criteria::compile(criteria, resolve).matches(row.data());
}

TEST(Criteria, MatchesTheFormsTheProgramWrites) {
  const char* const yes[] = {
      "TDOS_SOC = 'AB' And TDOS_NUMDOSS = 12",
      "TDOS.TDOS_SOC = \"Ab\"",
      "NOM = 'd''artagnan'",
      "Left(NOM,3)='D''a'",
      "InStr(NOM,'d''a') > 0",
      "inStr(1,NOM,'ART') <> 0",
      "D >= #12/31/2025#",
      "D = #1/5/26#",
      "DT = #12/31/2025 08:30:00#",
      "Not IsNull(NOM)",
      "X Is Null",
      "B = True",
      "B",
      "NOM Like 'd*'",
      "NOM Not Like 'x*'",
      "TDOS_NUMDOSS * 2 + 1 = 25",
      "TDOS_SOC & Right('00000' & TDOS_NUMDOSS, 5) = 'AB00012'",
      "MONTANT = 26.97",
      "TDOS_NUMDOSS Between 10 And 12",
      "TDOS_SOC In ('xy', 'ab')",
      "TDOS_NUMDOSS Mod 5 = 2 And TDOS_NUMDOSS \\ 5 = 2 And TDOS_NUMDOSS / 8 = 1.5",
      "X = 'a' Or TDOS_NUMDOSS = 12",
      "(TDOS_SOC = 'AB' Or TDOS_SOC = 'XY') And Not (TDOS_NUMDOSS < 0)",
      "Year(D) = 2026 And Month(D) = 1 And Day(D) = 5",
      "D - 5 = #12/31/2025#",
      "Nz(X, 'vide') = 'vide'",
      "UCase(NOM) = 'D''ARTAGNAN' And Len(NOM) = 10",
      "X = Null",
      "TDOS_NUMDOSS = '12'",
  };
  for (const char* c : yes) EXPECT_TRUE(matches(c)) << c;

  const char* const no[] = {
      "TDOS_SOC = 'AC'",
      "TDOS_NUMDOSS <> 12",
      "X = 'a'",
      "Not (X = 'a')",
      "X = 'a' And TDOS_NUMDOSS = 12",
      "B = False",
      "Not B",
      "D < #01/05/2026#",
      "DT = #12/31/2025#",
      "TDOS_NUMDOSS Not Between 10 And 12",
      "X In ('a', Null)",
      "InStr(NOM, 'é') > 0",
  };
  for (const char* c : no) EXPECT_FALSE(matches(c)) << c;
}

TEST(Criteria, AccentedTextFollowsTheCollation) {
  std::vector<QVariant> row = sampleRow();
  row[2] = QString("ÉLÈVE");
  EXPECT_TRUE(matches("NOM = 'élève'", row));
  EXPECT_FALSE(matches("NOM = 'eleve'", row));
  EXPECT_TRUE(matches("NOM > 'eleve' And NOM < 'f'", row));
  EXPECT_TRUE(matches("InStr(NOM, 'è') = 3", row));
  EXPECT_TRUE(matches("NOM Like 'é*'", row));
}

TEST(Criteria, UserTextQuotedByTheHelperIsFoundAgain) {
  for (const QString name : {"D'Artagnan", "l'été \"chaud\"", "a''b", "100 %"}) {
    std::vector<QVariant> row = sampleRow();
    row[2] = name;
    EXPECT_TRUE(matches("NOM = " + quoteText(name), row)) << name.toStdString();
    EXPECT_TRUE(matches("InStr(1, NOM, " + quoteText(name.left(3)) + ") <> 0", row))
        << name.toStdString();
  }
}

TEST(Criteria, FindsTheFirstMatchingRowOfALargeSet) {
  std::vector<std::vector<QVariant>> rows;
  for (int k = 0; k < 20000; ++k)
    rows.push_back({QString("S%1").arg(k % 7), qlonglong(k), QString("Client %1").arg(k),
                    QDate(2025, 1, 1).addDays(k % 365), k % 2 == 0, QVariant(), k * 1.5,
                    QDateTime()});
  const Criteria c = Criteria::compile("TDOS_SOC = 's3' And NOM Like '*99*' And B", resolve);
  int found = -1;
  for (int k = 0; k < int(rows.size()) && found < 0; ++k)
    if (c.matches(rows[k].data())) found = k;
  EXPECT_EQ(found, 990);
}

TEST(Criteria, ReportsUnknownFieldsAndBadSyntax) {
  const auto number = [](const QString& criteria) {
    try {
      Criteria::compile(criteria, resolve);
    } catch (const DbError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number("INCONNU = 1"), err::ItemNotFound);
  EXPECT_EQ(number("TAUTRE.TDOS_SOC = 'AB'"), err::ItemNotFound);
  EXPECT_EQ(number("TDOS_SOC = 'AB"), err::SyntaxError);
  EXPECT_EQ(number("TDOS_SOC = = 'AB'"), err::SyntaxError);
  EXPECT_EQ(number("TDOS_SOC = 'AB' TDOS_NUMDOSS"), err::SyntaxError);
  EXPECT_EQ(number("Max(TDOS_NUMDOSS) > 1"), err::UnsupportedSql);
  EXPECT_EQ(number("Inconnue(TDOS_SOC) = 1"), err::UnknownFunction);
  EXPECT_EQ(number("TDOS_SOC = 'AB'"), 0);
  // A default-constructed criteria matches nothing.
  const std::vector<QVariant> row = sampleRow();
  EXPECT_FALSE(Criteria().matches(row.data()));
}

}  // namespace
}  // namespace tarovent::db
