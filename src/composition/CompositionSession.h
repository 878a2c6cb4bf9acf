#pragma once

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "composition/ColumnMap.h"
#include "composition/HeadBookmarks.h"
#include "composition/LayoutCommands.h"
#include "composition/LineChange.h"
#include "composition/LinePricing.h"
#include "composition/Recalculation.h"
#include "composition/TableLocator.h"
#include "platform/db/Recordset.h"
#include "platform/os/RunningPrograms.h"
#include "platform/word/WordDocument.h"

namespace tarovent::core {
class HeldItem;
class ProcessState;
}  // namespace tarovent::core
namespace tarovent::articles {
class ArticleFiles;
}

namespace tarovent::composition {

// Who started the composition: the quote types window on a type's template, or the dossier
// workspace on a version's document (the state's quote context).
enum class Origin { QuoteTypes, Dossier };

struct OpenRequest {
  Origin origin = Origin::QuoteTypes;
  QString typeCode;      // the type whose template and options are used (quote types window)
  QString documentPath;  // a file to use instead of the one the names give
  // Why the version opens frozen (it was sent): shown as it left, its head not filled again.
  QString frozenReason;
};

// The options of the quote type: its yes/no fields (TTYP_DART1A…, TTYP_MASKET1…,
// TTYP_LibEnTitre, TTYP_TitreEnGras, TTYP_TitreSouligne) by field name, and the title size.
struct TypeOptions {
  QHash<QString, bool> flags;
  int titleSize = 10;
  bool flag(const QString& field) const { return flags.value(field, false); }
};

// A composition in progress, without its window: the document, what was read at opening, the
// cursor and the commands of the window. One at a time per process. Messages and questions go
// through the state's funnel.
class CompositionSession {
 public:
  // Opens a composition as the window does; none, after its message, when another one is in
  // progress or no document could be opened.
  static std::unique_ptr<CompositionSession> open(core::ProcessState& state,
                                                  const OpenRequest& request);
  ~CompositionSession();
  CompositionSession(const CompositionSession&) = delete;
  CompositionSession& operator=(const CompositionSession&) = delete;

  // Asks "Enregistrer le document?" when the document was changed, saves on yes, writes the
  // tariff modes back to the version. False when the user cancelled or the document could not
  // be saved: the composition stays open.
  bool close();
  bool isOpen() const { return m_open; }
  // Saves the document where it belongs; a version's document also gives the version its
  // amount and hours (net total and labour hours of its lines). Refused, with a message and nothing
  // lost, while a word processor has it open or another program rewrote it.
  bool save();
  // Reads the document again from its file, dropping what was changed here; the listener
  // reads everything again.
  bool reload();
  // Writes the totals and sub-totals of a version's document from its line cells, as at saving.
  void refreshTotals();

  word::WordDocument& document() { return *m_doc; }
  const ColumnMap& columns() const { return m_columns; }
  Origin origin() const { return m_origin; }
  bool isNewText() const { return m_newText; }
  // The document's file may not be written: it is shown and composed, never saved.
  bool isReadOnly() const { return m_readOnly; }
  // A version that has left (PDF, mail, invoice) is frozen: shown and composed read-only,
  // every save refused with `reason`.
  void freeze(const QString& reason);
  QString frozenReason() const { return m_frozen; }
  // Where the document is saved.
  QString documentPath() const { return m_path; }
  const ClientValues& client() const { return m_client; }
  const TypeOptions& typeOptions() const { return m_type; }
  void setTypeOption(const QString& field, bool on) { m_type.flags.insert(field, on); }
  void setTitleSize(int size) { m_type.titleSize = size; }
  QString vatField() const { return m_vat; }
  // Whether another program rewrote the file since it was opened or saved here.
  bool changedOnDisk() const;
  // Which other workstations hold the version open ("Ouvert aussi par ..."), empty when none
  // (or when the composition works on a type's template).
  QString othersHolding() const;

  // Tariff modes: materials "R", "V" or "P", labour "R" or "V"; empty when the mode handed
  // over was not usable.
  QString materialsMode() const { return m_tarMat; }
  QString labourMode() const { return m_tarMo; }
  bool setTariffModes(const QString& materials, const QString& labour);
  // The base prices the modes stand for: "PV1", "PV2" or "PDR"; "PV" or "PDR".
  QString materialsPrice() const;
  QString labourPrice() const;

  // Called after each save that went through, with the document as saved.
  void setOnSaved(std::function<void(word::WordDocument&, const QString& path)> saved) {
    m_onSaved = std::move(saved);
  }
  // What lists the programs running on this machine, which tells a lock left by a crash.
  void setRunningPrograms(std::function<QList<QStringList>()> running) {
    m_runningPrograms = std::move(running);
  }

  QChar decimalSeparator() const { return m_separator; }
  void setDecimalSeparator(QChar separator) { m_separator = separator; }

  Cursor cursor() const { return m_cursor; }
  // Where the next line goes when the quote is opened: the row after the last written line of
  // the last line table (its last row when all are written); none without line table.
  Cursor endOfLines();
  // endOfLines, after adding an empty row to the last line table when every row of it holds a
  // line (a quote written elsewhere, or by an older version): the next line then goes after the
  // last one, not above it. The added row alone does not make the document changed.
  Cursor openAfterLines();
  // Puts the cursor on a row of a body table; false, after its message, for a row that does
  // not exist.
  bool setCursor(int table, int row);

