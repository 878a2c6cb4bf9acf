#include <gtest/gtest.h>

#include "EntryFixture.h"
#include "composition/LineEntry.h"
#include "composition/NumberFormat.h"
#include "core/ProcessState.h"

namespace tarovent::composition {
namespace {

using ui::Answer;

class LineEntryTest : public fixtures::EntryTest {};

// What the session tells its listener.
class Recorder : public DocumentChanges {
 public:
  void rowsInserted(int table, int row, int count) override {
    calls << QString("inserted %1 %2 %3").arg(table).arg(row).arg(count);
  }
  void rowsRemoved(int, int, int) override { calls << "removed"; }
  void rowsChanged(int, int, int) override { calls << "changed"; }
  void tableInserted(int) override { calls << "table inserted"; }
  void tableRemoved(int) override { calls << "table removed"; }
  void tableSplit(int, int) override { calls << "split"; }
  void bookmarksChanged() override { calls << "bookmarks"; }
  void documentReset() override { calls << "reset"; }
  QStringList calls;
};

TEST_F(LineEntryTest, PickFillsTheFieldsFromEachSource) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  LineEntry e(*s);
  struct Case {
    EntrySource source;
    QString code, type, designation, price, alt, cost;
  } cases[] = {
      // Price 2 missing: it takes price 1, and mode V shows price 1 first.
      {EntrySource::Stock, "VIS", "A", "Vis M8", "12,50", "12,50", "11,50"},
      {EntrySource::Stock, "TOLE", "A", "Tôle", "20,00", "18,00", "0,00"},
      {EntrySource::Options, "OPT1", "O", "Peinture", "150,00", "", "0,00"},
      // The client's own hourly rate comes before the section's.
      {EntrySource::Labour, "SOUD", "H", "Soudure", "42,00", "", "40,00"},
      {EntrySource::Tariffs, "R-12", "N", "Roulement", "45,00", "30,00", "30,00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code.toStdString());
    ASSERT_TRUE(e.pick(c.source, c.code));
    EXPECT_EQ(e.text("CTX_TYPE"), c.type);
    EXPECT_EQ(e.text("CTX_TPRO_LIB"), c.designation);
    EXPECT_EQ(e.text("CTX_TPRO_PU"), c.price);
    EXPECT_EQ(e.text("CTX_TPRO_PU_Bis"), c.alt);
    EXPECT_EQ(e.text("CTX_PDR"), c.cost);
  }
  EXPECT_EQ(e.text("CTX_CODART"), "R-12");
  EXPECT_EQ(e.text("CTX_CODFOURN"), "F1");
  EXPECT_TRUE(m_messages.texts().isEmpty());
  EXPECT_FALSE(e.pick(EntrySource::Stock, "DISPARU"));
  EXPECT_EQ(m_messages.texts(), QStringList{"Erreur interne : article introuvable : DISPARU"});
  EXPECT_EQ(e.text("CTX_CODART"), "R-12");  // the fields keep the last line
}

TEST_F(LineEntryTest, LeavingTheQuantityPricesFromTheBreaks) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  LineEntry e(*s);
  ASSERT_TRUE(e.pick(EntrySource::Stock, "TOLE"));
  // Breaks bounded 10 and 50: a quantity equal to a bound is priced from the next break.
  const struct {
    QString typed, quantity, price, alt;
  } cases[] = {{"9", "9", "9,00", "8,00"},
               {"10", "10", "7,00", "6,00"},
               {"49", "49", "7,00", "6,00"},
               {"", "0", "9,00", "8,00"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    e.setText("CTX_QTE", c.typed);
    EXPECT_EQ(e.leave("CTX_QTE"), LeaveOutcome::Nothing);
    EXPECT_EQ(e.text("CTX_QTE"), c.quantity);
    EXPECT_EQ(e.text("CTX_TPRO_PU"), c.price);
    EXPECT_EQ(e.text("CTX_TPRO_PU_Bis"), c.alt);
  }
  // Mode P shows price 2 first.
  ASSERT_TRUE(s->setTariffModes("P", "V"));
  e.setText("CTX_QTE", "12");
  e.leave("CTX_QTE");
  EXPECT_EQ(e.text("CTX_TPRO_PU"), "6,00");
  EXPECT_EQ(e.text("CTX_TPRO_PU_Bis"), "7,00");
}

TEST_F(LineEntryTest, FloorPriceTakesBackAPriceTypedBelowIt) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  LineEntry e(*s);
  ASSERT_TRUE(e.pick(EntrySource::Stock, "VIS"));
  e.setText("CTX_TPRO_PU", "25");
  e.leave("CTX_TPRO_PU");
  EXPECT_EQ(e.text("CTX_TPRO_PU"), "25,00");
  EXPECT_TRUE(m_messages.texts().isEmpty());
  e.setText("CTX_TPRO_PU", "15");
  e.leave("CTX_TPRO_PU");
  EXPECT_EQ(e.text("CTX_TPRO_PU"), "20,00");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le prix plancher est de " + formatMasked(20, "### ##0.00")});
}

TEST_F(LineEntryTest, TypedCodesAreLookedUpInTheTreeSource) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  const QString noCreation = "\nLa création n'est pas disponible ici.";
  struct Case {
    const char* name;
    EntrySource source;
    QString code;
    LeaveOutcome outcome;
    QString designation;
    QStringList messages;
  } cases[] = {
      {"article", EntrySource::Stock, "VIS", LeaveOutcome::Filled, "Vis M8", {}},
      {"missing article",
       EntrySource::Stock,
       "NOPE",
       LeaveOutcome::NotFound,
       "",
       {"Cet article n'existe pas en stock." + noCreation}},
      // Without the composite-code window a family code is looked up as an article.
      {"family",
       EntrySource::Stock,
       "FAM",
       LeaveOutcome::NotFound,
       "",
       {"Cet article n'existe pas en stock." + noCreation}},
      {"tariff", EntrySource::Tariffs, "R-12", LeaveOutcome::Filled, "Roulement", {}},
      {"missing tariff",
       EntrySource::Tariffs,
       "R-99",
       LeaveOutcome::NotFound,
       "",
       {"Cet article n'existe pas en tarif." + noCreation}},
      {"option", EntrySource::Options, "OPT1", LeaveOutcome::Nothing, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineEntry e(*s);
    m_messages.clear();
    e.setSource(c.source);
    e.setText("CTX_CODART", c.code);
    EXPECT_EQ(e.leave("CTX_CODART"), c.outcome);
    EXPECT_EQ(e.text("CTX_TPRO_LIB"), c.designation);
    EXPECT_EQ(m_messages.texts(), c.messages);
    // Leaving again without a change looks nothing up.
    EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Nothing);
  }

