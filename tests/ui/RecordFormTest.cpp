#include <QAbstractButton>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "UiTestSupport.h"
#include "platform/db/DbError.h"
#include "ui/BoundCheckBox.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/FormNavigation.h"
#include "ui/GridLink.h"
#include "ui/MessageFunnel.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"
#include "ui/RecordsetModel.h"

namespace tarovent::ui {
namespace {

using test::child;

// A small client form built the way record windows are.
class RecordForm : public test::DatabaseFixture {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    exec(
        "CREATE TABLE TCAT (TCAT_CODE TEXT(3), TCAT_LIB TEXT(30), "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TCAT_CODE))");
    exec("INSERT INTO TCAT VALUES ('IND', 'Industrie')");
    exec("INSERT INTO TCAT VALUES ('ART', 'Artisan')");
    exec(
        "CREATE TABLE TCLI (TCLI_CODE TEXT(10), TCLI_NOM TEXT(40), TCLI_ENCOURS DOUBLE, "
        "TCLI_ACTIF YESNO, TCLI_CAT TEXT(3), CONSTRAINT PrimaryKey PRIMARY KEY (TCLI_CODE))");
    exec("INSERT INTO TCLI VALUES ('C2', 'Berthier', 1500.5, True, 'ART')");
    exec("INSERT INTO TCLI VALUES ('C1', 'Aubry', 0, False, 'IND')");
    exec("INSERT INTO TCLI VALUES ('C3', 'Castel', NULL, False, NULL)");

    m_window = std::make_unique<QWidget>();
    m_window->setObjectName("FCLI");
    auto* box = new QVBoxLayout(m_window.get());
    m_data = new DataControl(m_window.get());
    m_data->setObjectName("DBD_CLI");
    m_data->setMessages(&m_messages);
    m_data->setDatabaseName(path("TEST.MDB"));
    m_data->setRecordSource("TCLI");
    const auto bind = [&](auto* w, const char* name, const char* field) {
      w->setObjectName(name);
      w->setDataSource(m_data, field);
      box->addWidget(w);
      return w;
    };
    m_code = bind(new BoundLineEdit(m_window.get()), "CTX_CODE", "TCLI_CODE");
    m_nom = bind(new BoundLineEdit(m_window.get()), "CTX_NOM", "TCLI_NOM");
    m_encours = bind(new NumberBox(m_window.get()), "CTX_ENCOURS", "TCLI_ENCOURS");
    m_encours->setMessages(&m_messages);
    m_actif = bind(new BoundCheckBox(m_window.get()), "CHK_ACTIF", "TCLI_ACTIF");
    m_cat = bind(new BoundComboBox(m_window.get()), "DBC_CAT", "TCLI_CAT");
    m_cat->setRowSource(m_db, "SELECT TCAT_CODE, TCAT_LIB FROM TCAT ORDER BY TCAT_CODE");
    box->addWidget(m_data);
    RecordButtonSet set;
    for (auto [slot, name] : {std::pair{&set.add, "Cmd_Ajouter"},
                              {&set.save, "Cmd_Update"},
                              {&set.cancel, "Cmd_Annuler"},
                              {&set.remove, "Cmd_Supprimer"},
                              {&set.refresh, "Cmd_Rafraichir"},
                              {&set.list, "Cmd_Liste"},
                              {&set.quit, "Cmd_Quitter"}}) {
      auto* b = new QPushButton(name, m_window.get());
      b->setObjectName(name);
      box->addWidget(b);
      *slot = b;
    }
    m_buttons = new RecordButtons(m_window.get(), m_data, m_messages, set);
    m_buttons->setFirstField(m_code);
    new FormNavigation(m_window.get());
    m_data->Refresh();
  }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }

  void click(const char* name) { child<QPushButton>(m_window.get(), name)->click(); }
  QString stored(const QString& code, const QString& field) {
    db::Recordset rs = m_db.OpenRecordset("SELECT * FROM TCLI WHERE TCLI_CODE = '" + code + "'");
    return rs.EOF_() ? QStringLiteral("<none>") : rs.text(field);
  }

  ScriptedResponder m_messages;
  std::unique_ptr<QWidget> m_window;
  DataControl* m_data = nullptr;
  BoundLineEdit* m_code = nullptr;
  BoundLineEdit* m_nom = nullptr;
  NumberBox* m_encours = nullptr;
  BoundCheckBox* m_actif = nullptr;
  BoundComboBox* m_cat = nullptr;
  RecordButtons* m_buttons = nullptr;
};

