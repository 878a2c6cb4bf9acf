// A quote's life through the real windows of the demo family, with keys and clicks only: the
// dossier workspace hands the version over to the composition window and reads back what it
// left. These tests catch what goes wrong between the windows.

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTreeWidget>

#include "DemoMenuTest.h"
#include "composition/CompositionSession.h"
#include "composition/FCOMPO.h"
#include "composition/NumberFormat.h"
#include "composition/QuoteView.h"
#include "composition/TableLocator.h"
#include "core/CoreWindows.h"
#include "core/DocumentNames.h"
#include "core/MainMenu.h"
#include "core/Paths.h"
#include "dossiers/DossierWindows.h"
#include "guard/ComparisonWindow.h"
#include "platform/mail/NewMail.h"
#include "platform/os/FakePdfConverter.h"
#include "platform/word/WordDocument.h"
#include "reports/FACPROF.h"
#include "ui/ButtonEnterKey.h"

namespace tarovent::dossiers {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

void registerQuoteWindows(core::ProcessState& state) {
  registerDossierWindows(state);
  reports::registerReportWindows(state);
  state.windows.add(QStringLiteral("FCOMPO"), {[&state](QWidget* parent) -> QWidget* {
                                                 return composition::FCOMPO::create(state, parent);
                                               },
                                               false});
}

class QuoteChain : public tarovent::test::DemoMenuTest {
 protected:
  QuoteChain() : DemoMenuTest(registerQuoteWindows) {}
  void SetUp() override {
    DemoMenuTest::SetUp();
    if (HasFatalFailure()) return;
    ui::installButtonEnterKey(*qApp);  // as the program does at start
    // The workstation's programs: a converter that writes a one-page PDF, a mail composer and
    // a word processor that record what they are given.
    m_state->pdfConverter = std::make_unique<os::FakePdfConverter>();
    auto mails = std::make_unique<mail::RecordingMailOpener>();
    m_mails = mails.get();
    m_state->mail = std::move(mails);
    m_state->openDocument = [this](const QString& path) {
      m_opened << path;
      return true;
    };
  }

