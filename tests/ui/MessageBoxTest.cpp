#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <memory>

#include "UiTestSupport.h"
#include "ui/FormNavigation.h"
#include "ui/MessageBox.h"
#include "ui/MessageFunnel.h"
#include "ui/QtFrench.h"
#include "ui/TypeAhead.h"

namespace tarovent::ui {
namespace {

QStringList captions(QMessageBox& box) {
  QStringList out;
  for (QAbstractButton* b : box.buttons()) out << b->text();
  out.sort();
  return out;
}

// Regression: the boxes showed Qt's English "Yes", "No", "Cancel" and always defaulted to the
// first button's role; then their buttons had no access keys.
TEST(MessageBox, ButtonsAreFrenchAndEnterTakesTheAskedDefault) {
  const struct {
    Buttons buttons;
    int defaultButton;
    QStringList captions;
    QString defaultCaption;
  } cases[] = {
      {Buttons::Ok, 1, {"OK"}, "OK"},
      {Buttons::OkCancel, 2, {"Annuler", "OK"}, "Annuler"},
      {Buttons::YesNo, 2, {"&Non", "&Oui"}, "&Non"},
      {Buttons::YesNoCancel, 3, {"&Non", "&Oui", "Annuler"}, "Annuler"},
      {Buttons::AbortRetryIgnore, 3, {"&Ignorer", "&Réessayer", "A&bandonner"}, "&Ignorer"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defaultCaption.toStdString());
    std::unique_ptr<QMessageBox> box(messageBox("Tarovent",
                                                "Voulez-vous enregistrer votre saisie ?", c.buttons,
                                                c.defaultButton, Icon::Question, nullptr));
    EXPECT_EQ(captions(*box), c.captions);
    EXPECT_EQ(box->defaultButton() ? box->defaultButton()->text() : "", c.defaultCaption);
  }
  // Escape answers "No" to a yes/no question.
  std::unique_ptr<QMessageBox> box(messageBox("Tarovent", "Confirmer la suppression",
                                              Buttons::YesNo, 2, Icon::Question, nullptr));
  EXPECT_EQ(box->escapeButton() ? box->escapeButton()->text() : "", "&Non");
}

// A form whose Enter records the line typed and, on the first line, asks a question, as a
// price question interrupts lines typed one after the other.
struct AskingForm {
  QWidget window;
  QLineEdit* edit = new QLineEdit(&window);
  QStringList lines;
  QList<Answer> answers;
  MessageBoxFunnel funnel{"Tarovent"};

  AskingForm() {
    QObject::connect(edit, &QLineEdit::returnPressed, [this] {
      lines << edit->text();
      edit->clear();
      if (lines.size() == 1)
        answers << funnel.ask("Appliquer ce taux de remise 0% ?", Buttons::YesNo, 2, Icon::Question, {});
    });
    window.resize(300, 60);
    test::showActive(&window);
    edit->setFocus();
  }
  // The keys as the window system hands them in, queued before anything runs.
  void post(const QList<std::pair<int, QString>>& keys) {
    for (const auto& [key, text] : keys)
      for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease})
        QCoreApplication::postEvent(window.windowHandle(),
                                    new QKeyEvent(t, key, Qt::NoModifier, text));
  }
};

// Presses `key` (with `mods`) in the next box that opens, from inside its own loop, once the
// box has been on screen long enough to be read; `early`, sent as soon as it shows, reaches it
// before that.
void answerNextBox(int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                   const QList<std::pair<int, QString>>& early = {}) {
  auto* timer = new QTimer;
  auto* seen = new QElapsedTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, seen, key, mods, early] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    if (!seen->isValid()) {
      seen->start();
      for (const auto& [k, text] : early)
        for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease})
          QCoreApplication::postEvent(box->windowHandle(),
                                      new QKeyEvent(t, k, Qt::NoModifier, text));
    }
    if (seen->elapsed() < TypeAhead::kSettleMs + 30) return;
    delete seen;
    timer->stop();
    timer->deleteLater();
    QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
    QTest::keyClick(focus, static_cast<Qt::Key>(key), mods);
    // A key that answers nothing must not leave the test waiting.
    QTimer::singleShot(1000, box, [box] { box->done(-1); });
  });
  timer->start();
}

void runFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Regression: lines typed quickly after one that raised a question were lost: the question
// blocked the window they were typed in and its keys were dropped.
TEST(MessageBox, KeysTypedAheadOfAQuestionReachTheFormAfterIt) {
  AskingForm form;
  answerNextBox(Qt::Key_Return);
  form.post({{Qt::Key_1, "1"}, {Qt::Key_2, "2"}, {Qt::Key_Return, "\r"}, {Qt::Key_3, "3"},
             {Qt::Key_4, "4"}, {Qt::Key_Return, "\r"}, {Qt::Key_5, "5"}, {Qt::Key_Return, "\r"}});
  runFor(400);
  EXPECT_EQ(form.lines, QStringList({"12", "34", "5"}));
  EXPECT_EQ(form.answers, QList<Answer>{Answer::No});  // Enter took the asked default
}

// Keys that reach a question as it appears were typed before anyone could read it: a code
// holding an O answered "Oui". They go to the form after the question, which waits for a key
// typed once it could be read.
TEST(MessageBox, KeysReachingAQuestionAsItAppearsAreForTheFormAfterIt) {
  AskingForm form;
  answerNextBox(Qt::Key_N, Qt::NoModifier, {{Qt::Key_O, "O"}, {Qt::Key_K, "K"}});
  form.post({{Qt::Key_1, "1"}, {Qt::Key_Return, "\r"}});
  runFor(TypeAhead::kSettleMs + 400);
  EXPECT_EQ(form.answers, QList<Answer>{Answer::No});
  EXPECT_EQ(form.edit->text(), "OK");
}

// Alt + the underlined letter, or the letter alone, answers a yes/no question.
TEST(MessageBox, TheLettersOfOuiAndNonAnswer) {
  const struct {
    int key;
    Qt::KeyboardModifiers mods;
    Answer answer;
  } cases[] = {{Qt::Key_N, Qt::AltModifier, Answer::No},
               {Qt::Key_O, Qt::AltModifier, Answer::Yes},
               {Qt::Key_O, Qt::NoModifier, Answer::Yes},
               {Qt::Key_N, Qt::NoModifier, Answer::No}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    QWidget parent;
    test::showActive(&parent);
    MessageBoxFunnel funnel("Tarovent");
    answerNextBox(c.key, c.mods);
    const Answer a = funnel.ask("Désirez-vous le créer ?", Buttons::YesNo,
                                c.answer == Answer::Yes ? 2 : 1, Icon::Question, {});
    EXPECT_EQ(a, c.answer);
  }
}

TEST(QtFrench, StandardDialogsSpeakFrenchAndAMissingFileIsNoFailure) {
  QTemporaryDir empty;
  EXPECT_EQ(installQtFrench(*qApp, empty.path()), nullptr);
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");

  QTranslator* french = installQtFrench(*qApp);
  ASSERT_NE(french, nullptr) << "qtbase_fr.qm is missing: install qt6-translations-l10n";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), "File &name:");
  QCoreApplication::removeTranslator(french);
  delete french;
}

}  // namespace
}  // namespace tarovent::ui
