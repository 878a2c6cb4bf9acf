#include <gtest/gtest.h>

#include <QEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <stdexcept>

#include "platform/db/DbError.h"
#include "ui/GuardedApplication.h"
#include "ui/MessageFunnel.h"

namespace tarovent::ui {
namespace {

GuardedApplication* application = nullptr;

// Throws from its handler, as a slot that meets a locked database does.
class Failing : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw db::DbError(3260, QStringLiteral("Base verrouillée"));
    return QObject::event(e);
  }
};

// Regression: an exception escaping a slot ended the program with the work unsaved.
TEST(GuardedApplication, AnExceptionFromAnEventIsToldAndTheProgramGoesOn) {
  ScriptedResponder messages;
  application->setMessages(&messages);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Failing failing;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
  ASSERT_EQ(messages.texts().size(), 1);
  EXPECT_EQ(messages.texts()[0],
            "Une erreur inattendue a interrompu l'opération en cours : Base verrouillée   Err. n° "
            "3260\nLe programme continue. Enregistrez votre travail, puis vérifiez ce qui a été "
            "fait.");
  EXPECT_FALSE(QApplication::overrideCursor());

  // A queued call that throws does not stop the event loop either.
  bool after = false;
  QTimer::singleShot(0, [] { throw std::runtime_error("disque plein"); });
  QTimer::singleShot(0, [&] {
    after = true;
    QCoreApplication::quit();
  });
  QCoreApplication::exec();
  EXPECT_TRUE(after);
  EXPECT_TRUE(messages.texts().value(1).contains(": disque plein\n"));
  application->setMessages(nullptr);
}

// Regression: on a list selecting whole rows, the cell with the keyboard looked like the
// others, whether the keyboard came by Tab or not.
TEST(GuardedApplication, TheCellWithTheKeyboardStandsOut) {
  QStandardItemModel model(2, 3);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) model.setItem(r, c, new QStandardItem);
  QTableView view;
  view.setModel(&model);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.resize(400, 200);
  view.show();
  view.activateWindow();
  view.setFocus(Qt::OtherFocusReason);
  view.setCurrentIndex(model.index(0, 1));
  QApplication::processEvents();
  ASSERT_TRUE(view.hasFocus());
  const auto pixel = [&](int row, int column) {
    const QImage shot = view.viewport()->grab().toImage();
    const QRect cell = view.visualRect(model.index(row, column));
    return shot.pixelColor(cell.left() + 2, cell.center().y());
  };
  const QPalette::ColorGroup group = view.isActiveWindow() ? QPalette::Active : QPalette::Inactive;
  const QColor selection = view.palette().color(group, QPalette::Highlight);
  // On the selected row: framed in the selected text's colour, its neighbours plain.
  EXPECT_EQ(pixel(0, 1), view.palette().color(group, QPalette::HighlightedText));
  EXPECT_EQ(pixel(0, 2), selection);
  // Off the selection: framed in the selection's colour.
  view.selectionModel()->setCurrentIndex(model.index(1, 2), QItemSelectionModel::NoUpdate);
  QApplication::processEvents();
  EXPECT_EQ(pixel(1, 2), selection);
  EXPECT_NE(pixel(1, 1), selection);
}

}  // namespace
}  // namespace tarovent::ui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  tarovent::ui::GuardedApplication app(argc, argv);
  tarovent::ui::application = &app;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
