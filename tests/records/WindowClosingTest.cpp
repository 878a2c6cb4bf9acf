#include <QTableView>
#include <QToolButton>

#include "RecordKeys.h"

namespace tarovent::test {
namespace {

using ui::Answer;

class WindowClosing : public RecordKeys {
 protected:
  // What the work area still holds besides the home page: each window with its state.
  QStringList leftInArea() const {
    QStringList out;
    for (QMdiSubWindow* sub : m_menu->workArea()->subWindowList()) {
      if (sub->windowFlags() & Qt::FramelessWindowHint) continue;
      out << (sub->widget() ? sub->widget()->objectName() : QStringLiteral("(vide)")) +
                 (sub->isMinimized() ? QStringLiteral(" réduite") : QString());
    }
    return out;
  }
  // The picture buttons lit on the menu's strip, left to right; each must lie whole on the
  // strip and clear of the others.
  QStringList litButtons() const {
    QList<QToolButton*> lit;
    for (auto* b : m_menu->findChildren<QToolButton*>())
      if (b->objectName().startsWith("CMD_M_") && b->isVisible()) lit << b;
    std::sort(lit.begin(), lit.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    QStringList names;
    int right = 0;
    for (QToolButton* b : lit) {
      const QRect r = b->geometry();
      EXPECT_GE(r.left(), right) << b->objectName().toStdString();
      EXPECT_LE(r.right(), b->parentWidget()->width()) << b->objectName().toStdString();
      right = r.right() + 1;
      names << b->objectName();
    }
    return names;
  }
};

// Every window the menu opens, closed again by the work area: nothing stays in it.
TEST_F(WindowClosing, ClosingEveryWindowLeavesNothingInTheWorkArea) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  m_messages.setFallback(Answer::No);
  QStringList opened;
  for (QAction* action : m_menu->findChildren<QAction*>()) {
    const QString window = action->property("window").toString();
    const ui::WindowSpec* registered = m_state->windows.find(window);
    if (!registered || registered->modal || !action->isEnabled()) continue;
    action->trigger();
    QApplication::processEvents();
    opened << window;
  }
  ASSERT_GE(opened.size(), 8);
  m_menu->workArea()->closeAllSubWindows();
  QApplication::processEvents();
  EXPECT_EQ(leftInArea(), QStringList()) << said().toStdString();
}

// Regression: a dossier opened from the reminders, the workspace and the reminders then left by
// Quitter and the clients opened and left: the workspace's button went off the strip, pushed
// by the clients' button that was not even lit.
TEST_F(WindowClosing, WindowsLeftByQuitterLeaveTheirButtonsOnTheStrip) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  QWidget* reminders = open("M_RELA");
  ASSERT_TRUE(reminders);
  auto* grid = child<QTableView>(reminders, "DBG_Relance");
  ASSERT_GT(grid->model()->rowCount(), 0);
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 13));  // the "Dossier" cell
  key(Qt::Key_Return);
  ASSERT_TRUE(isOpen("FDEV")) << said().toStdString();
  EXPECT_EQ(focused()->window(), m_menu.get());
  alt('q');
  ASSERT_FALSE(isOpen("FDEV")) << said().toStdString();
  ASSERT_TRUE(m_menu->workArea()->activeSubWindow());
  EXPECT_EQ(m_menu->workArea()->activeSubWindow()->widget(), reminders);
  reminders->findChild<QWidget*>("Cmd_Quitter")->setFocus();
  alt('q');
  EXPECT_FALSE(isOpen("FREL"));
  ASSERT_TRUE(open("M_CLIDEV"));
  alt('q');
  EXPECT_FALSE(isOpen("FCLIDEV"));
  EXPECT_EQ(leftInArea(), QStringList());
  EXPECT_EQ(litButtons(), QStringList({"CMD_M_DEVI_DEVIS", "CMD_M_RELA", "CMD_M_CLIDEV"}));
}

}  // namespace
}  // namespace tarovent::test
