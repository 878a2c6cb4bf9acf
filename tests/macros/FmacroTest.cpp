#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include "MacroTestSupport.h"
#include "core/CoreWindows.h"
#include "core/FPARGDEV.h"
#include "core/KeySender.h"
#include "macros/FMACRO.h"
#include "macros/MacroWindows.h"

namespace tarovent::macros {
namespace {

class Fmacro : public test::MacroTest {
 protected:
  void SetUp() override {
    MacroTest::SetUp();
    addMacro("Imprimer la fenêtre", "*", "[ImpEcran]");
    addMacro("Ligne de déplacement", "FCOMPO", "DEPL{TAB}1{ENTER}");
  }
  void TearDown() override {
    m_window.reset();
    QLocale::setDefault(QLocale::c());
  }

  FMACRO* open() {
    m_window = std::make_unique<FMACRO>(*m_state);
    m_window->resize(1280, 800);
    tarovent::test::showActive(m_window.get());
    return m_window.get();
  }
  template <typename T = QWidget>
  T* get(const char* name) {
    return tarovent::test::child<T>(m_window.get(), name);
  }
  QLineEdit* box(const char* name) { return get<QLineEdit>(name); }
  void click(const char* button) { get<QPushButton>(button)->click(); }
  QStringList listed() {
    QStringList names;
    QAbstractItemModel* model = get<QListView>("BXL_Macros")->model();
    for (int r = 0; r < model->rowCount(); ++r) names << model->index(r, 0).data().toString();
    return names;
  }
  QString current() { return get<QListView>("BXL_Macros")->currentIndex().data().toString(); }
  QString stored(const QString& name, const char* field) {
    db::Recordset rs =
        m_db.OpenRecordset("SELECT * FROM TMACRO WHERE TMACRO_NomMacro = " + db::sqlLiteral(name));
    return rs.EOF_() ? QStringLiteral("<none>") : rs.text(field);
  }
  QString focused() const {
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QString();
  }

