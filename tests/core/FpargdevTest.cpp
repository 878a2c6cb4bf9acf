#include <QButtonGroup>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "core/CoreWindows.h"
#include "core/FPARGDEV.h"
#include "core/FormHelpers.h"
#include "core/HelpWindow.h"
#include "core/KeySender.h"
#include "core/ParameterRules.h"
#include "core/ProcessState.h"
#include "ui/BoundLineEdit.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core {
namespace {

using test::child;

class Fpargdev : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    db::Database db = m_ws.CreateDatabase(m_dir.filePath("TAROVENT.MDB"));
    db.Execute(
        "CREATE TABLE TPAR (TPAR_Ver TEXT(10), TPAR_DOCINIT YESNO, TPAR_LIBDEV1 TEXT(30), "
        "TPAR_LIBDEV2 TEXT(30), TPAR_COEFFDEV DOUBLE, TPAR_TYP_TARIF_MAT TEXT(1), "
        "TPAR_TYP_TARIF_MO TEXT(1), TPAR_TxTVADef DOUBLE, TPAR_PATH_EXCEL TEXT(255), "
        "TPAR_NOMFICH_EXCEL TEXT(255), TPAR_Word_Rapide YESNO)");
    db.Execute(
        "INSERT INTO TPAR VALUES ('9.5', True, 'Euro', 'Franc suisse', 0.95, 'R', 'V', 20, "
        "'C:\\MODELES\\', 'CALCUL.XLS', False)");
    m_state = std::make_unique<ProcessState>(m_messages);
    BaseEntry& main = m_state->base(entry::Main);
    main.folder = m_dir.path() + "/";
    main.file = "TAROVENT.MDB";
    main.db = db;
    registerCoreWindows(*m_state);
  }
  void TearDown() override {
    m_window.reset();
    QLocale::setDefault(QLocale::c());
  }

  // Opens the window as the main menu does, through the registry.
  FPARGDEV* open() {
    m_window.reset();
    const ui::WindowSpec* shape = m_state->windows.find("FPARGDEV");
    EXPECT_TRUE(shape && shape->modal);
    m_window.reset(static_cast<FPARGDEV*>(shape->create(nullptr)));
    test::showActive(m_window.get());
    return m_window.get();
  }
  QString stored(const char* field) { return m_state->mainDb().OpenRecordset("TPAR").text(field); }
  ui::BoundLineEdit* box(const char* name) {
    return child<ui::BoundLineEdit>(m_window.get(), name);
  }
  QRadioButton* opt(const char* name, int index) { return m_window->option(name, index); }
  void click(const char* name) { child<QPushButton>(m_window.get(), name)->click(); }
  void type(const char* name, const QString& text) {
    auto* b = box(name);
    b->setFocus();
    b->selectAll();
    test::typeText(b, text);
  }

  QTemporaryDir m_dir;
  db::Workspace m_ws;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<ProcessState> m_state;
  std::unique_ptr<FPARGDEV> m_window;
};

// Regression: no label had an access key, so the boxes could only be reached with Tab.
TEST_F(Fpargdev, AltAndTheUnderlinedLetterGoToTheBoxTheLabelNames) {
  FPARGDEV* w = open();
  box("CTX_NOMFICH_EXCEL")->setFocus();
  const std::pair<const char*, const char*> keys[] = {
      {"%l", "CTX_PAR_LIBDEV1"},  {"%s", "CTX_PAR_LIBDEV2"}, {"%c", "CTX_PAR_COEFFDEV"},
      {"%t", "CTX_PAR_TxTVADef"}, {"%h", "CTX_PATH_EXCEL"},  {"%n", "CTX_NOMFICH_EXCEL"}};
  for (const auto& [key, name] : keys) {
    ASSERT_TRUE(Envoyer_Touches(key, true));
    EXPECT_EQ(QApplication::focusWidget(), box(name)) << key;
  }
  // A frame's key goes to its checked option (the record holds "R" and "V").
  ASSERT_TRUE(Envoyer_Touches("%o", true));
  EXPECT_EQ(QApplication::focusWidget(), opt("OPT_TARIF_MO", 1));
  ASSERT_TRUE(Envoyer_Touches("%m", true));
  EXPECT_EQ(QApplication::focusWidget(), opt("OPT_TARIF_MAT", 0));

  // Every label names its box, each with a key of its own.
  EXPECT_EQ(test::keyboardFaults(w), QStringList());
}

TEST(MaterialsTariff, LettersAndOptionsGoBothWays) {
  struct Case {
    const char* letter;
    bool sellingPrice, price1;
  };
  for (const Case& c : {Case{"R", false, true}, Case{"V", true, true}, Case{"P", true, false},
                        Case{"", true, false}}) {
    const MaterialsTariff t = materialsTariff(c.letter);
    EXPECT_EQ(t.sellingPrice, c.sellingPrice) << c.letter;
    EXPECT_EQ(t.price1, c.price1) << c.letter;
    if (*c.letter) {
      EXPECT_EQ(materialsLetter(t), c.letter);
    }
  }
}

