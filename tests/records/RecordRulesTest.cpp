#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTimer>

#include "RecordKeys.h"
#include "core/CalendarDialog.h"
#include "ui/FormNavigation.h"

namespace tarovent::test {

namespace {

using ui::Answer;

class RecordRules : public RecordKeys {};

// A saved record keeps its code: typing over it, or Alt+letter that names no control, changes
// nothing; a new record takes the code typed.
TEST_F(RecordRules, TheCodeOfASavedRecordCannotBeRetyped) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  struct Window {
    const char* entry;
    const char* code;
    const char* add;
  };
  const Window windows[] = {{"M_TABL_SOCI", "FSOC_CODE", "Cmd_Ajouter"},
                            {"M_TABL_PRO", "FPRO_CODE", "Cmd_Ajouter"},
                            {"M_TABL_TYPE", "FTYP_CODE", "Cmd_Ajouter"},
                            {"M_CLI_CAT", "CTX_TCAT_CODE", "Cmd_ADD"},
                            {"M_CLIDEV", "CTX_TCLI_CODE", "Cmd_ADD"}};
  for (const Window& w : windows) {
    SCOPED_TRACE(w.entry);
    QWidget* window = open(w.entry);
    ASSERT_TRUE(window);
    auto* code = child<QLineEdit>(window, w.code);
    ASSERT_TRUE(code && !code->text().isEmpty());
    const QString saved = code->text();
    code->setFocus();
    code->selectAll();
    typeText(code, "ZQ");
    key(Qt::Key_K, Qt::AltModifier, "k");  // no control owns it
    EXPECT_EQ(code->text(), saved);
    EXPECT_FALSE(ui::hasPendingChanges(window));
    child<QAbstractButton>(window, w.add)->click();
    QApplication::processEvents();
    code->setFocus();
    typeText(code, "ZQ");
    EXPECT_EQ(code->text(), "ZQ");
    m_messages.script({Answer::No});  // leaving: the new record is dropped
    ASSERT_TRUE(static_cast<core::RecordWindow*>(window)->closeWindow()) << said().toStdString();
    QApplication::processEvents();
  }
}

// Regression: Alt+letter that no control owns typed its letter into the focused box.
TEST_F(RecordRules, AnAccessKeyNeverTypesItsLetter) {
  QWidget* window = open("M_TABL_SOCI");
  auto* name = child<QLineEdit>(window, "FSOC_LIB");
  name->setFocus();
  const QString before = name->text();
  key(Qt::Key_K, Qt::AltModifier, "k");
  EXPECT_EQ(name->text(), before);
  EXPECT_FALSE(ui::hasPendingChanges(window));
}

TEST_F(RecordRules, TheNameOfASavedMacroCannotBeRetyped) {
  QWidget* window = open("M_MACROS");
  ASSERT_TRUE(window);
  auto* name = child<QLineEdit>(window, "CTX_NomMacro");
  if (name->text().isEmpty()) GTEST_SKIP() << "the demo has no macro";
  const QString saved = name->text();
  child<QAbstractButton>(window, "Cmd_Modifier")->click();
  name->setFocus();
  name->selectAll();
  typeText(name, "Autre");
  EXPECT_EQ(name->text(), saved);
}

// A company holding dossiers is deactivated rather than deleted when the user says so; deleted
// anyway, its dossiers stay.
TEST_F(RecordRules, DeletingACompanyWithDossiersOffersToDeactivateIt) {
  const QString company = scalar("select min(TDOS_SOC) from TDOS").toString();
  ASSERT_FALSE(company.isEmpty());
  const QVariant dossiers = scalar("select count(*) from TDOS where TDOS_SOC = '" + company + "'");
  QWidget* window = open("M_TABL_SOCI");
  auto* data = child<ui::DataControl>(window, "DBD_SOC");
  goTo(data, "TSOC_CODE = '" + company + "'");
  ASSERT_EQ(child<QLineEdit>(window, "FSOC_CODE")->text(), company);

  m_messages.script({Answer::Yes, Answer::Yes});  // delete? deactivate instead
  child<QAbstractButton>(window, "Cmd_Supprimer")->click();
  ASSERT_EQ(m_messages.entries().size(), 2) << said().toStdString();
  EXPECT_TRUE(m_messages.entries().at(1).text.contains(dossiers.toString() + " dossier"))
      << m_messages.entries().at(1).text.toStdString();
  EXPECT_TRUE(
      scalar("select TSOC_Desactive from TSOC where TSOC_CODE = '" + company + "'").toBool());

  m_messages.clear();
  m_messages.script({Answer::Yes, Answer::Cancel});
  child<QAbstractButton>(window, "Cmd_Supprimer")->click();
  EXPECT_EQ(scalar("select count(*) from TSOC where TSOC_CODE = '" + company + "'").toInt(), 1);

  m_messages.script({Answer::Yes, Answer::No});  // deleted all the same
  child<QAbstractButton>(window, "Cmd_Supprimer")->click();
  EXPECT_EQ(scalar("select count(*) from TSOC where TSOC_CODE = '" + company + "'").toInt(), 0);
  EXPECT_EQ(scalar("select count(*) from TDOS where TDOS_SOC = '" + company + "'"), dossiers);
}

TEST_F(RecordRules, DeletingAClientWithDossiersAsksAgainAndDefaultsToNo) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  db::Database& clients = m_state->base(core::entry::Commercial).db;
  const QString client = scalar("select min(TDOS_CLIENT) from TDOS").toString();
  ASSERT_FALSE(client.isEmpty());
  clients.Execute("UPDATE TCLI SET TCLI_Valide = False WHERE TCLI_CODE = '" + client + "'");
  QWidget* window = open("M_CLIDEV");
  auto* data = child<ui::DataControl>(window, "DBD_Cli");
  data->Refresh();
  goTo(data, "TCLI_CODE = '" + client + "'");
  const auto stored = [&] {
    return scalar("select count(*) from TCLI where TCLI_CODE = '" + client + "'",
                  core::entry::Commercial)
        .toInt();
  };
  m_messages.script({Answer::Yes, Answer::No});
  child<QAbstractButton>(window, "Cmd_Delete")->click();
  ASSERT_EQ(m_messages.entries().size(), 2) << said().toStdString();
  EXPECT_EQ(m_messages.entries().at(1).defaultButton, 2);
  EXPECT_EQ(stored(), 1);
  m_messages.script({Answer::Yes, Answer::Yes});
  child<QAbstractButton>(window, "Cmd_Delete")->click();
  EXPECT_EQ(stored(), 0);
}

