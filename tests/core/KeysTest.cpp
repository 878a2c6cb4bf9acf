#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "core/KeyNotation.h"
#include "core/KeySender.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core {
namespace {

// "S-41'A'": the modifiers, the key in hexadecimal, the printable text.
QString describe(const QList<KeyStroke>& keys) {
  QStringList out;
  for (const KeyStroke& k : keys)
    out << QString(k.modifiers & Qt::ShiftModifier ? "S-" : "") +
               (k.modifiers & Qt::ControlModifier ? "C-" : "") +
               (k.modifiers & Qt::AltModifier ? "A-" : "") + QString::number(k.key, 16) +
               (!k.text.isEmpty() && k.text.at(0).isPrint() ? "'" + k.text + "'" : "");
  return out.join(' ');
}

TEST(KeyNotation, ReadsTheScriptingHostNotation) {
  const std::pair<const char*, const char*> cases[] = {
      {"ab", "41'a' 42'b'"},
      {"+a", "S-41'A'"},
      {"{TAB}", "1000001"},
      {"+{TAB}", "S-1000002"},  // back-tab
      {"{F1}{F10}{f12}", "1000030 1000039 100003b"},
      {"{ENTER}~", "1000004 1000004"},
      {"{LEFT 3}", "1000012 1000012 1000012"},
      {"^c%f", "C-43 A-46"},
      {"+(ab)c", "S-41'A' S-42'B' 43'c'"},
      {"{+}{{}{}}{~}{%}", "2b'+' 7b'{' 7d'}' 7e'~' 25'%'"},
      {"{DEL}{BKSP}{HOME}{END}{ESC}{PGDN}", "1000007 1000003 1000010 1000011 1000000 1000017"},
      {"é", "c9'é'"},
      {"", ""},
  };
  for (const auto& [text, expected] : cases) {
    const auto keys = parseKeystrokes(QString::fromUtf8(text));
    ASSERT_TRUE(keys) << text;
    EXPECT_EQ(describe(*keys), QString::fromUtf8(expected)) << text;
  }
}

TEST(KeyNotation, RefusesMalformedTexts) {
  for (const char* text : {"{TAB", "{NOPE}", "(ab", "ab)", "}", "a+", "{}", "{LEFT x}"})
    EXPECT_FALSE(parseKeystrokes(text)) << text;
}

class KeySending : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* box = new QVBoxLayout(&m_window);
    for (auto** e : {&m_first, &m_second, &m_third}) {
      *e = new QLineEdit(&m_window);
      box->addWidget(*e);
    }
    test::showActive(&m_window);
    m_first->setFocus();
  }
  QWidget m_window;
  QLineEdit* m_first = nullptr;
  QLineEdit* m_second = nullptr;
  QLineEdit* m_third = nullptr;
};

TEST_F(KeySending, KeysGoToTheFocusedBoxAndFollowTheFocus) {
  ASSERT_TRUE(Envoyer_Touches("ab{TAB}c+d{TAB}{TAB}x", true));
  // Back in the first box by Tab, its text is selected and replaced.
  EXPECT_EQ(m_first->text() + '|' + m_second->text() + '|' + m_third->text(), "x|cD|");
  EXPECT_FALSE(Envoyer_Touches("{BAD}", true));
}

TEST_F(KeySending, AccessKeysAndShortcutsWorkAsWhenTyped) {
  auto* save = new QPushButton("&Enregistrer", &m_window);
  save->show();
  int saves = 0, f10 = 0;
  QObject::connect(save, &QPushButton::clicked, [&] { ++saves; });
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F10), &m_window);
  QObject::connect(shortcut, &QShortcut::activated, [&] { ++f10; });
  ASSERT_TRUE(Envoyer_Touches("{F10}a%e", true));
  EXPECT_EQ(f10, 1);
  EXPECT_EQ(m_first->text(), "a");  // the shortcut took its key, not the box
  // An access key clicks its button the way a typed one does, after showing it pressed.
  QElapsedTimer t;
  t.start();
  while (saves == 0 && t.elapsed() < 2000) QApplication::processEvents();
  EXPECT_EQ(saves, 1);
}

TEST_F(KeySending, WithoutWaitingKeysArriveAfterTheCurrentEvent) {
  ASSERT_TRUE(Envoyer_Touches("12"));
  EXPECT_EQ(m_first->text(), "");
  QApplication::processEvents();
  EXPECT_EQ(m_first->text(), "12");
}

TEST_F(KeySending, NavigationKeysMoveTheFocus) {
  EXPECT_EQ(Touche_Navigation(13), 0);
  EXPECT_EQ(QApplication::focusWidget(), m_second);
  EXPECT_EQ(Touche_Navigation(40), 0);
  EXPECT_EQ(QApplication::focusWidget(), m_third);
  EXPECT_EQ(Touche_Navigation(38), 0);
  EXPECT_EQ(QApplication::focusWidget(), m_second);
  EXPECT_EQ(Touche_Navigation(65), 65);
  EXPECT_EQ(QApplication::focusWidget(), m_second);
  // Up in the first box is Shift+Tab, round to the last one.
  m_first->setFocus();
  EXPECT_EQ(Touche_Navigation(38), 0);
  EXPECT_EQ(QApplication::focusWidget(), m_third);
}

}  // namespace
}  // namespace tarovent::core
