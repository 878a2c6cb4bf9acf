#include <gtest/gtest.h>

#include "FamilyFixture.h"
#include "composition/LinePricing.h"
#include "composition/NumberFormat.h"
#include "platform/db/Database.h"

namespace tarovent::composition {
namespace {

class LinePricingTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    const std::pair<int, const char*> rows[] = {
        {core::entry::Stock,
         "INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_libart2, TARTI_Type, TARTI_PMP, "
         "TARTI_COEFFRG, TARTI_PVU1, TARTI_PVU2, TARTI_PVUMIN, TARTI_CLREM) VALUES ('VIS', "
         "'Vis M8', '  ', 'A', 10, 15, 12.5, Null, 8, 'CL1')"},
        {core::entry::Stock,
         "INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_libart2, TARTI_Type, TARTI_PVU1, "
         "TARTI_PVU2, TARTI_CLREM) VALUES ('TOLE', 'Tôle', 'Tôle inox 2 mm', 'A', 20, 18, 'CL0')"},
        {core::entry::Commercial, "INSERT INTO TPRIX VALUES ('TOLE', 10, 9, 8)"},
        {core::entry::Commercial, "INSERT INTO TPRIX VALUES ('TOLE', 50, 7, Null)"},
        {core::entry::Commercial, "INSERT INTO TPRIX VALUES ('TOLEX', 100, 1, 1)"},
        {core::entry::Commercial, "INSERT INTO TREMI VALUES ('CL1', 'IND', 12, 4)"},
        {core::entry::Commercial, "INSERT INTO TREMI VALUES ('CL0', 'IND', 0, 0)"},
        {core::entry::Planning, "INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)"},
        {core::entry::Tariffs,
         "INSERT INTO TTRF (TTRF_CODFOURN, TTRF_REFFOURN, TTRF_LIBART, TTRF_PUnit, TTRF_PrixVen) "
         "VALUES ('F1', 'R-12', 'Roulement', 30, 45)"},
        {core::entry::Main,
         "INSERT INTO TPRO (TPRO_Code, TPRO_LIB, TPRO_PU) VALUES ('OPT1', "
         "'Peinture', 150)"},
    };
    for (const auto& [base, sql] : rows) m_state->base(base).db.Execute(QString::fromUtf8(sql));
  }
  db::Recordset table(int base, const QString& name, bool keyed = true) {
    db::Recordset rs = m_state->base(base).db.OpenRecordset(name, db::RecordsetType::Table);
    if (keyed) rs.setIndex("PrimaryKey");
    return rs;
  }
  db::Recordset article(const QString& code) {
    db::Recordset rs = table(core::entry::Stock, "TARTI");
    rs.Seek("=", code);
    return rs;
  }
};

TEST_F(LinePricingTest, ArticlePricesByTariffMode) {
  PricingContext v;
  EntryLine l = lineFromArticle(article("VIS"), v);
  EXPECT_DOUBLE_EQ(l.altPrice, 12.5);  // price 2 missing: it takes price 1
  EXPECT_DOUBLE_EQ(l.costPrice, 11.5);
  EXPECT_EQ(l.designation, "Vis M8");  // the blank second label is not used

  PricingContext r;
  r.tarMat = "R";
  EXPECT_DOUBLE_EQ(lineFromArticle(article("VIS"), r).unitPrice, 11.5);

  PricingContext p;
  p.tarMat = "P";
  l = lineFromArticle(article("TOLE"), p);
  EXPECT_DOUBLE_EQ(l.unitPrice, 18);
  EXPECT_DOUBLE_EQ(l.altPrice, 20);
  EXPECT_EQ(l.designation, "Tôle inox 2 mm");
}

TEST_F(LinePricingTest, PriceBreaksTakeTheFirstBoundAboveTheQuantity) {
  PricingContext v;
  db::Recordset breaks = table(core::entry::Commercial, "TPRIX");
  EntryLine l = lineFromArticle(article("TOLE"), v);
  const struct {
    double qty;
    double unit, alt;
  } cases[] = {{9, 9, 8}, {10, 7, 7}, {49, 7, 7}, {50, 0, 0}};
  for (const auto& c : cases) {
    l.quantity = c.qty;
    ASSERT_TRUE(applyPriceBreaks(breaks, l, v)) << c.qty;
    EXPECT_DOUBLE_EQ(l.unitPrice, c.unit) << c.qty;
    EXPECT_DOUBLE_EQ(l.altPrice, c.alt) << c.qty;
  }
  PricingContext p;
  p.tarMat = "P";
  l.quantity = 9;
  ASSERT_TRUE(applyPriceBreaks(breaks, l, p));
  EXPECT_DOUBLE_EQ(l.unitPrice, 8);

  EntryLine vis = lineFromArticle(article("VIS"), v);
  vis.quantity = 5;
  EXPECT_FALSE(applyPriceBreaks(breaks, vis, v));  // no breaks: prices kept
  PricingContext r;
  r.tarMat = "R";
  EXPECT_FALSE(applyPriceBreaks(breaks, l, r));
}

