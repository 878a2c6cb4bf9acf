#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinterInfo>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "MacroTestSupport.h"
#include "core/KeySender.h"
#include "core/MacroButton.h"
#include "core/MainMenu.h"
#include "macros/MacroPlayer.h"
#include "macros/MacroWindows.h"

namespace tarovent::macros {
namespace {

// Records the text of a box at each print, as the window was when it was printed.
class WatchingPrinter : public os::FakeWindowPrinter {
 public:
  QLineEdit* box = nullptr;
  QStringList textsAtPrint;
  QString file;  // where the print went, when not on paper
  QString lastFile() const override { return file; }
  bool printImage(const QImage& image) override {
    textsAtPrint << (box ? box->text() : QString());
    return FakeWindowPrinter::printImage(image);
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
  // The image is the window, not the box that has the focus.
  EXPECT_EQ(m_printer.prints()[0].size, m_window->grab().size());
  EXPECT_EQ(m_printer.log(), (QStringList{"paysage", "impression", "portrait"}));
  EXPECT_EQ(m_printer.orientation(), QPageLayout::Portrait);
}

TEST_F(Player, AFailedPrintStillRestoresTheOrientationAndGoesOn) {
  m_printer.setOrientation(QPageLayout::Landscape);
  m_printer.setFailing(true);
  EXPECT_TRUE(m_player->play("[ImpEcran]z"));
  EXPECT_EQ(m_box->text(), "z");
  EXPECT_EQ(m_printer.log(), (QStringList{"paysage", "paysage", "impression", "paysage"}));
  EXPECT_EQ(m_messages.texts(), QStringList{"La fenêtre n'a pas été imprimée."});
}

// Regression: without a printer the window went to a PDF file that nobody was told of.
TEST_F(Player, APrintWrittenToAFileSaysWhere) {
  m_printer.file = QStringLiteral("/tmp/Fenetre_1.pdf");
  EXPECT_TRUE(m_player->play("[ImpEcran]"));
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts().first().endsWith("Fenetre_1.pdf"));
}

// Regression: the keys after one that opens a dialog waited for the dialog to close; they go
// into the dialog.
TEST_F(Player, KeysAfterADialogOpensGoIntoTheDialog) {
  QString typedInDialog;
  auto* opener = new QShortcut(QKeySequence(Qt::Key_F2), m_window.get());
  QObject::connect(opener, &QShortcut::activated, [&] {
    QDialog d(m_window.get());
    auto* e = new QLineEdit(&d);
    e->setFocus();
    QTimer::singleShot(5000, &d, &QDialog::reject);  // never left open should the keys miss it
    d.exec();
    typedInDialog = e->text();
  });
  EXPECT_TRUE(m_player->play("{F2}xy{ESC}z"));
  EXPECT_EQ(typedInDialog, "xy");
  EXPECT_EQ(m_box->text(), "z");
}

TEST_F(Player, MalformedKeysSendNothingAndSayWhere) {
  EXPECT_FALSE(m_player->play("ab[ImpEcran]c{FOO}d", "Saisie"));
  EXPECT_EQ(m_box->text(), "");
  EXPECT_TRUE(m_printer.log().isEmpty());
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts().first().contains("« Saisie »"));
}

TEST_F(Player, OneApplicableMacroRunsWithoutTheChooserAndStarMeansAnyWindow) {
  addMacro("Pour une autre", "FAUTRE", "nope");
  addMacro("Saisie", "ftest", "abc");  // window names compare as Jet does, case ignored
  m_player->runFor(m_window.get());
  m_db.Execute("UPDATE TMACRO SET TMACRO_Form = '*' WHERE TMACRO_Form = 'ftest'");
  m_window->setObjectName("FQUELCONQUE");
  m_player->runFor(m_window.get());
  EXPECT_EQ(m_chooserShown, 0);
  EXPECT_EQ(m_box->text(), "abcabc");
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
  EXPECT_EQ(m_chooserShown + m_messages.texts().size(), 0);
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
  EXPECT_TRUE(button->isEnabled());
  const QRect at = button->geometry();
  EXPECT_TRUE(window.rect().contains(at) && !at.intersects(edit->geometry()) &&
              !at.intersects(list->geometry()));
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
  ASSERT_TRUE(button && button->isEnabled());
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
  QImage image(300, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  ASSERT_TRUE(printer.printImage(image));
  QFile pdf(printer.lastFile());
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << printer.lastFile().toStdString();
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  EXPECT_EQ(printer.orientation(), QPageLayout::Landscape);
  EXPECT_FALSE(printer.printImage(QImage()));
}

}  // namespace
}  // namespace tarovent::macros