class GridForm : public RecordForm {
 protected:
  void SetUp() override {
    RecordForm::SetUp();
    m_grid = new QTableView(m_window.get());
    m_grid->setObjectName("DBG_CLI");
    m_window->layout()->addWidget(m_grid);
    m_model = new RecordsetModel(m_grid);
    new GridLink(m_grid, m_model, m_data);
  }
  int currentRow() const { return m_grid->currentIndex().row(); }
  void choose(int row) { m_grid->setCurrentIndex(m_model->index(row, 1)); }

  QTableView* m_grid = nullptr;
  RecordsetModel* m_model = nullptr;
};

TEST_F(GridForm, GridAndBoxesShowTheSameRecordAndAPendingChangeHoldsTheRow) {
  EXPECT_EQ(m_model->index(1, 3).data(Qt::CheckStateRole), Qt::Checked);  // a yes/no field
  choose(2);
  EXPECT_EQ(m_code->text(), "C3");
  m_data->MoveFirst();
  EXPECT_EQ(currentRow(), 0);
  m_nom->setText("changé");
  choose(2);
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrez ou annulez votre saisie"});
  EXPECT_EQ(currentRow(), 0);
}

TEST_F(GridForm, GridFollowsSavesAndDeletions) {
  click("Cmd_Ajouter");
  m_code->setText("C25");
  m_nom->setText("Bonnet");
  click("Cmd_Update");
  EXPECT_EQ(m_model->rowCount(), 4);
  EXPECT_EQ(currentRow(), 2);
  EXPECT_EQ(m_model->index(2, 1).data().toString(), "Bonnet");
  m_messages.script({Answer::Yes});
  click("Cmd_Supprimer");
  EXPECT_EQ(m_model->rowCount(), 3);
  EXPECT_EQ(currentRow(), 2);
}

// Regression: every reload gave the model back its raw field names and default widths.
TEST_F(GridForm, ColumnsHeadersWidthsAndCurrentColumnSurviveSavesAndRefreshes) {
  m_model->setColumns(
      {{"TCLI_CODE", "Code", {}, {}},
       {"TCLI_NOM", "Raison sociale", [](const QVariant& v) { return v.toString().toUpper(); }, {}},
       {"TCLI_ENCOURS", "Encours", {}, {}}});
  m_grid->setColumnWidth(1, 173);
  m_grid->setColumnHidden(2, true);
  choose(1);  // Berthier, in the second column
  const auto look = [&](const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(m_model->headerData(1, Qt::Horizontal).toString(), "Raison sociale");
    EXPECT_EQ(m_grid->columnWidth(1), 173);
    EXPECT_TRUE(m_grid->isColumnHidden(2));
    EXPECT_EQ(m_grid->currentIndex().column(), 1);
  };
  look("as set");
  m_nom->setText("Berthier et fils");
  click("Cmd_Update");
  look("after a save");
  EXPECT_EQ(m_model->index(currentRow(), 1).data().toString(), "BERTHIER ET FILS");
  click("Cmd_Rafraichir");
  look("after a refresh");
}

// The form below the grid grows (a message line shown, say): the grid gets shorter, and the
// current row, in sight before, stays in sight; one scrolled out of sight by the user stays out.
TEST_F(GridForm, ACurrentRowInSightStaysInSightWhenTheGridGetsShorter) {
  test::showActive(m_window.get());
  const int rowHeight = m_grid->rowHeight(0);
  const auto setRowsShown = [&](double rows) {
    m_grid->setFixedHeight(m_grid->horizontalHeader()->height() + int(rows * rowHeight) +
                           2 * m_grid->frameWidth());
    QApplication::processEvents();
  };
  const auto inSight = [&] {
    const QRect row = m_grid->visualRect(m_grid->currentIndex());
    return row.top() >= 0 && row.bottom() < m_grid->viewport()->height();
  };
  setRowsShown(3.5);
  choose(2);
  ASSERT_TRUE(inSight());
  setRowsShown(1.5);
  EXPECT_TRUE(inSight());

  // Scrolled out of sight by the user: the grid does not jump back to it.
  setRowsShown(1.5);
  m_grid->verticalScrollBar()->setValue(0);
  ASSERT_FALSE(inSight());
  setRowsShown(1);
  EXPECT_EQ(m_grid->verticalScrollBar()->value(), 0);
}

