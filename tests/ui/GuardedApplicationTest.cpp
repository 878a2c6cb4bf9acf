#include <gtest/gtest.h>

#include <QEvent>
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

}  // namespace
}  // namespace tarovent::ui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  tarovent::ui::GuardedApplication app(argc, argv);
  tarovent::ui::application = &app;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
