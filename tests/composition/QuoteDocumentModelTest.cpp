#include <gtest/gtest.h>

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QSet>
#include <QTableView>
#include <optional>

#include "composition/QuoteRows.h"
#include "composition/QuoteViewSupport.h"
#include "ui/MessageFunnel.h"

using namespace tarovent;
using namespace tarovent::composition;
using namespace tarovent::composition::test;

namespace {

class QuoteModel : public ::testing::Test {
 protected:
  QuoteModel() { quote.addStructure(); }

  int column(const QString& code) const { return quote.columns.column(code) - 1; }
  QVariant at(const QuoteDocumentModel& m, int row, const QString& code,
              int role = Qt::DisplayRole) {
    return m.index(row, column(code)).data(role);
  }

  DemoQuoteFile quote;
};

TEST_F(QuoteModel, ShowsLinesLevelsHiddenTextAndSubTotals) {
  const auto m = quote.model();
  // Six lines, the sub-total, then the two lines of the second table; neither the header nor
  // the totals table.
  ASSERT_EQ(m->rowCount(), 9);

  QList<int> levels;
  for (int r = 0; r < m->rowCount(); ++r)
    levels << at(*m, r, "CODART", QuoteDocumentModel::LevelRole).toInt();
  EXPECT_EQ(levels, (QList<int>{0, 1, 2, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(at(*m, 2, "CODART").toString(), "VIS8");  // without its indentation

  // The labour code is hidden text, the rest of its row is not.
  EXPECT_EQ(at(*m, 3, "CODART").toString(), "MO*SOUD");
  EXPECT_TRUE(at(*m, 3, "CODART", QuoteDocumentModel::LabourRole).toBool());
  EXPECT_TRUE(at(*m, 3, "CODART", QuoteDocumentModel::HiddenRole).toBool());
  EXPECT_FALSE(at(*m, 3, "LIBART", QuoteDocumentModel::HiddenRole).toBool());

  // The hidden row is greyed in every cell, empty ones too.
  for (const QString code : {"CODART", "LIBART", "PCREM"})
    EXPECT_TRUE(at(*m, 5, code, QuoteDocumentModel::HiddenRole).toBool()) << code.toStdString();
  EXPECT_FALSE(at(*m, 4, "LIBART", QuoteDocumentModel::HiddenRole).toBool());

  // The sub-total reads as a titled, coloured row with its sum.
  EXPECT_EQ(m->rowKind(6), QuoteDocumentModel::RowKind::SubTotal);
  EXPECT_EQ(at(*m, 6, "MTNET").toString(), "2 682,80");
  EXPECT_TRUE(at(*m, 7, "CODART", QuoteDocumentModel::FirstOfTableRole).toBool());
  EXPECT_FALSE(at(*m, 8, "CODART", QuoteDocumentModel::FirstOfTableRole).toBool());
}

TEST_F(QuoteModel, ShowsTheHeadAndTheTotalsWithTheirValues) {
  quote.doc->setBookmarkText("ADR1", "12 rue des Forges\vBP 4\v\v54000 Nancy");
  const auto m = quote.model();
  QHash<QString, QString> head;
  for (const BookmarkEntry& e : m->head()) head.insert(e.name, e.caption + "=" + e.text);
  EXPECT_EQ(head.value("NUMDEV"), "N° de devis=00012_00.AB");
  EXPECT_EQ(head.value("ADR1"), "Adresse 1=12 rue des Forges, BP 4, 54000 Nancy");
  EXPECT_FALSE(head.contains("SMTNET"));
  QStringList totals;
  for (const BookmarkEntry& e : m->totals()) totals << e.name + "=" + e.text;
  EXPECT_TRUE(totals.contains("SMTNET=3 195,60")) << totals.join(", ").toStdString();
  EXPECT_TRUE(totals.contains("STTC=3 834,72"));
  EXPECT_LT(totals.indexOf("SMTNET=3 195,60"), totals.indexOf("STTC=3 834,72"));
}

TEST_F(QuoteModel, MapsEveryRowToItsCursorAndBack) {
  const auto m = quote.model();
  QList<TableCursor> cursors;
  for (int r = 0; r < m->rowCount(); ++r) {
    cursors << m->cursorAt(r);
    EXPECT_EQ(m->rowAt(cursors.last()), r);
  }
  EXPECT_EQ(cursors[6], (TableCursor{quote.subTotalTable, 1}));
  EXPECT_EQ(cursors[8], (TableCursor{quote.secondTable, 2}));
  EXPECT_EQ(m->rowAt({quote.layout.headerTable, 1}), -1);
  EXPECT_EQ(m->rowAt({quote.lineTable, 7}), -1);
  EXPECT_FALSE(m->cursorAt(m->rowCount()).isValid());
}

// Counts the rows read from the document, and which.
struct ReadCounter {
  explicit ReadCounter(QuoteDocumentModel& m) {
    const auto plain = m.defaultRowReader();
    m.setRowReader([this, plain](int table, int row) {
      read << TableCursor{table, row};
      return plain(table, row);
    });
  }
  QList<TableCursor> read;
};

TEST(QuoteModelLaziness, DrawingAScreenReadsOnlyTheRowsShown) {
  DemoQuoteFile big(400);
  auto m = big.model();
  ReadCounter reads(*m);
  QTableView view;
  view.resize(1280, 800);
  view.setModel(m.get());
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.grab();
  ASSERT_EQ(m->rowCount(), 406);
  EXPECT_GT(reads.read.size(), 10);
  EXPECT_LT(reads.read.size(), 60);
  // Drawing again reads nothing: rows are kept.
  const qsizetype first = reads.read.size();
  view.grab();
  EXPECT_EQ(reads.read.size(), first);

  view.scrollToBottom();
  view.grab();
  EXPECT_LT(reads.read.size(), 2 * first + 5);
  for (qsizetype i = first; i < reads.read.size(); ++i) EXPECT_GT(reads.read[i].row, 300);
}

// Changes a document, tells the model, and checks that the model reads only the rows named and
// then shows what a model built afresh shows.
class QuoteModelUpdates : public QuoteModel {
 protected:
  QuoteModelUpdates() : m(quote.model()), reads(*m) {
    snapshot(*m);
    reads.read.clear();
  }
  // After a change told to the model, the grid drawn shows what a fresh model shows, having
  // read from the document the rows `read` when given.
  void expectFresh(std::optional<QList<TableCursor>> read = std::nullopt) {
    EXPECT_EQ(snapshot(*m), snapshot(*quote.model()));
    if (read) {
      EXPECT_EQ(reads.read, *read);
    }
    reads.read.clear();
  }
  bool erase(const TableCursor& at) {
    return deleteLine(*quote.doc, quote.layout, at, messages, m.get());
  }

  ui::ScriptedResponder messages;

  std::unique_ptr<QuoteDocumentModel> m;
  ReadCounter reads;
};

TEST_F(QuoteModelUpdates, AnInsertedRowIsTheOnlyOneRead) {
  const int row = quote.doc->insertRow(quote.lineTable, 2, word::RowPlacement::Above);
  LineWriter(quote.columns, {})
      .write(*quote.doc, quote.lineTable, row, line("CHAIN", 1, "Chaîne", 3, 4));
  m->rowsInserted(quote.lineTable, row, 1);
  EXPECT_EQ(m->rowCount(), 10);
  expectFresh(QList<TableCursor>{{quote.lineTable, 2}});

  // At the top of a table, the row that opened it no longer does.
  quote.doc->insertRow(quote.secondTable, 1, word::RowPlacement::Above);
  m->rowsInserted(quote.secondTable, 1, 1);
  expectFresh();
}

TEST_F(QuoteModelUpdates, RemovedAndChangedRowsMoveTheRest) {
  quote.doc->deleteRow(quote.lineTable, 1);
  m->rowsRemoved(quote.lineTable, 1, 1);
  expectFresh(QList<TableCursor>{});

  quote.doc->setCellText({quote.secondTable, 2, quote.columns.column("QTE")}, "9,000");
  m->rowsChanged(quote.secondTable, 2, 2);
  expectFresh(QList<TableCursor>{{quote.secondTable, 2}});
}

TEST_F(QuoteModelUpdates, SplitsAndTablesKeepTheRowsAlreadyRead) {
  const int second = quote.doc->splitTable(quote.lineTable, 4);
  m->tableSplit(quote.lineTable, 4);
  expectFresh(QList<TableCursor>{});
  EXPECT_EQ(m->cursorAt(3), (TableCursor{second, 1}));

  const int added = quote.doc->addTableAfter(second, quote.lineTable, 1);
  m->tableInserted(added);
  expectFresh(QList<TableCursor>{{added, 1}});

  quote.doc->deleteRow(added, 1);  // its only row: the table goes
  m->tableRemoved(added);
  expectFresh();
}

// A grid refreshed while a sub-total bookmark sits in a line table shows that table as a
// sub-total; splitting the row off gives both tables their own kind again.
TEST_F(QuoteModelUpdates, ASplitTellsBothTablesTheirKind) {
  const int last = quote.doc->rowCount(quote.lineTable);
  quote.doc->addBookmark(QString("STOT%1").arg(quote.doc->rowStart(quote.lineTable, last)),
                         {quote.lineTable, last, 1});
  m->documentReset();
  EXPECT_EQ(m->rowKind(0), QuoteDocumentModel::RowKind::SubTotal);
  quote.doc->splitTable(quote.lineTable, last);
  m->tableSplit(quote.lineTable, last);
  EXPECT_EQ(m->rowKind(0), QuoteDocumentModel::RowKind::Line);
  EXPECT_EQ(m->rowKind(last - 1), QuoteDocumentModel::RowKind::SubTotal);
  expectFresh();
}

TEST_F(QuoteModelUpdates, DeletingALineAsksFirst) {
  messages.script({ui::Answer::No, ui::Answer::Yes});
  EXPECT_FALSE(erase({quote.lineTable, 2}));
  EXPECT_EQ(m->rowCount(), 9);
  EXPECT_TRUE(erase({quote.lineTable, 2}));
  EXPECT_EQ(messages.texts(), (QStringList{"Supprimer la ligne ?", "Supprimer la ligne ?"}));
  EXPECT_EQ(m->rowCount(), 8);
  expectFresh();
}

TEST_F(QuoteModelUpdates, DeletingASubTotalTakesItsTable) {
  messages.setFallback(ui::Answer::Yes);
  const int tables = quote.doc->tableCount();
  EXPECT_TRUE(erase({quote.subTotalTable, 1}));
  EXPECT_EQ(messages.texts(), QStringList{"Supprimer le sous-total ?"});
  EXPECT_EQ(quote.doc->tableCount(), tables - 1);
  EXPECT_TRUE(subTotalTables(*quote.doc).isEmpty());
  expectFresh();
}

TEST_F(QuoteModelUpdates, TheLastLineOfTheLastTableIsEmptiedNotDeleted) {
  messages.setFallback(ui::Answer::Yes);
  // The second table's lines go with it; then the first table alone is left.
  const int before = quote.doc->tableCount();
  for (int i = 0; i < 2; ++i) erase({quote.secondTable, 1});
  EXPECT_EQ(quote.doc->tableCount(), before - 1);
  expectFresh();
  while (quote.doc->rowCount(quote.lineTable) > 1) erase({quote.lineTable, 1});
  const int tables = quote.doc->tableCount();
  EXPECT_TRUE(erase({quote.lineTable, 1}));
  EXPECT_EQ(quote.doc->tableCount(), tables);
  EXPECT_EQ(quote.doc->cellText({quote.lineTable, 1, 2}), "");
  expectFresh();
}

TEST_F(QuoteModelUpdates, OnlyLinesCanBeDeleted) {
  messages.setFallback(ui::Answer::Yes);
  const int tables = quote.doc->tableCount();
  for (const TableCursor& c : {TableCursor{quote.layout.headerTable, 1}, TableCursor{},
                               TableCursor{quote.lineTable, 40}, TableCursor{tables, 1}}) {
    EXPECT_FALSE(erase(c));
  }
  EXPECT_EQ(quote.doc->tableCount(), tables);
  EXPECT_EQ(m->rowCount(), 9);
}

}  // namespace