TEST_F(RecordRules, LoweringACounterBelowTheStoredDossiersAsksFirst) {
  const QString company = scalar("select min(TDOS_SOC) from TDOS").toString();
  const auto counter = [&] {
    return scalar("select TSOC_NSEQ from TSOC where TSOC_CODE = '" + company + "'").toLongLong();
  };
  const qlonglong before = counter();
  QWidget* window = open("M_TABL_SOCI");
  auto* data = child<ui::DataControl>(window, "DBD_SOC");
  goTo(data, "TSOC_CODE = '" + company + "'");
  alt('d');  // &Dernier N° de dossier
  retype("1");
  m_messages.script({Answer::No});
  key(Qt::Key_F10);
  ASSERT_EQ(m_messages.entries().size(), 1);
  EXPECT_EQ(m_messages.entries().at(0).defaultButton, 2);
  EXPECT_EQ(counter(), before);
  m_messages.script({Answer::Yes});
  key(Qt::Key_F10);
  EXPECT_EQ(counter(), 1);
}

TEST_F(RecordRules, ADeactivatedQuoteTypeIsNotOfferedForANewDossier) {
  const QString retired = scalar("select min(TTYP_CODE) from TTYP").toString();
  m_state->mainDb().Execute("UPDATE TTYP SET TTYP_Desactive = True WHERE TTYP_CODE = '" + retired +
                            "'");
  QWidget* window = open("M_DEVI_DEVIS");
  auto* types = child<QComboBox>(window, "DBC_TYP");
  const auto offered = [types] {
    QStringList codes;
    for (int i = 0; i < types->count(); ++i) codes << types->model()->index(i, 0).data().toString();
    return codes;
  };
  EXPECT_TRUE(offered().contains(retired));  // existing dossiers still show it
  alt('n');                                  // &Nouveau
  EXPECT_FALSE(offered().contains(retired));
  EXPECT_FALSE(offered().isEmpty());
  child<QAbstractButton>(window, "Cmd_DOSSAnnul")->click();
  EXPECT_TRUE(offered().contains(retired));
}

