#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "composition/EntryPanel.h"
#include "composition/QuoteRows.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QTimer;

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::guard {
class DriftWindow;
class GuardWindow;
class MarginTally;
}  // namespace tarovent::guard

namespace tarovent::composition {

class AdjustmentFrame;
class ChangeRelay;
class CompositionSession;
class LineChangeFrame;
class PreviewPane;
class QuoteView;
class WorkbookImportFrame;

// The composition window: the quote document on screen (upper part), line entry (lower part),
// the "TABLEAUX" commands, the recalculation and the price adjustment, the tariff modes, the
// type's options and the print options. Every command works at the row selected in the
// document. The window also watches the file, which the user may edit in the word processor.
class FCOMPO : public QWidget {
  Q_OBJECT

 public:
  // Opens the composition for the window that asked for it (`compositionOrigin`): none,
  // after the message saying why, when it cannot open.
  static FCOMPO* create(core::ProcessState& state, QWidget* parent = nullptr);
  ~FCOMPO() override;

  CompositionSession& session() { return *m_session; }
  QuoteView& view() { return *m_view; }
  EntryPanel& entryPanel() { return *m_entry; }
  AdjustmentFrame& adjustmentFrame() { return *m_adjustment; }
  QStatusBar& statusBar() { return *m_status; }

  // The window's commands, also reachable from its menus, buttons and shortcuts.
  void newTable();
  void split();
  void subTotal();
  void extendedSubTotal();
  void applyPrintLevels();
  void switchTableHidden();
  void recalculate();
  // The quantity, price and discount of the line under the cursor, changed in place.
  void changeLine();
  // "Majoration du Total HT Net": asks for the percentage.
  void majorate();
  // "Maj des désignations (articles stock)".
  void updateDesignations();
  // "ReAjustements": the adjustment frame in place of line entry.
  void Ouvrir_Ajustement();
  void Valider_Ajustement();
  void Annuler_Ajustement();
  bool save();
  void editInWordProcessor();
  // The workbook import frame (`Ouvrir_Import_Classeur`).
  void importWorkbook();
  // Shows or hides the PDF of the saved document beside it.
  void switchPreview();
  // Asks a question with a text answer (title, question, proposed answer); none when
  // cancelled. Tests script it.
  using Prompt = std::function<std::optional<QString>(const QString& title, const QString& question,
                                                      const QString& proposed)>;
  void setPrompt(Prompt prompt) { m_prompt = std::move(prompt); }
  // Closes the window as its close box does: false when the user kept it open.
  bool closeComposition();
  // Looks at the file on disk now instead of waiting for the watcher.
  void checkDisk();
  // "Évolution des coûts": the lines whose cost or price moved since the quote was written,
  // the ticked ones refreshed on demand; null when none moved. Shown once when a version's
  // existing text is opened.
  guard::DriftWindow* showCostDrift();
  // "Contrôle du devis": what the guard finds in the document as it stands, each line opened
  // here at its row; null, with a word in the status bar, when nothing is wrong.
  guard::GuardWindow* showGuard();
  // The cursor on a row of the document's tables, the keyboard on the document.
  void goToLine(int docTable, int row);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FCOMPO(core::ProcessState& state, std::unique_ptr<CompositionSession> session, QWidget* parent);
  QWidget* buildMenus();
  void orderTabs();
  QWidget* buildSidePanel();
  QWidget* buildTitlePrompt();
  void buildView();
  void showTariffModes();
  void tariffModesChosen();
  template <class F>
  void atCursor(F&& command);
  void reloadFromDisk();
  void watchFile();
  // The quote's margin rate in the status bar: after a command the document is read again,
  // after a line written only its new rows are.
  void showMarginRate(bool readAgain = true);
  // After lines written: the cursor's place at once, the totals once the lines typed at hand
  // are all written.
  void afterLinesWritten();
  // The totals and sub-totals written again from the lines once the events at hand are
  // processed: lines written in a burst, changed or deleted, refresh them once.
  void queueTotals();
  void showPlace(const TableCursor& c);
  void switchMenuButtons(bool composing);
  void showStatus(const QString& text);
  void backToEntry(EntryPanel::Field field = EntryPanel::Field::Code);
  void backToDocument();
  void lineChanged();
  void activated();
  // Which other workstations hold the version open, above the document.
  void showHolders();
  // Cmd_Images: the pictures of the article selected in the list, in FARTINFOS.
  void showArticlePictures();
  // A version sent to the client is shown as it left: what would change it cannot be run.
  bool isSentVersion() const;
  void lockSentVersion();
  void refuseChange();

  core::ProcessState& m_state;
  std::unique_ptr<CompositionSession> m_session;
  // The document's changes go to the view and to the margin's tally.
  std::unique_ptr<guard::MarginTally> m_tally;
  std::unique_ptr<ChangeRelay> m_relay;
  QString m_callerButton;
  QSplitter* m_splitter = nullptr;
  PreviewPane* m_preview = nullptr;
  QSplitter* m_withPreview = nullptr;
  QuoteView* m_view = nullptr;
  EntryPanel* m_entry = nullptr;
  QStackedWidget* m_lower = nullptr;
  AdjustmentFrame* m_adjustment = nullptr;
  LineChangeFrame* m_change = nullptr;
  QWidget* m_titlePrompt = nullptr;
  QLineEdit* m_title = nullptr;
  QList<QAction*> m_sourceActions;
  QButtonGroup* m_materials = nullptr;
  QButtonGroup* m_labour = nullptr;
  QLineEdit* m_detailLevel = nullptr;
  QLineEdit* m_priceLevel = nullptr;
  QStatusBar* m_status = nullptr;
  QLabel* m_place = nullptr;
  QLabel* m_holders = nullptr;  // the other workstations holding the version open
  QLabel* m_margin = nullptr;
  QFileSystemWatcher* m_watcher = nullptr;
  QTimer* m_diskCheck = nullptr;
  Prompt m_prompt;
  WorkbookImportFrame* m_import = nullptr;
  bool m_asking = false;
  bool m_totalsQueued = false;
  bool m_showingModes = false;  // the modes shown as the session holds them, not chosen
  bool m_closed = false;
  bool m_driftChecked = false;
};

}  // namespace tarovent::composition