  static QString focused() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
  // A key to the focused widget; a button pressed by its access key clicks a moment later.
  static void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    pressKey(QApplication::focusWidget(), k, mods, text);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 250) QApplication::processEvents();
  }
  static void type(const QString& text) {
    for (const QChar c : text)
      pressKey(QApplication::focusWidget(), c.toUpper().unicode(), Qt::NoModifier, QString(c));
  }
  QString messages() const { return m_messages.texts().join('|'); }
  QString scalar(const QString& sql) {
    return m_state->mainDb().OpenRecordset(sql).value(0).toString();
  }
  QString version(long dossier, int sequence, const QString& field) {
    return scalar(QStringLiteral("select %1 from TDEV where TDEV_SOC = 'AB' and TDEV_NUMDOSS = %2 "
                                 "and TDEV_NSEQ = %3")
                      .arg(field)
                      .arg(dossier)
                      .arg(sequence));
  }
  QString documentPath(long dossier, int sequence) {
    return core::localPath(
        core::Chemin_Document(core::withSeparator(m_state->base(core::entry::Main).folder),
                              core::Nom_Document("AB", dossier, sequence)));
  }
  QWidget* active() {
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    return sub ? sub->widget() : nullptr;
  }
  template <class T = QWidget>
  T* workspaceChild(const char* name) {
    return m_workspace ? m_workspace->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  }
  // The composition window on screen; a closed one waits for its deletion, hidden.
  composition::FCOMPO* composition() {
    for (auto* w : m_menu->workArea()->findChildren<composition::FCOMPO*>())
      if (w->isVisible()) return w;
    return nullptr;
  }

  // The workspace opened from the menu, a new dossier for the first valid client of company
  // AB saved with F8 and its version 0 saved with F10: focus on "Composer". Its number.
  long newDossierWithVersion() {
    const QString client =
        m_state->base(core::entry::Commercial)
            .db.OpenRecordset("select min(TCLI_CODE) from TCLI where TCLI_Valide")
            .value(0)
            .toString();
    m_menu->menuEntry("M_DEVI_DEVIS")->trigger();
    m_workspace = active();
    EXPECT_TRUE(m_workspace && m_workspace->objectName() == "FDEV");
    key(Qt::Key_N, Qt::AltModifier);  // Nouveau
    key(Qt::Key_A, Qt::NoModifier, "A");
    key(Qt::Key_Y, Qt::AltModifier);  // Type
    key(Qt::Key_Down);
    key(Qt::Key_C, Qt::AltModifier);  // Client
    typeText(QApplication::focusWidget(), client);
    key(Qt::Key_Return);
    key(Qt::Key_F8);
    EXPECT_EQ(focused(), "Cmd_DevADD") << messages().toStdString();
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), "FDEV_DATE");
    key(Qt::Key_F10);
    EXPECT_EQ(focused(), "Cmd_DevEditer") << messages().toStdString();
    return scalar("select TSOC_NSEQ from TSOC where TSOC_CODE = 'AB'").toLong();
  }
  // "Composer" pressed with Enter: the composition window, active.
  composition::FCOMPO* compose() {
    backToWorkspace();
    workspaceChild<QPushButton>("Cmd_DevEditer")->setFocus();
    key(Qt::Key_Return);
    auto* window = composition();
    EXPECT_TRUE(window && active() == window) << messages().toStdString();
    return window;
  }
  // The workspace's sub-window made active again, as a click on it does.
  void backToWorkspace() {
    m_menu->workArea()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(m_workspace->parentWidget()));
    QApplication::processEvents();
  }
  // The first line table of the composition's document.
  static int lineTable(composition::FCOMPO& w) {
    const auto layout = composition::Reperer_Tableaux(w.session().document(),
                                                      composition::LocatePurpose::Recalculation)
                            .layout;
    return layout ? layout->firstLineTable : 0;
  }
  // Two of `article` written at the top of the document with the keyboard, then the
  // composition closed with Ctrl+W and its document saved.
  void writeArticleAndClose(composition::FCOMPO& window, const QString& article) {
    window.view().grid().setFocus();
    key(Qt::Key_Home);
    key(Qt::Key_Return);
    type(article);
    key(Qt::Key_Return);
    type("2");
    key(Qt::Key_Return, Qt::ControlModifier);
    key(Qt::Key_Escape);
    m_messages.script({Answer::Yes});  // "Enregistrer le document?"
    key(Qt::Key_W, Qt::ControlModifier);
  }
  QString firstArticle() {
    return m_state->base(core::entry::Stock)
        .db
        .OpenRecordset(
            "select min(TARTI_CODART) from TARTI where TARTI_Type = 'A' and not "
            "TARTI_Desactive")
        .value(0)
        .toString();
  }

  QWidget* m_workspace = nullptr;
  mail::RecordingMailOpener* m_mails = nullptr;
  QStringList m_opened;
};

