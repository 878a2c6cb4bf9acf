#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "CalcWorkbook.h"
#include "EntryFixture.h"
#include "composition/WorkbookImportFlow.h"
#include "composition/WorkbookImportFrame.h"
#include "platform/excel/Workbook.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

using namespace tarovent;
using namespace tarovent::composition;
using fixtures::calcWorkbook;

namespace {

// A template folder holding a calculation template at its root, one in the sub-folder of the
// supplier F1 and one in a sub-folder named after no supplier.
class WorkbookImportFrameTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    m_folder = m_dir.filePath("calculs") + '/';
    ASSERT_TRUE(QDir().mkpath(m_folder + "F1") && QDir().mkpath(m_folder + "DIVERS"));
    m_state->base(core::entry::Tariffs)
        .db.Execute("insert into TFOU (TFOU_CodFourn, TFOU_RSfourn) values ('F1', 'Fournisseur')");
    for (const char* file : {"CALCUL.xltx", "F1/POSTE.xltx", "DIVERS/ANCIEN.xltx"}) {
      fixtures::MiniXlsx x = calcWorkbook({{"#", "VIS", "Vis", 3},
                                           {"#", "MO*SOUD", "Soudure", 2},
                                           {"", "TOLE", "Tôle", 1},
                                           {"#", "VIS", "Vis à zéro", 0}});
      x.isTemplate = true;
      x.names += "<definedName name=\"CODCLI\">'Entête'!$B$2</definedName>";
      x.save(m_folder + file);
    }
    m_state->params.pathExcel = m_folder;
    m_state->params.nomFichExcel = "*.XLT";
    m_state->openDocument = [this](const QString& path) {
      m_opened << path;
      return true;
    };
  }

  static void press(int key) { test::pressKey(QApplication::focusWidget(), key); }
  static QString focusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
  // Offscreen PNGs of the frame, for a look, when TAROVENT_SCREENSHOTS names a folder.
  static void shoot(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS");
    if (!folder.isEmpty()) ui::saveScreenshot(w, folder + '/' + name + ".png");
  }

  QString m_folder;
  QStringList m_opened;
};

TEST_F(WorkbookImportFrameTest, SettingsAndTheTemplateListWithSupplierFolders) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  WorkbookImportFlow flow(*s, m_state->openDocument);
  m_state->params.pathExcel.clear();
  m_state->params.nomFichExcel.clear();
  EXPECT_FALSE(flow.Ouvrir_Import_Classeur());
  EXPECT_EQ(m_messages.texts(),
            QStringList({"Pour utiliser cette fonction, vous devez d'abord\ninitialiser le nom du "
                         "fichier des modèles et le chemin Excel\ndans les paramètres généraux "
                         "(menu Tables)"}));
  m_messages.clear();
  m_state->params.pathExcel = m_folder + "absent/";
  EXPECT_FALSE(flow.Ouvrir_Import_Classeur());
  EXPECT_EQ(m_messages.texts(), QStringList({"Chemin d'accès aux classeurs EXCEL <" + m_folder +
                                             "absent/*.XLTx> inconnu ou incorrect ..."}));

  m_state->params.pathExcel = m_folder;
  ASSERT_TRUE(flow.Ouvrir_Import_Classeur());
  EXPECT_EQ(flow.entries(), QStringList({"<F1>", "CALCUL"}));
  EXPECT_FALSE(flow.Choisir_Classeur("<F1>"));
  EXPECT_EQ(flow.entries(), QStringList({"..", "POSTE"}));
  EXPECT_EQ(flow.currentFolder(), m_folder + "F1");
  EXPECT_FALSE(flow.Choisir_Classeur(".."));
  EXPECT_EQ(flow.entries(), QStringList({"<F1>", "CALCUL"}));
}

