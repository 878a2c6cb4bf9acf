#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinterInfo>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "MacroTestSupport.h"
#include "core/KeySender.h"
#include "core/MacroButton.h"
#include "core/MainMenu.h"
#include "dossiers/DossierWindows.h"
#include "macros/FSELMACRO.h"
#include "macros/MacroPlayer.h"
#include "macros/MacroWindows.h"

namespace tarovent::macros {
namespace {

// Records the text of a box at each print, as the window was when it was printed.
class WatchingPrinter : public os::FakeWindowPrinter {
 public:
  QLineEdit* box = nullptr;
  QStringList textsAtPrint;
  bool printImage(const QImage& image) override {
    textsAtPrint << (box ? box->text() : QString());
    return FakeWindowPrinter::printImage(image);
  }
};

// The key presses a control receives.
class KeyLog : public QObject {
 public:
  QList<std::pair<int, Qt::KeyboardModifiers>> presses;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      presses.append({k->key(), k->modifiers()});
    }
    return false;
  }
};

class Player : public test::MacroTest {
 protected:
  void SetUp() override {
    MacroTest::SetUp();
    m_window = std::make_unique<QWidget>();
    m_window->setObjectName("FTEST");
    auto* layout = new QVBoxLayout(m_window.get());
    m_box = new QLineEdit(m_window.get());
    m_box->setObjectName("CTX_Test");
    layout->addWidget(m_box);
    m_window->resize(400, 200);
    tarovent::test::showActive(m_window.get());
    m_box->setFocus();
    m_printer.box = m_box;
    m_player = std::make_unique<MacroPlayer>(*m_state, m_printer);
    m_player->setChooser([this](QWidget*, const QList<Macro>& macros) {
      for (const Macro& m : macros) m_offered << m.name;
      ++m_chooserShown;
      return m_choice;
    });
  }
  void TearDown() override {
    m_player.reset();
    m_window.reset();
  }

  std::unique_ptr<QWidget> m_window;
  QLineEdit* m_box = nullptr;
  WatchingPrinter m_printer;
  std::unique_ptr<MacroPlayer> m_player;
  QStringList m_offered;
  int m_chooserShown = 0;
  int m_choice = -1;
};

TEST_F(Player, TheMarkerBetweenTwoLettersPrintsOnceInLandscapeBetweenThem) {
  EXPECT_TRUE(m_player->play("a[ImpEcran]b"));
  EXPECT_EQ(m_box->text(), "ab");
  EXPECT_EQ(m_printer.textsAtPrint, QStringList{"a"});
  ASSERT_EQ(m_printer.prints().size(), 1);
  EXPECT_EQ(m_printer.prints()[0].orientation, QPageLayout::Landscape);
  // The image is the window, not the box that has the focus.
  EXPECT_EQ(m_printer.prints()[0].size, m_window->grab().size());
  EXPECT_EQ(m_printer.log(), (QStringList{"paysage", "impression", "portrait"}));
  EXPECT_EQ(m_printer.orientation(), QPageLayout::Portrait);
}

TEST_F(Player, TheMarkerTwicePrintsTwiceAndSendsNothing) {
  m_box->setText("x");
  EXPECT_TRUE(m_player->play("[ImpEcran][ImpEcran]"));
  EXPECT_EQ(m_box->text(), "x");
  EXPECT_EQ(m_printer.prints().size(), 2);
  EXPECT_EQ(m_printer.log(), (QStringList{"paysage", "impression", "portrait", "paysage",
                                          "impression", "portrait"}));
}

TEST_F(Player, AFailedPrintStillRestoresTheOrientationAndGoesOn) {
  m_printer.setOrientation(QPageLayout::Landscape);
  m_printer.setFailing(true);
  EXPECT_TRUE(m_player->play("[ImpEcran]z"));
  EXPECT_EQ(m_box->text(), "z");
  EXPECT_EQ(m_printer.log(), (QStringList{"paysage", "paysage", "impression", "paysage"}));
}

TEST_F(Player, ShiftHomeThenAltAReachTheBoxAsSuch) {
  KeyLog log;
  m_box->installEventFilter(&log);
  EXPECT_TRUE(m_player->play("+{HOME}%a"));
  const QList<std::pair<int, Qt::KeyboardModifiers>> expected = {{Qt::Key_Home, Qt::ShiftModifier},
                                                                 {Qt::Key_A, Qt::AltModifier}};
  EXPECT_EQ(log.presses, expected);
  EXPECT_EQ(m_box->text(), "");
}

