#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include "articles/ArticleFiles.h"
#include "articles/CreationForms.h"
#include "articles/FNOMENC.h"
#include "composition/AdjustmentFrame.h"
#include "composition/CompositionSession.h"
#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/PreviewPane.h"
#include "composition/QuoteView.h"
#include "composition/TableLocator.h"
#include "documents/FARTINFOS.h"
#include "dossiers/DemoMenuTest.h"
#include "dossiers/DossierWindows.h"
#include "guard/DriftWindow.h"
#include "guard/GuardWindow.h"
#include "platform/db/Database.h"
#include "stock/StockWindows.h"

namespace tarovent::composition {
namespace {

using ui::Answer;

void registerWindows(core::ProcessState& state) {
  dossiers::registerDossierWindows(state);
  stock::registerStockWindows(state);
  articles::registerCreationWindows(state);
  documents::registerDocumentWindows(state);
  state.windows.add(
      "FCOMPO",
      {[&state](QWidget* parent) -> QWidget* { return FCOMPO::create(state, parent); }, false});
}

// One key as the user presses it.
struct Stroke {
  int key;
  Qt::KeyboardModifiers mods = Qt::NoModifier;
  QString text = {};
};

Stroke alt(char letter) { return {Qt::Key_A + (letter - 'A'), Qt::AltModifier}; }
Stroke letter(char c) {
  return {Qt::Key_A + (QChar(c).toUpper().unicode() - 'A'), Qt::NoModifier, QString(QChar(c))};
}

// The access letter of a caption, upper case; null without one.
QChar accessLetter(const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption.at(i) != '&') continue;
    if (caption.at(i + 1) != '&') return caption.at(i + 1).toUpper();
    ++i;
  }
  return {};
}

// The composition of the demo family's first quote, opened from the dossier workspace with
// its "Editer" button, then driven by keys sent where the keyboard is: the open menu, the
// modal dialog, or the focused control.
class CompositionKeys : public tarovent::test::DemoMenuTest {
 protected:
  CompositionKeys() : DemoMenuTest(registerWindows) {}
  void TearDown() override {
    if (m_window) {
      m_window->session().document().setModified(false);
      m_window->closeComposition();
      QApplication::processEvents();
    }
    DemoMenuTest::TearDown();
  }
  QWidget* active() {
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    return sub ? sub->widget() : nullptr;
  }
  void openComposition() {
    m_menu->menuEntry("M_DEVI_DEVIS")->trigger();
    QApplication::processEvents();
    QWidget* caller = active();
    ASSERT_TRUE(caller);
    m_messages.setFallback(Answer::Yes);
    caller->findChild<QAbstractButton*>("Cmd_DevEditer")->click();
    QApplication::processEvents();
    m_window = qobject_cast<FCOMPO*>(active());
    ASSERT_TRUE(m_window) << m_messages.texts().join('|').toStdString();
    // The cost drift shown at opening: its window closes on Escape.
    QElapsedTimer shown;
    shown.start();
    while (!m_window->findChild<guard::DriftWindow*>() && shown.elapsed() < 1000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    m_drift = m_window->findChild<guard::DriftWindow*>();
    if (m_drift && m_drift->isVisible()) {
      tarovent::test::showActive(m_drift);
      QWidget* drift = m_drift;
      tarovent::test::pressKey(drift->focusWidget() ? drift->focusWidget() : drift, Qt::Key_Escape);
      QApplication::processEvents();
      EXPECT_FALSE(m_drift->isVisible()) << "the cost drift stays on Escape";
    }
    m_messages.clear();
    m_messages.setFallback(Answer::No);
    m_table =
        Reperer_Tableaux(session().document(), LocatePurpose::Recalculation).layout->firstLineTable;
    onDocument(1);
  }
  CompositionSession& session() { return m_window->session(); }
  word::WordDocument& document() { return session().document(); }
  // The keyboard on the document, the cursor on a row of the first line table.
  void onDocument(int row) {
    // A window closed offscreen hands the activation to no one; a window manager gives it back.
    if (QApplication::activeWindow() != m_menu.get()) tarovent::test::showActive(m_menu.get());
    m_window->view().grid().setFocus(Qt::OtherFocusReason);
    m_window->view().setCursor({m_table, row});
    QApplication::processEvents();
  }
  static QWidget* keyboard() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    return QApplication::focusWidget();
  }
  static void press(const Stroke& s) {
    QWidget* w = keyboard();
    ASSERT_TRUE(w) << "nothing has the keyboard";
    tarovent::test::pressKey(w, s.key, s.mods, s.text);
    QApplication::processEvents();
    // A button reached by its letter shows itself pressed before it acts.
    if (s.mods & Qt::AltModifier) {
      QElapsedTimer t;
      t.start();
      while (t.elapsed() < 200) QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
  static void press(std::initializer_list<Stroke> strokes) {
    for (const Stroke& s : strokes) press(s);
  }
  static void type(const QString& text) { tarovent::test::typeText(keyboard(), text); }
  static QString focused() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
  }
  // The next modal dialog that opens gets `act` from inside its own loop; then what it
  // showed is known.
  void onModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(m_menu.get());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [this, timer, act] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      timer->stop();
      timer->deleteLater();
      m_modalTexts.clear();
      for (QObject* o : modal->findChildren<QObject*>())
        if (auto* l = qobject_cast<QLabel*>(o)) m_modalTexts << l->text();
      act(modal);
      QApplication::processEvents();
    });
    timer->start();
  }
  // Types `text` into the modal dialog's box, then presses `key` there.
  void answerModal(const QString& text, int key) {
    onModal([text, key](QWidget* modal) {
      QWidget* box = modal->focusWidget() ? modal->focusWidget() : modal;
      if (auto* e = qobject_cast<QLineEdit*>(box)) e->selectAll();
      tarovent::test::typeText(box, text);
      tarovent::test::pressKey(box, key);
    });
  }
  QString lowerPage() {
    auto* lower = m_window->findChild<QStackedWidget*>("FRM_Saisie");
    return lower->currentWidget()->objectName();
  }
  QString status() { return m_window->statusBar().currentMessage(); }

  FCOMPO* m_window = nullptr;
  QPointer<QWidget> m_drift;
  int m_table = 0;
  QStringList m_modalTexts;
};