// The custom fields 3 to 15 are entered in the workspace's panel: each one defined shows there,
// inside the window, at the screen size of an office.
TEST_F(RecordRules, CustomFieldsFromTheThirdShowInTheWorkspace) {
  m_state->mainDb().Execute(
      "UPDATE TPAR SET TPAR_LIBUSER4 = 'Réf. d''été', TPAR_USER4_TYP = 'C', "
      "TPAR_USER4_LNG = 12, TPAR_LIBUSER15 = 'Dernier', TPAR_USER15_TYP = 'C', "
      "TPAR_USER15_LNG = 8");
  QWidget* window = open("M_DEVI_DEVIS");
  ASSERT_TRUE(window);
  auto* infos = child<QAbstractButton>(window, "Cmd_Infos");
  ASSERT_TRUE(infos->isEnabled());
  infos->click();
  QApplication::processEvents();
  for (int n : {3, 4, 15}) {
    SCOPED_TRACE(n);
    QWidget* box = ui::indexedControl(window, QStringLiteral("CTX_USER"), n);
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    const QRect shown(box->mapTo(window, QPoint(0, 0)), box->size());
    EXPECT_TRUE(window->rect().contains(shown)) << shown.y() << " in " << window->height();
    EXPECT_GT(box->height(), 10);
  }
  ui::indexedControl(window, QStringLiteral("CTX_USER"), 4)->setFocus();
  typeText(focused(), "A1");
  EXPECT_TRUE(ui::hasPendingChanges(window));
}

// Regression: F4 opened no calendar on the version's Date and Relance boxes.
TEST_F(RecordRules, F4OpensTheCalendarOnTheVersionDates) {
  int shown = 0;
  for (const char* name : {"F_CALENDAR", "F_CALENDAR2"})
    m_state->windows.add(name, {[&shown](QWidget* parent) {
                                  auto* d = new core::CalendarDialog(
                                      core::CalendarDialog::Style::Simple, parent);
                                  ++shown;
                                  QTimer::singleShot(0, d, &QDialog::accept);
                                  return d;
                                },
                                true});
  QWidget* window = open("M_DEVI_DEVIS");
  ASSERT_TRUE(window);
  for (const char* box : {"FDEV_DATE", "FDEV_DATREL"}) {
    auto* date = child<QLineEdit>(window, box);
    showActive(m_menu.get());  // back from the calendar
    date->setFocus();
    key(Qt::Key_F4);
    EXPECT_FALSE(date->text().isEmpty()) << box;
  }
  EXPECT_EQ(shown, 2);
}

// Regression: the deletion questions of the workspace chose Oui on Enter.
TEST_F(RecordRules, DeletionQuestionsDefaultToNo) {
  QWidget* window = open("M_DEVI_DEVIS");
  ASSERT_TRUE(window);
  for (const char* command : {"Cmd_DevDelete", "Cmd_DOSSDelete"}) {
    m_messages.clear();
    m_messages.script({Answer::No});
    child<QAbstractButton>(window, command)->click();
    ASSERT_FALSE(m_messages.entries().isEmpty()) << command;
    EXPECT_EQ(m_messages.entries().at(0).defaultButton, 2) << command;
  }
}

