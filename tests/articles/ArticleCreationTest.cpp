#include <gtest/gtest.h>

#include "../composition/FamilyFixture.h"
#include "articles/ArticleCreation.h"
#include "articles/ArticleFiles.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"

namespace tarovent::articles {
namespace {

TEST(ArticleCreation, SalePricesFollowTheMargins) {
  const struct {
    QString pmp, overhead, margin1, margin2, typed1, price1, price2;
  } cases[] = {
      {"100", "10", "20", "", "0", "132,00", "0"},
      {"100", "10", "0", "50", "99,90", "99,90", "165,00"},  // a margin of 0 keeps the price
      {"1 000,5", "", "10", "", "0", "1 100,55", "0"},
      {"", "", "", "", "7", "7", "0"},
  };
  for (const auto& c : cases) {
    NewArticle a;
    a.purchasePrice = c.pmp;
    a.overhead = c.overhead;
    a.margin1 = c.margin1;
    a.margin2 = c.margin2;
    a.price1 = c.typed1;
    Calculer_Prix_Vente(a);
    EXPECT_EQ(a.price1, c.price1) << c.pmp.toStdString();
    EXPECT_EQ(a.price2, c.price2) << c.pmp.toStdString();
  }
  for (const auto& [typed, kept, ok] :
       {std::tuple{"f", "F", true}, {"a", "A", true}, {"m", "M", false}}) {
    QString t = typed;
    EXPECT_EQ(acceptArticleType(t), ok);
    EXPECT_EQ(t, kept);
  }
}

class CreationTest : public fixtures::FamilyTest {
 protected:
  db::Database& stock() { return m_state->base(core::entry::Stock).db; }
};

TEST_F(CreationTest, ArticleNeedsLabelTypeAndUnitThenIsWritten) {
  ArticleFiles files(*m_state);
  NewArticle a;
  a.code = "POMPE";
  a.type = "";
  a.unit = "";
  EXPECT_EQ(Creer_Article(files, a, m_messages), ArticleField::Label);
  a.label = "Pompe";
  EXPECT_EQ(Creer_Article(files, a, m_messages), ArticleField::Type);
  a.type = "F";
  EXPECT_EQ(Creer_Article(files, a, m_messages), ArticleField::Unit);
  EXPECT_EQ(m_messages.texts(), QStringList(3, "Saisie obligatoire."));
  EXPECT_EQ(m_messages.beeps(), 3);
  a.unit = "UN";
  a.purchasePrice = "100";
  a.overhead = "10";
  a.margin1 = "20";
  Calculer_Prix_Vente(a);
  ASSERT_EQ(Creer_Article(files, a, m_messages), ArticleField::None);
  db::Recordset r = stock().OpenRecordset("select * from TARTI where TARTI_CODART = 'POMPE'");
  ASSERT_FALSE(r.EOF_());
  EXPECT_EQ(r.text("TARTI_Sous_Type"), "FIN");
  EXPECT_DOUBLE_EQ(r.number("TARTI_PVU1"), 132);
  EXPECT_DOUBLE_EQ(r.number("TARTI_PVU2"), 0);
  EXPECT_EQ(r.text("TARTI_FOURN2"), " ");

  m_state->localDb.Execute("INSERT INTO TMP_NOMENC (TMP_NumLig) VALUES (1)");
  m_messages.script({ui::Answer::Yes});
  EXPECT_TRUE(offerNomenclature(*m_state, a, m_messages));
  EXPECT_EQ(m_messages.texts().last(),
            "Désirez-vous saisir la décomposition de cet article (nomenclature et gamme) ?");
  EXPECT_TRUE(m_state->localDb.OpenRecordset("select * from TMP_NOMENC").EOF_());
  a.type = "A";
  EXPECT_FALSE(offerNomenclature(*m_state, a, m_messages));  // not asked for a bought one
}

// Saved with the mouse, the type was never left: the save checks it all the same. A record the
// base refuses leaves nothing behind for the look-ups to find.
TEST_F(CreationTest, ArticleSaveChecksTheTypeAndLeavesNoPhantom) {
  ArticleFiles files(*m_state);
  NewArticle a;
  a.code = "ROUE";
  a.label = "Roue";
  a.type = "Z";
  EXPECT_EQ(Creer_Article(files, a, m_messages), ArticleField::Type);
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le type doit être A (article acheté) ou F (article fabriqué)."});
  EXPECT_EQ(m_messages.beeps(), 1);
  EXPECT_FALSE(files.Trouver_Article("ROUE"));
  // A price that is not a whole number is refused by the box it was typed in, whatever the
  // way in; the prices are worked out only from numbers.
  a.type = "f";
  a.purchasePrice = "1 234,50";
  a.overhead = "10";
  a.margin2 = "12abc";
  a.price2 = "7";
  m_messages.clear();
  EXPECT_EQ(Creer_Article(files, a, m_messages), ArticleField::Margin2);
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].startsWith("Marge 2 % : « 12abc » n'est pas un nombre."));
  EXPECT_FALSE(files.Trouver_Article("ROUE"));
  a.margin2 = "";
  a.price1 = "inf";
  EXPECT_EQ(Creer_Article(files, a, m_messages), ArticleField::Price1);
  a.price1 = "";
  ASSERT_EQ(Creer_Article(files, a, m_messages), ArticleField::None);
  ASSERT_TRUE(files.Trouver_Article("ROUE"));
  EXPECT_EQ(files.articles().text("TARTI_Type"), "F");