TEST_F(RecordForm, ShowsRecordsInKeyOrderWithTheirPosition) {
  EXPECT_EQ(m_code->maxLength(), 10);  // TEXT(10)
  EXPECT_EQ(m_data->caption(), "Enregistrement: 1 / 3");
  m_data->MoveNext();
  EXPECT_EQ(m_encours->text(), "1500,5");  // the workstation's separator
  EXPECT_TRUE(m_actif->isChecked());
  EXPECT_EQ(m_cat->code(), "ART");
  m_data->MoveLast();
  EXPECT_EQ(m_encours->text(), "");  // Null
  EXPECT_EQ(m_cat->currentIndex(), -1);
  m_data->MoveNext();  // stays on the last record
  EXPECT_EQ(m_data->caption(), "Enregistrement: 3 / 3");
}

TEST_F(RecordForm, CancelGivesTheRecordBackAndSavedValuesTakeTheFieldTypes) {
  m_encours->setText("12,75");
  m_actif->setChecked(true);
  m_cat->setCode("ART");
  EXPECT_TRUE(hasPendingChanges(m_window.get()));
  m_data->CancelUpdate();
  EXPECT_FALSE(hasPendingChanges(m_window.get()));
  EXPECT_EQ(m_encours->text(), "0");
  EXPECT_FALSE(m_actif->isChecked());

  m_encours->setText("1 234.5");  // a point typed on a comma workstation
  m_actif->setChecked(true);
  m_cat->setCode("ART");
  m_data->UpdateRecord();
  EXPECT_FALSE(hasPendingChanges(m_window.get()));
  EXPECT_EQ(stored("C1", "TCLI_ENCOURS") + '|' + stored("C1", "TCLI_ACTIF") + '|' +
                stored("C1", "TCLI_CAT"),
            "1234.5|true|ART");
  m_encours->setText("");
  m_data->UpdateRecord();
  EXPECT_TRUE(m_db.OpenRecordset("SELECT * FROM TCLI WHERE TCLI_CODE = 'C1'")
                  .value("TCLI_ENCOURS")
                  .isNull());
}

TEST_F(RecordForm, AddSaveAndDeleteThroughTheButtons) {
  m_data->MoveNext();
  click("Cmd_Ajouter");
  EXPECT_EQ(m_data->caption(), "Enregistrement: 4 / 4");
  click("Cmd_Annuler");  // back to the record shown before
  EXPECT_EQ(m_code->text(), "C2");
  click("Cmd_Ajouter");
  m_code->setText("C0");
  m_nom->setText("Abadie");
  click("Cmd_Update");
  EXPECT_EQ(m_data->caption(), "Enregistrement: 1 / 4");  // stays on the new record

  m_messages.script({Answer::No});
  click("Cmd_Supprimer");
  EXPECT_EQ(stored("C0", "TCLI_NOM"), "Abadie");

  m_messages.script({Answer::Yes});
  click("Cmd_Supprimer");
  EXPECT_EQ(stored("C0", "TCLI_NOM"), "<none>");
  EXPECT_EQ(m_code->text(), "C1");
}

TEST_F(RecordForm, CommandsLeavingTheRecordAreRefusedWhileAChangeIsPending) {
  int lists = 0, quits = 0;
  QObject::connect(m_buttons, &RecordButtons::listRequested, [&] { ++lists; });
  QObject::connect(m_buttons, &RecordButtons::quitRequested, [&] { ++quits; });
  m_nom->setText("changé");
  for (const char* name :
       {"Cmd_Ajouter", "Cmd_Supprimer", "Cmd_Rafraichir", "Cmd_Liste", "Cmd_Quitter"})
    click(name);
  m_data->findChild<QAbstractButton*>("next")->click();
  EXPECT_EQ(m_messages.texts(), QStringList(6, "Enregistrez ou annulez votre saisie"));
  EXPECT_EQ(lists + quits, 0);
  EXPECT_EQ(m_code->text(), "C1");  // the moving button was refused too

  click("Cmd_Annuler");
  click("Cmd_Liste");
  click("Cmd_Quitter");
  EXPECT_EQ(lists, 1);
  EXPECT_EQ(quits, 1);
}

