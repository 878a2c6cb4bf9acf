#include <gtest/gtest.h>

#include "ChangeLog.h"
#include "EntryFixture.h"
#include "composition/LineEntry.h"
#include "core/ProcessState.h"

namespace tarovent::composition {
namespace {

using ui::Answer;

class LineEntryTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    m_session = openQuote();
    ASSERT_TRUE(m_session);
    m_entry = std::make_unique<LineEntry>(*m_session);
  }
  // Types `text` into a field and leaves it.
  LeaveOutcome typeAndLeave(const QString& field, const QString& text) {
    m_entry->setText(field, text);
    return m_entry->leave(field);
  }

  std::unique_ptr<CompositionSession> m_session;
  std::unique_ptr<LineEntry> m_entry;
};

TEST_F(LineEntryTest, PickFillsTheFieldsFromEachSource) {
  LineEntry& e = *m_entry;
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
    ASSERT_TRUE(e.pick(c.source, c.code));
    EXPECT_EQ(QStringList({e.text("CTX_TYPE"), e.text("CTX_TPRO_LIB"), e.text("CTX_TPRO_PU"),
                           e.text("CTX_TPRO_PU_Bis"), e.text("CTX_PDR")}),
              QStringList({c.type, c.designation, c.price, c.alt, c.cost}));
  }
  EXPECT_EQ(e.text("CTX_CODART") + " " + e.text("CTX_CODFOURN"), "R-12 F1");
  EXPECT_TRUE(m_messages.texts().isEmpty());
  EXPECT_FALSE(e.pick(EntrySource::Stock, "DISPARU"));
  EXPECT_EQ(m_messages.texts(), QStringList{"Erreur interne : article introuvable : DISPARU"});
  EXPECT_EQ(e.text("CTX_CODART"), "R-12");  // the fields keep the last line
}

TEST_F(LineEntryTest, LeavingTheQuantityPricesFromTheBreaks) {
  LineEntry& e = *m_entry;
  ASSERT_TRUE(e.pick(EntrySource::Stock, "TOLE"));
  // Breaks bounded 10 and 50: a quantity equal to a bound is priced from the next break.
  const struct {
    QString typed, shown;  // quantity, then price and price 2 as shown
  } cases[] = {
      {"9", "9 9,00 8,00"}, {"10", "10 7,00 6,00"}, {"49", "49 7,00 6,00"}, {"", "0 9,00 8,00"}};
  const auto shown = [&] {
    return e.text("CTX_QTE") + " " + e.text("CTX_TPRO_PU") + " " + e.text("CTX_TPRO_PU_Bis");
  };
  for (const auto& c : cases) {
    EXPECT_EQ(typeAndLeave("CTX_QTE", c.typed), LeaveOutcome::Nothing);
    EXPECT_EQ(shown(), c.shown);
  }
  // Mode P shows price 2 first.
  ASSERT_TRUE(m_session->setTariffModes("P", "V"));
  typeAndLeave("CTX_QTE", "12");
  EXPECT_EQ(shown(), "12 6,00 7,00");
}

// The panel reaches the fields by their place in the list of names: the same texts as by
// name, the code typed there looked up when left, and nothing written outside the fields.
TEST_F(LineEntryTest, FieldsAreReachedByNameOrPlace) {
  LineEntry& e = *m_entry;
  const QStringList& names = LineEntry::fieldNames();
  ASSERT_EQ(names.size(), LineEntry::kFieldCount);
  for (int i = 0; i < names.size(); ++i) {
    ASSERT_EQ(LineEntry::fieldIndex(names[i]), i);
    ASSERT_TRUE(e.setText(i, "t" + QString::number(i)));
  }
  for (int i = 0; i < names.size(); ++i)
    EXPECT_EQ(e.text(names[i]), "t" + QString::number(i)) << names[i].toStdString();
  EXPECT_EQ(LineEntry::fieldIndex("CTX_INCONNU"), -1);
  EXPECT_EQ(LineEntry::fieldIndex("ctx_qte"), -1);  // names as the panel spells them
  EXPECT_FALSE(e.setText(-1, "x"));
  EXPECT_FALSE(e.setText(LineEntry::kFieldCount, "x"));
  EXPECT_FALSE(e.setText("CTX_INCONNU", "x"));
  EXPECT_EQ(e.text("CTX_INCONNU"), "");

  e.clear();
  ASSERT_TRUE(e.setText(LineEntry::fieldIndex("CTX_CODART"), "VIS"));
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Filled);
  EXPECT_EQ(e.text("CTX_TPRO_LIB"), "Vis M8");
  // The same code again is no change: nothing to look up.
  ASSERT_TRUE(e.setText(LineEntry::fieldIndex("CTX_CODART"), "VIS"));
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Nothing);
}