// Workspace, new dossier, version, composition with modes changed, a line and a sub-total,
// saved and closed: the workspace shows the modes chosen, and the text opens again as saved.
TEST_F(QuoteChain, AComposedQuoteComesBackToTheWorkspaceAsSaved) {
  const long dossier = newDossierWithVersion();
  ASSERT_GT(dossier, 0);
  const QString path = documentPath(dossier, 0);
  ASSERT_FALSE(QFileInfo::exists(path));

  composition::FCOMPO* window = compose();
  ASSERT_TRUE(window);
  // Cost prices for both: clicked in the window's tariff modes.
  window->findChild<QAbstractButton*>("OPT_TarMat_0")->click();
  window->findChild<QAbstractButton*>("OPT_TarMO_0")->click();
  EXPECT_EQ(window->session().materialsMode() + window->session().labourMode(), "RR");

  // A line on the first row of the line table, then a sub-total below it.
  const int table = lineTable(*window);
  ASSERT_GT(table, 0);
  const QString article = firstArticle();
  window->view().grid().setFocus();
  key(Qt::Key_Home);
  key(Qt::Key_Return);
  ASSERT_EQ(focused(), "CTX_CODART");
  type(article);
  key(Qt::Key_Return);
  ASSERT_EQ(focused(), "CTX_QTE");
  type("3");
  key(Qt::Key_Return, Qt::ControlModifier);  // Ctrl+Enter writes the line
  EXPECT_EQ(window->session().document().cellText({table, 1, 1}), article)
      << messages().toStdString();
  // Two and a half hours of the first labour section, below it.
  const QString section = m_state->base(core::entry::Planning)
                              .db.OpenRecordset("select min(TSEC_CODSEC) from TSEC")
                              .value(0)
                              .toString();
  auto* sources = window->findChild<QTreeWidget*>("TRV_Sources");
  sources->setCurrentItem(sources->topLevelItem(2));  // clicked: "Main d'oeuvre"
  sources->setFocus();
  key(Qt::Key_Return);  // into its list, where the section is typed and taken
  type(section);
  key(Qt::Key_Return);
  ASSERT_EQ(focused(), "CTX_QTE") << messages().toStdString();
  type("2,5");
  key(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(window->session().document().cellText({table, 2, 1}), "MO*" + section)
      << messages().toStdString();
  key(Qt::Key_Escape);
  key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  m_messages.setFallback(Answer::Yes);  // whatever the totals ask
  key(Qt::Key_F9);
  m_messages.setFallback(Answer::No);
  EXPECT_TRUE(window->session().lastRecalculation().completed) << messages().toStdString();
  key(Qt::Key_S, Qt::ControlModifier);  // saved
  ASSERT_TRUE(QFileInfo::exists(path)) << messages().toStdString();
  m_messages.clear();
  key(Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(composition()) << messages().toStdString();
  EXPECT_EQ(messages(), "") << "nothing left to save";
  QApplication::processEvents();

  // The workspace shows the modes chosen in the composition, which the version keeps.
  EXPECT_EQ(version(dossier, 0, "TDEV_TARMAT") + version(dossier, 0, "TDEV_TARMO"), "RR");
  EXPECT_EQ(workspaceChild<QLineEdit>("CTX_TARMAT")->text(), "R");
  EXPECT_EQ(workspaceChild<QLineEdit>("CTX_TARMO")->text(), "R");
  // The version is worth the net total of its text, and takes its labour hours.
  const QString net = word::WordDocument::open(path).bookmarkText("SMTNET").trimmed();
  ASSERT_GT(composition::parseNumber(net), 0) << net.toStdString();
  EXPECT_DOUBLE_EQ(version(dossier, 0, "TDEV_MONTANT").toDouble(), composition::parseNumber(net));
  EXPECT_DOUBLE_EQ(version(dossier, 0, "TDEV_TEMPS").toDouble(), 2.5);
  auto* amount = workspaceChild<QLineEdit>("FDEV_MONTANT");
  EXPECT_EQ(composition::parseNumber(amount->text()), composition::parseNumber(net));
  EXPECT_EQ(workspaceChild<QLineEdit>("FDEV_TEMPS")->text(), "2,5");
  // A note saved afterwards leaves them alone; an amount typed over is kept...
  backToWorkspace();
  workspaceChild<QWidget>("FDEV_NOTE")->setFocus();
  type("Vu");
  key(Qt::Key_F10);
  EXPECT_DOUBLE_EQ(version(dossier, 0, "TDEV_MONTANT").toDouble(), composition::parseNumber(net))
      << messages().toStdString();
  amount->setFocus();
  amount->selectAll();
  type("1234,5");
  key(Qt::Key_F10);
  EXPECT_EQ(version(dossier, 0, "TDEV_MONTANT"), "1234.5") << messages().toStdString();

  // Composed again, keeping the text: the line and the modes are the saved ones.
  m_messages.script({Answer::Yes});  // "Voulez-vous conserver le texte existant ?"
  window = compose();
  ASSERT_TRUE(window);
  EXPECT_EQ(window->session().document().cellText({table, 1, 1}), article);
  EXPECT_EQ(window->session().materialsMode() + window->session().labourMode(), "RR");
  // ... until the text is saved again.
  key(Qt::Key_S, Qt::ControlModifier);
  key(Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(composition()) << messages().toStdString();
  EXPECT_DOUBLE_EQ(version(dossier, 0, "TDEV_MONTANT").toDouble(), composition::parseNumber(net));
  EXPECT_EQ(composition::parseNumber(amount->text()), composition::parseNumber(net));

  // The PDF of the saved text, attached to a mail for the dossier's contact.
  m_messages.clear();
  backToWorkspace();
  workspaceChild<QPushButton>("CTL_MailPDF")->click();
  workspaceChild<QPushButton>("CMD_OKPDF")->click();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QString pdf = QString(path).replace(QRegularExpression("_(\\d\\d)\\.AB$"), "_\\1_AB.PDF");
  EXPECT_TRUE(QFileInfo::exists(pdf)) << pdf.toStdString() << messages().toStdString();
  ASSERT_EQ(m_mails->mails().size(), 1) << messages().toStdString();
  EXPECT_EQ(m_mails->mails()[0].attachments, QStringList{pdf});

  // The pro-forma invoice of this quote, from the representative's list.
  m_menu->menuEntry("M_FACPROF")->trigger();
  QWidget* invoices = active();
  ASSERT_TRUE(invoices && invoices->objectName() == "FACPROF") << messages().toStdString();
  auto* list = invoices->findChild<QTableWidget*>("DBG_Devis");
  const QString number = core::Nom_Document("AB", dossier, 0);
  int row = -1;
  for (int r = 0; r < list->rowCount(); ++r)
    if (list->item(r, 0)->text() == number) row = r;
  ASSERT_GE(row, 0) << number.toStdString();
  EXPECT_EQ(list->item(row, 3)->text(), "X");  // its text exists
  auto* vat = invoices->findChild<QLineEdit*>("CTX_TVA");
  vat->selectAll();
  typeText(vat, "20");
  // Enter on the list's row makes its invoice, as Éditer does.
  list->setFocus();
  list->setCurrentCell(row, 0);
  pressKey(list, Qt::Key_Return);
  const QString invoice =
      documentPath(dossier, 0).left(documentPath(dossier, 0).size() - 6) + ".AB.PRF";
  ASSERT_TRUE(QFileInfo::exists(invoice)) << messages().toStdString();
  EXPECT_EQ(m_opened.last(), invoice);
  // Its counter-value is the quote's, converted at the same rate.
  const word::WordDocument quote = word::WordDocument::open(path);
  const word::WordDocument made = word::WordDocument::open(invoice);
  EXPECT_FALSE(made.bookmarkText("SHTNET").trimmed().isEmpty());
  EXPECT_EQ(made.bookmarkText("SHTNET").trimmed(), quote.bookmarkText("SMTNET").trimmed());

  // Quitter leaves no empty frame behind in the work area.
  const qsizetype frames = m_menu->workArea()->subWindowList().size();
  invoices->findChild<QPushButton*>("Cmd_Quitter")->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(m_menu->workArea()->subWindowList().size(), frames - 1);
}

// A second instance started on the same family is refused before it touches the first one's
// work base; the first goes on working.
TEST_F(QuoteChain, ASecondInstanceOnTheSameFamilyIsRefused) {
  m_state->localDb.Execute("INSERT INTO TMP_RENTA (SOC) VALUES ('XX')");
  ui::ScriptedResponder secondMessages;
  core::ProcessState second(secondMessages);
  second.workingFolder = m_state->workingFolder;
  core::registerCoreWindows(second);
  core::MainMenu secondMenu(second);
  second.opener = &secondMenu;
  EXPECT_FALSE(secondMenu.start());
  EXPECT_TRUE(secondMessages.texts().join('|').contains("Tarovent est déjà lancé"))
      << secondMessages.texts().join('|').toStdString();
  EXPECT_EQ(m_state->localDb.OpenRecordset("select count(*) from TMP_RENTA").value(0).toInt(), 1);
  const long dossier = newDossierWithVersion();
  EXPECT_GT(dossier, 0) << messages().toStdString();
}

// The user agrees to replace the existing text: the new text is saved over it.
TEST_F(QuoteChain, AnAgreedOverwriteIsSaved) {
  const long dossier = newDossierWithVersion();
  composition::FCOMPO* window = compose();
  ASSERT_TRUE(window);
  const int table = lineTable(*window);
  const QString article = firstArticle();
  writeArticleAndClose(*window, article);
  ASSERT_FALSE(composition()) << messages().toStdString();
  const QString path = documentPath(dossier, 0);
  ASSERT_EQ(word::WordDocument::open(path).cellText({table, 1, 1}), article);

  // Not kept, replacement confirmed: the template again, saved with Ctrl+S over the old text.
  m_messages.clear();
  m_messages.script({Answer::No, Answer::Yes});
  window = compose();
  ASSERT_TRUE(window);
  EXPECT_NE(window->session().document().cellText({table, 1, 1}), article);
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(m_messages.texts(), (QStringList{"Voulez-vous conserver le texte existant ?",
                                             "Confirmez-vous l'écrasement du texte existant ?"}));
  EXPECT_NE(word::WordDocument::open(path).cellText({table, 1, 1}), article);
  m_messages.clear();
  key(Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(composition()) << messages().toStdString();
  EXPECT_EQ(messages(), "");
}

// The user types in the version's boxes while the composition is open, then closes it: the
// amount and time the composition saved show, and what was typed in the other boxes stays to be
// saved. Closed without a save, the amount typed stays as well.
TEST_F(QuoteChain, TypingInTheWorkspaceDuringACompositionKeepsBoth) {
  const long dossier = newDossierWithVersion();
  composition::FCOMPO* window = compose();
  ASSERT_TRUE(window);
  window->view().grid().setFocus();
  key(Qt::Key_Home);
  key(Qt::Key_Return);
  type(firstArticle());
  key(Qt::Key_Return);
  type("4");
  key(Qt::Key_Return, Qt::ControlModifier);
  key(Qt::Key_Escape);
  m_messages.setFallback(Answer::Yes);  // whatever the totals ask
  key(Qt::Key_F9);
  m_messages.setFallback(Answer::No);
  key(Qt::Key_S, Qt::ControlModifier);

  // Back in the workspace while the composition stays open: its save shows there.
  backToWorkspace();
  auto* amount = workspaceChild<QLineEdit>("FDEV_MONTANT");
  const double firstSave = version(dossier, 0, "TDEV_MONTANT").toDouble();
  ASSERT_GT(firstSave, 0) << messages().toStdString();
  EXPECT_EQ(composition::parseNumber(amount->text()), firstSave);
  EXPECT_TRUE(workspaceChild<QLabel>("CTL_InfosDev")->text().contains(
      core::Nom_Document("AB", dossier, 0)));
  // Hours of labour, saved on closing, while the user types in the version's boxes.
  m_menu->workArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(window->parentWidget()));
  auto* sources = window->findChild<QTreeWidget*>("TRV_Sources");
  sources->setCurrentItem(sources->topLevelItem(2));  // "Main d'oeuvre"
  sources->setFocus();
  key(Qt::Key_Return);
  type(m_state->base(core::entry::Planning)
           .db.OpenRecordset("select min(TSEC_CODSEC) from TSEC")
           .value(0)
           .toString());
  key(Qt::Key_Return);
  type("1,5");
  key(Qt::Key_Return, Qt::ControlModifier);
  key(Qt::Key_Escape);
  m_messages.setFallback(Answer::Yes);
  key(Qt::Key_F9);
  m_messages.setFallback(Answer::No);

  backToWorkspace();
  auto* note = workspaceChild<QWidget>("FDEV_NOTE");
  note->setFocus();
  type("Rappeler lundi");
  amount->setFocus();
  amount->selectAll();
  type("99");
  auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
  ASSERT_TRUE(sub);
  m_menu->workArea()->setActiveSubWindow(sub);
  window->view().grid().setFocus();
  m_messages.script({Answer::Yes});  // "Enregistrer le document?"
  key(Qt::Key_W, Qt::ControlModifier);
  ASSERT_FALSE(composition()) << messages().toStdString();
  QApplication::processEvents();

  const double saved = version(dossier, 0, "TDEV_MONTANT").toDouble();
  ASSERT_EQ(version(dossier, 0, "TDEV_TEMPS"), "1.5") << messages().toStdString();
  EXPECT_EQ(composition::parseNumber(amount->text()), saved);
  EXPECT_EQ(workspaceChild<QLineEdit>("FDEV_TEMPS")->text(), "1,5");
  EXPECT_EQ(workspaceChild<QPlainTextEdit>("FDEV_NOTE")->toPlainText(), "Rappeler lundi");
  backToWorkspace();
  note->setFocus();
  key(Qt::Key_F10);
  EXPECT_EQ(version(dossier, 0, "TDEV_NOTE"), "Rappeler lundi") << messages().toStdString();
  EXPECT_DOUBLE_EQ(version(dossier, 0, "TDEV_MONTANT").toDouble(), saved);

  // Opened again and closed without a change: the amount typed meanwhile is the user's.
  m_messages.script({Answer::Yes});  // "Voulez-vous conserver le texte existant ?"
  window = compose();
  ASSERT_TRUE(window);
  backToWorkspace();
  amount->setFocus();
  amount->selectAll();
  type("77");
  m_messages.clear();
  ASSERT_TRUE(window->closeComposition()) << messages().toStdString();
  QApplication::processEvents();
  EXPECT_EQ(amount->text(), "77");
  backToWorkspace();
  amount->setFocus();
  key(Qt::Key_F10);
  EXPECT_EQ(version(dossier, 0, "TDEV_MONTANT"), "77") << messages().toStdString();
}

// A code typed as soon as the composition opens, before any Enter, goes into the line's code
// field: nothing typed is lost and the cursor stays after the last line, where the line goes.
// Opened again on the saved text, the same.
TEST_F(QuoteChain, ACodeTypedAtOpeningStartsTheLine) {
  newDossierWithVersion();
  composition::FCOMPO* window = compose();
  ASSERT_TRUE(window);
  // The cursor waits after the last line of the last line table.
  const composition::TableCursor before = window->view().cursor();
  ASSERT_TRUE(before.isValid());
  const int table = before.table;
  const QString article = firstArticle();
  type(article);
  EXPECT_EQ(focused(), "CTX_CODART");
  EXPECT_EQ(window->findChild<QLineEdit*>("CTX_CODART")->text(), article);
  EXPECT_EQ(window->view().cursor().row, before.row);
  key(Qt::Key_Return);
  ASSERT_EQ(focused(), "CTX_QTE") << messages().toStdString();
  type("2");
  key(Qt::Key_Return, Qt::ControlModifier);
  // Written where the cursor stood, above the empty row that waits for the next one.
  ASSERT_EQ(window->session().document().cellText({table, before.row, 1}), article)
      << messages().toStdString();
  key(Qt::Key_Escape);
  m_messages.script({Answer::Yes});  // "Enregistrer le document?"
  key(Qt::Key_W, Qt::ControlModifier);
  ASSERT_FALSE(composition()) << messages().toStdString();
  QApplication::processEvents();

  m_messages.script({Answer::Yes});  // "Voulez-vous conserver le texte existant ?"
  window = compose();
  ASSERT_TRUE(window);
  // A code the rows also begin with: the grid does not search them, the cursor stays put.
  const QString second = m_state->base(core::entry::Stock)
                             .db.OpenRecordset("select min(TARTI_CODART) from TARTI where "
                                               "TARTI_Type = 'A' and not TARTI_Desactive and "
                                               "TARTI_CODART > '" + article + "'")
                             .value(0)
                             .toString();
  type(second);
  EXPECT_EQ(focused(), "CTX_CODART");
  key(Qt::Key_Return);
  type("5");
  key(Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(window->session().document().cellText({table, before.row, 1}), article);
  EXPECT_EQ(window->session().document().cellText({table, before.row + 1, 1}), second)
      << messages().toStdString();
}

// "Composer" on another version while a composition is open is refused before anything is
// asked or handed over: the open composition keeps its version and its modes.
TEST_F(QuoteChain, ASecondComposerLeavesTheOpenCompositionAlone) {
  const long dossier = newDossierWithVersion();
  // Version 1 with other modes than version 0 will have.
  composition::FCOMPO* window = compose();
  ASSERT_TRUE(window);
  window->findChild<QAbstractButton*>("OPT_TarMat_0")->click();
  window->findChild<QAbstractButton*>("OPT_TarMO_0")->click();
  key(Qt::Key_S, Qt::ControlModifier);
  const core::QuoteContext before = m_state->quote;

  // Back in the workspace, a new version 1, then "Composer" on it.
  backToWorkspace();
  workspaceChild<QPushButton>("Cmd_DevADD")->setFocus();
  key(Qt::Key_Return);
  key(Qt::Key_F10);
  ASSERT_EQ(version(dossier, 1, "TDEV_NSEQ"), "1") << messages().toStdString();
  m_messages.clear();
  workspaceChild<QPushButton>("Cmd_DevEditer")->setFocus();
  key(Qt::Key_Return);
  EXPECT_EQ(messages(), "Une composition est déjà en cours, veuillez la terminer d'abord");
  EXPECT_EQ(m_state->quote.sequence, before.sequence);
  EXPECT_EQ(m_state->quote.newText, before.newText);
  EXPECT_EQ(m_state->quote.tarMat + m_state->quote.tarMo, before.tarMat + before.tarMo);

  // The first composition closes: version 0 takes its modes, version 1 keeps its own.
  const QString modes1 = version(dossier, 1, "TDEV_TARMAT") + version(dossier, 1, "TDEV_TARMO");
  m_messages.clear();
  ASSERT_TRUE(window->closeComposition()) << messages().toStdString();
  QApplication::processEvents();
  EXPECT_EQ(version(dossier, 0, "TDEV_TARMAT") + version(dossier, 0, "TDEV_TARMO"), "RR");
  EXPECT_EQ(version(dossier, 1, "TDEV_TARMAT") + version(dossier, 1, "TDEV_TARMO"), modes1);
}

// Mailed, a version is frozen: "Composer" opens it as it left without asking about its text
// and nothing is saved into it; the next version continues it and the workspace compares the
// two.
TEST_F(QuoteChain, AMailedVersionIsFrozenAndTheNextOneContinuesIt) {
  const long dossier = newDossierWithVersion();
  composition::FCOMPO* window = compose();
  ASSERT_TRUE(window);
  const int table = lineTable(*window);
  const QString article = firstArticle();
  writeArticleAndClose(*window, article);
  ASSERT_FALSE(composition()) << messages().toStdString();

  m_messages.clear();
  backToWorkspace();
  workspaceChild<QPushButton>("CTL_MailPDF")->click();
  workspaceChild<QPushButton>("CMD_OKPDF")->click();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  ASSERT_EQ(m_mails->mails().size(), 1) << messages().toStdString();
  EXPECT_EQ(scalar(QStringLiteral("select TENVOI_MODE from TENVOI where TENVOI_SOC = 'AB' and "
                                  "TENVOI_NUMDOSS = %1 and TENVOI_NSEQ = 0")
                       .arg(dossier)),
            "export PDF et mail");
  // Whatever the guard found stands beside the mail: closed, back to the program.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "FGARDE") w->close();
  tarovent::test::showActive(m_menu.get());

  m_messages.clear();
  const QString path = documentPath(dossier, 0);
  const QByteArray sent = [&] {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  // The clients renamed since: the sent version keeps the name it left with.
  db::Database& clients = m_state->base(core::entry::Commercial).open()
                              ? m_state->base(core::entry::Commercial).db
                              : m_state->mainDb();
  clients.Execute("update TCLI set TCLI_RS = TCLI_RS & ' (renommé)'");
  window = compose();
  ASSERT_TRUE(window);
  EXPECT_EQ(messages(), "") << "nothing asked about a sent text";
  EXPECT_TRUE(window->session().isReadOnly());
  EXPECT_EQ(window->session().document().cellText({table, 1, 1}), article);
  const auto* banner = window->findChild<QLabel*>("CTL_VersionEnvoyee");
  ASSERT_TRUE(banner && banner->isVisible());
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(m_messages.texts(), QStringList{banner->text()});
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), sent);
  // Shown as it left, head included: nothing changed, closing asks nothing.
  m_messages.clear();
  key(Qt::Key_W, Qt::ControlModifier);
  ASSERT_FALSE(composition()) << messages().toStdString();
  EXPECT_EQ(messages(), "");

  // "Créer": version 1 starts from the sent text, and is saved.
  m_messages.clear();
  backToWorkspace();
  workspaceChild<QPushButton>("Cmd_DevADD")->setFocus();
  key(Qt::Key_Return);
  key(Qt::Key_F10);
  window = compose();
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->session().isReadOnly());
  EXPECT_EQ(window->session().document().cellText({table, 1, 1}), article);
  key(Qt::Key_S, Qt::ControlModifier);
  key(Qt::Key_W, Qt::ControlModifier);
  ASSERT_FALSE(composition()) << messages().toStdString();
  ASSERT_TRUE(QFileInfo::exists(documentPath(dossier, 1)));

  backToWorkspace();
  workspaceChild<QPushButton>("Cmd_DevComparer")->click();
  auto* compared = m_workspace->findChild<guard::ComparisonWindow*>("FCOMPDEV");
  ASSERT_TRUE(compared);
  EXPECT_EQ(compared->first()->count(), 2);
  EXPECT_EQ(compared->list()->rowCount(), 0);
  EXPECT_TRUE(compared->totals()->text().startsWith("0 écart(s)"))
      << compared->totals()->text().toStdString();
  compared->close();
}

}  // namespace
}  // namespace tarovent::dossiers