TEST_F(LinePricingTest, FloorPriceRaisesALowerPrice) {
  db::Recordset vis = article("VIS");
  EntryLine l = lineFromArticle(vis, PricingContext{});
  l.unitPrice = 5;
  EXPECT_TRUE(applyFloorPrice(vis, l, m_messages, ','));
  EXPECT_DOUBLE_EQ(l.unitPrice, 8);
  EXPECT_EQ(m_messages.texts(), QStringList({"Le prix plancher est de 8,00"}));
  for (double kept : {8.0, 9.0}) {  // the floor itself is accepted
    l.unitPrice = kept;
    EXPECT_FALSE(applyFloorPrice(vis, l, m_messages, ','));
  }
  db::Recordset tole = article("TOLE");
  EntryLine t = lineFromArticle(tole, PricingContext{});
  t.unitPrice = 0.01;
  EXPECT_FALSE(applyFloorPrice(tole, t, m_messages, ','));  // no floor price
}

TEST_F(LinePricingTest, DiscountOfALine) {
  db::Recordset remi = table(core::entry::Commercial, "TREMI");
  PricingContext c;
  c.clientDiscount = 5;
  c.clientCategory = "IND";
  EntryLine vis = lineFromArticle(article("VIS"), c);
  EXPECT_DOUBLE_EQ(lineDiscount(vis, c, &remi, m_messages), 12);
  c.tarMat = "P";
  EXPECT_DOUBLE_EQ(lineDiscount(vis, c, &remi, m_messages), 4);

  EntryLine tole = lineFromArticle(article("TOLE"), c);
  m_messages.script({ui::Answer::No});
  EXPECT_DOUBLE_EQ(lineDiscount(tole, c, &remi, m_messages), 5);
  EXPECT_TRUE(m_messages.texts()[0].startsWith("Classe de remise CL0: Taux de remise à 0%"));
  m_messages.script({ui::Answer::Yes});
  EXPECT_DOUBLE_EQ(lineDiscount(tole, c, &remi, m_messages), 0);

  c.tarMat = "R";
  EXPECT_DOUBLE_EQ(lineDiscount(vis, c, &remi, m_messages), 0);
  c.clientCategory = "AGR";  // no class for this category: the client's discount
  c.tarMat = "V";
  EXPECT_DOUBLE_EQ(lineDiscount(vis, c, &remi, m_messages), 5);
  EntryLine n;
  n.type = "N";
  EXPECT_DOUBLE_EQ(lineDiscount(n, c, &remi, m_messages), 5);
  n.type.clear();
  EXPECT_DOUBLE_EQ(lineDiscount(n, c, &remi, m_messages), 0);
}

TEST_F(LinePricingTest, LabourTariffAndOptionLines) {
  db::Recordset sec = table(core::entry::Planning, "TSEC", false);
  PricingContext c;
  EntryLine l = lineFromSection(sec, c);
  EXPECT_EQ(l.code, "MO*SOUD");
  EXPECT_DOUBLE_EQ(l.unitPrice, 60);
  c.clientHourlyRate = 55;
  EXPECT_DOUBLE_EQ(lineFromSection(sec, c).unitPrice, 55);
  c.tarMo = "R";
  EXPECT_DOUBLE_EQ(lineFromSection(sec, c).unitPrice, 40);

  db::Recordset trf = table(core::entry::Tariffs, "TTRF", false);
  PricingContext r;
  r.tarMat = "R";
  EntryLine t = lineFromTariff(trf, r);
  EXPECT_EQ(t.supplier, "F1");
  EXPECT_DOUBLE_EQ(t.unitPrice, 30);
  EXPECT_DOUBLE_EQ(lineFromTariff(trf, PricingContext{}).unitPrice, 45);
  EXPECT_DOUBLE_EQ(lineFromOption(table(core::entry::Main, "TPRO", false)).unitPrice, 150);
}

TEST_F(LinePricingTest, AmountsOfAWrittenLine) {
  EntryLine e;
  e.quantity = 3;
  e.unitPrice = 9.99;
  e.costPrice = 7.333;
  e.weight = 1.25;
  const auto q = priceLine(e, 10);
  EXPECT_DOUBLE_EQ(q.netPrice, 8.99);
  EXPECT_DOUBLE_EQ(q.netAmount, 26.97);
  EXPECT_DOUBLE_EQ(q.costAmount, 22.0);
  EXPECT_DOUBLE_EQ(q.totalWeight, 3.75);
}

}  // namespace
}  // namespace tarovent::composition