TEST_F(Player, MalformedKeysSendNothingAndSayWhere) {
  EXPECT_FALSE(m_player->play("ab[ImpEcran]c{FOO}d", "Saisie"));
  EXPECT_EQ(m_box->text(), "");
  EXPECT_TRUE(m_printer.log().isEmpty());
  ASSERT_EQ(m_messages.texts().size(), 1);
  const QString text = m_messages.texts().first();
  EXPECT_TRUE(text.contains("« Saisie »")) << text.toStdString();
  EXPECT_TRUE(text.contains("{FOO}")) << text.toStdString();
  EXPECT_TRUE(text.contains("position 14")) << text.toStdString();
  EXPECT_TRUE(text.contains("Aucune touche n'a été envoyée")) << text.toStdString();
}

TEST_F(Player, OneApplicableMacroRunsWithoutTheChooser) {
  addMacro("Pour une autre", "FAUTRE", "nope");
  addMacro("Saisie", "ftest", "abc");  // window names compare as Jet does, case ignored
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_chooserShown, 0);
  EXPECT_EQ(m_box->text(), "abc");
}

TEST_F(Player, AMacroForEveryWindowAppliesToAnyWindow) {
  addMacro("Partout", "*", "xy");
  m_window->setObjectName("FQUELCONQUE");
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_chooserShown, 0);
  EXPECT_EQ(m_box->text(), "xy");
}

TEST_F(Player, SeveralMacrosGoThroughTheChooserInNameOrder) {
  addMacro("Zèbre", "FTEST", "z");
  addMacro("Autre fenêtre", "FAUTRE", "o");
  addMacro("L'apostrophe", "*", "l");
  m_choice = 1;
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_offered, (QStringList{"L'apostrophe", "Zèbre"}));
  EXPECT_EQ(m_box->text(), "z");

  m_choice = -1;  // Esc
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_box->text(), "z");
}

TEST_F(Player, NoMacroDoesNothingAndAMissingTableIsReported) {
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_chooserShown, 0);
  EXPECT_TRUE(m_messages.texts().isEmpty());
  m_db.Execute("DROP TABLE TMACRO");
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_messages.texts().size(), 1);
  EXPECT_EQ(m_box->text(), "");
}

TEST_F(Player, TheChosenMacroGoesToTheWindowActiveOnceTheChooserIsGone) {
  addMacro("Un", "FTEST", "1");
  addMacro("Deux", "FTEST", "2");
  MacroPlayer player(*m_state, m_printer);  // with the real chooser
  // Answers the chooser once it is the active window (it is given up after a while).
  QString shown;
  QTimer answer;
  QElapsedTimer waited;
  waited.start();
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* chooser = QApplication::activeModalWidget();
    if (chooser && QApplication::activeWindow() == chooser) {
      shown = chooser->objectName();
      answer.stop();
      core::Envoyer_Touches("{DOWN}{ENTER}", true);
    } else if (chooser && waited.elapsed() > 3000) {
      answer.stop();
      chooser->close();
    }
  });
  answer.start(10);
  player.runFor(m_window.get());
  EXPECT_EQ(shown, "FSELMACRO");
  EXPECT_EQ(m_box->text(), "1");  // the list reads "Deux", "Un"
}

TEST(Fselmacro, EnterTakesTheCurrentRowEscAndDoubleClick) {
  ui::ScriptedResponder messages;
  core::ProcessState state(messages);
  {
    FSELMACRO chooser(state, {"Un", "Deux", "Trois"});
    tarovent::test::showActive(&chooser);
    auto* list = chooser.findChild<QListWidget*>("BXL_Macros");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), list);
    core::Envoyer_Touches("{DOWN}{DOWN}{ENTER}", true);
    EXPECT_EQ(chooser.chosen(), 2);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
  }
  {
    FSELMACRO chooser(state, {"Un", "Deux"});
    tarovent::test::showActive(&chooser);
    core::Envoyer_Touches("{DOWN}{ESC}", true);
    EXPECT_EQ(chooser.chosen(), -1);
    EXPECT_EQ(chooser.result(), QDialog::Rejected);
  }
  {
    FSELMACRO chooser(state, {"Un", "Deux"});
    tarovent::test::showActive(&chooser);
    auto* list = chooser.findChild<QListWidget*>("BXL_Macros");
    emit list->itemDoubleClicked(list->item(1));
    EXPECT_EQ(chooser.chosen(), 1);
  }
}

TEST_F(Player, TheChooserLooksRight) {
  FSELMACRO chooser(*m_state, {"Imprimer la fenêtre", "Ligne de déplacement", "Relance"});
  tarovent::test::showActive(&chooser);
  const QImage image(screenshot(&chooser, "FSELMACRO"));
  EXPECT_GE(image.width(), 300);
  for (QWidget* c : chooser.findChildren<QWidget*>()) {
    if (!c->isVisible() || c->parentWidget() != &chooser) continue;
    EXPECT_TRUE(chooser.rect().contains(c->geometry())) << c->objectName().toStdString();
  }
}