// A code typed over an article already shown and found nowhere keeps nothing of that article:
// writing it would give the new code the other article's designation and prices.
TEST_F(LineEntryTest, ACodeFoundNowhereForgetsTheArticleShownBefore) {
  const struct {
    EntrySource source;
    QString known, unknown;
  } cases[] = {{EntrySource::Stock, "VIS", "NOPE"},
               {EntrySource::Tariffs, "R-12", "R-99"},
               {EntrySource::Labour, "SOUD", "PEINTURE"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unknown.toStdString());
    LineEntry e(*m_session);
    e.setSource(c.source);
    e.setText("CTX_CODART", c.known);
    ASSERT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Filled);
    ASSERT_FALSE(e.text("CTX_TPRO_LIB").isEmpty());
    e.setText("CTX_QTE", "3");
    e.setText("CTX_CODART", c.unknown);
    e.leave("CTX_CODART");
    EXPECT_EQ(e.text("CTX_CODART"), c.unknown);
    EXPECT_EQ(e.text("CTX_QTE"), "3");
    for (const char* field : {"CTX_TPRO_LIB", "CTX_TPRO_PU", "CTX_PDR", "CTX_UNITE", "CTX_TYPE"})
      EXPECT_EQ(e.text(field), "") << field;
    // What the user types next is the line's own.
    e.setText("CTX_TPRO_LIB", "Pièce faite main");
    EXPECT_EQ(e.leave("CTX_TPRO_LIB"), LeaveOutcome::Nothing);
    EXPECT_EQ(e.text("CTX_TPRO_LIB"), "Pièce faite main");
  }
}

TEST_F(LineEntryTest, TypedCodesAreLookedUpInTheTreeSource) {
  const QString noCreation = "\nLa création n'est pas disponible ici.";
  const QString noStock = "Cet article n'existe pas en stock." + noCreation;
  const struct {
    EntrySource source;
    QString code;
    LeaveOutcome outcome;
    QString designation, message;
  } cases[] = {
      {EntrySource::Stock, "VIS", LeaveOutcome::Filled, "Vis M8", ""},
      {EntrySource::Stock, "NOPE", LeaveOutcome::NotFound, "", noStock},
      // Without the composite-code window a family code is looked up as an article.
      {EntrySource::Stock, "FAM", LeaveOutcome::NotFound, "", noStock},
      {EntrySource::Tariffs, "R-12", LeaveOutcome::Filled, "Roulement", ""},
      {EntrySource::Tariffs, "R-99", LeaveOutcome::NotFound, "",
       "Cet article n'existe pas en tarif." + noCreation},
      {EntrySource::Options, "OPT1", LeaveOutcome::Nothing, "", ""},
      // A labour section typed with or without its prefix is the section; another code stays
      // a free line.
      {EntrySource::Labour, "SOUD", LeaveOutcome::Filled, "Soudure", ""},
      {EntrySource::Labour, "mo*SOUD", LeaveOutcome::Filled, "Soudure", ""},
      {EntrySource::Labour, "MO*", LeaveOutcome::Nothing, "", ""},
      {EntrySource::Labour, "PEINTURE", LeaveOutcome::Nothing, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code.toStdString());
    LineEntry e(*m_session);
    m_messages.clear();
    e.setSource(c.source);
    e.setText("CTX_CODART", c.code);
    EXPECT_EQ(e.leave("CTX_CODART"), c.outcome);
    EXPECT_EQ(e.text("CTX_TPRO_LIB"), c.designation);
    EXPECT_EQ(m_messages.texts().join('|'), c.message);
    if (c.outcome == LeaveOutcome::Filled && c.source == EntrySource::Labour) {
      EXPECT_EQ(e.text("CTX_CODART"), "MO*SOUD");
    }
    // Leaving again without a change looks nothing up.
    EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Nothing);
  }

  // With the windows in the program: the family goes to the composite-code window, a missing
  // article to the creation form when the user says yes.
  registerWindows({"FCOMPART", "FCREART"});
  LineEntry e(*m_session);
  m_messages.clear();
  e.setText("CTX_CODART", "FAM");
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::WindowOpened);
  EXPECT_EQ(m_state->compositeCode, "FAM");
  m_messages.script({Answer::Yes});
  e.setText("CTX_CODART", "NOPE");
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::WindowOpened);
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
  EXPECT_EQ(e.leave("CTX_CODART"), LeaveOutcome::Filled);

  // A base that is not configured looks nothing up.
  m_state->base(core::entry::Stock).folder.clear();
  LineEntry off(*m_session);
  EXPECT_FALSE(off.lookupEnabled(EntrySource::Stock));
  off.setText("CTX_CODART", "TOLE");
  EXPECT_EQ(off.leave("CTX_CODART"), LeaveOutcome::Nothing);
  EXPECT_EQ(off.text("CTX_TPRO_LIB"), "");
}