TEST_F(RecordForm, F10SavesFromAnyBoxAndDatabaseErrorsShowTheirNumber) {
  test::showActive(m_window.get());
  m_nom->setFocus();
  m_nom->setText("Aubry SA");
  test::pressKey(m_nom, Qt::Key_F10);
  EXPECT_EQ(stored("C1", "TCLI_NOM"), "Aubry SA");
  click("Cmd_Ajouter");
  m_code->setText("C2");  // duplicate key
  click("Cmd_Update");
  EXPECT_TRUE(m_messages.texts().value(0).contains("   Err. n° 3022"))
      << m_messages.texts().join('|').toStdString();
}

TEST_F(RecordForm, SqlRecordSourceGivesADynaset) {
  m_data->setRecordSource("SELECT * FROM TCLI WHERE TCLI_ACTIF = False ORDER BY TCLI_NOM DESC");
  m_data->Refresh();
  EXPECT_EQ(m_data->caption(), "Enregistrement: 1 / 2");
  m_nom->setText("Castel SARL");
  m_data->UpdateRecord();
  EXPECT_EQ(stored("C3", "TCLI_NOM"), "Castel SARL");

  m_db.CreateQueryDef("QCLI_ACTIFS", "SELECT * FROM TCLI WHERE TCLI_ACTIF = True");
  m_data->setRecordSource("QCLI_ACTIFS");
  m_data->Refresh();
  EXPECT_EQ(m_code->text(), "C2");
}

TEST_F(RecordForm, EnterAndDownMoveOnUpMovesBackAndEntrySelectsAll) {
  test::showActive(m_window.get());
  m_code->setFocus();
  test::pressKey(m_code, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), m_nom);
  EXPECT_EQ(m_nom->selectedText(), "Aubry");
  test::pressKey(m_nom, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), m_encours);
  test::pressKey(m_encours, Qt::Key_Up);
  EXPECT_EQ(QApplication::focusWidget(), m_nom);
}

TEST_F(RecordForm, NumberBoxDropsRefusedKeysWithABeep) {
  test::showActive(m_window.get());
  m_encours->setFocus();
  m_encours->setText("12");
  test::typeText(m_encours, "-a,5,");
  EXPECT_EQ(m_encours->text(), "12,5");
  EXPECT_EQ(m_messages.beeps(), 3);
}

TEST_F(RecordForm, ComboListsCodeAndLabelAndCanBeEmptied) {
  m_cat->setShownColumn(1);
  m_data->MoveNext();
  EXPECT_EQ(m_cat->currentText(), "Artisan");
  EXPECT_EQ(m_cat->code(), "ART");
  m_cat->setCode("ind");  // codes compare as the database compares them
  EXPECT_EQ(m_cat->currentText(), "Industrie");
  m_data->UpdateRecord();
  EXPECT_EQ(stored("C2", "TCLI_CAT"), "IND");
}

// Regression: a dossier whose type was deleted showed no type and could no longer be saved.
TEST(BoundComboBoxAlone, ACodeTheListNoLongerHoldsIsKeptUntilAnotherIsChosen) {
  BoundComboBox box;
  box.setRows({{"A1", "Devis"}, {"B2", "Facture"}});
  box.setCode("OLD");
  EXPECT_EQ(box.code(), "OLD");
  EXPECT_EQ(box.placeholderText(), "OLD");
  box.setRows({{"A1", "Devis"}});  // the list read again keeps it
  EXPECT_EQ(box.code(), "OLD");
  box.setCurrentIndex(0);
  EXPECT_EQ(box.code(), "A1");
  EXPECT_EQ(box.placeholderText(), "");
  box.setCode(QString());
  EXPECT_EQ(box.code(), "");
}

}  // namespace
}  // namespace tarovent::ui