// Each menu of the window: its letters unique, each command reached by Alt, the menu's letter
// and the command's letter, and by its shortcut, from the document and from line entry.
TEST_F(CompositionKeys, EveryMenuCommandHasItsOwnLetterAndShortcut) {
  openComposition();
  ASSERT_TRUE(m_window);
  auto* bar = m_window->findChild<QMenuBar*>("MNU_Composition");
  // What the window must offer, menu by menu.
  const std::pair<const char*, QStringList> expected[] = {
      {"M_DOCUMENT",
       {"M_Enregistrer", "M_Apercu", "M_Controle", "M_TexteLibre", "M_Import_Classeur", "M_Photos",
        "M_Fermer"}},
      {"M_LIGNES",
       {"M_ModifLigne", "M_SourceOptions", "M_SourceStock", "M_SourceMO", "M_SourceTarif"}},
      {"M_TABLEAUX",
       {"M_Ajout_Tab", "M_SplitTab", "M_Insert_STOT", "M_Insert_STOT_Plus", "M_Masque",
        "M_Mask_Niv"}},
      {"M_RECALCULS", {"M_Totalisation", "M_Majoration", "M_MajDesignations", "M_ReAjustements"}},
  };
  QSet<QChar> menuLetters;
  for (const auto& [menuName, commands] : expected) {
    SCOPED_TRACE(menuName);
    auto* menu = bar->findChild<QMenu*>(menuName);
    ASSERT_TRUE(menu) << "no menu " << menuName;
    const QChar menuLetter = accessLetter(menu->title());
    ASSERT_FALSE(menuLetter.isNull()) << "menu " << menuName << " has no access letter";
    EXPECT_FALSE(menuLetters.contains(menuLetter))
        << "menu letter given twice: " << QString(menuLetter).toStdString();
    menuLetters.insert(menuLetter);
    QSet<QChar> itemLetters;
    for (const QString& name : commands) {
      QAction* action = nullptr;
      for (QAction* a : menu->actions())
        if (a->objectName() == name) action = a;
      ASSERT_TRUE(action) << name.toStdString() << " missing from its menu";
      const QChar item = accessLetter(action->text());
      ASSERT_FALSE(item.isNull()) << name.toStdString() << " has no access letter";
      // Letters a French keyboard and any other type alike.
      EXPECT_TRUE(item >= 'A' && item <= 'Z') << name.toStdString();
      EXPECT_FALSE(itemLetters.contains(item)) << name.toStdString() << " shares its letter";
      itemLetters.insert(item);
      // In the work area, the sub-window closes on its own keys.
      if (name != "M_Fermer") {
        EXPECT_FALSE(action->shortcut().isEmpty()) << name.toStdString() << " has no shortcut";
      }
    }
  }

  // Reached by letters, then by shortcut: counted without running the commands, whose
  // effects the tests below check.
  QHash<QString, int> runs;
  for (QAction* a : bar->findChildren<QAction*>()) {
    if (a->objectName().isEmpty() || a->menu()) continue;
    a->disconnect(m_window);
    QObject::connect(a, &QAction::triggered, [&runs, a] { ++runs[a->objectName()]; });
  }
  for (const bool fromEntry : {false, true}) {
    for (const auto& [menuName, commands] : expected) {
      auto* menu = bar->findChild<QMenu*>(menuName);
      const QChar menuLetter = accessLetter(menu->title());
      for (const QString& name : commands) {
        SCOPED_TRACE(name.toStdString() + (fromEntry ? " from line entry" : " from the document"));
        QAction* action = menu->findChild<QAction*>(name);
        if (!action)
          for (QAction* a : menu->actions())
            if (a->objectName() == name) action = a;
        ASSERT_TRUE(action);
        if (fromEntry)
          m_window->entryPanel().takeFocus();
        else
          onDocument(1);
        runs.clear();
        press(alt(char(menuLetter.unicode())));
        ASSERT_EQ(QApplication::activePopupWidget(), menu) << "Alt+" << char(menuLetter.unicode());
        const QChar item = accessLetter(action->text());
        press(letter(char(item.toLower().unicode())));
        EXPECT_EQ(runs.value(name), 1) << "by its letters";
        EXPECT_FALSE(QApplication::activePopupWidget());
        if (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
        // The close box of the sub-window takes Ctrl+W for itself.
        if (name == "M_Fermer") continue;
        runs.clear();
        if (fromEntry)
          m_window->entryPanel().takeFocus();
        else
          onDocument(1);
        const QKeyCombination keys = action->shortcut()[0];
        press(Stroke{int(keys.key()), keys.keyboardModifiers()});
        EXPECT_EQ(runs.value(name), 1) << "by " << action->shortcut().toString().toStdString();
      }
    }
  }
}

// The letters underlined in the window, its menus included, whatever part of it shows below
// the document: each letter names one thing.
TEST_F(CompositionKeys, AccessKeysOfTheWindowNameOneThingEach) {
  openComposition();
  ASSERT_TRUE(m_window);
  auto* lower = m_window->findChild<QStackedWidget*>("FRM_Saisie");
  for (int page = 0; page < lower->count(); ++page) {
    lower->setCurrentIndex(page);
    QApplication::processEvents();
    SCOPED_TRACE(lower->currentWidget()->objectName().toStdString());
    EXPECT_EQ(tarovent::test::keyboardFaults(m_window), QStringList());
  }
  lower->setCurrentIndex(0);
}

// A command of the menus run by its letters: what makes it ready, the effect it must have,
// the keys that close what it opened and what is back then.
struct MenuRun {
  const char* name;
  std::function<void()> before;
  std::vector<Stroke> keys;
  std::function<testing::AssertionResult()> ran;
  std::vector<Stroke> closing = {};
  std::function<testing::AssertionResult()> closed = {};
};

testing::AssertionResult check(bool ok, const QString& what) {
  return ok ? testing::AssertionSuccess() : testing::AssertionFailure() << what.toStdString();
}

// Every command of the menus, run with the keyboard alone and closed with it: each does what
// it says on the demo quote.
TEST_F(CompositionKeys, EveryMenuCommandRunsFromItsLetters) {
  openComposition();
  ASSERT_TRUE(m_window);
  const ColumnMap& columns = session().columns();
  const int mtnet = columns.column("MTNET"), pubrut = columns.column("PUBRUT");
  ASSERT_GT(mtnet, 0);
  ASSERT_GE(document().rowCount(m_table), 2) << "the demo quote has lines";
  QStringList opened;
  m_state->openDocument = [&opened](const QString& path) {
    opened << path;
    return true;
  };
  int tables = 0;
  const auto countTables = [&] { tables = document().tableCount(); };
  const auto oneTableMore = [&] {
    return check(document().tableCount() == tables + 1,
                 QStringLiteral("%1 tables").arg(document().tableCount()));
  };
  const auto page = [&](const QString& name, const QString& focus) {
    return [&, name, focus] {
      return check(lowerPage() == name && focused() == focus, lowerPage() + " / " + focused());
    };
  };
  const auto preview = [&] { return m_window->findChild<PreviewPane*>(); };
  const auto priceCell = [&] { return word::CellRef{m_table, 1, pubrut}; };
  QWidget* importFrame = nullptr;
  QWidget* guardWindow = nullptr;
  QString shownModal;

  const MenuRun runs[] = {
      {"M_Enregistrer",
       [&] { document().setModified(true); },
       {alt('D'), letter('e')},
       [&] { return check(!document().isModified(), status()); }},
      {"M_Apercu",
       {},
       {alt('D'), letter('a')},
       [&] { return check(preview()->isVisible(), "no preview"); },
       {alt('D'), letter('a')},
       [&] { return check(!preview()->isVisible(), "preview still shown"); }},
      {"M_Controle",
       {},
       {alt('D'), letter('c')},
       [&] {
         guardWindow = m_window->findChild<guard::GuardWindow*>();
         return check(status().startsWith("Contrôle du devis") || guardWindow, status());
       },
       {},
       [&] {
         // What it found is shown in a window of its own, which Escape closes.
         if (!guardWindow) return testing::AssertionSuccess();
         tarovent::test::pressKey(
             guardWindow->focusWidget() ? guardWindow->focusWidget() : guardWindow, Qt::Key_Escape);
         return check(!guardWindow->isVisible(), "the check stays");
       }},
      {"M_TexteLibre",
       [&] { m_messages.setFallback(Answer::Yes); },
       {alt('D'), letter('t')},
       [&] {
         m_messages.setFallback(Answer::No);
         return check(opened == QStringList{session().documentPath()}, opened.join('|'));
       }},
      {"M_Import_Classeur",
       {},
       {alt('D'), letter('i')},
       [&] {
         importFrame = m_window->findChild<QDialog*>();
         return check(importFrame && importFrame->isVisible(), m_messages.texts().join('|'));
       },
       {{Qt::Key_Escape}},
       [&] { return check(!importFrame->isVisible(), "the import stays"); }},
      {"M_ModifLigne",
       {},
       {alt('L'), letter('m')},
       page("FRM_ModifLigne", "CTX_ModQte"),
       {{Qt::Key_Escape}},
       page("EntryPanel", "DBG_Document")},
      {"M_Ajout_Tab", countTables, {alt('X'), letter('n')}, oneTableMore},
      {"M_SplitTab", [&] { countTables(), onDocument(2); }, {alt('X'), letter('d')}, oneTableMore},
      {"M_Insert_STOT", countTables, {alt('X'), letter('s')}, oneTableMore},
      {"M_Insert_STOT_Plus",
       countTables,
       {alt('X'), letter('t')},
       page("FRM_TitreSTOT", "CTX_TitreSTOT"),
       {{Qt::Key_Return}},
       oneTableMore},
      {"M_Masque",
       {},
       {alt('X'), letter('m')},
       [&] { return check(document().isTableHidden(m_table), "table shown"); },
       {alt('X'), letter('m')},
       [&] { return check(!document().isTableHidden(m_table), "table hidden"); }},
      {"M_Mask_Niv",
       [&] { m_window->findChild<QAbstractButton*>("BXK_ImprimerPrix")->setChecked(false); },
       {alt('X'), letter('e')},
       [&] { return check(document().isCellHidden(priceCell()), "price printed"); }},
      {"M_Totalisation",
       [&] {
         document().setCellText({m_table, 1, mtnet}, "1,00");
       },
       {alt('A'), letter('t')},
       [&] {
         return check(session().lastRecalculation().completed &&
                          document().cellText({m_table, 1, mtnet}) != "1,00",
                      document().cellText({m_table, 1, mtnet}));
       }},
      {"M_Majoration",
       [&] { answerModal("10", Qt::Key_Return); },
       {alt('A'), letter('m')},
       [&] {
         return check(m_modalTexts.contains("Appliquer une majoration au total HT Net (%) :") &&
                          !QApplication::activeModalWidget(),
                      m_modalTexts.join('|'));
       }},
      {"M_MajDesignations",
       {},
       {alt('A'), letter('d')},
       [&] { return check(status().startsWith("Désignations mises à jour"), status()); }},
      {"M_ReAjustements",
       {},
       {alt('A'), letter('r')},
       page("FRM_Ajustement", "OPT_Ajust_0"),
       {{Qt::Key_Escape}},
       page("EntryPanel", "CTX_QTE")},
      {"M_Photos",
       [&] {
         m_window->entryPanel().setSource(EntrySource::Stock);
         m_state->pictureArticle.clear();
         onModal([&](QWidget* modal) {
           shownModal = modal->objectName();
           tarovent::test::pressKey(modal->focusWidget() ? modal->focusWidget() : modal,
                                    Qt::Key_Escape);
         });
       },
       {alt('D'), letter('p')},
       [&] {
         // The pictures of the list's article are asked for; they show when it has some.
         return check((shownModal == "FARTINFOS" || !m_state->pictureArticle.isEmpty()) &&
                          !QApplication::activeModalWidget(),
                      shownModal);
       }},
      {"M_Fermer",
       [&] { m_messages.setFallback(Answer::No); },
       {alt('D'), letter('f')},
       [&] {
         const bool closed = !m_state->compositionInProgress;
         if (closed) m_window = nullptr;
         return check(closed, "still composing");
       }},
  };
  for (const MenuRun& run : runs) {
    SCOPED_TRACE(run.name);
    ASSERT_TRUE(m_window);
    onDocument(1);
    if (run.before) run.before();
    for (const Stroke& s : run.keys) press(s);
    EXPECT_TRUE(run.ran()) << run.name << " did not run";
    for (const Stroke& s : run.closing) press(s);
    if (run.closed) {
      EXPECT_TRUE(run.closed()) << run.name << " did not close";
    }
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
}

// The source of the line is chosen from the keyboard wherever it is: Ctrl and the source's
// number, shown beside the sources, or Alt+R to the sources and the arrows.
TEST_F(CompositionKeys, TheSourceOfTheLineHasKeysOfItsOwn) {
  openComposition();
  ASSERT_TRUE(m_window);
  EntryPanel& panel = m_window->entryPanel();
  auto* tree = m_window->findChild<QTreeWidget*>("TRV_Sources");
  ASSERT_TRUE(tree);
  const std::pair<int, EntrySource> numbers[] = {{Qt::Key_3, EntrySource::Labour},
                                                 {Qt::Key_4, EntrySource::Tariffs},
                                                 {Qt::Key_1, EntrySource::Options},
                                                 {Qt::Key_2, EntrySource::Stock}};
  for (const bool fromDocument : {false, true}) {
    for (const auto& [key, source] : numbers) {
      SCOPED_TRACE(int(source));
      if (fromDocument)
        onDocument(1);
      else
        panel.takeFocus();
      press(Stroke{key, Qt::ControlModifier});
      EXPECT_EQ(panel.entry().source(), source);
      // On to the list of that source, as Enter on the source leads.
      EXPECT_EQ(focused(), "DBG_Liste");
      EXPECT_EQ(tree->currentItem(), tree->topLevelItem(int(source)));
      // Told where the user looks for it.
      EXPECT_TRUE(
          tree->currentItem()->toolTip(0).contains(QStringLiteral("Ctrl+%1").arg(int(source) + 1)))
          << tree->currentItem()->toolTip(0).toStdString();
    }
  }
  panel.takeFocus();
  press(alt('R'));
  EXPECT_EQ(focused(), "TRV_Sources");
  press(Stroke{Qt::Key_Down});
  EXPECT_EQ(panel.entry().source(), EntrySource::Labour);
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(focused(), "DBG_Liste");
}

// Line entry's own commands, and the windows it opens, with the keyboard alone.
class EntryKeys : public CompositionKeys {
 protected:
  // Enter from field to field until `name` has the keyboard.
  static bool moveTo(const QString& name) {
    for (int i = 0; i < 15 && focused() != name; ++i) press(Stroke{Qt::Key_Return});
    return focused() == name;
  }
  QString codeField() { return m_window->findChild<QLineEdit*>("CTX_CODART")->text(); }
  QString firstBoughtArticle() {
    db::Database* db = m_window->entryPanel().entry().listDatabase(EntrySource::Stock);
    db::Recordset rs = db->OpenRecordset(
        "select TARTI_CODART from TARTI where TARTI_Type='A' and TARTI_Desactive=False "
        "order by TARTI_CODART");
    return rs.EOF_() ? QString() : rs.value(0).toString();
  }
  QString activeName() { return active() ? active()->objectName() : QString(); }
};

TEST_F(EntryKeys, LinesAreWrittenAboveOrAtTheEndAndTariffsSearchedFromTheirKeys) {
  openComposition();
  ASSERT_TRUE(m_window);
  EntryPanel& panel = m_window->entryPanel();
  const QString article = firstBoughtArticle();
  ASSERT_FALSE(article.isEmpty());
  const int rows = document().rowCount(m_table);

  // Above the pointer: Alt+P, or Ctrl+Enter from a field.
  onDocument(1);
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(focused(), "CTX_CODART");
  type(article);
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(focused(), "CTX_QTE");
  type("2");
  press(alt('P'));
  EXPECT_EQ(document().rowCount(m_table), rows + 1);
  EXPECT_EQ(document().cellText({m_table, 1, 1}).trimmed(), article);
  panel.takeFocus();
  type(article);
  press(Stroke{Qt::Key_Return});
  type("3");
  press(Stroke{Qt::Key_Return, Qt::ControlModifier});
  EXPECT_EQ(document().rowCount(m_table), rows + 2);

  // At the end of the table: Alt+F; a manufactured article asks for its decomposition.
  panel.takeFocus();
  type("ENS0001");
  press(Stroke{Qt::Key_Return});
  type("1");
  m_messages.clear();
  m_messages.setFallback(Answer::Yes);
  press(alt('F'));
  m_messages.setFallback(Answer::No);
  EXPECT_TRUE(
      m_messages.texts().contains("Voulez-vous utiliser la décomposition de l'article ENS0001 ?"))
      << m_messages.texts().join('|').toStdString();
  const int last = document().rowCount(m_table);
  EXPECT_GT(last, rows + 3) << "the article and its components";
  EXPECT_EQ(focused(), "CTX_CODART");

  // The non-referenced tariff lines: Alt+S selects, Alt+H searches, each asking its question.
  press(Stroke{Qt::Key_4, Qt::ControlModifier});
  ASSERT_EQ(panel.entry().source(), EntrySource::Tariffs);
  for (const auto& [key, question] : {std::pair{'S', "Critère de sélection (Référence) : "},
                                      std::pair{'H', "Expression à rechercher (Référence) : "}}) {
    SCOPED_TRACE(question);
    m_modalTexts.clear();
    if (QApplication::activeWindow() != m_menu.get()) tarovent::test::showActive(m_menu.get());
    m_window->findChild<QTableView*>("DBG_Liste")->setFocus();
    answerModal({}, Qt::Key_Escape);
    press(alt(key));
    EXPECT_TRUE(m_modalTexts.contains(question)) << m_modalTexts.join('|').toStdString();
    EXPECT_FALSE(QApplication::activeModalWidget());
  }
}

TEST_F(EntryKeys, AComposedCodeIsBuiltAndTakenBackWithTheKeyboard) {
  openComposition();
  ASSERT_TRUE(m_window);
  EntryPanel& panel = m_window->entryPanel();
  m_messages.setFallback(Answer::Yes);

  // A family's code composed segment by segment; Enter on OK brings it back to the code.
  panel.takeFocus();
  type("TUB");
  press(Stroke{Qt::Key_Return});
  ASSERT_EQ(activeName(), "FCOMPART");
  EXPECT_EQ(focused(), "CTX_SEGMENT_2");
  type("40");
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(focused(), "CTX_SEGMENT_4");
  type("2.5");
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(focused(), "Cmd_OK");
  m_messages.setFallback(Answer::No);
  press(Stroke{Qt::Key_Return});
  ASSERT_EQ(activeName(), "FCOMPO");
  EXPECT_EQ(codeField(), "TUB040X02.5");
}

// A code found nowhere: "yes" to its creation puts its form in front with the keyboard in
// it, whatever line entry does with the code field afterwards; Escape gives the composition
// back, and the next unknown code gets a form of its own.
TEST_F(EntryKeys, AnUnknownCodeOpensItsCreationFormInFront) {
  openComposition();
  ASSERT_TRUE(m_window);
  EntryPanel& panel = m_window->entryPanel();
  for (const char* code : {"ZZNEUF", "ZZAUTRE"}) {
    SCOPED_TRACE(code);
    panel.takeFocus();
    type(QString::fromLatin1(code));
    m_messages.setFallback(Answer::Yes);
    press(Stroke{Qt::Key_Return});
    m_messages.setFallback(Answer::No);
    QApplication::processEvents();
    ASSERT_EQ(activeName(), "FCREART") << m_messages.texts().join('|').toStdString();
    QWidget* form = active();
    EXPECT_TRUE(form->isAncestorOf(QApplication::focusWidget())) << focused().toStdString();
    EXPECT_EQ(form->findChild<QLineEdit*>("CTX_CODART")->text(), QString::fromLatin1(code));
    press(Stroke{Qt::Key_Escape});
    QApplication::processEvents();
    EXPECT_EQ(activeName(), "FCOMPO");
  }
}

// The creation form of an unknown code saved from the keyboard: F10 from a field, or Enter on
// "Enregistrer" reached by Enter from field to field. The code comes back to line entry.
TEST_F(EntryKeys, TheCreationFormSavesOnF10AndOnEnterOnItsButton) {
  openComposition();
  ASSERT_TRUE(m_window);
  EntryPanel& panel = m_window->entryPanel();
  for (const bool byF10 : {true, false}) {
    const QString code = byF10 ? "ZZFDIX" : "ZZENTREE";
    SCOPED_TRACE(code.toStdString());
    panel.takeFocus();
    type(code);
    m_messages.setFallback(Answer::Yes);
    press(Stroke{Qt::Key_Return});
    m_messages.setFallback(Answer::No);
    QApplication::processEvents();
    ASSERT_EQ(activeName(), "FCREART") << m_messages.texts().join('|').toStdString();
    ASSERT_TRUE(moveTo("CTX_LIBART"));
    type("Equerre neuve");
    if (byF10)
      press(Stroke{Qt::Key_F10});
    else {
      ASSERT_TRUE(moveTo("Cmd_Enregistrer"));
      press(Stroke{Qt::Key_Return});
    }
    QApplication::processEvents();
    EXPECT_EQ(activeName(), "FCOMPO") << m_messages.texts().join('|').toStdString();
    db::Database* db = m_window->entryPanel().entry().listDatabase(EntrySource::Stock);
    db::Recordset rs = db->OpenRecordset(
        "select TARTI_LIBART from TARTI where TARTI_CODART = " + db::sqlLiteral(code));
    ASSERT_FALSE(rs.EOF_());
    EXPECT_EQ(rs.value(0).toString(), "Equerre neuve");
    EXPECT_EQ(codeField(), code);
  }
}

// The price adjustment: its option chosen with the arrows, its value typed, Enter applies it
// and gives the keyboard back to the quantity.
TEST_F(CompositionKeys, ThePriceAdjustmentIsWorkedWithTheKeyboard) {
  openComposition();
  ASSERT_TRUE(m_window);
  const int mtnet = session().columns().column("MTNET");
  const QString before = document().cellText({m_table, 1, mtnet});
  press({alt('A'), letter('r')});
  EXPECT_EQ(focused(), "OPT_Ajust_0");
  press(Stroke{Qt::Key_Down});
  EXPECT_EQ(focused(), "OPT_Ajust_1");
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(focused(), "CTX_PcGlobal");
  type("10");
  press(Stroke{Qt::Key_Return});
  EXPECT_EQ(lowerPage(), "EntryPanel");
  EXPECT_EQ(focused(), "CTX_QTE");
  EXPECT_NE(document().cellText({m_table, 1, mtnet}), before);
}

// The panel beside line entry is reached by its letters, not by a long walk with Tab: the
// tariff modes are changed with the arrows there.
TEST_F(CompositionKeys, TheTariffModesAndOptionsAreReachedByTheirLetters) {
  openComposition();
  ASSERT_TRUE(m_window);
  m_window->entryPanel().takeFocus();
  press(alt('M'));
  ASSERT_TRUE(focused().startsWith("OPT_TarMat_")) << focused().toStdString();
  press(alt('O'));
  EXPECT_TRUE(focused().startsWith("OPT_TarMO_")) << focused().toStdString();
  press(alt('I'));
  EXPECT_EQ(focused(), "CTX_MaxNivDet");
  press(alt('Y'));
  EXPECT_EQ(focused(), "CTX_TitreCorps");
}

}  // namespace
}  // namespace tarovent::composition
