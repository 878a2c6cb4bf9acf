#include <QFile>
#include <QFileInfo>

#include "GuardDemo.h"
#include "composition/NumberFormat.h"
#include "guard/QuoteComparison.h"
#include "guard/QuoteGuard.h"

namespace tarovent::guard::test {
namespace {

using composition::formatMasked;
using composition::kPriceMask;
using composition::round2;
using Kind = GuardFinding::Kind;

int count(const QVector<GuardFinding>& found, Kind kind, const QString& code = {}) {
  int n = 0;
  for (const GuardFinding& f : found) n += f.kind == kind && f.code == code;
  return n;
}

QString money(double v) { return formatMasked(v, kPriceMask, QLatin1Char(',')); }

TEST_F(GuardDemo, LinesUnderTheirFloorOrCostAndTheMarginThreshold) {
  const auto [path, line] = findLine(0, [&](const composition::WorkLine& l) {
    return l.costPrice > 2 && l.netPrice > 2 && isStockArticle(l.code, "A");
  });
  ASSERT_FALSE(path.isEmpty());
  const auto floorAt = [&](double floor) {
    stock().Execute(QStringLiteral("UPDATE TARTI SET TARTI_PVUMIN = %1 WHERE TARTI_CODART = '%2'")
                        .arg(floor, 0, 'f', 2)
                        .arg(line.code));
    const QuoteReading q = read(path);
    return guardQuote(q, readGuardRules(*m_state, q));
  };
  // A floor one cent above the net price is listed; a floor equal to it is not.
  const QVector<GuardFinding> under = floorAt(line.netPrice + 0.01);
  ASSERT_EQ(count(under, Kind::UnderFloor, line.code), 1);
  for (const GuardFinding& f : under)
    if (f.code == line.code) {
      EXPECT_DOUBLE_EQ(f.floor, round2(line.netPrice + 0.01));
    }
  EXPECT_EQ(count(floorAt(line.netPrice), Kind::UnderFloor, line.code), 0);
  floorAt(0);

  // Sold at its cost: sound; a cent under it: listed, with the line to open.
  reprice(path, line.docTable, line.row, line.costPrice, 0.0);
  EXPECT_EQ(count(guardQuote(read(path), {}), Kind::UnderCost, line.code), 0);
  reprice(path, line.docTable, line.row, line.costPrice - 0.01);
  QVector<GuardFinding> found = guardQuote(read(path), {});
  ASSERT_EQ(count(found, Kind::UnderCost, line.code), 1);
  const GuardFinding& f = *std::find_if(found.cbegin(), found.cend(),
                                        [&](const GuardFinding& g) { return g.code == line.code; });
  EXPECT_EQ(f.docTable, line.docTable);
  EXPECT_EQ(f.row, line.row);
  EXPECT_DOUBLE_EQ(f.margin, round2(line.quantity * -0.01));
  const QString text = line.code + " : prix net " + money(line.costPrice - 0.01) +
                       " sous le prix de revient " + money(line.costPrice);
  EXPECT_EQ(findingText(f), text);
  EXPECT_TRUE(admin({"guard", root(), QFileInfo(path).fileName()}).lines().contains(text));

  // The margin rate of the quote at the threshold is sound; under it by a cent, it is listed
  // without a code.
  const QuoteReading q = read(path);
  const std::optional<double> rate = marginRate(q.netTotal, q.costTotal);
  ASSERT_TRUE(rate);
  const auto thresholdAt = [&](double t) {
    main().Execute(QStringLiteral("UPDATE TPAR SET TPAR_SEUILMARGE = %1").arg(t, 0, 'f', 2));
    return guardQuote(q, readGuardRules(*m_state, q));
  };
  EXPECT_EQ(count(thresholdAt(*rate), Kind::MarginRate), 0);
  found = thresholdAt(*rate + 0.01);
  thresholdAt(0);
  ASSERT_EQ(count(found, Kind::MarginRate), 1);
  EXPECT_EQ(findingText(found.last()), "Taux de marge du devis " + money(*rate) +
                                           " % sous le seuil de " + money(*rate + 0.01) + " %");
}

// A template without a cost column: the cost is the article's, as the recalculation takes it,
// for the line and for the margin rate.
TEST_F(GuardDemo, WithoutACostColumnTheArticleCostIsTaken) {
  const auto [path, line] = findLine(150, [&](const composition::WorkLine& l) {
    return l.costPrice == 0 && l.netPrice > 1 && isStockArticle(l.code, "A");
  });
  ASSERT_FALSE(path.isEmpty());
  stock().Execute(QStringLiteral("UPDATE TARTI SET TARTI_PMP = %1, TARTI_COEFFRG = 10 WHERE "
                                 "TARTI_CODART = '%2'")
                      .arg(line.netPrice, 0, 'f', 2)
                      .arg(line.code));
  const QuoteReading q = read(path);
  GuardRules rules = readGuardRules(*m_state, q);
  const double cost = round2(line.netPrice * 1.1);
  EXPECT_DOUBLE_EQ(rules.costs.value(line.code.toUpper()), cost);
  rules.marginThreshold = 1000;
  const QVector<GuardFinding> found = guardQuote(q, rules);
  ASSERT_EQ(count(found, Kind::UnderCost, line.code), 1);
  ASSERT_EQ(found.last().kind, Kind::MarginRate);
  EXPECT_GE(found.last().cost, round2(line.quantity * cost));
}

// The same article twice, written with its cost and then without: the second line costs the
// article's cost, whichever came first, in the margin as in the findings.
TEST_F(GuardDemo, ALineWithoutCostTakesTheArticleCostAfterALineOfTheSameCodeWithOne) {
  db::Recordset a = stock().OpenRecordset(
      "select TARTI_CODART, TARTI_PMP, TARTI_COEFFRG from TARTI where TARTI_Type='A' and "
      "TARTI_PMP > 1 and TARTI_Desactive=False");
  ASSERT_FALSE(a.EOF_());
  const QString code = a.text("TARTI_CODART");
  const auto setCost = [&](double pmp, double overhead) {
    stock().Execute(QStringLiteral("UPDATE TARTI SET TARTI_PMP = %1, TARTI_COEFFRG = %2 WHERE "
                                   "TARTI_CODART = '%3'")
                        .arg(pmp, 0, 'f', 4)
                        .arg(overhead, 0, 'f', 4)
                        .arg(code));
  };
  const double pmp = a.number("TARTI_PMP"), overhead = a.number("TARTI_COEFFRG");
  setCost(40, 0);
  QuoteReading q;
  const auto line = [&](double cost) {
    composition::WorkLine l;
    l.code = code;
    l.quantity = 2;
    l.grossPrice = l.netPrice = 30;
    l.netAmount = 60;
    l.costPrice = cost;
    return l;
  };
  q.lines = {line(10), line(0)};
  q.netTotal = 120;
  const GuardRules rules = readGuardRules(*m_state, q);
  setCost(pmp, overhead);  // the demo family is shared by the other cases
  EXPECT_DOUBLE_EQ(rules.costs.value(code.toUpper()), 40);
  EXPECT_DOUBLE_EQ(quoteMargin(q, rules).cost, 100);  // 2 x 10 + 2 x 40
  const QVector<GuardFinding> found = guardQuote(q, rules);
  ASSERT_EQ(count(found, Kind::UnderCost, code), 1);
  for (const GuardFinding& f : found)
    if (f.kind == Kind::UnderCost) {
      EXPECT_DOUBLE_EQ(f.cost, 40);
    }
}

TEST_F(GuardDemo, ASoundQuotePrintsNothing) {
  const QStringList files = quoteFiles();
  int i = 100;
  const auto sound = [&](const QString& f) {
    const QuoteReading q = read(f);
    return guardQuote(q, readGuardRules(*m_state, q)).isEmpty();
  };
  while (i < files.size() && !sound(files[i])) ++i;
  ASSERT_LT(i, files.size());
  const auto r = admin({"guard", root(), files[i]});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, "");
  const auto missing = admin({"guard", root(), "99999_00.ZZ"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.contains("introuvable")) << missing.err.toStdString();
}

TEST_F(GuardDemo, ComparisonFindsARepricedLineMovedToAnotherTable) {
  // A quote whose first table holds three lines of their own codes at least.
  QString first;
  QuoteReading a;
  QVector<composition::WorkLine> coded;
  for (const QString& f : quoteFiles().mid(20)) {
    a = read(f);
    coded.clear();
    for (const composition::WorkLine& l : a.lines)
      if (composition::isCounted(l) && !l.code.isEmpty() && uses(a, l.code) == 1) coded << l;
    if (coded.size() >= 3) {
      first = f;
      break;
    }
  }
  ASSERT_FALSE(first.isEmpty());
  const composition::WorkLine removed = coded.first(), moved = coded.last();
  const QString second = s_dir->filePath("second.docx");
  ASSERT_TRUE(QFile::copy(first, second));
  {
    // The last line goes alone into a table of its own, 5 more expensive; the first goes.
    word::WordDocument doc = word::WordDocument::open(second);
    const int table = doc.splitTable(moved.docTable, moved.row);
    doc.save();
    reprice(second, table, 1, moved.grossPrice + 5);
    doc = word::WordDocument::open(second);
    doc.deleteRow(removed.docTable, removed.row);
    doc.save();
  }
  const QuoteReading b = read(second);
  const QuoteComparison c = compareQuotes(a, b);
  ASSERT_EQ(c.differences.size(), 2);
  const QuoteDifference& gone = c.differences[0];
  EXPECT_EQ(gone.kind, QuoteDifference::Kind::Removed);
  EXPECT_EQ(gone.code, removed.code);
  const QuoteDifference& repriced = c.differences[1];
  EXPECT_EQ(repriced.kind, QuoteDifference::Kind::Repriced);
  EXPECT_EQ(repriced.code, moved.code);
  EXPECT_EQ(repriced.oldTable, moved.table);
  EXPECT_EQ(repriced.newTable, moved.table + 1);
  EXPECT_DOUBLE_EQ(repriced.oldPrice, moved.netPrice);
  EXPECT_DOUBLE_EQ(repriced.newPrice,
                   round2((moved.grossPrice + 5) * (1 - moved.discountPercent / 100)));
  EXPECT_DOUBLE_EQ(c.oldNetTotal, a.netTotal);
  EXPECT_DOUBLE_EQ(c.newNetTotal, b.netTotal);
  EXPECT_TRUE(composition::sameAmount(b.netTotal, a.netTotal - removed.netAmount +
                                                      round2(moved.quantity * repriced.newPrice) -
                                                      moved.netAmount));

  // The other way round the removed line is an added one; the same version against itself
  // differs in nothing.
  const QuoteComparison back = compareQuotes(b, a);
  ASSERT_EQ(back.differences.size(), 2);
  EXPECT_EQ(back.differences[1].kind, QuoteDifference::Kind::Added);
  EXPECT_EQ(back.differences[1].code, removed.code);
  EXPECT_TRUE(compareQuotes(a, a).differences.isEmpty());

  const auto r = admin({"compare", root(), first, second});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  const QStringList lines = r.lines();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith("- " + removed.code + ' '));
  EXPECT_TRUE(lines[1].startsWith("~ " + moved.code + ' '));
  EXPECT_TRUE(lines[1].endsWith(money(repriced.newPrice)));
  EXPECT_EQ(lines[2], "Total net HT : " + money(a.netTotal) + " -> " + money(b.netTotal));
}

// Several lines of one code: those that kept their quantity and price pair first, then those
// that kept their quantity, so a line inserted before them is the one added.
TEST(QuoteComparison, ClosestLinesPairFirstAndTextLinesAreLeftOut) {
  const auto line = [](const QString& code, double qty, double net, int row) {
    composition::WorkLine l;
    l.code = code;
    l.quantity = qty;
    l.netPrice = net;
    l.table = 1;
    l.row = row;
    return l;
  };
  QuoteReading a, b;
  a.lines = {line("VIS", 10, 1, 1), line("", 0, 0, 2), line("vis", 20, 1, 3)};
  b.lines = {line("VIS", 5, 1, 1), line("VIS", 10, 1, 2), line("VIS", 20, 1.5, 3)};
  const QuoteComparison c = compareQuotes(a, b);
  ASSERT_EQ(c.differences.size(), 2);
  EXPECT_EQ(c.differences[0].kind, QuoteDifference::Kind::Repriced);
  EXPECT_EQ(c.differences[0].oldRow, 3);
  EXPECT_EQ(c.differences[0].newRow, 3);
  EXPECT_EQ(c.differences[1].kind, QuoteDifference::Kind::Added);
  EXPECT_EQ(c.differences[1].newRow, 1);
  EXPECT_EQ(comparisonText(c, 0).first(), "~ vis 20 x 1,00 -> 20 x 1,50");
}

}  // namespace
}  // namespace tarovent::guard::test
