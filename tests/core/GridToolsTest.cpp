#include <QAbstractButton>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>
#include <pugixml.hpp>

#include "core/GridExport.h"
#include "core/GridPrint.h"
#include "core/GridQuery.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "platform/ooxml/Package.h"
#include "ui/DataControl.h"
#include "ui/FormNavigation.h"
#include "ui/GridLink.h"
#include "ui/RecordsetModel.h"
#include "ui/UiTestSupport.h"

namespace tarovent::core {
namespace {

using ui::Answer;

class FakePrinter : public GridPrinter {
 public:
  void print(QTableView* grid) override { printed << grid; }
  QList<QTableView*> printed;
};

// A client list as windows build theirs: a data control, a linked grid, the grid tools.
class GridToolsTest : public test::DatabaseFixture {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    exec(
        "CREATE TABLE TCLI (TCLI_CODE TEXT(10), TCLI_NOM TEXT(40), TCLI_ENCOURS DOUBLE, "
        "TCLI_NB LONG, TCLI_DATCRE DATETIME, TCLI_ACTIF YESNO, "
        "CONSTRAINT PrimaryKey PRIMARY KEY (TCLI_CODE))");
    exec("INSERT INTO TCLI VALUES ('C1', 'Aubry', 1500.5, 3, #03/15/2025#, True)");
    exec("INSERT INTO TCLI VALUES ('C2', 'Dupont', 0, 1, #12/01/2024#, False)");
    exec("INSERT INTO TCLI VALUES ('C3', 'd''Artagnan', 250, 7, #01/02/2025#, True)");
    exec("INSERT INTO TCLI VALUES ('C4', 'Lefebvre-DUPUIS', NULL, 2, NULL, False)");
    exec("INSERT INTO TCLI VALUES ('C5', 'Martin', 99.9, 5, #07/14/2025#, True)");
    m_state = std::make_unique<ProcessState>(m_messages);
    m_state->workingFolder = m_dir.path() + '/';
  }
  void TearDown() override { m_window.reset(); }

  void open(const QString& source = "TCLI") {
    m_window = std::make_unique<QWidget>();
    m_window->setObjectName("FCLI");
    m_window->setWindowTitle("Clients");
    auto* box = new QVBoxLayout(m_window.get());
    m_data = new ui::DataControl(m_window.get());
    m_data->setMessages(&m_messages);
    m_data->setDatabase(m_db);
    m_data->setRecordSource(source);
    m_grid = new QTableView(m_window.get());
    m_grid->setObjectName("DBG_CLI");
    m_grid->setToolTip("Clients");
    auto* model = new ui::RecordsetModel(m_grid);
    model->setColumns({{"TCLI_CODE", "Code", {}, {}},
                       {"TCLI_NOM", "Nom", {}, {}},
                       {"TCLI_ENCOURS", "Encours", {}, {}},
                       {"TCLI_NB", "Devis", {}, {}},
                       {"TCLI_DATCRE", "Création", {}, {}},
                       {"TCLI_ACTIF", "Actif", {}, {}},
                       {"", "Note", {}, {}},
                       {"", "Ouvrir", {}, Qt::AlignCenter,
                        [](const ui::RowValue&) { return QStringLiteral("Ouvrir"); }, {}, true}});
    new ui::GridLink(m_grid, model, m_data);
    box->addWidget(m_grid);
    box->addWidget(m_data);
    m_tools = addGridTools(*m_state, m_grid, m_data);
    m_tools->setPrinter(&m_printer);
    m_data->Refresh();
    m_window->resize(1280, 800);
    tarovent::test::showActive(m_window.get());
  }

  // Runs a command on a column and returns its dialog.
  QDialog* command(int action, int column) {
    m_grid->setCurrentIndex(m_grid->model()->index(0, column));
    QDialog* d = Outil_Grille(*m_state, action, m_grid, m_data);
    if (d) QApplication::processEvents();
    return d;
  }
  template <typename T = QWidget>
  static T* in(QDialog* d, const char* name) {
    return tarovent::test::child<T>(d, name);
  }
  static QRadioButton* option(QDialog* d, const char* name, int index) {
    for (auto* o : d->findChildren<QRadioButton*>(name))
      if (o->property("index").toInt() == index) return o;
    ADD_FAILURE() << "no option " << name << ' ' << index;
    return nullptr;
  }
  // Types `value` (after choosing the operator `op`) and presses the dialog's command.
  static void run(QDialog* d, const QString& value, const char* op = nullptr) {
    const bool search = d->objectName() == "FCHERCHE";
    if (op) {
      auto* ops = in<QComboBox>(d, "DBC3_SELECTION");
      ops->setCurrentIndex(ops->findData(QString::fromLatin1(op)));
    }
    in<QLineEdit>(d, search ? "CTX3_CHERCHE" : "CTX3_SELECTION")->setText(value);
    in<QAbstractButton>(d, search ? "Cmd_GoCherche" : "Cmd_GoSelection")->click();
  }
  QString code() const { return m_data->Recordset().text("TCLI_CODE"); }
  QStringList column(int c) const {
    QStringList out;
    for (int r = 0; r < m_grid->model()->rowCount(); ++r)
      out << m_grid->model()->index(r, c).data().toString();
    return out;
  }

