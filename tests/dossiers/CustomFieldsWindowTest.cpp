#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "WindowTestSupport.h"
#include "core/Translator.h"
#include "dossiers/ChoiceList.h"
#include "dossiers/CustomFieldsPanel.h"
#include "dossiers/FPERSO.h"
#include "dossiers/PickList.h"
#include "ui/BoundLineEdit.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

// Field 1 text with a value table, 3 a number with two decimals, 4 a date, 5 a text of 80
// on a field of 50 whose table does not exist; 6 has lost its label.
class CustomFieldsWindow : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    m_db.Execute("INSERT INTO TPAR (TPAR_Ver) VALUES ('1')");
    m_db.Execute(
        "UPDATE TPAR SET TPAR_LIBUSER1 = 'Atelier', TPAR_USER1_TYP = 'C', TPAR_USER1_LNG = 20, "
        "TPAR_USER1_TAB = 'TBUSER_ATELIER', TPAR_LIBUSER3 = 'Compteur', TPAR_USER3_TYP = 'N', "
        "TPAR_USER3_LNG = 15, TPAR_USER3_DEC = 2, TPAR_LIBUSER4 = 'Livraison', TPAR_USER4_TYP "
        "= 'D', TPAR_USER4_LNG = 10, TPAR_LIBUSER5 = 'Couleur', TPAR_USER5_TYP = 'C', "
        "TPAR_USER5_LNG = 80, TPAR_USER5_TAB = 'TBUSER_ABSENTE', TPAR_LIBUSER6 = '', "
        "TPAR_USER6_TYP = ''");
    install::applySchema(m_db, install::customValueTableSchema("TBUSER_ATELIER"));
    m_db.Execute("INSERT INTO TBUSER_ATELIER VALUES ('Tôlerie', 2)");
    m_db.Execute("INSERT INTO TBUSER_ATELIER VALUES ('Peinture', 1)");
  }
  void TearDown() override {
    WindowTest::TearDown();
    QLocale::setDefault(QLocale::c());
  }
  // The panels of fields 1-2 and 3-15 in a host window.
  void openPanels() {
    m_fields.load(m_db);
    auto* host = new QWidget;
    host->setObjectName("FDEV");
    m_window.reset(host);
    auto* layout = new QVBoxLayout(host);
    m_form = new CustomFieldsPanel(*m_state, m_fields, 1, 2, host);
    m_panel = new CustomFieldsPanel(*m_state, m_fields, 3, 15, host);
    m_operation = new QLineEdit(host);
    m_operation->setObjectName("FDOS_RESUME");
    m_ope = new PickList(m_db, "TBUSER_LIBOPE", m_operation, host);
    m_ope->setObjectName("BXC_LibOpe");
    layout->addWidget(m_form);
    layout->addWidget(m_operation);
    layout->addWidget(m_ope);
    layout->addWidget(m_panel, 1);
    host->resize(1280, 800);
    tarovent::test::showActive(host);
  }

  CustomFields m_fields;
  CustomFieldsPanel* m_form = nullptr;
  CustomFieldsPanel* m_panel = nullptr;
  QLineEdit* m_operation = nullptr;
  PickList* m_ope = nullptr;
};

TEST_F(CustomFieldsWindow, PanelShowsUsedFieldsWithTheirLabels) {
  m_db.Execute("INSERT INTO TBUSER_LIBOPE VALUES ('Vidange', 1)");
  openPanels();
  int closed = 0;
  QObject::connect(m_panel, &CustomFieldsPanel::closed, [&] { ++closed; });
  m_panel->showPanel();
  // Each label takes the first of its letters the window leaves free.
  EXPECT_EQ(m_form->label(1)->text(), "&Atelier (F4)");
  EXPECT_EQ(m_panel->label(3)->text(), "&Compteur");
  EXPECT_EQ(m_panel->label(5)->text(), "C&ouleur");  // its table is missing
  EXPECT_EQ(tarovent::test::keyboardFaults(m_window.get()), QStringList());
  EXPECT_EQ(m_panel->box(5)->maxLength(), 50);
  EXPECT_FALSE(m_panel->box(6)->isVisible());  // label cleared: hidden

  // A number is formatted on leaving; Enter goes to the next visible box.
  typeText(m_panel->box(3), "1234.5");
  pressKey(m_panel->box(3), Qt::Key_Return);
  EXPECT_EQ(m_panel->box(3)->text(), "1 234,50");
  typeText(m_panel->box(4), "3/2/26");
  pressKey(m_panel->box(4), Qt::Key_Return);
  EXPECT_EQ(m_panel->box(4)->text(), "03/02/2026");
  pressKey(QApplication::focusWidget(), Qt::Key_Escape);  // in box 5, the next visible one
  EXPECT_FALSE(m_panel->isVisible());
  EXPECT_EQ(closed, 1);
  // A value of the operations list fills its box.
  emit m_ope->activated(1);  // after the empty row
  EXPECT_EQ(m_operation->text(), "Vidange");
}