TEST_F(LineEntryTest, InsertionAboveTheCursorTellsTheListenerOneRow) {
  m_entry.reset();
  m_session.reset();
  auto s = openQuote(2000);
  ASSERT_TRUE(s);
  fixtures::ChangeLog views;
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
  EXPECT_EQ(s->document().bookmarkCell("SAVEPOS")->row, 1501);
  // The new line does not take the hidden format of the row it was copied from.
  EXPECT_FALSE(s->document().isRowHidden(m_table, 1500));
  EXPECT_TRUE(s->document().isRowHidden(m_table, 1501));
  // Tariff lines take the client's discount.
  EXPECT_EQ(cell(*s, 1500, 5) + " " + cell(*s, 1500, 7), "5,00 128,25");
  // The next line goes above the same row, after the first.
  ASSERT_TRUE(e.pick(EntrySource::Options, "OPT1"));
  e.setText("CTX_QTE", "1");
  ASSERT_TRUE(e.insert());
  EXPECT_EQ(cell(*s, 1500, 1) + " " + cell(*s, 1501, 1) + " " + cell(*s, 1502, 1),
            "R-12 OPT1 L1500");
  s->setChangeListener(nullptr);
}

TEST_F(LineEntryTest, QuestionsBeforeWriting) {
  const QString zero = "Quantité égale à 0 ?";
  const QString compose = "Voulez-vous composer la décomposition de l'article PORTAIL ?";
  const QString use = "Voulez-vous utiliser la décomposition de l'article PORTAIL ?";
  const QString classZero =
      "Classe de remise CL0: Taux de remise à 0% pour cet article et cette catégorie de "
      "client.\nPar défaut la remise client sera appliquée.\n Appliquer ce taux de remise 0% ? ";
  const QString portail = "PORTAIL||5,00|855,00";
  // Rows written, in order: code|quantity|discount|net, the discount and net of the first.
  const struct {
    bool atEnd;
    QString code, quantity;
    Answer answer;
    QString question, written;
  } cases[] = {
      {false, "OPT1", "0", Answer::Cancel, zero, ""},
      {false, "OPT1", "", Answer::Ok, zero, "OPT1|||"},
      {false, "PORTAIL", "1", Answer::Cancel, compose, ""},
      {false, "PORTAIL", "1", Answer::No, compose, portail},
      // The bill goes above the cursor, its components without discount.
      {false, "PORTAIL", "3", Answer::Yes, compose, "PORTAIL||5,00|2 565,00;   VIS|6,000||"},
      {true, "PORTAIL", "1", Answer::Yes, use, portail + ";   VIS|2,000||"},
      {true, "PORTAIL", "1", Answer::No, use, portail},
      {true, "PORTAIL", "1", Answer::Cancel, use, ""},
      // A class rate of 0 refused: the client's discount applies.
      {false, "VIS", "2", Answer::No, classZero, "VIS||5,00|23,76"},
      {false, "VIS", "2", Answer::Yes, classZero, "VIS|||25,00"},
      {true, "TOLE", "1", Answer::Ok, "", "TOLE||12,00|17,60"},
  };
  CompositionSession& s = *m_session;
  for (const auto& c : cases) {
    SCOPED_TRACE((c.code + " " + c.written).toStdString());
    ASSERT_TRUE(
        m_entry->pick(c.code == "OPT1" ? EntrySource::Options : EntrySource::Stock, c.code));
    m_entry->setText("CTX_QTE", c.quantity);
    m_messages.clear();
    m_messages.setFallback(c.answer);
    const int rows = s.document().rowCount(m_table);
    const Cursor before = s.cursor();
    const QStringList written = c.written.isEmpty() ? QStringList() : c.written.split(';');
    EXPECT_EQ(c.atEnd ? m_entry->append() : m_entry->insert(), !written.isEmpty());
    EXPECT_EQ(m_messages.texts().join('|'), c.question);
    ASSERT_EQ(s.document().rowCount(m_table), rows + written.size());
    // Rows inserted above the cursor push it down; rows added at the end leave it.
    EXPECT_EQ(s.cursor().row, before.row + (c.atEnd ? 0 : written.size()));
    const int first = c.atEnd ? rows + 1 : before.row;
    for (int i = 0; i < written.size(); ++i) {
      const QStringList expected = written[i].split('|');
      EXPECT_EQ(cell(s, first + i, 1), expected[0]);
      if (!expected[1].isEmpty()) {
        EXPECT_EQ(cell(s, first + i, 3), expected[1]);
      }
      EXPECT_EQ(cell(s, first + i, 5) + "|" + cell(s, first + i, 7),
                expected[2] + "|" + expected[3]);
    }
  }
}