  ui::ScriptedResponder m_messages;
  std::unique_ptr<ProcessState> m_state;
  std::unique_ptr<QWidget> m_window;
  ui::DataControl* m_data = nullptr;
  QTableView* m_grid = nullptr;
  GridTools* m_tools = nullptr;
  FakePrinter m_printer;
};

constexpr int kNom = 1, kEncours = 2, kDate = 4, kNote = 6;

TEST_F(GridToolsTest, ContainsFindsDupAnywhereThenNextUntilTheEnd) {
  open();  // a table recordset, which the engine cannot search itself
  QDialog* d = command(1, kNom);
  ASSERT_NE(d, nullptr);
  auto* go = in<QAbstractButton>(d, "Cmd_GoCherche");
  option(d, "FND3_OPTRECH", 2)->setChecked(true);
  in<QLineEdit>(d, "CTX3_CHERCHE")->setText("dup");
  go->click();
  EXPECT_EQ(m_grid->currentIndex(), m_grid->model()->index(1, kNom));
  go->click();
  EXPECT_EQ(code(), "C4");  // "Lefebvre-DUPUIS": the engine's comparison ignores case
  go->click();
  EXPECT_EQ(m_messages.texts(), QStringList{"Elément non trouvé. Fin de la recherche."});
  EXPECT_EQ(code(), "C4");
  go->click();  // from the first record again
  EXPECT_EQ(code(), "C2");
}

TEST_F(GridToolsTest, SearchesOnADynasetFindDArtagnanAndDates) {
  open("SELECT * FROM TCLI ORDER BY TCLI_NOM");
  QDialog* d = command(1, kNom);
  option(d, "FND3_OPTRECH", 0)->setChecked(true);
  run(d, "D'ARTAGNAN");
  EXPECT_EQ(code(), "C3");
  d->close();

  run(command(1, kDate), "01/12/2024");
  EXPECT_EQ(code(), "C2");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

// Print goes to the printer, a column without field refuses with a beep, sorts rebuild the source.
TEST_F(GridToolsTest, PrintRefusalAndSorts) {
  open();
  EXPECT_EQ(Outil_Grille(*m_state, 3, m_grid, m_data), nullptr);
  EXPECT_EQ(m_printer.printed, QList<QTableView*>{m_grid});
  EXPECT_EQ(addGridTools(*m_state, m_grid, m_data), m_tools);  // added once
  EXPECT_EQ(command(0, kNote), nullptr);
  EXPECT_EQ(m_messages.beeps(), 1);
  EXPECT_EQ(m_messages.texts(), QStringList{"Opération impossible sur cette colonne."});
  m_messages.clear();
  QDialog* d = command(2, kDate);
  option(d, "FND3_OPTClasser", 1)->setChecked(true);
  in<QAbstractButton>(d, "Cmd_GoClasser")->click();
  EXPECT_EQ(column(0), (QStringList{"C5", "C1", "C3", "C2", "C4"}));  // Null last when descending

  d = command(2, kNom);
  in<QAbstractButton>(d, "Cmd_GoClasser")->click();  // without CHK_TYPTRI: the name alone
  EXPECT_EQ(m_data->RecordSource(), "Select * From TCLI Order by TCLI_NOM;");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

TEST_F(GridToolsTest, SelectionsAccumulateAndMarkTheList) {
  open("SELECT * FROM TCLI ORDER BY TCLI_CODE");
  QDialog* contains = command(0, kNom);
  auto* ops = in<QComboBox>(contains, "DBC3_SELECTION");
  EXPECT_EQ(ops->itemText(ops->findData(QStringLiteral("Instr"))), "contient");
  run(contains, "a", "Instr");
  EXPECT_EQ(m_window->windowTitle(), "Clients ***");
  run(command(0, kEncours), "200", ">");
  EXPECT_EQ(column(0), (QStringList{"C1", "C3"}));
  // An empty result says so and gives the list back as it was.
  QDialog* d = command(0, kDate);
  run(d, "01/01/2000");
  EXPECT_EQ(m_messages.texts(), QStringList{"Sélection vide."});
  EXPECT_EQ(column(0), (QStringList{"C1", "C3"}));
  d->close();

  m_tools->showAll();
  EXPECT_EQ(column(0).size(), 5);
  EXPECT_EQ(m_window->windowTitle(), "Clients");
}

TEST_F(GridToolsTest, KeyboardPromptsFilterByBeginningAndFindByContent) {
  open();
  QStringList asked;
  QString answer;
  m_tools->setPrompt([&](const QString& q) -> std::optional<QString> {
    asked << q;
    return answer;
  });
  // From the grid's keys: F7 selects, F3 searches.
  m_grid->setCurrentIndex(m_grid->model()->index(0, kNom));
  answer = "d'a";
  tarovent::test::pressKey(m_grid, Qt::Key_F7);
  EXPECT_EQ(column(0), QStringList{"C3"});
  m_tools->showAll();
  m_grid->setCurrentIndex(m_grid->model()->index(0, kNom));
  answer = "TIN";
  tarovent::test::pressKey(m_grid, Qt::Key_F3);
  EXPECT_EQ(asked,
            (QStringList{"Critère de sélection (Nom) : ", "Expression à rechercher (Nom) : "}));
  EXPECT_EQ(code(), "C5");
  answer = "personne";
  m_tools->promptSearch();
  EXPECT_EQ(code(), "C5");
  EXPECT_EQ(m_messages.texts(), QStringList{"Elément non trouvé. Fin de la recherche."});
}

// Text of a PDF through poppler's tools; empty when they are missing.
QString pdfTool(const QString& tool, const QStringList& args) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return {};
  QProcess p;
  p.start(tool, args);
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

TEST_F(GridToolsTest, PrintsLandscapePagesRepeatingTheHeadersWithoutHiddenColumns) {
  for (int i = 0; i < 100; ++i)
    exec(QStringLiteral("INSERT INTO TCLI (TCLI_CODE, TCLI_NOM) VALUES ('X%1', 'Nom %1')").arg(i));
  open();
  m_grid->setColumnHidden(kNote, true);
  m_grid->setColumnWidth(kNom, 200);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(m_dir.filePath("grille.pdf"));
  const int pages = printGrid(m_grid, printer);
  EXPECT_GE(pages, 3);
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
  const QString text = pdfTool("pdftotext", {"-layout", m_dir.filePath("grille.pdf"), "-"});
  if (text.isEmpty()) GTEST_SKIP() << "poppler-utils absent: the PDF was not read back";
  EXPECT_EQ(text.count("Création"), pages);
  for (const char* expected : {"d'Artagnan", "Lefebvre-DUPUIS", "15/03/2025", "Nom 99"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
  EXPECT_FALSE(text.contains("Note"));
  EXPECT_FALSE(text.contains("Ouvrir")) << "a column of commands is no data";
  // Each page titled and dated, and numbered out of the whole.
  EXPECT_EQ(text.count(m_window->windowTitle()), pages);
  EXPECT_EQ(text.count(QDate::currentDate().toString("dd/MM/yyyy")), pages);
  EXPECT_TRUE(text.contains(QStringLiteral("Page 1 / %1").arg(pages)));
  EXPECT_TRUE(text.contains(QStringLiteral("Page %1 / %1").arg(pages)));
}

// A cell of a written sheet: its type attribute ("" number, "b", "inlineStr", "s"), its value
// (shared strings resolved) and its style number.
struct Cell {
  QString type, value;
  int style = 0;
};

// The cells of the first sheet by reference ("A1"), and the sheet's name.
QMap<QString, Cell> readSheet(const QString& path, QString* sheetName) {
  const ooxml::Package package = ooxml::Package::open(path);
  pugi::xml_document book, sheet, strings;
  const QByteArray bookXml = package.read("xl/workbook.xml");
  book.load_buffer(bookXml.constData(), size_t(bookXml.size()));
  *sheetName = QString::fromUtf8(
      book.child("workbook").child("sheets").child("sheet").attribute("name").value());
  QStringList shared;
  if (package.contains("xl/sharedStrings.xml")) {
    const QByteArray xml = package.read("xl/sharedStrings.xml");
    strings.load_buffer(xml.constData(), size_t(xml.size()));
    for (auto si : strings.child("sst").children("si"))
      shared << QString::fromUtf8(si.child("t").text().get());
  }
  const QByteArray sheetXml = package.read("xl/worksheets/sheet1.xml");
  sheet.load_buffer(sheetXml.constData(), size_t(sheetXml.size()));
  QMap<QString, Cell> cells;
  for (auto row : sheet.child("worksheet").child("sheetData").children("row"))
    for (auto c : row.children("c")) {
      Cell cell;
      cell.type = QString::fromUtf8(c.attribute("t").value());
      cell.style = c.attribute("s").as_int();
      if (cell.type == "inlineStr")
        cell.value = QString::fromUtf8(c.child("is").child("t").text().get());
      else if (cell.type == "s")
        cell.value = shared.value(c.child("v").text().as_int());
      else
        cell.value = QString::fromUtf8(c.child("v").text().get());
      cells.insert(QString::fromUtf8(c.attribute("r").value()), cell);
    }
  return cells;
}

TEST_F(GridToolsTest, ExportWritesTheGridToClientsXlsxAndKeepsTheRecord) {
  open();
  m_grid->setColumnHidden(kNote, true);
  m_grid->setCurrentIndex(m_grid->model()->index(2, kNom));
  m_messages.script({Answer::Yes});
  EXPECT_EQ(Outil_Grille(*m_state, 4, m_grid, m_data), nullptr);
  EXPECT_EQ(m_messages.texts().value(1), "Votre fichier Excel a été créé dans " +
                                             QDir::toNativeSeparators(m_dir.path() + '/') +
                                             "   sous le nom :  Clients.xlsx");
  EXPECT_EQ(code(), "C3");
  QString sheetName;
  const QMap<QString, Cell> cells = readSheet(m_dir.filePath("Clients.xlsx"), &sheetName);
  EXPECT_EQ(sheetName, "Feuille1");
  QStringList headers;
  for (const char* ref : {"A1", "B1", "C1", "D1", "E1", "F1"}) headers << cells.value(ref).value;
  EXPECT_EQ(headers, (QStringList{"Code", "Nom", "Encours", "Devis", "Création", "Actif"}));
  EXPECT_FALSE(cells.contains("G1")) << "hidden columns and commands stay out";
  // C1 on row 2: numbers as numbers, the date as a date serial with a date style, a boolean.
  EXPECT_EQ(cells["C2"].type + cells["E2"].type, "");
  EXPECT_DOUBLE_EQ(cells["C2"].value.toDouble(), 1500.5);
  EXPECT_DOUBLE_EQ(cells["E2"].value.toDouble(), QDate(1899, 12, 30).daysTo(QDate(2025, 3, 15)));
  EXPECT_NE(cells["E2"].style, 0);
  EXPECT_EQ(cells["F2"].type + cells["F2"].value, "b1");
  EXPECT_EQ(cells["B4"].value, "d'Artagnan");
  EXPECT_FALSE(cells.contains("C5")) << "Null stays empty";
}

TEST_F(GridToolsTest, ExportAnsweredNoOrIntoAFolderThatCannotTakeItLosesNothing) {
  open();
  m_messages.script({Answer::No});
  Outil_Grille(*m_state, 4, m_grid, m_data);
  EXPECT_EQ(m_messages.texts(), QStringList{"Confirmez-vous la création du fichier Excel ?"});
  EXPECT_FALSE(QFile::exists(m_dir.filePath("Clients.xlsx")));
  m_messages.clear();
  m_state->workingFolder = m_dir.filePath("absent") + '/';
  m_messages.script({Answer::Yes});
  Outil_Grille(*m_state, 4, m_grid, m_data);
  EXPECT_TRUE(m_messages.texts().value(1).startsWith("Le fichier Excel n'a pas pu être créé : "))
      << m_messages.texts().join('|').toStdString();

  // An export over an existing file replaces it.
  m_state->workingFolder = m_dir.path() + '/';
  QFile old(m_dir.filePath("Clients.xlsx"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("ancien");
  old.close();
  m_messages.clear();
  m_messages.script({Answer::Yes});
  Outil_Grille(*m_state, 4, m_grid, m_data);
  QString sheetName;
  EXPECT_EQ(readSheet(m_dir.filePath("Clients.xlsx"), &sheetName)["A1"].value, "Code");
}

}  // namespace
}  // namespace tarovent::core