  // With the windows in the program: the family goes to the composite-code window, a missing
  // article to the creation form when the user says yes.
  registerWindows({"FCOMPART", "FCREART"});
  LineEntry e(*s);
  m_messages.clear();
  e.setText("CTX_CODART", "FAM");
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::WindowOpened);
  EXPECT_EQ(m_state->compositeCode, "FAM");
  m_messages.script({Answer::Yes});
  e.setText("CTX_CODART", "NOPE");
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::NotFound);
  EXPECT_EQ(m_messages.texts(),
            (QStringList{"Cet article n'existe pas en stock.", "Désirez-vous le créer ?"}));
  EXPECT_EQ(m_opener.opened, (QStringList{"FCOMPART", "FCREART"}));
  EXPECT_EQ(m_state->creationCode, "NOPE");

  // The composed code comes back into the code field and is looked up when left; the bare
  // family code (nothing composed) does not.
  EXPECT_EQ(e.takeReturnedCode(), "");
  m_state->compositeCode = "VIS";
  EXPECT_EQ(e.takeReturnedCode(), "VIS");
  EXPECT_TRUE(m_state->compositeCode.isEmpty());
  EXPECT_EQ(e.text("CTX_CODART"), "VIS");
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Filled);

  // A base that is not configured looks nothing up.
  m_state->base(core::entry::Stock).folder.clear();
  LineEntry off(*s);
  EXPECT_FALSE(off.lookupEnabled(EntrySource::Stock));
  off.setText("CTX_CODART", "TOLE");
  EXPECT_EQ(off.leave("CTX_CODART"), LeaveOutcome::Nothing);
  EXPECT_EQ(off.text("CTX_TPRO_LIB"), "");
}