  std::unique_ptr<FMACRO> m_window;
};

TEST_F(Fmacro, BrowsingKeepsTheBoxesLockedOnTheListedMacro) {
  open();
  EXPECT_EQ(tarovent::test::keyboardFaults(m_window.get()), QStringList());
  EXPECT_EQ(listed(), (QStringList{"Imprimer la fenêtre", "Ligne de déplacement"}));
  EXPECT_EQ(focused(), "BXL_Macros");
  EXPECT_TRUE(m_window->locked());
  EXPECT_FALSE(box("CTX_NomMacro")->isEnabled() || box("CTX_Form")->isEnabled() ||
               box("CTX_Detail")->isEnabled());
  core::Envoyer_Touches("{DOWN}", true);
  EXPECT_EQ(box("CTX_Detail")->text(), "DEPL{TAB}1{ENTER}");
  // Help keys go nowhere while the boxes are locked.
  m_window->insertHelpKey(4);
  EXPECT_EQ(box("CTX_Detail")->text(), "DEPL{TAB}1{ENTER}");
}

TEST_F(Fmacro, TheTabKeyTextGoesBetweenTwoLettersAndTheCursorBeforeTheSecond) {
  open();
  click("Cmd_Modifier");
  auto* detail = box("CTX_Detail");
  ASSERT_TRUE(detail->isEnabled());
  detail->setText("ab");
  detail->setCursorPosition(1);
  // A click on the row, then Enter on another from the keyboard.
  auto* help = get<QTableWidget>("DBG_Aide");
  emit help->cellClicked(4, 0);
  detail->setCursorPosition(1);
  help->setFocus();
  help->setCurrentCell(26, 0);
  core::Envoyer_Touches("{ENTER}", true);
  EXPECT_EQ(detail->text(), "a[ImpEcran]{TAB}b");
  EXPECT_EQ(detail->cursorPosition(), 11);
  EXPECT_EQ(focused(), "CTX_Detail");
}

TEST_F(Fmacro, AddingWithTheKeyboardSavesAndRepositionsOnTheNewMacro) {
  open();
  core::Envoyer_Touches("%a", true);
  settle();
  EXPECT_FALSE(m_window->locked());
  EXPECT_EQ(focused(), "CTX_NomMacro");
  // A second add keeps the row being added.
  core::Envoyer_Touches("Politesse%a", true);
  settle();
  EXPECT_EQ(box("CTX_NomMacro")->text(), "Politesse");
  // An empty window box becomes "*" when left.
  core::Envoyer_Touches("{TAB}{TAB}", true);
  EXPECT_EQ(box("CTX_Form")->text(), "*");
  EXPECT_EQ(focused(), "CTX_Detail");
  tarovent::test::typeText(box("CTX_Detail"), "Madame,");
  core::Envoyer_Touches("{F10}", true);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(stored("Politesse", "TMACRO_Form") + stored("Politesse", "TMACRO_Detail"), "*Madame,");
  EXPECT_EQ(current(), "Politesse");
  EXPECT_TRUE(m_window->locked());
}

TEST_F(Fmacro, ARenamedMacroTakesItsPlaceInTheList) {
  open();
  click("Cmd_Modifier");
  box("CTX_NomMacro")->setText("Zoom");
  click("Cmd_Update");
  EXPECT_EQ(listed(), (QStringList{"Ligne de déplacement", "Zoom"}));
  EXPECT_EQ(current(), "Zoom");
  EXPECT_EQ(box("CTX_Detail")->text(), "[ImpEcran]");
  EXPECT_TRUE(m_window->locked());
}

TEST_F(Fmacro, SavingRefusesANamelessMacroAndMalformedKeys) {
  open();
  click("Cmd_Ajouter");
  box("CTX_Detail")->setText("abc");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts(), QStringList{"Le nom de la macro est obligatoire"});
  EXPECT_EQ(focused(), "CTX_NomMacro");
  m_messages.clear();
  box("CTX_NomMacro")->setText("Cassée");
  box("CTX_Detail")->setText("ab{ENTRE}");
  click("Cmd_Update");
  EXPECT_EQ(m_messages.texts().size(), 1);
  EXPECT_EQ(stored("Cassée", "TMACRO_Detail"), "<none>");
  EXPECT_EQ(focused(), "CTX_Detail");
  EXPECT_EQ(box("CTX_Detail")->cursorPosition(), 2);
  EXPECT_FALSE(m_window->locked());
}

TEST_F(Fmacro, DeleteOnTheListAsksWithNoByDefault) {
  open();
  auto* list = get<QListView>("BXL_Macros");
  list->setFocus();
  m_messages.script({ui::Answer::No});
  tarovent::test::pressKey(list, Qt::Key_Delete);
  ASSERT_EQ(m_messages.entries().size(), 1);
  EXPECT_EQ(m_messages.entries()[0].defaultButton, 2);
  EXPECT_EQ(listed().size(), 2);
  m_messages.script({ui::Answer::Yes});
  tarovent::test::pressKey(list, Qt::Key_Delete);
  EXPECT_EQ(listed(), QStringList{"Ligne de déplacement"});
  EXPECT_EQ(stored("Imprimer la fenêtre", "TMACRO_Form"), "<none>");
}

TEST_F(Fmacro, QuittingWithUnsavedChangesIsRefused) {
  open();
  click("Cmd_Modifier");
  tarovent::test::typeText(box("CTX_Detail"), "x");
  click("Cmd_Quitter");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Veuillez d'abord enregistrer ou annuler vos modifications"});
  EXPECT_TRUE(m_window->isVisible());
  m_messages.clear();
  click("Cmd_Annuler");
  EXPECT_TRUE(m_window->locked());
  EXPECT_EQ(box("CTX_Detail")->text(), "[ImpEcran]");
  core::Envoyer_Touches("{ESC}", true);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

// The whole road: a macro recorded here for the parameters window, replayed there.
TEST_F(Fmacro, AMacroRecordedForTheParametersChangesTheVatRateWhenReplayed) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  m_db.Execute(
      "INSERT INTO TPAR (TPAR_LIBDEV1, TPAR_TxTVADef, TPAR_TYP_TARIF_MAT, TPAR_TYP_TARIF_MO) "
      "VALUES ('Euro', 20, 'R', 'V')");
  os::FakeWindowPrinter printer;
  core::registerCoreWindows(*m_state);
  registerMacroWindows(*m_state, printer);
  m_db.Execute("DELETE FROM TMACRO");

  open();
  core::Envoyer_Touches("%a", true);
  settle();
  core::Envoyer_Touches("TVA r{(}duite{TAB}FPARGDEV{TAB}", true);
  tarovent::test::typeText(box("CTX_Detail"), "{TAB}{TAB}{TAB}5,5{F10}");
  core::Envoyer_Touches("{F10}", true);
  ASSERT_EQ(stored("TVA r(duite", "TMACRO_Form"), "FPARGDEV");
  m_window.reset();

  std::unique_ptr<QWidget> parameters(m_state->windows.find("FPARGDEV")->create(nullptr));
  tarovent::test::showActive(parameters.get());
  auto* button = tarovent::test::child<QToolButton>(parameters.get(), "TLB_MACRO");
  ASSERT_TRUE(button->isEnabled());
  button->click();
  db::Recordset rs = m_db.OpenRecordset("TPAR", db::RecordsetType::Table);
  rs.MoveFirst();
  EXPECT_DOUBLE_EQ(rs.number("TPAR_TxTVADef"), 5.5);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_TRUE(printer.log().isEmpty());
}

}  // namespace
}  // namespace tarovent::macros
