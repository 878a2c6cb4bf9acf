#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTableView>

#include "composition/QuoteView.h"
#include "composition/QuoteViewSupport.h"
#include "ui/FormNavigation.h"
#include "ui/MessageFunnel.h"
#include "ui/UiTestSupport.h"

using namespace tarovent;
using namespace tarovent::composition;
using namespace tarovent::composition::test;

namespace {

class QuoteViewTest : public ::testing::Test {
 protected:
  QuoteViewTest() {
    quote.addStructure();
    view = std::make_unique<QuoteView>(*quote.doc, quote.layout, quote.columns, messages);
    view->resize(1280, 800);
    tarovent::test::showActive(view.get());
    view->grid().setFocus();
  }
  void press(int key) { tarovent::test::pressKey(&view->grid(), key); }

  DemoQuoteFile quote{40};
  ui::ScriptedResponder messages;
  std::unique_ptr<QuoteView> view;
};

TEST_F(QuoteViewTest, MovesTheCursorFromTheKeyboard) {
  QList<TableCursor> moves;
  QObject::connect(view.get(), &QuoteView::cursorChanged,
                   [&](const TableCursor& c) { moves << c; });
  EXPECT_EQ(view->cursor(), (TableCursor{quote.lineTable, 1}));
  press(Qt::Key_Down);
  EXPECT_EQ(view->cursor(), (TableCursor{quote.lineTable, 2}));
  press(Qt::Key_End);
  EXPECT_EQ(view->cursor(), (TableCursor{quote.secondTable, 2}));
  press(Qt::Key_Up);
  EXPECT_EQ(view->cursor(), (TableCursor{quote.secondTable, 1}));
  press(Qt::Key_Up);
  EXPECT_EQ(view->cursor(), (TableCursor{quote.subTotalTable, 1}));
  press(Qt::Key_Home);
  press(Qt::Key_PageDown);
  EXPECT_GT(view->cursor().row, 10);
  EXPECT_EQ(moves.size(), 6);
  EXPECT_EQ(moves.last(), view->cursor());
  // Enter hands the line over.
  QList<TableCursor> activated;
  QObject::connect(view.get(), &QuoteView::lineActivated,
                   [&](const TableCursor& c) { activated << c; });
  press(Qt::Key_Return);
  press(Qt::Key_Enter);
  EXPECT_EQ(activated, (QList<TableCursor>{view->cursor(), view->cursor()}));
  view->setCursor({quote.secondTable, 1});
  EXPECT_EQ(view->cursor(), (TableCursor{quote.secondTable, 1}));
  view->model().documentReset();
  EXPECT_EQ(view->cursor(), (TableCursor{quote.secondTable, 1}));
}

// Delete asks first; the cursor stays where the line was, on the line that followed.
TEST_F(QuoteViewTest, DeleteRemovesTheLineOnceConfirmed) {
  const int rows = view->model().rowCount();
  press(Qt::Key_Down);
  messages.script({ui::Answer::Yes});
  press(Qt::Key_Delete);
  EXPECT_EQ(messages.texts(), QStringList{"Supprimer la ligne ?"});
  EXPECT_EQ(view->model().rowCount(), rows - 1);
  EXPECT_EQ(view->cursor(), (TableCursor{quote.lineTable, 2}));
  EXPECT_EQ(view->grid().currentIndex().data().toString(), "VIS8");
}

TEST_F(QuoteViewTest, ShowsTheHeadAndTotals) {
  auto* client = tarovent::test::child<QLabel>(view.get(), "CTL_RS");
  EXPECT_EQ(client->text(), "Serrurerie Marchal");
  // A value its column cuts ends with "…", as a label showing just that would; the label keeps
  // the whole text.
  const auto pixels = [](QWidget* w) {
    const QImage image = w->grab().toImage();
    QList<QRgb> all;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) all << image.pixel(x, y);
    return all;
  };
  const QString whole = QStringLiteral("Serrurerie Marchal et fils, ateliers réunis des Vosges, ") +
                        QStringLiteral("de la Meurthe et de la Moselle, de la Meuse et des Ardennes");
  quote.doc->setBookmarkText("RS", whole);
  view->model().bookmarksChanged();
  EXPECT_EQ(client->text(), whole);
  const QList<QRgb> shown = pixels(client);
  QLabel cut(client->fontMetrics().elidedText(whole, Qt::ElideRight, client->contentsRect().width()),
             client->parentWidget());
  EXPECT_TRUE(cut.text().endsWith(QChar(0x2026))) << cut.text().toStdString();
  cut.setFont(client->font());
  cut.setAlignment(client->alignment());
  cut.resize(client->size());
  EXPECT_EQ(shown, pixels(&cut));
  quote.doc->setBookmarkText("STTC", "1,00");
  view->model().bookmarksChanged();
  EXPECT_EQ(tarovent::test::child<QLabel>(view.get(), "CTL_STTC")->text(), "1,00");
}

}  // namespace