TEST_F(LineEntryTest, AddingAtTheEndListsOptionsAndIgnoresEmptyLines) {
  CompositionSession& s = *m_session;
  LineEntry& e = *m_entry;
  ASSERT_TRUE(e.pick(EntrySource::Options, "OPT1"));
  e.setText("CTX_QTE", "1");
  // An option needs no table: its label goes below those listed at OPTIONS.
  ASSERT_TRUE(s.setCursor(1, 1));
  ASSERT_TRUE(e.append());
  e.setText("CTX_TYPE", "O");
  e.setText("CTX_TPRO_LIB", "Garantie 3 ans");
  e.setText("CTX_QTE", "1");
  ASSERT_TRUE(e.append());
  const QString body = s.document().bodyText();
  EXPECT_GT(body.indexOf("Garantie 3 ans"), body.indexOf("Peinture")) << body.toStdString();

  const struct {
    QString code, type, designation, message;
  } cases[] = {
      {"", "A", "", ""},  // nothing to write
      {"VIS", "A", "Vis", "Le curseur doit être positionné dans un tableau."},
      {"NOPE", "F", "?", "Erreur interne : article introuvable : NOPE"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(s.setCursor(c.code == "VIS" ? 1 : m_table, 1));
    e.setText("CTX_CODART", c.code);
    e.setText("CTX_TYPE", c.type);
    e.setText("CTX_TPRO_LIB", c.designation);
    e.setText("CTX_QTE", "1");
    m_messages.clear();
    EXPECT_FALSE(e.append());
    EXPECT_EQ(m_messages.texts().join('|'), c.message);
  }

  // Insertion needs a line table: neither a sub-total table nor the header will do.
  ASSERT_TRUE(s.setCursor(m_table, 1));
  ASSERT_TRUE(s.subTotal());
  ASSERT_TRUE(e.pick(EntrySource::Options, "OPT1"));
  e.setText("CTX_QTE", "1");
  m_messages.clear();
  for (int table : {m_table + 1, 1}) {
    ASSERT_TRUE(s.setCursor(table, 1));
    EXPECT_FALSE(e.insert());
  }
  EXPECT_EQ(m_messages.texts(), (QStringList{"Vous êtes positionné dans un tableau de sous-total",
                                             "Le curseur doit être positionné dans un tableau."}));
  EXPECT_EQ(s.document().rowCount(m_table), 3);
}

TEST_F(LineEntryTest, NumbersAreReadWholeOrRefused) {
  LineEntry& e = *m_entry;
  ASSERT_TRUE(e.pick(EntrySource::Stock, "TOLE"));
  EXPECT_EQ(typeAndLeave("CTX_QTE", "2"), LeaveOutcome::Nothing);
  // What a French user types, thousands and decimals alike.
  for (const QString typed : {"1 234,50", "1.234,50", "1234,5", "1234.5", "1,234.50", "+1234,50"}) {
    SCOPED_TRACE(typed.toStdString());
    EXPECT_EQ(typeAndLeave("CTX_TPRO_PU", typed), LeaveOutcome::Nothing);
    EXPECT_EQ(e.text("CTX_TPRO_PU"), "1 234,50");
  }
  EXPECT_TRUE(m_messages.texts().isEmpty());

  // Anything else is refused as typed, with its message, in every number field.
  const struct {
    QString field, typed, message;
  } refused[] = {
      {"CTX_QTE", "12abc", "Quantité : « 12abc » n'est pas un nombre."},
      {"CTX_TPRO_PU", "1,2,3", "Prix unitaire : « 1,2,3 » n'est pas un nombre."},
      {"CTX_TPRO_PU_Bis", "9 €", "Autre prix : « 9 € » n'est pas un nombre."},
      {"CTX_PDR", "1e3", "Prix de revient : « 1e3 » n'est pas un nombre."},
      {"CTX_POIDS", "2kg", "Poids : « 2kg » n'est pas un nombre."},
      {"CTX_TXTVA", "20%", "Taux de TVA : « 20% » n'est pas un nombre."},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.field.toStdString());
    const QString before = e.text("CTX_TPRO_PU");
    m_messages.clear();
    EXPECT_EQ(typeAndLeave(r.field, r.typed), LeaveOutcome::Refused);
    EXPECT_EQ(e.text(r.field), r.typed);
    EXPECT_EQ(e.text("CTX_TPRO_PU"), r.field == "CTX_TPRO_PU" ? r.typed : before);
    ASSERT_EQ(m_messages.texts().size(), 1);
    EXPECT_TRUE(m_messages.texts()[0].startsWith(r.message)) << m_messages.texts()[0].toStdString();
    // Nothing is written from it, and no question is asked about a quantity read as 0.
    m_messages.clear();
    EXPECT_FALSE(e.insert());
    EXPECT_FALSE(e.append());
    EXPECT_EQ(m_messages.texts().size(), 2);
    EXPECT_FALSE(m_messages.texts().join('|').contains("Quantité égale à 0"));
    EXPECT_EQ(m_session->document().rowCount(m_table), 3);
    e.setText(r.field, r.field == "CTX_QTE" ? "2" : r.field == "CTX_TPRO_PU" ? "1234,5" : "");
  }

  // Written as read; then the fields are emptied, so a second insertion writes nothing.
  ASSERT_TRUE(e.insert());
  EXPECT_EQ(cell(*m_session, 1, 1) + "|" + cell(*m_session, 1, 3) + "|" + cell(*m_session, 1, 4) +
                "|" + cell(*m_session, 1, 7),
            "TOLE|2,000|1 234,50|2 172,72");
  for (const QString& f : LineEntry::fieldNames())
    EXPECT_EQ(e.text(f), f == "CTX_TXTVA" ? m_session->vatField() : "")
        << f.toStdString();
  m_messages.clear();
  EXPECT_FALSE(e.insert());
  EXPECT_FALSE(e.append());
  EXPECT_TRUE(m_messages.texts().isEmpty());
  EXPECT_EQ(m_session->document().rowCount(m_table), 4);
}

