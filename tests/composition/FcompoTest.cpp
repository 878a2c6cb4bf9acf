#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QThread>

#include "ChangeLog.h"
#include "FamilyFixture.h"
#include "QuoteViewSupport.h"
#include "composition/AdjustmentFrame.h"
#include "composition/CompositionSession.h"
#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/PreviewPane.h"
#include "composition/QuoteView.h"
#include "core/DocumentPreview.h"
#include "platform/os/FakePdfConverter.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::composition {
namespace {

using test::line;
using ui::Answer;

// Lines worth 26,97 and 200,00 net.
const QList<QuoteLine> kTwoLines = {line("X1", 0, "Vis", 3, 8.99), line("X2", 0, "Plaque", 2, 100)};

// Lets the event loop run until `done` or five seconds.
template <class F>
bool waitFor(F done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 5000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return done();
}

// The document a composition writes to, as another program would rewrite it.
void rewriteOutside(const QString& path, const QString& designation) {
  QThread::msleep(20);
  word::WordDocument other = word::WordDocument::open(path);
  const auto layout = Reperer_Tableaux(other, LocatePurpose::Recalculation).layout;
  other.setCellText({layout->firstLineTable, 1, 2}, designation);
  other.saveAs(path);
}

// The composition window on the template of type "DEV", written with the given lines.
class FcompoTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->params.tarifMat = "V";
    m_state->params.tarifMo = "V";
    m_state->compositionOrigin = "FTYP";
    m_state->compositionType = "DEV";
  }
  void TearDown() override { m_window.reset(); }

  QString write(const QList<QuoteLine>& lines) {
    const QString dotx = m_dir.filePath("STD.dotx");
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
    install::DemoQuote q;
    q.fileName = "DEV.dotx";
    q.templatePath = dotx;
    q.head = {{"RS", "Serrurerie Marchal"}, {"NUMDEV", "00012_00.AB"}};
    q.lines = lines;
    install::writeDemoQuote(m_layout.dataFolder, q);
    return m_layout.dataFolder + "DEV.dotx";
  }
  FCOMPO* open(const QList<QuoteLine>& lines) {
    m_path = write(lines);
    m_window.reset(FCOMPO::create(*m_state));
    if (!m_window) return nullptr;
    m_window->session().setDecimalSeparator(',');
    m_window->resize(1280, 800);
    tarovent::test::showActive(m_window.get());
    return m_window.get();
  }
  QuoteDocumentModel& model() { return m_window->view().model(); }
  int rowOf(const QString& code) {
    const int column = model().columns().column("CODART") - 1;
    for (int r = 0; r < model().rowCount(); ++r)
      if (model().index(r, column).data().toString() == code) return r;
    return -1;
  }
  QString cell(int row, const char* code) {
    return model().index(row, model().columns().column(code) - 1).data().toString();
  }
  void onGrid(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    tarovent::test::pressKey(&m_window->view().grid(), key, mods);
  }
  void select(const QString& code) { m_window->view().setCursor(model().cursorAt(rowOf(code))); }
  template <typename T = QWidget>
  T* get(const char* name) {
    return tarovent::test::child<T>(m_window.get(), name);
  }
  QByteArray bytes() {
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  bool saved(const QString& text) {
    return word::WordDocument::open(m_path).bodyText().contains(text);
  }

  std::unique_ptr<FCOMPO> m_window;
  QString m_path;
};

TEST_F(FcompoTest, MissingTemplateOpensNothing) {
  m_state->compositionClosed = [] {};
  m_state->compositionType = "NOPE";
  EXPECT_EQ(FCOMPO::create(*m_state), nullptr);
  EXPECT_EQ(m_messages.texts(), QStringList{"Le modèle du type NOPE n'existe pas."});
  EXPECT_FALSE(m_state->compositionInProgress);
  EXPECT_FALSE(m_state->compositionClosed);
}

TEST_F(FcompoTest, ClosingAsksOnlyAfterAChangeAndCancelKeepsTheWindow) {
  ASSERT_TRUE(open(kTwoLines));
  int closed = 0;
  m_state->compositionClosed = [&] { ++closed; };
  select("X2");
  m_window->subTotal();
  m_messages.clear();
  m_messages.script({Answer::Cancel});
  onGrid(Qt::Key_Escape);
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrer le document?"});
  EXPECT_TRUE(m_window->isVisible());
  m_messages.script({Answer::Yes});
  onGrid(Qt::Key_Escape);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(saved("*** Sous total"));
}

