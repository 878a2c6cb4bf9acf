#include <QTableView>

#include "UiTestSupport.h"
#include "ui/RecordsetModel.h"

namespace tarovent::ui {
namespace {

class GridModel : public test::DatabaseFixture {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TART (TART_CODE LONG, TART_LIB TEXT(30), TART_PRIX DOUBLE, "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TART_CODE))");
  }
  // Rows 0 to rows - 1, by doubling: a few statements whatever the count.
  void fill(int rows) {
    exec("INSERT INTO TART VALUES (0, 'Article 0', 0)");
    for (int n = 1; n < rows; n *= 2)
      exec(QStringLiteral("INSERT INTO TART SELECT TART_CODE + %1, 'Article ' & (TART_CODE + %1), "
                          "(TART_CODE + %1) * 0.5 FROM TART WHERE TART_CODE + %1 < %2")
               .arg(n)
               .arg(rows));
  }
  static constexpr int kRows = 50000;
};

TEST_F(GridModel, ALongListOpensWithoutReadingItsRows) {
  fill(kRows);
  RecordsetModel model;
  db::Recordset rs = m_db.OpenRecordset("TART", db::RecordsetType::Table);
  rs.setIndex("PrimaryKey");
  model.setRecordset(rs, {{"TART_CODE", "Code", {}, {}},
                          {"TART_LIB", "Libellé", {}, {}},
                          {"TART_PRIX",
                           "Prix",
                           [](const QVariant& v) { return QString::number(v.toDouble(), 'f', 2); },
                           {}}});
  EXPECT_EQ(model.rowCount(), kRows);
  EXPECT_EQ(model.rowsRead(), 0);
  EXPECT_EQ(model.index(kRows - 1, 1).data().toString(), "Article 49999");
  EXPECT_EQ(model.index(kRows - 1, 2).data().toString(), "24999.50");
  EXPECT_LE(model.rowsRead(), 200);
  EXPECT_EQ(model.index(10, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
            Qt::AlignRight);

  // The model's cursor is its own: the caller's recordset has not moved.
  EXPECT_EQ(rs.text("TART_CODE"), "0");
  rs.setBookmark(model.bookmark(1234));
  EXPECT_EQ(rs.text("TART_LIB"), "Article 1234");
  EXPECT_EQ(model.rowOf(model.bookmark(777)), 777);
}

TEST_F(GridModel, AViewDrawsOnlyTheRowsItShows) {
  fill(kRows);
  RecordsetModel model;
  model.setRecordset(
      m_db.OpenRecordset("SELECT TART_CODE, TART_LIB FROM TART WHERE TART_CODE >= "
                         "100 ORDER BY TART_CODE DESC"));
  QTableView view;
  view.setModel(&model);
  view.resize(400, 300);
  view.show();
  QApplication::processEvents();
  view.grab();
  EXPECT_EQ(model.rowCount(), kRows - 100);
  EXPECT_LE(model.rowsRead(), 200);
  EXPECT_EQ(model.index(0, 0).data().toString(), "49999");
}

TEST_F(GridModel, ReloadSeesChangedRows) {
  fill(5);
  RecordsetModel model;
  model.setRecordset(m_db.OpenRecordset("SELECT * FROM TART WHERE TART_CODE < 3"));
  EXPECT_EQ(model.rowCount(), 3);
  exec("DELETE FROM TART WHERE TART_CODE = 1");
  exec("UPDATE TART SET TART_LIB = 'Vis' WHERE TART_CODE = 2");
  model.reload();
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.value(1, "TART_LIB").toString(), "Vis");
}

}  // namespace
}  // namespace tarovent::ui