// A working window of the program gets its macro button clear of its own controls.
TEST_F(Player, TheMacroButtonOfAWorkingWindowCoversNoControl) {
  m_window.reset();
  m_db.Execute("INSERT INTO TSOC VALUES ('AB', 'Atelier Bernard', 6, False)");
  dossiers::registerDossierWindows(*m_state);
  registerMacroWindows(*m_state, m_printer);
  core::MainMenu menu(*m_state);
  menu.refreshEntries();
  menu.resize(1280, 800);
  tarovent::test::showActive(&menu);
  ASSERT_TRUE(menu.openWindow("FSOC"));
  QWidget* fsoc = menu.workArea()->activeSubWindow()->widget();
  auto* button = tarovent::test::child<QToolButton>(fsoc, "TLB_MACRO");
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->isVisible());
  EXPECT_TRUE(button->isEnabled());
  for (QWidget* c : fsoc->findChildren<QWidget*>()) {
    if (c == button || !c->isVisible() || c->parentWidget() != fsoc) continue;
    EXPECT_FALSE(c->geometry().intersects(button->geometry())) << c->objectName().toStdString();
  }
}

TEST_F(Player, TheMacroButtonRunsTheMacrosOfItsWindowAboveItsControls) {
  QWidget* ran = nullptr;
  QWidget window;
  window.setObjectName("FBOUTON");
  auto* layout = new QVBoxLayout(&window);
  auto* edit = new QLineEdit(&window);
  layout->addWidget(edit);
  auto* list = new QListWidget(&window);  // takes every pixel the layout gives
  layout->addWidget(list, 1);
  QToolButton* without = core::addMacroButton(*m_state, &window);
  EXPECT_FALSE(without->isEnabled());
  delete without;

  m_state->runMacros = [&ran](QWidget* w) { ran = w; };
  QToolButton* button = core::addMacroButton(*m_state, &window);
  window.resize(500, 300);
  tarovent::test::showActive(&window);
  edit->setFocus();
  EXPECT_EQ(button->objectName(), "TLB_MACRO");
  EXPECT_TRUE(button->isEnabled());
  EXPECT_FALSE(button->geometry().intersects(edit->geometry()));
  EXPECT_FALSE(button->geometry().intersects(list->geometry()));
  EXPECT_TRUE(window.rect().contains(button->geometry()));
  EXPECT_GT(button->x(), window.width() / 2);
  button->click();
  EXPECT_EQ(ran, &window);
  EXPECT_EQ(QApplication::focusWidget(), edit);  // the keys still go to the box
}

TEST_F(Player, TheMainMenuButtonRunsTheMacrosOfTheActiveWindow) {
  m_window.reset();
  m_state->windows.add("FTEST", {[](QWidget*) {
                                   auto* w = new QWidget;
                                   w->setObjectName("FTEST");
                                   return w;
                                 },
                                 false});
  registerMacroWindows(*m_state, m_printer);
  QWidget* asked = nullptr;
  const auto run = m_state->runMacros;
  m_state->runMacros = [&asked](QWidget* w) { asked = w; };
  core::MainMenu menu(*m_state);
  menu.refreshEntries();
  auto* button = menu.findChild<QToolButton*>("TLB_MACRO");
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->isEnabled());
  tarovent::test::showActive(&menu);
  button->click();
  EXPECT_EQ(asked, &menu);
  ASSERT_TRUE(menu.openWindow("FTEST"));
  button->click();
  ASSERT_NE(asked, nullptr);
  EXPECT_EQ(asked->objectName(), "FTEST");
  EXPECT_TRUE(menu.openWindow("FMACRO"));  // registered with the macros
  m_state->runMacros = run;
}

TEST(SystemPrinter, WithoutAPrinterEachPrintIsAPdfFileAndTheOrientationStays) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer exists";
  QTemporaryDir dir;
  os::SystemWindowPrinter printer(dir.filePath("Impressions"));
  printer.setOrientation(QPageLayout::Landscape);
  EXPECT_EQ(printer.orientation(), QPageLayout::Landscape);
  QImage image(300, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  ASSERT_TRUE(printer.printImage(image));
  QFile pdf(printer.lastFile());
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << printer.lastFile().toStdString();
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  EXPECT_EQ(printer.orientation(), QPageLayout::Landscape);
  printer.setOrientation(QPageLayout::Portrait);
  EXPECT_EQ(printer.orientation(), QPageLayout::Portrait);
  EXPECT_FALSE(printer.printImage(QImage()));
}

}  // namespace
}  // namespace tarovent::macros
