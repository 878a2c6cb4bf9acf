#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>

#include "ClientTestSupport.h"
#include "ReminderTestSupport.h"
#include "clients/FREL.h"
#include "clients/ListGrid.h"
#include "ui/RecordsetModel.h"

namespace tarovent::clients {
namespace {

using ui::Answer;

class Frel : public test::ClientWindowTest {
 protected:
  void SetUp() override {
    ClientWindowTest::SetUp();
    m_db.Execute("DELETE FROM TCLI_CONTACT");
    test::addReminders(m_db);
    m_state->opener = &m_opener;
  }
  FREL* openList(const QString& rep = {}) {
    m_state->config.salesRep = rep;
    return open<FREL>();
  }
  QTableView* grid() { return get<QTableView>("DBG_Relance"); }
  QString cell(int row, int column) {
    return grid()->model()->index(row, column).data().toString();
  }
  QStringList rows() {
    QStringList keys;
    for (int r = 0; r < grid()->model()->rowCount(); ++r) keys << cell(r, 1) + '/' + cell(r, 2);
    return keys;
  }
  QString due(long dossier, int seq) {
    return scalar(QStringLiteral("select TDEV_DATREL from TDEV where TDEV_NUMDOSS = %1 and "
                                 "TDEV_NSEQ = %2")
                      .arg(dossier)
                      .arg(seq));
  }
  void select(QList<int> rowNumbers) {
    grid()->clearSelection();
    for (int r : rowNumbers)
      grid()->selectionModel()->select(grid()->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  dossiers::test::RecordingOpener m_opener;
};

TEST_F(Frel, ListsTheDueRemindersWithTheirContactAndCommands) {
  FREL* w = openList();
  EXPECT_EQ(w->windowTitle(), "Relances");
  EXPECT_EQ(rows(), QStringList({"1/2", "1/1", "2/0"}));
  EXPECT_EQ(cell(1, 8), QString::fromUtf8("Gérant"));
  EXPECT_EQ(cell(1, 11), "marc@aubry.fr");
  EXPECT_EQ(cell(2, 11), "");
  EXPECT_EQ(cell(0, FREL::DropColumn), "Abandon");
  EXPECT_EQ(cell(0, FREL::MailColumn), "Mail");
}

// On a 1280-pixel screen the list is read without scrolling sideways: the three command cells
// are on screen and the telephone numbers are whole.
TEST_F(Frel, FitsAWholeRowOnA1280PixelScreen) {
  FREL* w = openList();
  w->resize(1280 - 12, 700);
  QApplication::processEvents();
  QHeaderView* header = grid()->horizontalHeader();
  EXPECT_LE(header->length(), grid()->viewport()->width());
  const int number = grid()->fontMetrics().horizontalAdvance("06 00 00 00 01") + 8;
  EXPECT_GE(header->sectionSize(9), number);
  EXPECT_GE(header->sectionSize(10), number);
  EXPECT_GE(header->sectionSize(4), 150);  // the subject keeps room to be read
  // What a column cuts is read whole in the cell's tip.
  const QModelIndex function = grid()->model()->index(1, 8);
  EXPECT_EQ(cutCellText(grid(), function), "");
  header->resizeSection(8, 30);
  EXPECT_EQ(cutCellText(grid(), function), QString::fromUtf8("Gérant"));
  QHelpEvent tip(QEvent::ToolTip, grid()->visualRect(function).center(), QPoint(0, 0));
  QApplication::sendEvent(grid()->viewport(), &tip);
  EXPECT_EQ(QToolTip::text(), QString::fromUtf8("Gérant"));
}

TEST_F(Frel, ARepresentativeSeesOnlyHisDossiersAndTheCaptionNamesHim) {
  FREL* w = openList("PL");
  EXPECT_EQ(w->windowTitle(), "Relances (PL)");
  EXPECT_EQ(rows(), QStringList({"2/0"}));
}

TEST_F(Frel, DroppingFromTheRowAsksThenEmptiesTheLatestVersionsDate) {
  FREL* w = openList();
  m_messages.script({Answer::No});
  w->runCell(1, FREL::DropColumn);
  EXPECT_EQ(m_messages.texts(), QStringList{"Confirmez l'abandon de cette relance"});
  EXPECT_NE(due(1, 2), "");
  m_messages.script({Answer::Yes});
  w->runCell(1, FREL::DropColumn);
  EXPECT_EQ(due(1, 2), "");  // the dossier's latest version, not the row's own
  EXPECT_NE(due(1, 1), "");
  EXPECT_EQ(cell(1, FREL::DropColumn), "");
  // An emptied cell asks nothing more.
  m_messages.clear();
  w->runCell(1, FREL::DropColumn);
  EXPECT_TRUE(m_messages.texts().isEmpty());
  w->activated();
  EXPECT_EQ(rows(), QStringList({"1/1", "2/0"}));
  EXPECT_EQ(cell(0, FREL::DropColumn), "Abandon");
}

TEST_F(Frel, DroppingTheSelectionDatesEachVersionFarAwayAndReportsAMissingOne) {
  FREL* w = openList();
  select({0, 2});
  // Another workstation deleted the quote of the first row meanwhile.
  m_db.Execute("DELETE FROM TDEV WHERE TDEV_NUMDOSS = 1 AND TDEV_NSEQ = 2");
  w->dropSelected();
  EXPECT_EQ(m_messages.texts(), QStringList{"Erreur interne, devis introuvable"});
  EXPECT_EQ(rows(), QStringList({"1/1"}));
  EXPECT_EQ(due(2, 0).left(10), "2100-01-01");
  m_messages.clear();
  grid()->clearSelection();
  w->dropSelected();
  EXPECT_EQ(m_messages.beeps(), 1);
  EXPECT_EQ(rows(), QStringList({"1/1"}));
}

TEST_F(Frel, OpensTheDossierAndMailsTheContact) {
  FREL* w = openList();
  w->runCell(2, FREL::DossierColumn);
  EXPECT_EQ(m_opener.opened, QStringList{"FDEV"});
  EXPECT_EQ(m_state->quote.company, "AB");
  EXPECT_EQ(m_state->quote.dossier, 2);
  EXPECT_TRUE(m_state->dossierRequested);
  w->runCell(1, FREL::MailColumn);
  ASSERT_EQ(m_mails->mails().size(), 1);
  EXPECT_EQ(m_mails->mails()[0].to, "marc@aubry.fr");
  EXPECT_EQ(m_mails->mails()[0].subject, "");
  // Other cells run nothing.
  w->runCell(0, 3);
  EXPECT_EQ(m_opener.opened.size(), 1);
}

}  // namespace
}  // namespace tarovent::clients