TEST_F(WorkbookImportFrameTest, TheQuoteWorkbookIsMadeThenKeptOrOverwrittenOnlyWhenConfirmed) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  const QString quoteBook = m_folder + "CALCUL_00012AB.xlsx";
  {
    WorkbookImportFlow flow(*s, m_state->openDocument);
    ASSERT_TRUE(flow.Ouvrir_Import_Classeur());
    ASSERT_TRUE(flow.Choisir_Classeur("CALCUL"));
    EXPECT_EQ(flow.workbookPath(), quoteBook);
    EXPECT_TRUE(flow.isNewWorkbook());
    EXPECT_EQ(flow.sheets(), QStringList({"Entête", "Calcul"}));
    ASSERT_TRUE(flow.Choisir_Feuille("Calcul"));
    EXPECT_EQ(m_opened, QStringList{quoteBook});
    // A copy of the template, made a workbook, with the dossier's client in its header cell.
    const excel::Workbook made = excel::Workbook::open(quoteBook);
    EXPECT_FALSE(made.isTemplate());
    EXPECT_EQ(made.namedValue("CODCLI").displayText(false), "C1");
  }
  // Neither kept nor overwritten: nothing chosen, the file as it was.
  const QDateTime stamp = QFileInfo(quoteBook).lastModified();
  m_messages.clear();
  m_messages.script({ui::Answer::No, ui::Answer::No});
  WorkbookImportFlow again(*s, m_state->openDocument);
  ASSERT_TRUE(again.Ouvrir_Import_Classeur());
  EXPECT_FALSE(again.Choisir_Classeur("CALCUL"));
  EXPECT_EQ(m_messages.texts(),
            QStringList({"Un classeur Excel de ce type existe déjà pour ce devis\nVoulez-vous le "
                         "conserver? ",
                         "Confirmez-vous l'écrasement du classeur existant"}));
  EXPECT_EQ(QFileInfo(quoteBook).lastModified(), stamp);
  // Kept, then not refreshed: the header cell keeps what the user typed there.
  excel::Workbook typed = excel::Workbook::open(quoteBook);
  typed.setNamedValue("CODCLI", excel::CellValue::fromText("saisi"));
  typed.saveAs(quoteBook);
  m_messages.clear();
  m_messages.script({ui::Answer::Yes, ui::Answer::No});
  ASSERT_TRUE(again.Choisir_Classeur("CALCUL"));
  EXPECT_FALSE(again.isNewWorkbook());
  ASSERT_TRUE(again.Choisir_Feuille("Calcul"));
  EXPECT_EQ(m_messages.texts().last(), "Souhaitez-vous raffraichir les données");
  EXPECT_EQ(excel::Workbook::open(quoteBook).namedValue("CODCLI").displayText(false), "saisi");
}

// The whole frame with the keyboard alone: a template chosen, then its sheet, then the
// presentation M with the arrow keys and the import with Enter.
TEST_F(WorkbookImportFrameTest, DrivenByKeysFromTemplateToImportedLines) {
  auto s = openQuote(1);
  ASSERT_TRUE(s);
  int imported = 0;
  WorkbookImportFrame frame(*s, [&] { ++imported; });
  ASSERT_TRUE(frame.start());
  frame.resize(720, 520);
  test::showActive(&frame);
  auto* workbooks = frame.findChild<QListWidget*>("BXL_Classeurs");
  auto* sheets = frame.findChild<QListWidget*>("BXL_Feuilles");
  auto* importButton = frame.findChild<QPushButton*>("Cmd_Importer");
  ASSERT_TRUE(workbooks && sheets && importButton);
  EXPECT_EQ(test::keyboardFaults(&frame), QStringList());
  EXPECT_EQ(focusName(), "BXL_Classeurs");
  EXPECT_EQ(workbooks->currentItem()->text(), "<F1>");
  EXPECT_EQ(frame.findChild<QLabel*>("CTL_Dossier")->text(), m_folder);
  shoot(&frame, "FRM_Import-modeles");

  press(Qt::Key_Down);
  press(Qt::Key_Return);
  EXPECT_EQ(focusName(), "BXL_Feuilles");
  EXPECT_EQ(sheets->count(), 2);
  EXPECT_FALSE(importButton->isEnabled());
  press(Qt::Key_Down);
  press(Qt::Key_Return);
  EXPECT_TRUE(importButton->isEnabled());
  EXPECT_EQ(focusName(), "OPT_X");
  EXPECT_EQ(m_opened, QStringList{m_folder + "CALCUL_00012AB.xlsx"});
  shoot(&frame, "FRM_Import-feuille");

  press(Qt::Key_Down);
  EXPECT_TRUE(frame.findChild<QRadioButton*>("OPT_M")->isChecked());
  press(Qt::Key_Return);
  EXPECT_EQ(imported, 1);
  // Presentation M: the block in a table of its own, after the quote's.
  const word::WordDocument& doc = s->document();
  EXPECT_EQ(doc.cellText({m_table + 1, 1, 1}) + "|" + doc.cellText({m_table + 1, 2, 1}),
            "VIS|MO*SOUD");
  EXPECT_EQ(frame.findChild<QLabel*>("CTL_Etat")->text(), "2 ligne(s) importée(s).");
  EXPECT_FALSE(importButton->isEnabled());
  shoot(&frame, "FRM_Import-importe");
  press(Qt::Key_Escape);
  EXPECT_FALSE(frame.isVisible());
}

}  // namespace