TEST_F(FcompoTest, AdjustmentFrameForcesTheAmount) {
  ASSERT_TRUE(open({line("A", 0, "Tôle", 2, 300), line("B", 0, "Profilé", 4, 100)}));
  AdjustmentFrame& frame = m_window->adjustmentFrame();
  onGrid(Qt::Key_J, Qt::ControlModifier);
  ASSERT_TRUE(frame.isVisible());
  frame.Choisir_Ajustement(3);
  EXPECT_FALSE(get("CTX_PcGlobal")->isEnabled());  // the fields of the chosen option only
  // A box without a number keeps the keyboard and changes no price.
  get("CTX_Montant")->setFocus();
  tarovent::test::typeText(get("CTX_Montant"), "12abc");
  tarovent::test::pressKey(get("CTX_Montant"), Qt::Key_Return);
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].startsWith("Montant HT net : « 12abc » n'est pas un nombre."));
  EXPECT_EQ(QApplication::focusWidget(), get("CTX_Montant"));
  EXPECT_EQ(cell(rowOf("A"), "PUBRUT"), "300,00");
  EXPECT_TRUE(frame.isVisible());
  // French numbers as typed: the spaces of thousands, the point of thousands, the comma.
  tarovent::test::typeText(get("CTX_Montant"), "1.200,00");
  m_messages.clear();
  m_messages.script({Answer::Yes});  // the recalculation of a template is asked for
  tarovent::test::pressKey(get("CTX_Montant"), Qt::Key_Return);
  EXPECT_EQ(cell(rowOf("A"), "PUBRUT"), "360,00") << m_messages.texts().join('|').toStdString();
  EXPECT_EQ(cell(rowOf("B"), "PUBRUT"), "120,00");
  EXPECT_EQ(get<QLabel>("CTL_SMTNET")->text(), "1 200,00");
  EXPECT_FALSE(frame.isVisible());
}

// Every command of the menus has its key; the recalculations all run from the keyboard, and
// an option without field waits for OK before rewriting any price.
TEST_F(FcompoTest, EveryMenuCommandRunsFromItsKey) {
  ASSERT_TRUE(open(kTwoLines));
  auto* bar = get<QMenuBar>("MNU_Composition");
  for (QAction* menu : bar->actions()) {
    for (QAction* a : menu->menu()->actions()) {
      if (a->isSeparator()) continue;
      EXPECT_FALSE(a->shortcut().isEmpty()) << a->text().toStdString();
    }
  }
  EXPECT_EQ(get<QAction>("M_ReAjustements")->text(), "&ReAjustements");
  EXPECT_TRUE(get("TLB_MACRO"));

  QStringList asked;
  m_window->setPrompt([&](const QString& title, const QString& question,
                          const QString& proposed) -> std::optional<QString> {
    asked << title + "|" + question + "|" + proposed;
    return QString("10");
  });
  word::WordDocument& doc = m_window->session().document();
  const bool majorable = doc.hasBookmark("MTPLUS") && doc.hasBookmark("PCPLUS");
  m_messages.clear();
  onGrid(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(asked, QStringList{"Majoration Total HT net|Appliquer une majoration au total HT Net "
                               "(%) :|0"});
  if (majorable) {
    EXPECT_EQ(doc.bookmarkText("PCPLUS"), "10");
  } else {
    EXPECT_EQ(m_messages.texts(),
              QStringList{"Modèle incomplet pour cette fonctionnalité (Signets manquants) ..."});
  }

  m_messages.clear();
  onGrid(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(m_window->statusBar().currentMessage(), "Désignations mises à jour : 0 ligne(s)")
      << m_messages.texts().join('|').toStdString();

  // Cost prices: Enter on the option goes to OK, nothing changes until OK.
  onGrid(Qt::Key_J, Qt::ControlModifier);
  const QString price = cell(rowOf("X1"), "PUBRUT");
  auto* costs = get("OPT_Ajust_2");
  costs->setFocus();
  tarovent::test::pressKey(costs, Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), get("Cmd_OKAjust"));
  EXPECT_EQ(cell(rowOf("X1"), "PUBRUT"), price);
  EXPECT_TRUE(m_window->adjustmentFrame().isVisible());
  m_messages.setFallback(Answer::Yes);
  tarovent::test::pressKey(get("Cmd_OKAjust"), Qt::Key_Return);
  EXPECT_FALSE(m_window->adjustmentFrame().isVisible());
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "CTX_QTE");
}