// Regression: Esc closing a drop-down list also tried to leave the window ("Enregistrez ou
// annulez d'abord votre saisie").
TEST_F(RecordRules, EscInADropDownClosesOnlyTheList) {
  QWidget* window = open("M_DEVI_DEVIS");
  ASSERT_TRUE(window);
  child<QLineEdit>(window, "FDOS_RESUME")->setFocus();
  retype("Véranda");  // pending: leaving the window would be refused
  auto* types = child<QComboBox>(window, "DBC_TYP");
  types->setFocus();
  types->showPopup();
  QApplication::processEvents();
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_TRUE(popup);
  pressKey(popup->focusWidget() ? popup->focusWidget() : popup, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(m_messages.entries().isEmpty()) << said().toStdString();
  // Esc in the window itself still asks to leave it.
  child<QLineEdit>(window, "FDOS_RESUME")->setFocus();
  key(Qt::Key_Escape);
  EXPECT_EQ(said(), "Enregistrez ou annulez d'abord votre saisie");
}

// Regression: captions were cut at 1280 x 800 ("ate souhaité", "érat"), and in the dossiers'
// list the sub-types and workshops ("Sous-...", "Chaudronn...").
TEST_F(RecordRules, CaptionsAreShownWhole) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  for (const char* entry :
       {"M_DEVI_DEVIS", "M_CLIDEV", "M_TABL_TYPE", "M_TABL_SOCI", "M_FACPROF", "M_VISITE",
        "M_CLI_CAT", "M_RELA", "M_TABL_PRO", "M_PERSO", "M_MACROS"}) {
    QAction* action = m_menu->menuEntry(entry);
    const ui::WindowSpec* registered = m_state->windows.find(action->property("window").toString());
    if (!registered || registered->modal || !action->isEnabled()) continue;
    QWidget* window = open(entry);
    ASSERT_TRUE(window);
    QApplication::processEvents();
    for (QTableView* grid : window->findChildren<QTableView*>()) {
      QHeaderView* header = grid->horizontalHeader();
      if (!grid->isVisible() || !header->isVisible()) continue;
      for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c) || header->sectionResizeMode(c) == QHeaderView::Stretch)
          continue;
        const QString caption = grid->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c))
            << entry << ' ' << caption.toStdString();
        // Short words chosen from lists or typed once, read whole on every row shown where
        // they are what the list is looked at for.
        static const QStringList whole = {"M_DEVI_DEVIS S/Type", "M_DEVI_DEVIS Atelier",
                                          "M_CLIDEV Fonction"};
        if (whole.contains(QString::fromLatin1(entry) + ' ' + caption)) {
          const QAbstractItemView* view = grid;
          EXPECT_GE(header->sectionSize(c), view->sizeHintForColumn(c))
              << entry << ' ' << caption.toStdString();
        }
      }
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (!label->isVisible() || label->text().isEmpty() || label->wordWrap()) continue;
      EXPECT_GE(label->width(), label->sizeHint().width())
          << entry << ' ' << label->text().toStdString();
      // A label stands apart from the box it names, beside it on its right.
      const QWidget* box = label->buddy();
      if (!box || !box->isVisible()) continue;
      const QRect named(box->mapTo(window, QPoint()), box->size());
      const QRect shown(label->mapTo(window, QPoint()), label->size());
      if (named.left() > shown.left() && named.top() < shown.bottom() &&
          shown.top() < named.bottom()) {
        EXPECT_GE(named.left() - shown.right(), 4) << entry << ' ' << label->text().toStdString();
      }
    }
  }
}

// Regression: "au moment de l'execution" in the macro window, "Souhaitez vous" in questions.
TEST_F(RecordRules, LabelsKeepTheirAccentsAndHyphens) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  const QStringList misspelt = {"execution", "Souhaitez vous", "Voulez vous", "Etes vous"};
  for (QAction* action : m_menu->findChildren<QAction*>()) {
    const ui::WindowSpec* registered = m_state->windows.find(action->property("window").toString());
    if (!registered || registered->modal || !action->isEnabled()) continue;
    action->trigger();
    QApplication::processEvents();
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    ASSERT_TRUE(sub && sub->widget());
    for (QLabel* label : sub->widget()->findChildren<QLabel*>())
      for (const QString& word : misspelt)
        EXPECT_FALSE(label->text().contains(word, Qt::CaseInsensitive))
            << sub->widget()->objectName().toStdString() << ": " << label->text().toStdString();
  }
}

}  // namespace
}  // namespace tarovent::test