TEST_F(LineEntryTest, InsertionAboveTheCursorTellsTheListenerOneRow) {
  auto s = openQuote(2000);
  ASSERT_TRUE(s);
  Recorder views;
  s->setChangeListener(&views);
  ASSERT_TRUE(s->setCursor(m_table, 1500));
  s->document().setRowHidden(m_table, 1500, true);  // left out of the print by a level
  LineEntry e(*s);
  ASSERT_TRUE(e.pick(EntrySource::Tariffs, "R-12"));
  e.setText("CTX_QTE", "3");
  ASSERT_TRUE(e.insert());
  EXPECT_EQ(views.calls, QStringList{QString("inserted %1 1500 1").arg(m_table)});
  EXPECT_EQ(s->cursor(), (Cursor{m_table, 1501}));
  EXPECT_EQ(s->document().rowCount(m_table), 2001);
  EXPECT_EQ(cell(*s, 1500, 1), "R-12");
  EXPECT_EQ(cell(*s, 1501, 1), "L1500");
  EXPECT_EQ(s->document().bookmarkCell("SAVEPOS")->row, 1501);
  // The new line does not take the hidden format of the row it was copied from.
  EXPECT_FALSE(s->document().isRowHidden(m_table, 1500));
  EXPECT_TRUE(s->document().isRowHidden(m_table, 1501));
  // Tariff lines take the client's discount.
  EXPECT_EQ(cell(*s, 1500, 5), "5,00");
  EXPECT_EQ(cell(*s, 1500, 7), "128,25");
  // The next line goes above the same row, after the first.
  ASSERT_TRUE(e.pick(EntrySource::Options, "OPT1"));
  ASSERT_TRUE(e.insert());
  EXPECT_EQ(cell(*s, 1501, 1), "OPT1");
  EXPECT_EQ(cell(*s, 1502, 1), "L1500");
  s->setChangeListener(nullptr);
}

TEST_F(LineEntryTest, QuestionsBeforeWriting) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  LineEntry e(*s);
  const QString zero = "Quantité égale à 0 ?";
  const QString compose = "Voulez-vous composer la décomposition de l'article PORTAIL ?";
  const QString use = "Voulez-vous utiliser la décomposition de l'article PORTAIL ?";
  const QString classZero =
      "Classe de remise CL0: Taux de remise à 0% pour cet article et cette catégorie de "
      "client.\nPar défaut la remise client sera appliquée.\n Appliquer ce taux de remise 0% ? ";
  struct Case {
    const char* name;
    bool atEnd;
    QString code, quantity;
    QList<Answer> answers;
    QStringList questions;
    QStringList written;  // codes of the rows written, in order
    QString discount, net;
  } cases[] = {
      {"no quantity, cancelled", false, "OPT1", "0", {Answer::Cancel}, {zero}, {}, "", ""},
      {"no quantity, confirmed", false, "OPT1", "", {Answer::Ok}, {zero}, {"OPT1"}, "", ""},
      {"components, cancelled", false, "PORTAIL", "1", {Answer::Cancel}, {compose}, {}, "", ""},
      {"components, no",
       false,
       "PORTAIL",
       "1",
       {Answer::No},
       {compose},
       {"PORTAIL"},
       "5,00",
       "855,00"},
      // The bill goes above the cursor, its components without discount.
      {"components, yes",
       false,
       "PORTAIL",
       "3",
       {Answer::Yes},
       {compose},
       {"PORTAIL", "   VIS|6,000"},
       "5,00",
       "2 565,00"},
      {"at the end, components, yes",
       true,
       "PORTAIL",
       "1",
       {Answer::Yes},
       {use},
       {"PORTAIL", "   VIS|2,000"},
       "5,00",
       "855,00"},
      {"at the end, components, no",
       true,
       "PORTAIL",
       "1",
       {Answer::No},
       {use},
       {"PORTAIL"},
       "5,00",
       "855,00"},
      {"at the end, components, cancelled",
       true,
       "PORTAIL",
       "1",
       {Answer::Cancel},
       {use},
       {},
       "",
       ""},
      // A class rate of 0 refused: the client's discount applies.
      {"class rate 0, no", false, "VIS", "2", {Answer::No}, {classZero}, {"VIS"}, "5,00", "23,76"},
      {"class rate 0, yes", false, "VIS", "2", {Answer::Yes}, {classZero}, {"VIS"}, "", "25,00"},
      {"class rate 12", true, "TOLE", "1", {}, {}, {"TOLE"}, "12,00", "17,60"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(e.pick(c.code == "OPT1" ? EntrySource::Options : EntrySource::Stock, c.code));
    e.setText("CTX_QTE", c.quantity);
    m_messages.clear();
    m_messages.script(c.answers);
    const int rows = s->document().rowCount(m_table);
    const Cursor before = s->cursor();
    EXPECT_EQ(c.atEnd ? e.append() : e.insert(), !c.written.isEmpty());
    EXPECT_EQ(m_messages.texts(), c.questions);
    ASSERT_EQ(s->document().rowCount(m_table), rows + c.written.size());
    // Rows inserted above the cursor push it down; rows added at the end leave it.
    EXPECT_EQ(s->cursor().row, before.row + (c.atEnd ? 0 : c.written.size()));
    if (c.written.isEmpty()) continue;
    const int first = c.atEnd ? rows + 1 : before.row;
    for (int i = 0; i < c.written.size(); ++i) {
      const QStringList expected = c.written[i].split('|');
      EXPECT_EQ(cell(*s, first + i, 1), expected[0]);
      if (expected.size() > 1) {
        EXPECT_EQ(cell(*s, first + i, 3), expected[1]);
        EXPECT_EQ(cell(*s, first + i, 5), "");
      }
    }
    EXPECT_EQ(cell(*s, first, 5), c.discount);
    EXPECT_EQ(cell(*s, first, 7), c.net);
  }
}