// Quantity, price and discount of a written line changed in place, priced as line entry
// prices them, only that line recomputed.
TEST_F(LineEntryTest, AWrittenLineIsChangedInPlace) {
  CompositionSession& s = *m_session;
  ASSERT_TRUE(m_entry->pick(EntrySource::Stock, "TOLE"));
  m_entry->setText("CTX_QTE", "2");
  ASSERT_TRUE(m_entry->insert());
  const auto row = [&](int r) {
    QStringList cells;
    for (int c = 3; c <= 7; ++c) cells << cell(s, r, c);
    return cells.join('|');
  };
  EXPECT_EQ(row(1), "2,000|20,00|12,00|17,60|35,20");
  ASSERT_TRUE(s.setCursor(m_table, 1));
  const std::optional<LineChange> shown = s.lineAtCursor();
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->price + "|" + shown->discount, "20,00|12,00");

  const struct {
    LineChange typed;
    QString cells, message;
  } cases[] = {
      // A new quantity takes the price breaks: 12 is in the break bounded 50.
      {{"12", "20,00", "12"}, "12,000|7,00|12,00|6,16|73,92", ""},
      // A price typed stays, French thousands and all; no discount leaves its cell empty.
      {{"12", "1.234,50", ""}, "12,000|1 234,50||1 234,50|14 814,00", ""},
      {{"12x", "1", ""},
       "12,000|1 234,50||1 234,50|14 814,00",
       "Quantité : « 12x » n'est pas un nombre."},
      {{"1", "5", "1,2,3"},
       "12,000|1 234,50||1 234,50|14 814,00",
       "Remise % : « 1,2,3 » n'est pas un nombre."},
      {{"0", "5", ""}, "||||", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cells.toStdString());
    m_messages.clear();
    EXPECT_EQ(s.changeLine(c.typed), c.message.isEmpty());
    EXPECT_EQ(row(1), c.cells);
    EXPECT_EQ(m_messages.texts().join('|').section('\n', 0, 0), c.message);
  }
  // The other lines are left as they were; a price under the floor goes back up to it.
  EXPECT_EQ(row(2), "1|10||10|10");
  ASSERT_TRUE(m_entry->pick(EntrySource::Stock, "VIS"));
  m_entry->setText("CTX_QTE", "1");
  m_messages.setFallback(Answer::Yes);
  ASSERT_TRUE(m_entry->insert());
  ASSERT_TRUE(s.setCursor(m_table, 1));
  ASSERT_EQ(cell(s, 1, 1), "VIS");
  m_messages.clear();
  EXPECT_TRUE(s.changeLine({"1", "15", ""}));
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].startsWith("Le prix plancher est de 20"));
  EXPECT_EQ(cell(s, 1, 4), "20,00");
}

