#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "../composition/FamilyFixture.h"
#include "../ui/UiTestSupport.h"
#include "articles/CreationForms.h"
#include "articles/FNOMENC.h"
#include "platform/db/Database.h"

namespace tarovent::articles {
namespace {

class ArticleWindowsTest : public fixtures::FamilyTest {
 protected:
  void stock(const QString& sql) { m_state->base(core::entry::Stock).db.Execute(sql); }
};

TEST_F(ArticleWindowsTest, ArticleFormStartsFromLineEntryAndHandsTheCodeBack) {
  m_state->creationCode = "POMPE";
  m_state->creationLabel = "Pompe de relevage";
  FCREART w(*m_state);
  test::showActive(&w);
  const auto box = [&](const char* name) { return w.findChild<QLineEdit*>(name); };
  EXPECT_EQ(box("CTX_LIBART")->text(), "Pompe de relevage");
  EXPECT_EQ(box("CTX_UNITE")->text(), "UN");
  box("CTX_TYPE")->setFocus();
  box("CTX_TYPE")->setText("x");
  test::pressKey(box("CTX_TYPE"), Qt::Key_Return);  // leaves the box: refused
  EXPECT_EQ(m_messages.beeps(), 1);
  EXPECT_EQ(QApplication::focusWidget(), box("CTX_TYPE"));
  box("CTX_TYPE")->setText("a");
  box("CTX_PMP")->setText("100");
  box("CTX_COEFFRG")->setText("10");
  box("CTX_COEFU1")->setFocus();
  box("CTX_COEFU1")->setText("20");
  test::pressKey(box("CTX_COEFU1"), Qt::Key_Return);
  EXPECT_EQ(box("CTX_PVU1")->text(), "132,00");
  w.findChild<QPushButton*>("Cmd_Enregistrer")->click();
  EXPECT_EQ(m_state->createdCode, "POMPE");
  EXPECT_FALSE(m_state->base(core::entry::Stock)
                   .db.OpenRecordset("select * from TARTI where TARTI_CODART = 'POMPE'")
                   .EOF_());
}

TEST_F(ArticleWindowsTest, NomenclatureEditorAddsChecksAndDeletesLines) {
  stock("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type) VALUES ('P', 'Pompe', 'F')");
  stock("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type) VALUES ('A', 'Vis', 'A')");
  m_state->createdCode = "P";
  FNOMENC w(*m_state);
  QTableWidget* grid = w.grid();
  w.Ajouter_Composant();
  grid->item(0, FNOMENC::Code)->setText("A");
  EXPECT_EQ(grid->item(0, FNOMENC::Label)->text(), "Vis");
  w.Ajouter_Composant();
  m_messages.script({ui::Answer::Yes});
  grid->item(1, FNOMENC::Code)->setText("NEW");
  EXPECT_EQ(grid->item(1, FNOMENC::Type)->text(), "A");  // created on save
  grid->item(1, FNOMENC::Type)->setText("Z");
  EXPECT_EQ(m_messages.texts().last(), "Le type doit être M (main d'oeuvre) ou A/F (article)");
  grid->item(1, FNOMENC::Type)->setText("f");
  grid->setCurrentCell(1, FNOMENC::Code);
  w.Ajouter_Composant();
  grid->item(2, FNOMENC::Level)->setText("2");
  grid->setCurrentCell(1, FNOMENC::Code);
  m_messages.script({ui::Answer::Yes});
  test::pressKey(grid, Qt::Key_Delete);  // NEW goes with the line below it
  EXPECT_EQ(grid->rowCount(), 1);
  // Enter on the question keeps the line.
  EXPECT_EQ(m_messages.entries().last().defaultButton, 2);
  m_messages.script({ui::Answer::Ok});
  EXPECT_TRUE(w.save());
  EXPECT_FALSE(m_state->base(core::entry::Stock)
                   .db
                   .OpenRecordset("select * from TLIEN where TLIEN_PERE = 'P' and "
                                  "TLIEN_FILS = 'A'")
                   .EOF_());
}

TEST_F(ArticleWindowsTest, NomenclatureListsHandTheChosenCodeToTheLine) {
  for (const char* a : {"'P', 'Pompe', 'F'", "'A', 'Vis', 'A'", "'B', 'Bague', 'A'"})
    stock(QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type) VALUES (%1)")
              .arg(a));
  db::Database& plan = m_state->base(core::entry::Planning).db;
  plan.Execute("INSERT INTO TSEC VALUES ('PEINT', 'Peinture', 30, 45)");
  plan.Execute("INSERT INTO TSEC VALUES ('SOUD', 'Soudure', 40, 60)");
  m_state->routingTable = plan.OpenRecordset("TGAM", db::RecordsetType::Table);
  m_state->routingTable.setIndex("PrimaryKey");
  m_state->createdCode = "P";
  FNOMENC w(*m_state);
  test::showActive(&w);
  QTableWidget* grid = w.grid();
  const auto listKey = [&](const char* list, int key) {
    QTableView* view = w.findChild<QTableView*>(list);
    ASSERT_NE(view, nullptr) << list;
    test::pressKey(view, key);
    QApplication::processEvents();
  };
  w.Ajouter_Composant();
  // Articles from the typed code on: "B" lists B and P, and Enter takes the first.
  grid->item(0, FNOMENC::Code)->setText("B");
  test::pressKey(grid, Qt::Key_F4);
  QTableView* articles = w.findChild<QTableView*>("DBG_ARTICLES");
  ASSERT_NE(articles, nullptr);
  EXPECT_EQ(test::keyboardFaults(&w), QStringList());
  EXPECT_EQ(articles->model()->rowCount(), 2);
  listKey("DBG_ARTICLES", Qt::Key_Down);
  listKey("DBG_ARTICLES", Qt::Key_Return);
  EXPECT_EQ(grid->item(0, FNOMENC::Code)->text(), "P");
  EXPECT_EQ(grid->item(0, FNOMENC::Label)->text(), "Pompe");
  // On an operation line, the sections, from the first at or after the typed code; Escape
  // leaves the line as it was.
  w.Ajouter_Operation();
  grid->item(1, FNOMENC::Code)->setText("R");
  test::pressKey(grid, Qt::Key_F4);
  listKey("DBG_SECTIONS", Qt::Key_Escape);
  EXPECT_EQ(grid->item(1, FNOMENC::Code)->text(), "R");
  test::pressKey(grid, Qt::Key_F4);
  listKey("DBG_SECTIONS", Qt::Key_Return);
  EXPECT_EQ(grid->item(1, FNOMENC::Code)->text(), "SOUD");
  EXPECT_EQ(grid->item(1, FNOMENC::Label)->text(), "Soudure");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

}  // namespace
}  // namespace tarovent::articles
