#include <QFile>

#include "GuardDemo.h"
#include "articles/ArticleFiles.h"
#include "composition/NumberFormat.h"
#include "core/DocumentNames.h"
#include "dossiers/DossierDuplication.h"
#include "guard/CostDrift.h"
#include "guard/QuoteGuard.h"

namespace tarovent::guard::test {
namespace {

using composition::round2;

// Three later versions of one dossier quote an article at 11, 22 and 33, saved out of order:
// the memory shows the latest first; a duplicated dossier's renamed document is found again
// when the memory is rebuilt from the documents.
TEST_F(GuardDemo, PriceMemoryShowsTheLatestPriceAndFollowsADuplicatedDocument) {
  const auto [path, line] =
      findLine(40, [&](const composition::WorkLine& l) { return isStockArticle(l.code); });
  ASSERT_FALSE(path.isEmpty());
  const QuoteKey origin = *quoteKeyOfFile(path);
  db::Recordset d = main().OpenRecordset(
      QStringLiteral("select TDOS_CLIENT from TDOS where TDOS_SOC='%1' and TDOS_NUMDOSS=%2")
          .arg(origin.company)
          .arg(origin.dossier));
  const QString client = d.text("TDOS_CLIENT");
  db::Recordset last = main().OpenRecordset(
      QStringLiteral("select max(TDEV_NSEQ) from TDEV where TDEV_SOC='%1' and TDEV_NUMDOSS=%2")
          .arg(origin.company)
          .arg(origin.dossier));
  const int top = last.value(0).toInt();
  // Dated after every demo version, so that nothing else of the client comes before them.
  const QDate day = QDate::currentDate().addDays(30);
  const struct {
    int days;
    double price;
  } versions[] = {{2, 22}, {3, 33}, {1, 11}};
  PriceMemory memory(main());
  for (const auto& v : versions) {
    const QuoteKey key{origin.company, origin.dossier, top + v.days};
    main().Execute(QStringLiteral("INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, "
                                  "TDEV_DATE) VALUES ('%1', %2, %3, #%4#)")
                       .arg(key.company)
                       .arg(key.dossier)
                       .arg(key.sequence)
                       .arg(day.addDays(v.days).toString("MM/dd/yyyy")));
    const QString copy = documents() + key.number();
    ASSERT_TRUE(QFile::copy(path, copy));
    reprice(copy, line.docTable, line.row, v.price, 0.0);
    word::WordDocument doc = word::WordDocument::open(copy);
    ASSERT_TRUE(recordSavedQuote(*m_state, copy, doc));  // what a save in the composition does
  }
  const QuoteKey newest{origin.company, origin.dossier, top + 3};
  QVector<RememberedPrice> seen = memory.latest(client, line.code.toLower(), std::nullopt);
  ASSERT_EQ(seen.size(), 3);
  EXPECT_EQ(seen[0].quote, newest);
  EXPECT_EQ(seen[0].date, day.addDays(3));
  EXPECT_DOUBLE_EQ(seen[0].price, 33);
  EXPECT_DOUBLE_EQ(seen[1].price, 22);
  EXPECT_DOUBLE_EQ(seen[2].price, 11);
  EXPECT_DOUBLE_EQ(seen[2].quantity, line.quantity);
  // The version being composed is not its own memory; a saved version is recorded once.
  seen = memory.latest(client, line.code, newest, 1);
  ASSERT_EQ(seen.size(), 1);
  EXPECT_DOUBLE_EQ(seen[0].price, 22);
  EXPECT_TRUE(memory.latest("NOBODY", line.code, std::nullopt).isEmpty());

  // Duplicating the dossier copies its last version's document under the new number.
  dossiers::DossierDuplication dup(m_state->localDb, m_state->base(core::entry::Main).path(),
                                   m_state->base(core::entry::Main).folder, m_messages);
  const auto copied =
      dup.run({origin.company, origin.dossier, newest.sequence, origin.company, true, false});
  ASSERT_TRUE(copied.done()) << copied.refusal.toStdString();
  const auto r = admin({"index", root()});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.lines().last().endsWith(" devis indexés")) << r.out.toStdString();
  EXPECT_GT(r.lines().last().section(' ', 0, 0).toInt(), 300);
  seen = PriceMemory(main()).latest(client, line.code, std::nullopt, 50);
  ASSERT_GE(seen.size(), 4);
  EXPECT_EQ(seen[0].quote, newest);
  EXPECT_TRUE(std::any_of(seen.cbegin(), seen.cend(), [&](const RememberedPrice& p) {
    return p.quote.dossier == copied.number && p.price == 33;
  }));
}

TEST_F(GuardDemo, ARaisedTariffShowsInTheDriftWithItsMarginEffect) {
  articles::ArticleFiles files(*m_state);
  // A line that prints its cost: the quote's own cost is the old one. (The documents other
  // tests of the suite add can put a quote without costs first.)
  const auto [path, line] = findLine(60, [&](const composition::WorkLine& l) {
    return l.costPrice > 0 && !isStockArticle(l.code) &&
           tariffLine(*m_state, l.supplier, l.code).has_value();
  });
  ASSERT_FALSE(path.isEmpty());
  m_state->base(core::entry::Tariffs)
      .db.Execute(QStringLiteral("UPDATE TTRF SET TTRF_PUnit = %1 WHERE TTRF_REFFOURN = '%2'")
                      .arg(line.costPrice + 10, 0, 'f', 2)
                      .arg(line.code));
  const QuoteKey key = *quoteKeyOfFile(path);
  db::Recordset v = main().OpenRecordset(
      QStringLiteral("select TDEV_TARMAT from TDEV where TDEV_SOC='%1' and TDEV_NUMDOSS=%2 and "
                     "TDEV_NSEQ=%3")
          .arg(key.company)
          .arg(key.dossier)
          .arg(key.sequence));
  composition::PricingContext pricing;
  pricing.tarMat = v.text("TDEV_TARMAT");
  const QVector<DriftLine> drift = costDrift(*m_state, files, read(path), pricing);
  const auto it = std::find_if(drift.cbegin(), drift.cend(),
                               [&](const DriftLine& d) { return d.code == line.code; });
  ASSERT_NE(it, drift.cend());
  EXPECT_EQ(it->source, "tarif");
  EXPECT_DOUBLE_EQ(it->oldCost, line.costPrice);
  EXPECT_DOUBLE_EQ(it->newCost, round2(line.costPrice + 10));
  EXPECT_DOUBLE_EQ(it->marginKeepingPrice, round2(round2(line.quantity * line.costPrice) -
                                                  round2(line.quantity * (line.costPrice + 10))));
  // In cost-price mode the price follows the cost, and the margin does not move.
  if (pricing.tarMat == "R") {
    EXPECT_DOUBLE_EQ(it->newPrice, it->newCost);
  } else {
    EXPECT_DOUBLE_EQ(it->newPrice, line.grossPrice);
    EXPECT_DOUBLE_EQ(it->marginRefreshed, it->marginKeepingPrice);
  }

  // Only the lines ticked are refreshed.
  word::WordDocument doc = word::WordDocument::open(path);
  EXPECT_EQ(refreshDriftLines(doc, {*it}, 3, QLatin1Char(',')), 1);
  const std::optional<QuoteReading> after = readQuote(doc);
  ASSERT_TRUE(after);
  for (const composition::WorkLine& l : after->lines) {
    if (l.code == line.code) {
      EXPECT_DOUBLE_EQ(l.costPrice, it->newCost);
      EXPECT_DOUBLE_EQ(l.grossPrice, it->newPrice);
    }
  }
  const QVector<DriftLine> untouched = costDrift(*m_state, files, *after, pricing);
  EXPECT_EQ(untouched.size(), drift.size() - 1);
}

// Most printed quotes carry no cost column: their lines know no cost, so nothing but a price
// can have drifted, and the margin effect of keeping the quote's price is nil.
TEST_F(GuardDemo, AQuoteWithoutCostsDriftsOnlyByItsPrices) {
  articles::ArticleFiles files(*m_state);
  int withoutCosts = 0, lines = 0;
  for (const QString& path : quoteFiles()) {
    const QuoteReading quote = read(path);
    if (quote.columns.has(QStringLiteral("PDR"))) continue;
    ++withoutCosts;
    lines += int(quote.lines.size());
    for (const DriftLine& d : costDrift(*m_state, files, quote, {})) {
      SCOPED_TRACE((path + " " + d.code).toStdString());
      EXPECT_FALSE(d.costKnown);
      EXPECT_NE(composition::cents(d.oldPrice), composition::cents(d.newPrice));
      EXPECT_DOUBLE_EQ(d.oldCost, d.newCost);
      EXPECT_DOUBLE_EQ(d.marginKeepingPrice, 0);
      EXPECT_TRUE(driftText(d).contains(QStringLiteral("absent du devis")));
    }
  }
  EXPECT_GT(withoutCosts, 0);
  EXPECT_GT(lines, 0);
}

}  // namespace
}  // namespace tarovent::guard::test