// What the window does when the file changes on disk, by the answer to its question.
TEST_F(FcompoTest, FileChangedOutsideIsReloadedWhenCleanElseTheUserChooses) {
  ASSERT_TRUE(open(kTwoLines));
  QStringList opened;
  m_state->openDocument = [&](const QString& path) {
    opened << path;
    return true;
  };
  onGrid(Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(opened, QStringList{m_path});
  rewriteOutside(m_path, "Vis écrite ailleurs");
  // Nothing changed here: the watcher reloads it by itself.
  EXPECT_TRUE(waitFor([&] { return cell(0, "LIBART") == "Vis écrite ailleurs"; }));
  EXPECT_TRUE(m_window->statusBar().currentMessage().contains("relu"));
  EXPECT_TRUE(m_messages.texts().isEmpty());

  struct Case {
    Answer answer;
    QString shown;  // first designation in the window afterwards
    bool saves;     // whether saving then goes through
  };
  for (const Case& c :
       {Case{Answer::Yes, "Vis écrite ailleurs", true}, Case{Answer::No, "Encore ailleurs", true},
        Case{Answer::Cancel, "Vis écrite ailleurs", false}}) {
    SCOPED_TRACE(int(c.answer));
    select("X2");
    m_window->subTotal();
    rewriteOutside(m_path, "Encore ailleurs");
    m_messages.clear();
    m_messages.script({c.answer});
    m_window->checkDisk();
    ASSERT_EQ(m_messages.texts().size(), 1);
    EXPECT_TRUE(m_messages.texts()[0].startsWith("Le document a été modifié en dehors"));
    EXPECT_EQ(cell(0, "LIBART"), c.shown);
    EXPECT_EQ(m_window->save(), c.saves);
    EXPECT_EQ(saved("Encore ailleurs"), c.answer != Answer::Yes);
    // Back to a state the next case starts from.
    if (!c.saves) m_window->session().reload(), m_window->checkDisk();
    rewriteOutside(m_path, "Vis écrite ailleurs");
    m_window->checkDisk();
  }
}

// Tab goes down the screen: from the document to its preview beside it, then to the entry
// below them, Shift+Tab back; the view made again when the file is read again keeps its place.
TEST_F(FcompoTest, TabGoesFromTheDocumentToTheEntryBelowIt) {
  ASSERT_TRUE(open(kTwoLines));
  // The pane as "Aperçu PDF" shows it, without the conversion.
  QWidget* preview = get("FRM_Apercu");
  const auto walk = [](QWidget* from, bool forward, QWidget* to) {
    QStringList passed;
    from->setFocus(Qt::OtherFocusReason);
    for (int i = 0; i < 6 && QApplication::focusWidget() != to; ++i) {
      tarovent::test::pressKey(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab,
                               forward ? Qt::NoModifier : Qt::ShiftModifier);
      const QWidget* w = QApplication::focusWidget();
      passed << (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
    }
    return passed.join(' ');
  };
  for (const bool reloaded : {false, true}) {
    SCOPED_TRACE(reloaded);
    if (reloaded) {
      rewriteOutside(m_path, "Vis écrite ailleurs");
      ASSERT_TRUE(waitFor([&] { return cell(0, "LIBART") == "Vis écrite ailleurs"; }));
    }
    QWidget* grid = &m_window->view().grid();
    QWidget* sources = get("TRV_Sources");
    preview->hide();
    EXPECT_EQ(walk(grid, true, sources), "TRV_Sources");
    EXPECT_EQ(walk(sources, false, grid), grid->objectName());
    preview->show();
    EXPECT_EQ(walk(grid, true, sources), "CMD_FermerApercu QPdfView TRV_Sources");
    EXPECT_EQ(walk(sources, false, grid), "QPdfView CMD_FermerApercu " + grid->objectName());
  }
}

TEST_F(FcompoTest, SavingWhileTheWordProcessorHoldsTheFileIsRefused) {
  for (const QString& lock : {QString(".~lock.DEV.dotx#"), QString("~$V.dotx")}) {
    SCOPED_TRACE(lock.toStdString());
    ASSERT_TRUE(open(kTwoLines));
    select("X2");
    m_window->subTotal();
    const QByteArray before = bytes();
    QFile owner(m_layout.dataFolder + lock);
    ASSERT_TRUE(owner.open(QIODevice::WriteOnly));
    owner.close();
    m_messages.clear();
    EXPECT_FALSE(m_window->save());
    m_messages.script({Answer::Yes});
    EXPECT_FALSE(m_window->closeComposition());
    EXPECT_TRUE(m_window->isVisible());
    ASSERT_EQ(m_messages.texts().size(), 3);
    EXPECT_TRUE(m_messages.texts()[0].startsWith("Le document est ouvert dans le traitement"));
    EXPECT_EQ(bytes(), before);
    // Once the word processor let it go, nothing was lost.
    owner.remove();
    EXPECT_TRUE(m_window->save());
    EXPECT_TRUE(saved("*** Sous total"));
    m_window.reset();
  }
}

TEST_F(FcompoTest, KeyboardMovesBetweenDocumentEntryAndCommands) {
  ASSERT_TRUE(open(kTwoLines));
  QTableView* grid = &m_window->view().grid();
  grid->setFocus();
  // The extended sub-total takes its title from the prompt; Escape leaves it for the entry.
  select("X1");
  tarovent::test::pressKey(grid, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  auto* title = get<QLineEdit>("CTX_TitreSTOT");
  ASSERT_TRUE(title->hasFocus());
  EXPECT_EQ(title->text(), "Sous-total");
  title->setText("Quincaillerie");
  tarovent::test::pressKey(title, Qt::Key_Return);
  // Sub-totals go at the end of the table, after the empty row the cursor waited on at opening.
  const int blank = rowOf("X2") + 1;
  EXPECT_EQ(cell(blank, "CODART"), "");
  EXPECT_EQ(cell(blank + 1, "LIBART"), "Quincaillerie");
  grid->setFocus();
  select("X2");
  tarovent::test::pressKey(grid, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(cell(blank + 1, "LIBART"), "*** Sous total");
  // On a sub-total, nothing is asked before the message that says it cannot go there.
  m_window->view().setCursor(model().cursorAt(blank + 1));
  m_messages.clear();
  tarovent::test::pressKey(grid, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(m_messages.texts(), QStringList{"Vous êtes positionné dans un tableau de sous-total"});
  EXPECT_FALSE(title->isVisible());
  select("X2");
  tarovent::test::pressKey(grid, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  tarovent::test::pressKey(title, Qt::Key_Escape);
  const auto inEntry = [&] {
    QWidget* f = QApplication::focusWidget();
    return f && (f == &m_window->entryPanel() || m_window->entryPanel().isAncestorOf(f));
  };
  EXPECT_TRUE(inEntry());
  grid->setFocus();
  tarovent::test::pressKey(grid, Qt::Key_Return);
  EXPECT_TRUE(inEntry());
  const QStringList faults = tarovent::test::keyboardFaults(m_window.get());
  EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
}

TEST_F(FcompoTest, SubTotalOnALongQuoteDoesNotRebuildTheView) {
  QList<QuoteLine> lines;
  for (int i = 0; i < 2000; ++i)
    lines << line(QString("ART%1").arg(i * 7919 % 10007), i % 3 == 2 ? 1 : 0,
                  QString("Article de série n° %1").arg(i * 31 % 977), i % 5 + 1, 10 + i % 40);
  OpenRequest r;
  r.documentPath = write(lines);
  auto s = CompositionSession::open(*m_state, r);
  ASSERT_TRUE(s) << m_messages.texts().join('|').toStdString();
  fixtures::ChangeLog recorder;
  s->setChangeListener(&recorder);
  const int table =
      Reperer_Tableaux(s->document(), LocatePurpose::Recalculation).layout->firstLineTable;
  ASSERT_TRUE(s->setCursor(table, 1000));
  ASSERT_TRUE(s->subTotal());
  EXPECT_EQ(recorder.kinds(), (QStringList{"inserted", "split", "changed"}));
}

// Each command keeps the grid as a grid built afresh shows the document.
TEST_F(FcompoTest, CommandsKeepTheGridInStepWithTheDocument) {
  ASSERT_TRUE(open({line("PORT800", 0, "Portail", 1, 1850), line("RAIL4", 1, "Rail", 2, 95.5),
                    line("VIS8", 2, "Vis", 24, 0.45), line("MO*SOUD", 0, "Soudure", 6, 48),
                    line("PEINT", 0, "Peinture", 1, 320)}));
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"split", [&] { m_window->split(); }},
      {"subtotal", [&] { m_window->subTotal(); }},
      {"new table", [&] { m_window->newTable(); }},
      {"mask", [&] { m_window->switchTableHidden(); }},
      {"levels", [&] { m_window->applyPrintLevels(); }},
      {"recalc", [&] { m_window->recalculate(); }},
  };
  for (const auto& [name, run] : commands) {
    SCOPED_TRACE(name);
    select("VIS8");
    run();
    const QuoteDocumentModel fresh(m_window->session().document(), model().layout(),
                                   model().columns());
    EXPECT_EQ(test::snapshot(model()), test::snapshot(fresh));
  }
}

// The preview converts the saved file in the background and again after each save: a save
// during a conversion makes it start over, and a failure is told in the pane.
TEST_F(FcompoTest, PreviewFollowsEachSaveInTheBackground) {
  auto* fake = new os::FakePdfConverter;
  m_state->pdfConverter.reset(fake);
  ASSERT_TRUE(open(kTwoLines));
  auto* pane = get<PreviewPane>("FRM_Apercu");
  core::DocumentPreview& preview = pane->preview();
  int refreshed = 0;
  QObject::connect(&preview, &core::DocumentPreview::refreshed, [&] { ++refreshed; });
  const auto settle = [] {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 900) QApplication::processEvents(QEventLoop::AllEvents, 20);
  };
  // The pane takes its width from the document's view: the entry keeps the width its fields need.
  auto* entry = get<QWidget>("FRM_Saisie");
  const int entryWidth = entry->width();
  onGrid(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_FALSE(pane->isHidden());
  ASSERT_TRUE(waitFor([&] { return refreshed == 1; }));
  EXPECT_EQ(entry->width(), entryWidth);
  ASSERT_EQ(fake->jobs().size(), 1);
  EXPECT_EQ(fake->jobs()[0].document, m_path);

  // The save returns before the conversion ends; the second one supersedes the first.
  select("X2");
  m_window->subTotal();
  ASSERT_TRUE(m_window->save());
  EXPECT_EQ(preview.status(), "Génération de l'aperçu en cours ...");
  QThread::msleep(20);
  m_window->subTotal();
  ASSERT_TRUE(m_window->save());
  settle();
  EXPECT_EQ(refreshed, 2);
  EXPECT_EQ(fake->jobs().size(), 3);  // the file watch does not convert a save twice
  EXPECT_TRUE(preview.status().isEmpty());

  fake->setBehaviour(os::FakePdfConverter::Behaviour::Fail,
                     "La conversion en PDF a échoué : essai");
  m_messages.clear();
  ASSERT_TRUE(m_window->save());
  ASSERT_TRUE(waitFor([&] { return refreshed == 3; }));
  EXPECT_EQ(preview.status(), "La conversion en PDF a échoué : essai");
  EXPECT_TRUE(m_messages.texts().isEmpty());

  onGrid(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(pane->isHidden());
  const qsizetype jobs = fake->jobs().size();
  ASSERT_TRUE(m_window->save());
  settle();
  EXPECT_EQ(fake->jobs().size(), jobs);
}

TEST_F(FcompoTest, TheImagesButtonHandsTheSelectedStockArticleToItsInformationWindow) {
  struct Opener : ui::WindowOpener {
    bool openWindow(const QString& name) override {
      opened << name;
      return true;
    }
    QStringList opened;
  } opener;
  m_state->windows.add("FARTINFOS", {});
  m_state->opener = &opener;
  // The window outlives nothing of this test: the opener is dropped on every way out.
  const std::unique_ptr<void, std::function<void(void*)>> dropOpener(
      this, [this](void*) { m_state->opener = nullptr; });
  for (const char* sql : {"insert into TARTI (TARTI_CODART, TARTI_LIBART) values ('VIS', 'Vis')",
                          "insert into TARTI (TARTI_CODART, TARTI_LIBART) values ('TOLE', 'Tôle')"})
    m_state->base(core::entry::Stock).db.Execute(QString::fromUtf8(sql));
  ASSERT_TRUE(open(kTwoLines));
  auto* list = get<QTableView>("DBG_Liste");
  ASSERT_EQ(list->model()->rowCount(), 2);
  list->setCurrentIndex(QModelIndex());
  get<QAbstractButton>("Cmd_Images")->click();
  EXPECT_TRUE(opener.opened.isEmpty());  // no article selected
  EXPECT_EQ(QApplication::focusWidget(), list);
  list->setCurrentIndex(list->model()->index(1, 0));
  get<QAbstractButton>("Cmd_Images")->click();
  EXPECT_EQ(opener.opened, QStringList{"FARTINFOS"});
  EXPECT_EQ(m_state->pictureArticle, list->model()->index(1, 0).data().toString());
  EXPECT_EQ(m_state->pictureArticleLabel, list->model()->index(1, 1).data().toString());
}

}  // namespace
}  // namespace tarovent::composition