  NewArticle tooLong;
  tooLong.code = "LONG";
  tooLong.label = QString(500, 'x');
  EXPECT_THROW(Creer_Article(files, tooLong, m_messages), db::DbError);
  EXPECT_EQ(files.articles().EditMode(), db::EditMode::None);
  EXPECT_FALSE(files.Trouver_Article("LONG"));
  EXPECT_TRUE(files.Trouver_Article("ROUE"));
  EXPECT_TRUE(stock().OpenRecordset("select * from TARTI where TARTI_CODART = 'LONG'").EOF_());
}

TEST_F(CreationTest, TariffLineNeedsSupplierAndLabelAndIsNotAnArticle) {
  NewTariffLine l;
  l.reference = "REF-1";
  EXPECT_EQ(Creer_Tarif(*m_state, l, m_messages), TariffField::Supplier);
  l.supplier = "DUPONT";
  EXPECT_EQ(Creer_Tarif(*m_state, l, m_messages), TariffField::Label);
  EXPECT_EQ(m_messages.texts(),
            QStringList({"Saisie fournisseur obligatoire.", "Saisie libellé obligatoire."}));
  l.label = "Raccord";
  const QDate today(2026, 12, 6);
  ASSERT_EQ(Creer_Tarif(*m_state, l, m_messages, today), TariffField::None);
  db::Recordset r = m_state->base(core::entry::Tariffs)
                        .db.OpenRecordset("select * from TTRF where TTRF_REFFOURN = 'REF-1'");
  ASSERT_FALSE(r.EOF_());
  EXPECT_EQ(r.text("TTRF_CODART"), "*");
  // Prices read as typed in France, or refused before anything is written.
  NewTariffLine priced = l;
  priced.reference = "REF-2";
  priced.purchasePrice = "1.234,50";
  priced.salePrice = "12abc";
  m_messages.clear();
  EXPECT_EQ(Creer_Tarif(*m_state, priced, m_messages, today), TariffField::SalePrice);
  EXPECT_TRUE(m_messages.texts().value(0).startsWith("Prix de vente : « 12abc »"));
  priced.salePrice = "1 500";
  ASSERT_EQ(Creer_Tarif(*m_state, priced, m_messages, today), TariffField::None);
  db::Recordset p = m_state->base(core::entry::Tariffs)
                        .db.OpenRecordset("select * from TTRF where TTRF_REFFOURN = 'REF-2'");
  ASSERT_FALSE(p.EOF_());
  EXPECT_DOUBLE_EQ(p.number("TTRF_PUnit"), 1234.5);
  EXPECT_DOUBLE_EQ(p.number("TTRF_PrixVen"), 1500);
  EXPECT_DOUBLE_EQ(r.number("TTRF_PUnit"), 0);
  EXPECT_DOUBLE_EQ(r.number("TTRF_PrixVen"), 0);
  EXPECT_EQ(r.value("TTRF_DatMaj").toDate(), today);
}

}  // namespace
}  // namespace tarovent::articles
