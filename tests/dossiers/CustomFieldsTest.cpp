#include "DossierTestSupport.h"
#include "dossiers/CustomFieldRules.h"
#include "dossiers/CustomFields.h"

namespace tarovent::dossiers {
namespace {

CustomFieldDefinition number(int decimals) { return {"Compteur", "N", 15, decimals, {}}; }

TEST(CustomValue, NumbersTakeSpacedThousandsAndTheirDecimals) {
  EXPECT_EQ(formatCustomValue(number(2), "1234,5", ','), "1 234,50");
  EXPECT_EQ(formatCustomValue(number(2), "1234.5", '.'), "1 234.50");
  EXPECT_EQ(formatCustomValue(number(0), "1234,5", ','), "1 235");
  EXPECT_EQ(formatCustomValue(number(0), "12345678", ','), "12 345 678");
  EXPECT_EQ(formatCustomValue(number(3), "-0,5", ','), "-0,500");
  EXPECT_EQ(formatCustomValue(number(2), "1 234,5", ','), "1 234,50");  // formatted again
  EXPECT_EQ(formatCustomValue(number(2), "", ','), "");
}

TEST(CustomValue, DatesAreReadAndWrittenBack) {
  const CustomFieldDefinition date{"Livraison", "D", 10, 0, {}};
  EXPECT_EQ(formatCustomValue(date, "3/2/26", ','), "03/02/2026");
  EXPECT_EQ(formatCustomValue(date, "03.02.1998", ','), "03/02/1998");
  EXPECT_EQ(formatCustomValue(date, "030226", ','), "03/02/2026");
  bool ok = true;
  EXPECT_EQ(formatCustomValue(date, "31/02/26", ',', &ok), "31/02/26");
  EXPECT_FALSE(ok);
  const CustomFieldDefinition text{"Atelier", "C", 20, 0, {}};
  EXPECT_EQ(formatCustomValue(text, "1234.5", ','), "1234.5");
}

// A definition row as its boxes show it: kind|length|decimals, then the boxes left open.
QString shown(const DefinitionRow& r) {
  return r.kind + '|' + r.length + '|' + r.decimals + (r.lengthEnabled ? " L" : "") +
         (r.decimalsEnabled ? " D" : "");
}

TEST(DefinitionRules, KindSetsLengthAndDecimals) {
  const struct {
    DefinitionRow row;
    bool beeps;
    const char* shown;
  } cases[] = {
      {{"Atelier", "c", "80", "3"}, false, "C|50|0 L"},  // no longer than the field
      {{"Poids", "n", "80", "2"}, false, "N|15|2 D"},
      {{"Livraison", "D", "80", "2"}, false, "D|10|0"},
      {{"Atelier", "", "12", "0"}, true, "C|12|0 L"},      // becomes text
      {{"Atelier", "x", "12", "0"}, false, "X|12|0 L D"},  // unknown: left as typed
  };
  for (auto c : cases) {
    EXPECT_EQ(leaveKind(c.row, 50), c.beeps) << c.shown;
    EXPECT_EQ(shown(c.row), c.shown);
  }
}

TEST(DefinitionRules, EmptyLabelSwitchesTheFieldOff) {
  DefinitionRow row{" ", "N", "15", "2"};
  leaveLabel(row, 50);
  EXPECT_EQ(row.kind + '|' + row.length + '|' + row.decimals, "|0|0");
  row.kind = "C";
  leaveKind(row, 50);
  EXPECT_EQ(row.kind, "");
  EXPECT_FALSE(row.kindEnabled || row.lengthEnabled || row.decimalsEnabled);
  // Typed again, the label gives the kind box back.
  row.label = "Atelier";
  leaveLabel(row, 50);
  EXPECT_TRUE(row.kindEnabled);
}

TEST(DefinitionRules, LengthAndDecimalsBoxes) {
  DefinitionRow row{"Atelier", "C", "", ""};
  leaveLength(row, 50);
  leaveDecimals(row);
  EXPECT_EQ(row.length + row.decimals, "00");
  row.length = "51";
  leaveLength(row, 50);
  EXPECT_EQ(row.length, "50");
}

class CustomDefinitions : public test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    m_db.Execute("INSERT INTO TPAR (TPAR_Ver) VALUES ('1')");
    m_db.Execute(
        "UPDATE TPAR SET TPAR_LIBUSER1 = 'Atelier', TPAR_USER1_TYP = 'c', TPAR_USER1_LNG = 20, "
        "TPAR_USER1_TAB = 'TBUSER_ATELIER', TPAR_LIBUSER3 = 'Compteur', TPAR_USER3_TYP = 'N', "
        "TPAR_USER3_LNG = 15, TPAR_USER3_DEC = 1, TPAR_LIBUSER4 = 'Couleur', TPAR_USER4_TYP = "
        "'C', TPAR_USER4_TAB = 'TBUSER_ABSENTE'");
    install::applySchema(m_db, install::customValueTableSchema("TBUSER_ATELIER"));
    m_db.Execute("INSERT INTO TBUSER_ATELIER VALUES ('Tôlerie', 2)");
    m_db.Execute("INSERT INTO TBUSER_ATELIER VALUES ('Peinture', 1)");
  }
};

TEST_F(CustomDefinitions, LoadedWithTheirValueTables) {
  CustomFields f;
  f.load(m_db);
  EXPECT_EQ(f.definition(1).kind, "C");
  EXPECT_EQ(f.caption(1), "Atelier (F4)");
  EXPECT_TRUE(f.listed(1, "tôlerie"));  // as the key compares: case ignored
  EXPECT_FALSE(f.listed(1, "Sellerie"));
  EXPECT_EQ(f.choices(1), (QStringList{"Peinture", "Tôlerie"}));
  EXPECT_TRUE(f.listed(3, "anything"));
  // A table that does not exist counts as none.
  EXPECT_FALSE(f.hasValueTable(4));
  EXPECT_EQ(f.caption(4), "Couleur");
  EXPECT_FALSE(f.definition(2).used());
  EXPECT_TRUE(f.panelUsed());
  EXPECT_EQ(userFieldSize(m_db, 7), 50);
}

TEST_F(CustomDefinitions, PickListsSkipNullsAndMissingTables) {
  m_db.Execute("INSERT INTO TBUSER_LIBOPE VALUES ('Vidange', 2)");
  m_db.Execute("INSERT INTO TBUSER_LIBOPE VALUES ('Freins', 1)");
  EXPECT_EQ(pickListLines(m_db, "TBUSER_LIBOPE"), (QStringList{"", "Freins", "Vidange"}));
  m_db.Execute("DROP TABLE TBUSER_NATVEH");
  EXPECT_TRUE(pickListLines(m_db, "TBUSER_NATVEH").isEmpty());
}

}  // namespace
}  // namespace tarovent::dossiers