TEST_F(LineEntryTest, AddingAtTheEndListsOptionsAndIgnoresEmptyLines) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  LineEntry e(*s);
  ASSERT_TRUE(e.pick(EntrySource::Options, "OPT1"));
  e.setText("CTX_QTE", "1");
  // An option needs no table: its label goes below those listed at OPTIONS.
  ASSERT_TRUE(s->setCursor(1, 1));
  ASSERT_TRUE(e.append());
  e.setText("CTX_TPRO_LIB", "Garantie 3 ans");
  ASSERT_TRUE(e.append());
  const QString body = s->document().bodyText();
  EXPECT_GT(body.indexOf("Garantie 3 ans"), body.indexOf("Peinture")) << body.toStdString();
  EXPECT_EQ(s->document().rowCount(m_table), 3);

  struct Case {
    const char* name;
    QString code, type, designation;
    QStringList messages;
  } cases[] = {
      {"nothing to write", "", "A", "", {}},
      {"not in a table", "VIS", "A", "Vis", {"Le curseur doit être positionné dans un tableau."}},
      {"unknown manufactured article",
       "NOPE",
       "F",
       "?",
       {"Erreur interne : article introuvable : NOPE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(s->setCursor(c.code == "VIS" ? 1 : m_table, 1));
    e.setText("CTX_CODART", c.code);
    e.setText("CTX_TYPE", c.type);
    e.setText("CTX_TPRO_LIB", c.designation);
    m_messages.clear();
    EXPECT_FALSE(e.append());
    EXPECT_EQ(m_messages.texts(), c.messages);
    EXPECT_EQ(s->document().rowCount(m_table), 3);
  }
}

TEST_F(LineEntryTest, InsertionNeedsALineTable) {
  auto s = openQuote();
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->subTotal());
  LineEntry e(*s);
  ASSERT_TRUE(e.pick(EntrySource::Options, "OPT1"));
  e.setText("CTX_QTE", "1");
  ASSERT_TRUE(s->setCursor(m_table + 1, 1));
  m_messages.clear();
  EXPECT_FALSE(e.insert());
  EXPECT_EQ(m_messages.texts(), QStringList{"Vous êtes positionné dans un tableau de sous-total"});
  ASSERT_TRUE(s->setCursor(1, 1));  // the header
  EXPECT_FALSE(e.insert());
  EXPECT_EQ(m_messages.texts().value(1), "Le curseur doit être positionné dans un tableau.");
  EXPECT_EQ(s->document().rowCount(m_table), 3);
}

TEST(LineEntryLists, TypingPositionsAtTheFirstCodeAtOrAfter) {
  const QStringList codes = {"ABC", "B12", "B20", "TOLE", "VIS"};
  const struct {
    QString typed;
    int row;
  } cases[] = {{"", 0}, {"b", 1}, {"B2", 2}, {"C", 3}, {"TZ", 4}, {"Z", 4}};
  for (const auto& c : cases)
    EXPECT_EQ(firstCodeAtOrAfter(codes, c.typed), c.row) << c.typed.toStdString();
  EXPECT_EQ(firstCodeAtOrAfter({}, "A"), -1);
}

}  // namespace
}  // namespace tarovent::composition
