#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "../composition/FamilyFixture.h"
#include "../ui/UiTestSupport.h"
#include "stock/CompositeCode.h"
#include "stock/FCOMPART.h"

namespace tarovent::stock {
namespace {

using Kind = CodeSegment::Kind;

TEST(CompositeCode, EachSegmentIsCheckedAndPadded) {
  const struct {
    CodeSegment segment;
    QString typed, result, message;
  } cases[] = {
      {{Kind::Number, 6, 2, {}}, "1.25", "001.25", ""},
      {{Kind::Number, 6, 2, {}}, "12", "012.00", ""},
      {{Kind::Number, 6, 2, {}}, "12.345", "", "Maximum 2 décimales"},
      {{Kind::Number, 6, 2, {}}, "1234.5", "", "Longueur limitée à 6 (chiffres ou .)"},
      {{Kind::Number, 6, 2, {}}, "1,5", "", "Champ numérique (chiffres ou .)"},
      {{Kind::Number, 4, 0, {}}, "7", "0007", ""},
      {{Kind::Number, 4, 0, {}}, "7.0", "", "Un nombre entier est attendu"},
      {{Kind::Number, 4, 0, {}}, "-7", "", "Champ numérique (chiffres ou .)"},
      {{Kind::Text, 3, 0, {}}, "INX", "INX", ""},
      {{Kind::Text, 3, 0, {}}, "IN", "", "Longueur obligatoire : 3 caractères"},
      {{Kind::Text, 3, 0, {}}, "INOX", "", "Longueur obligatoire : 3 caractères"},
      {{Kind::Constant, 1, 0, "X"}, "", "X", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    ui::ScriptedResponder messages;
    const auto value = checkSegment(c.segment, c.typed, messages);
    EXPECT_EQ(value.value_or(QString()), c.result);
    EXPECT_EQ(messages.texts().value(0), c.message);
  }
}

class FcompartTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    db::Database& stock = m_state->base(core::entry::Stock).db;
    for (const char* row : {"'TUBE', 1, 'Diamètre', 'N', 6, 2", "'TUBE', 2, 'X', 'K', 1, 0",
                            "'TUBE', 3, 'Matière', 'C', 3, 0", "'TUBEX', 1, 'Autre', 'C', 1, 0"})
      stock.Execute(QStringLiteral("INSERT INTO TFAM_DETAIL (TFAM_DETAIL_CODE, TFAM_DETAIL_NUM, "
                                   "TFAM_DETAIL_TITRE, TFAM_DETAIL_TYPE, TFAM_DETAIL_LONG, "
                                   "TFAM_DETAIL_NBRDEC) VALUES (%1)")
                        .arg(row));
  }
  QLineEdit* box(QWidget* w, int n) {
    return w->findChild<QLineEdit*>(QStringLiteral("CTX_SEGMENT_%1").arg(n));
  }
};

TEST_F(FcompartTest, ComposesTheCodePassingTheConstantByAndHandsItBack) {
  m_state->compositeCode = "TUBE";
  FCOMPART w(*m_state);
  test::showActive(&w);
  EXPECT_FALSE(box(&w, 4)->isVisibleTo(&w));
  box(&w, 1)->setFocus();
  test::typeText(box(&w, 1), "12.5");
  test::pressKey(box(&w, 1), Qt::Key_Return);
  EXPECT_EQ(box(&w, 1)->text(), "012.50");
  EXPECT_EQ(QApplication::focusWidget(), box(&w, 3));  // not the constant's box
  test::typeText(box(&w, 3), "INX");
  test::pressKey(box(&w, 3), Qt::Key_Return);
  EXPECT_EQ(w.findChild<QLineEdit*>("CTX_SUITE_CODE")->text(), "012.50XINX");
  EXPECT_EQ(m_state->compositeCode, "TUBE");  // until OK
  w.findChild<QPushButton*>("Cmd_OK")->click();
  EXPECT_EQ(m_state->compositeCode, "012.50XINX");
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

// Values typed without Enter are checked and padded by OK: a code breaking the family's rules
// never goes back to line entry.
TEST_F(FcompartTest, OkChecksAndPadsEverySegment) {
  m_state->compositeCode = "TUBE";
  FCOMPART w(*m_state);
  test::showActive(&w);
  box(&w, 1)->setText("7.5");
  box(&w, 3)->setText("IN");
  w.findChild<QPushButton*>("Cmd_OK")->click();
  EXPECT_EQ(m_state->compositeCode, "TUBE");
  EXPECT_EQ(m_messages.texts(), QStringList{"Longueur obligatoire : 3 caractères"});
  EXPECT_EQ(QApplication::focusWidget(), box(&w, 3));
  box(&w, 3)->setText("INX");
  w.findChild<QPushButton*>("Cmd_OK")->click();
  EXPECT_EQ(m_state->compositeCode, "007.50XINX");
}

TEST_F(FcompartTest, RefusedValueKeepsTheFocusAndAFamilyWithoutDefinitionSaysSo) {
  m_state->compositeCode = "TUBE";
  {
    FCOMPART w(*m_state);
    test::showActive(&w);
    box(&w, 3)->setFocus();
    test::typeText(box(&w, 3), "IN");
    test::pressKey(box(&w, 3), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), box(&w, 3));
    EXPECT_EQ(m_messages.texts(), QStringList{"Longueur obligatoire : 3 caractères"});
    w.findChild<QPushButton*>("Cmd_Annuler")->click();
    EXPECT_EQ(box(&w, 3)->text(), "");
    EXPECT_EQ(box(&w, 2)->text(), "X");
  }
  m_messages.clear();
  m_state->compositeCode = "VIS";
  FCOMPART none(*m_state);
  EXPECT_EQ(m_messages.texts(),
            QStringList{"La définition du code article n'a pas été saisie pour la famille VIS"});
}

}  // namespace
}  // namespace tarovent::stock