// Opened again, the next line goes after the last one written, not above the first.
TEST_F(LineEntryTest, TheCursorWaitsAfterTheLastLine) {
  CompositionSession& s = *m_session;
  EXPECT_EQ(s.endOfLines(), (Cursor{m_table, 3}));  // every row written: the last one
  s.document().appendRow(m_table);
  EXPECT_EQ(s.endOfLines(), (Cursor{m_table, 4}));
}

// A quote whose last table is full of lines gets, at opening, an empty row after them for the
// next line; that row alone does not ask to save, and a second opening adds no other.
TEST_F(LineEntryTest, OpeningAFullTableAddsTheRowOfTheNextLine) {
  CompositionSession& s = *m_session;
  s.document().setModified(false);
  EXPECT_EQ(s.openAfterLines(), (Cursor{m_table, 4}));
  EXPECT_EQ(s.document().rowCount(m_table), 4);
  EXPECT_FALSE(s.document().isModified());
  EXPECT_EQ(s.openAfterLines(), (Cursor{m_table, 4}));
  EXPECT_EQ(s.document().rowCount(m_table), 4);
  ASSERT_TRUE(s.setCursor(m_table, 4));
  ASSERT_TRUE(m_entry->pick(EntrySource::Stock, "VIS"));
  m_entry->setText("CTX_QTE", "1");
  m_messages.setFallback(Answer::Yes);
  ASSERT_TRUE(m_entry->insert());
  EXPECT_EQ(cell(s, 4, 1), "VIS");
  EXPECT_EQ(cell(s, 5, 1), "");
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