  // Who is told of what the commands change in the document (the window's views); none by
  // default. The listener must outlive the session or be removed first.
  void setChangeListener(DocumentChanges* listener) { m_changes = listener; }
  DocumentChanges* changeListener() const { return m_changes; }

  PrintOptions printOptions() const { return m_print; }
  void setPrintPrice(bool print) { m_print.printPrice = print; }
  void setPrintQuantity(bool print) { m_print.printQuantity = print; }

  // The commands of the "TABLEAUX" menu and of the window's buttons. False when the command
  // stopped on a message.
  bool newTable();
  bool split();
  bool subTotal();
  bool extendedSubTotal(const QString& title);
  // Whether a sub-total may go at the cursor; false after the message that says why (asked
  // before the title of an extended sub-total).
  bool subTotalAllowed();
  bool applyLevels(const QString& detailLevel, const QString& priceLevel);
  bool switchTableHidden();
  bool recalculate();
  // The adjustment window's option (0 to 5) with its percentages or, for option 3, the
  // forced amount; then the recalculation that applies it.
  bool adjust(int option, const QStringList& values);
  const RecalcResult& lastRecalculation() const { return m_lastRecalc; }
  // "Majoration du Total HT Net" with the percentage the user answered (blank: nothing
  // changes); a percentage that is not a number is refused with a message.
  bool majorate(const QString& percentText);
  // "Maj des désignations (articles stock)": the number of lines rewritten, -1 when the tables
  // could not be located (message shown).
  int updateDesignations();

  // Writes the line into a new row above the cursor's row, after "Quantité égale à 0 ?" for a
  // line without quantity and the components question for a manufactured article, whose "yes"
  // writes its bill below it; the discount is decided on the way. The cursor stays on its
  // row, one further down.
  bool insertLine(const EntryLine& line);
  // "Ajout en fin de tableau": the same at the end of the cursor's line table; a line with
  // neither code nor label is ignored and an option's label goes to the bookmark OPTIONS.
  bool appendLine(const EntryLine& line);
  // Changes the quantity, gross unit price and discount of the written line at the cursor, as
  // typed, and recomputes that line: a new quantity takes the article's price breaks (unless
  // the price was changed too), a price below the floor price goes back up to it. Refused,
  // after its message, for a number that is not one or a row that is no line.
  bool changeLine(const LineChange& typed);
  // What the cursor's line holds, for the user to change it; none for a text line or outside
  // a line table (message shown).
  std::optional<LineChange> lineAtCursor();
  // The client's values and the tariff modes the prices of a line follow.
  PricingContext pricing() const;
  // The price breaks (TPRIX, index PrimaryKey); none when the commercial base is not open.
  db::Recordset* priceBreaks();
  core::ProcessState& state() { return m_state; }
  articles::ArticleFiles& files() { return *m_files; }

 private:
  explicit CompositionSession(core::ProcessState& state);
  bool openDocument(const OpenRequest& request);
  void readTypeOptions(const QString& code);
  void checkBases();
  bool runRecalculation(const Adjustment& adjustment);
  void release();
  void storeFigures();
  // True when no word processor holds the file, after removing a lock left by a crash if the
  // user agrees.
  bool releaseLock();
  // Runs a command on the document; a document the engine cannot follow stops it with the
  // engine's message instead of ending the program.
  // `notify` tells the listener what the command changed, given the table count before it.
  template <class F, class N>
  bool guarded(F&& command, N&& notify);
  void rowsChangedEverywhere();
  bool insertSubTotal(const std::optional<QString>& title);
  bool cursorOnLineTable();
  bool writeLine(const EntryLine& line, bool atEnd);
  double discountOf(const EntryLine& line);

  core::ProcessState& m_state;
  std::unique_ptr<articles::ArticleFiles> m_files;
  std::unique_ptr<core::HeldItem> m_held;  // the version, for the other workstations
  std::optional<word::WordDocument> m_doc;
  Origin m_origin = Origin::QuoteTypes;
  bool m_open = false;
  bool m_newText = false;
  QString m_path;
  bool m_readOnly = false;  // the file may not be written: nothing is saved into it
  QString m_replaced;       // size and time of the file a new text was agreed to replace
  QString m_frozen;         // why the version may not be saved any more, when it was sent
  ColumnMap m_columns;
  std::optional<TableLayout> m_layout;
  // Kinds of the tables as last found: finding them walks the document, and lines written
  // into a table do not change them. Forgotten after every other command.
  QHash<int, TableKind> m_tableKinds;
  int m_tableKindsCount = -1;  // the document's tables when they were found
  db::Recordset m_discounts;   // TREMI, opened at the first line that needs it
  db::Recordset m_breaks;      // TPRIX, when the process does not hold it open
  ClientValues m_client;
  TypeOptions m_type;
  QString m_vat;
  QString m_tarMat, m_tarMo;
  QChar m_separator = QLatin1Char(',');
  Cursor m_cursor;
  PrintOptions m_print;
  RecalcResult m_lastRecalc;
  DocumentChanges* m_changes = nullptr;
  std::function<QList<QStringList>()> m_runningPrograms = os::runningCommandLines;
  std::function<void(word::WordDocument&, const QString&)> m_onSaved;
};

}  // namespace tarovent::composition