TEST_F(CustomFieldsWindow, ValueNotInTheTableIsKeptAndTheListOffered) {
  openPanels();
  QLineEdit* box = m_form->box(1);
  box->setFocus();
  typeText(box, "Sellerie");
  m_operation->setFocus();  // leaves the box
  auto* list = get<QListWidget>("DBG_TBUSER01");
  ASSERT_TRUE(get("FRM_TBUSER01")->isVisible());
  pressKey(list, Qt::Key_Escape);  // kept as typed
  EXPECT_EQ(box->text(), "Sellerie");
  m_operation->setFocus();  // declined once: not offered again for the same value
  EXPECT_FALSE(get("FRM_TBUSER01")->isVisible());

  // F4 opens the list; Enter takes the row.
  box->setFocus();
  pressKey(box, Qt::Key_F4);
  list->setCurrentRow(1);  // in the table's order: Peinture, Tôlerie
  pressKey(list, Qt::Key_Return);
  EXPECT_EQ(box->text(), "Tôlerie");

  // The list's title is translated as every other text is.
  m_db.Execute("CREATE INDEX NTX_ABREGE ON TMP_TRAD (T_ABREGE)");
  m_db.Execute("INSERT INTO TMP_TRAD VALUES ('Choix:', 'Choix:', 'Izbor:')");
  m_state->translator().useTable(2, m_db.OpenRecordset("TMP_TRAD", db::RecordsetType::Table));
  pressKey(box, Qt::Key_F4);
  const QLabel* title = get("FRM_TBUSER01")->findChild<QLabel*>();
  ASSERT_TRUE(title);
  EXPECT_EQ(title->text(), "Izbor: Atelier");
  m_state->translator().useTable(0, {});
}

class Fperso : public CustomFieldsWindow {
 protected:
  ui::BoundLineEdit* box(const char* name, int n) {
    return static_cast<ui::BoundLineEdit*>(ui::indexedControl(m_window.get(), name, n));
  }
};

TEST_F(Fperso, RowsFollowTheirKind) {
  open<FPERSO>();
  // A new field: a label then a lower-case kind.
  box("CTX_USER_LIB", 7)->setFocus();
  typeText(box("CTX_USER_LIB", 7), "Poids");
  box("CTX_USER_TYP", 7)->setFocus();
  typeText(box("CTX_USER_TYP", 7), "d");
  box("CTX_USER_TAB", 7)->setFocus();

  // Clearing a label switches the field off.
  box("CTX_USER_LIB", 3)->setFocus();
  box("CTX_USER_LIB", 3)->clear();
  box("CTX_USER_TYP", 3)->setFocus();

  pressKey(m_window.get(), Qt::Key_F10);
  EXPECT_EQ(scalar("select TPAR_USER7_TYP & TPAR_USER7_LNG & '|' & TPAR_LIBUSER3 & "
                   "TPAR_USER3_TYP from TPAR"),
            "D10|");
}

TEST_F(Fperso, LeavingWithChangesAsksToSave) {
  const struct {
    QList<Answer> answers;
    bool stays;
    const char* saved;
  } cases[] = {{{Answer::Cancel}, true, ""},
               {{Answer::No}, false, ""},
               {{Answer::Yes}, false, "Date livraison"}};
  for (const auto& c : cases) {
    open<FPERSO>();
    box("CTX_USER_LIB", 2)->setFocus();
    typeText(box("CTX_USER_LIB", 2), "Date livraison");
    m_messages.clear();
    m_messages.script(c.answers);
    click("Cmd_Quitter");
    EXPECT_EQ(m_messages.texts(), QStringList{"Voulez-vous enregistrer votre saisie ?"});
    EXPECT_EQ(m_window->isVisible(), c.stays);
    EXPECT_EQ(scalar("select TPAR_LIBUSER2 & '' from TPAR"), c.saved);
  }
  m_messages.clear();
  click("Cmd_Quitter");  // nothing pending: no question
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

}  // namespace
}  // namespace tarovent::dossiers