TEST_F(Fpargdev, SellingPricePrice2IsSavedAsP) {
  open();
  opt("OPT_TARIF_MAT", 1)->click();
  opt("OPT_TARIF_MAT_DET", 1)->click();
  opt("OPT_TARIF_MO", 0)->click();
  click("Cmd_Update");
  EXPECT_EQ(stored("TPAR_TYP_TARIF_MAT") + stored("TPAR_TYP_TARIF_MO"), "PR");

  opt("OPT_TARIF_MAT", 0)->click();
  EXPECT_FALSE(opt("OPT_TARIF_MAT_DET", 1)->isEnabled());
  click("Cmd_Update");
  EXPECT_EQ(stored("TPAR_TYP_TARIF_MAT"), "R");
}

// A change is pending from typing to saving; quitting with one asks, No loses it, Yes saves and
// reloads the parameters.
TEST_F(Fpargdev, QuittingOffersToSaveAndReloadsTheParameters) {
  FPARGDEV* w = open();
  type("CTX_PAR_LIBDEV2", "Livre");
  EXPECT_TRUE(Modif_En_Cours(w));
  m_messages.script({ui::Answer::No});
  click("Cmd_Quitter");
  EXPECT_EQ(m_messages.texts(), QStringList{"Voulez-vous enregistrer votre saisie"});
  EXPECT_EQ(stored("TPAR_LIBDEV2"), "Franc suisse");

  m_state->params.libDev1 = "avant";
  open();
  type("CTX_PAR_LIBDEV1", "Dollar");
  box("CTX_PAR_COEFFDEV")->clear();
  m_messages.script({ui::Answer::Yes});
  click("Cmd_Quitter");
  EXPECT_EQ(m_state->params.libDev1 + m_state->params.tarifMo, "DollarV");
  EXPECT_EQ(m_state->params.coeffDev, 0);  // Null

  // Without a change the window closes without a question, Escape included.
  m_messages.clear();
  open();
  test::pressKey(box("CTX_PAR_LIBDEV1"), Qt::Key_Escape);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_TRUE(m_messages.entries().isEmpty());
}

// Esc pressed by mistake on a change: Annuler keeps the window with what was typed, nothing
// saved; the change is then saved when the user says so.
TEST_F(Fpargdev, LeavingWithAChangeCanBeCancelled) {
  FPARGDEV* w = open();
  type("CTX_PAR_COEFFDEV", "0.9");
  m_messages.script({ui::Answer::Cancel});
  test::pressKey(box("CTX_PAR_COEFFDEV"), Qt::Key_Escape);
  ASSERT_EQ(m_messages.entries().size(), 1);
  EXPECT_EQ(m_messages.entries().at(0).buttons, ui::Buttons::YesNoCancel);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(box("CTX_PAR_COEFFDEV")->text(), "0,9");
  EXPECT_EQ(stored("TPAR_COEFFDEV"), "0.95");  // as it was
  type("CTX_PAR_COEFFDEV", "1,2");
  m_messages.script({ui::Answer::Cancel});
  w->close();
  EXPECT_TRUE(w->isVisible());
  m_messages.script({ui::Answer::Yes});
  click("Cmd_Quitter");
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(stored("TPAR_COEFFDEV"), "1.2");
}

TEST_F(Fpargdev, F10SavesAndF1OpensItsHelp) {
  open();
  type("CTX_PAR_LIBDEV2", "Yen");
  test::pressKey(box("CTX_PAR_LIBDEV2"), Qt::Key_F10);
  EXPECT_EQ(stored("TPAR_LIBDEV2"), "Yen");
  EXPECT_FALSE(Modif_En_Cours(m_window.get()));

  test::pressKey(box("CTX_PAR_LIBDEV1"), Qt::Key_F1);
  auto* help = m_window->findChild<HelpWindow*>();
  ASSERT_NE(help, nullptr);  // owned by the modal window, so that it can be used
  EXPECT_EQ(help->anchor(), "5400");
}

TEST_F(Fpargdev, AnEmptyTableGetsItsRecordAtTheFirstSave) {
  m_state->mainDb().Execute("DELETE FROM TPAR");
  open();
  type("CTX_PAR_LIBDEV1", "Euro");
  click("Cmd_Update");
  EXPECT_EQ(m_state->mainDb().OpenRecordset("TPAR").RecordCount(), 1);
}

TEST(FastWordMode, SendsF10OnlyWhenOn) {
  ui::ScriptedResponder messages;
  ProcessState state(messages);
  QWidget window;
  auto* edit = new QLineEdit(&window);
  int f10 = 0;
  struct Counter : QObject {
    int* n;
    explicit Counter(int* c) : n(c) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F10) ++*n;
      return false;
    }
  } counter(&f10);
  edit->installEventFilter(&counter);
  test::showActive(&window);
  edit->setFocus();
  Touche_Word_Rapide(state);
  EXPECT_EQ(f10, 0);
  state.params.wordRapide = true;
  Touche_Word_Rapide(state);
  EXPECT_EQ(f10, 1);  // processed before returning
}

}  // namespace
}  // namespace tarovent::core
