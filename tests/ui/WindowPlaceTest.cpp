#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "ui/HostWindow.h"

namespace tarovent::ui {
namespace {

// A window of its own opens over the window that opened it, never partly off the
// screen, and once shown it stays where the user moved it. Its frame is not known before it is
// shown: a few pixels of border are allowed for.
TEST(WindowPlace, AWindowOfItsOwnOpensOverItsOpener) {
  QWidget opener;
  const QRect area = opener.screen()->availableGeometry();
  opener.setGeometry(area.left() + 40, area.top() + 30, area.width() / 2, area.height() / 2);
  opener.show();
  auto* list = new QWidget(&opener, Qt::Window);
  list->resize(area.width() / 4, area.height() / 5);
  showOverOpener(list);
  EXPECT_TRUE(list->isVisible());
  constexpr int border = 8;
  EXPECT_LE((list->geometry().center() - opener.geometry().center()).manhattanLength(), border);

  // Beside a document that keeps the keyboard: in the opener's lower right corner.
  auto* beside = new QWidget(&opener, Qt::Window);
  beside->resize(area.width() / 4, area.height() / 5);
  showOverOpener(beside, Place::LowerRight);
  EXPECT_LE((beside->geometry().bottomRight() - opener.geometry().bottomRight()).manhattanLength(),
            border);

  list->move(area.topLeft() + QPoint(5, 5));
  showOverOpener(list);
  EXPECT_EQ(list->pos(), area.topLeft() + QPoint(5, 5));

  // Near the screen's right and bottom edges, a wide window comes back inside.
  opener.move(area.right() - opener.width() / 3, area.bottom() - opener.height() / 3);
  auto* wide = new QWidget(&opener, Qt::Window);
  wide->resize(area.width() * 3 / 4, area.height() / 2);
  showOverOpener(wide);
  const QRect g = wide->frameGeometry();
  EXPECT_TRUE(area.adjusted(0, 0, border, border).contains(g)) << g.x() << ',' << g.y() << ' ' << g.width() << 'x' << g.height()
                                << " in " << area.width() << 'x' << area.height();
}

}  // namespace
}  // namespace tarovent::ui
