#include <QAbstractButton>
#include <QMenu>
#include <QTimer>

#include "RecordKeys.h"
#include "ui/FormAccessKeys.h"

namespace tarovent::test {
namespace {

using ui::Answer;

class AccessKeyWalk : public RecordKeys {
 protected:
  // The boxes of `window` the user types in, as shown.
  static QList<QLineEdit*> typingBoxes(QWidget* window) {
    QList<QLineEdit*> out;
    for (QLineEdit* box : window->findChildren<QLineEdit*>())
      if (box->isVisibleTo(window) && box->isEnabled() && !box->isReadOnly() &&
          box->focusPolicy() != Qt::NoFocus)
        out << box;
    return out;
  }
  // Alt + every letter no button of the window acts on, pressed in `box`: the letters it
  // typed there.
  QString lettersTyped(QWidget* window, QLineEdit* box) {
    QString typed;
    for (char c = 'A'; c <= 'Z'; ++c) {
      if (qobject_cast<QAbstractButton*>(ui::FormAccessKeys::target(window, QChar(c)))) continue;
      box->setFocus();
      const QString before = box->text();
      pressKey(box, Qt::Key_A + (c - 'A'), Qt::AltModifier, QString(QChar(c).toLower()));
      QApplication::processEvents();
      // A menu of the main window opened by its letter: closed again, as Esc does.
      for (int i = 0; i < 3 && QApplication::activePopupWidget(); ++i) {
        QApplication::activePopupWidget()->close();
        QApplication::processEvents();
      }
      if (box->text() != before) {
        typed += c;
        box->setText(before);
      }
    }
    return typed;
  }
  // The window as shown and with each of its panels: its access keys, then the letters the
  // first boxes take; closed at the end.
  void walk(QWidget* window, const QList<const char*>& panels) {
    ASSERT_TRUE(window);
    SCOPED_TRACE(window->objectName().toStdString());
    EXPECT_EQ(keyboardFaults(window), QStringList());
    for (const char* panel : panels) {
      auto* button = child<QAbstractButton>(window, panel);
      if (!button || !button->isEnabled()) continue;
      button->click();
      QApplication::processEvents();
      EXPECT_EQ(keyboardFaults(window), QStringList()) << panel;
    }
    const QList<QLineEdit*> boxes = typingBoxes(window);
    EXPECT_FALSE(boxes.isEmpty());
    for (QLineEdit* box : boxes.mid(0, 4))
      EXPECT_EQ(lettersTyped(window, box), "") << box->objectName().toStdString();
    EXPECT_FALSE(ui::hasPendingChanges(window));
    m_messages.clear();
    closeWindow(window);
  }
  void closeWindow(QWidget* window) {
    m_messages.setFallback(Answer::No);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
      sub->close();
    else
      window->close();
    QApplication::processEvents();
  }
};

// Every record window, as it opens and with its panels shown: no letter is underlined twice, and
// Alt + a letter that no button takes never types into the box the user is in.
TEST_F(AccessKeyWalk, NoLetterTwiceAndNoneTyped) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  struct Window {
    const char* entry;
    QList<const char*> panels;  // buttons that show a panel of the window or unlock it
  };
  const Window windows[] = {{"M_DEVI_DEVIS", {"Cmd_Infos"}},
                            {"M_CLIDEV", {}},
                            {"M_CLI_CAT", {}},
                            {"M_TABL_SOCI", {}},
                            {"M_TABL_PRO", {}},
                            {"M_TABL_TYPE", {}},
                            {"M_PERSO", {}},
                            {"M_MACROS", {"Cmd_Modifier"}}};
  for (const Window& w : windows) {
    SCOPED_TRACE(w.entry);
    walk(open(w.entry), w.panels);
  }
  // The general parameters, a dialog of their own: walked while it runs.
  QTimer::singleShot(0, m_menu.get(), [this] { walk(QApplication::activeModalWidget(), {}); });
  m_menu->menuEntry("M_PARAM")->trigger();
  QApplication::processEvents();
}

}  // namespace
}  // namespace tarovent::test
