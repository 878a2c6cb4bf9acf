#pragma once

#include <QHash>
#include <QKeySequence>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "composition/LineEntry.h"

class QGridLayout;
class QKeyEvent;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTreeWidget;
class QVBoxLayout;

namespace tarovent::db {
class ReadSnapshot;
}

namespace tarovent::composition {

class CompositionSession;

// The lower part of the composition window: the four sources (options, stock articles, labour
// sections, non-stocked tariff lines), the fields of the line being entered and the commands
// that write it into the document above the session's cursor. Keyboard first: arrows in the
// tree and the list, typing positions the list, Enter picks a record and moves from field to
// field, Ctrl+Enter (or Enter on the insertion button) writes the line, Escape hands the
// keyboard back to the document.
class EntryPanel : public QWidget {
  Q_OBJECT

 public:
  explicit EntryPanel(CompositionSession& session, QWidget* parent = nullptr);
  ~EntryPanel() override;

  // Gives the keyboard to the panel: Enter on a line of the document.
  void takeFocus();
  // The keyboard to the code field, which receives `key` as if typed there: the code typed
  // replaces what the field held.
  void startWithKey(const QKeyEvent& key);
  // The keyboard on the quantity, as after an adjustment of the prices.
  void focusQuantity();
  enum class Field { Code, Quantity };
  // The composition window became active again: a composed code waiting in the process
  // comes back into the code field.
  void windowActivated();

  LineEntry& entry() { return m_entry; }
  // Puts the keyboard on the list and gives the code and label of the stock article selected
  // in it; empty when the list shows another source or no row is selected.
  std::pair<QString, QString> selectedArticle();
  void setSource(EntrySource source);
  // The source chosen from its key: the keyboard goes to its list, as Enter on it leads.
  void chooseSource(EntrySource source);
  bool sourceEnabled(EntrySource source) const { return m_entry.lookupEnabled(source); }
  // The key that chooses a source from the window.
  static QKeySequence sourceKey(EntrySource source);
  // Writes the line above the cursor ("Ajouter l'article au dessus du pointeur").
  bool insertLine() { return writeLine(false); }
  // Writes the line at the end of the cursor's table ("Ajout en fin de tableau").
  bool appendLine() { return writeLine(true); }
  // The non-referenced tariff lines, on the list's current column: those beginning with the
  // answer to "Critère de sélection (…) : ", or with `contains` those holding the answer to
  // "Expression à rechercher (…".
  void searchNonReferenced(bool contains);

  // Asks a question with a text answer; none when cancelled. Tests script it.
  using Prompt = std::function<std::optional<QString>(const QString& question)>;
  void setPrompt(Prompt prompt) { m_prompt = std::move(prompt); }

 signals:
  // A line was written into the document; the session's cursor says where the user now is.
  void lineWritten();
  // Escape in the panel: the keyboard goes back to the document.
  void leaveRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildFields(QGridLayout* grid);
  // The client's earlier prices of the code being entered, under the list; F8 takes one.
  void plugPriceMemory(QVBoxLayout* box);
  void loadList(const QString& sql);
  void positionList(const QString& typed);
  // Selects the record of a code (and supplier) in the list, when it is there.
  void showInList(const QString& code, const QString& supplier);
  void pickCurrent();
  LeaveOutcome leaveField(const QString& name);
  // Enter, Down or Up in a field: the field is left, then the next or previous one is entered
  // unless the field was refused or a look-up decided where the keyboard goes.
  void moveOn(QWidget* from, bool forward);
  void focusField(const QString& name);
  // The fields show the line entry's texts. A field that changed is refreshed once the events
  // at hand are processed (lines entered faster than the screen is drawn refresh it once), and
  // at once before the user works in it or the keyboard is put in it.
  void showTexts();
  // False when the field showed the line entry's text already.
  bool refreshField(QWidget* w);
  void refreshNow();
  // The list's row of the code just looked up, shown with the fields; at once before the list
  // is used.
  void applyListPosition();
  bool writeLine(bool atEnd);
  // The look-ups of the keys at hand read each base in one read transaction, let go once the
  // events are processed: keys typed faster than the screen is drawn do not each pay for
  // their own. What another workstation commits meanwhile is seen from the next pass on; a
  // write of this program ends the transaction first.
  void holdReads();
  QWidget* field(const QString& name) const { return m_fields.value(name); }
  // A field of the line and what the panel knows of it: the text its widget holds (kept by its
  // change signal, never read back from the widget) and whether the line entry's is newer.
  struct FieldView {
    QString name;
    int index = -1;  // in the line entry's fields
    QWidget* widget = nullptr;
    QString shown;
    bool stale = false;
  };
  FieldView* view(const QObject* widget);

  CompositionSession& m_session;
  LineEntry m_entry;
  QTreeWidget* m_tree = nullptr;
  QTableView* m_list = nullptr;
  QStandardItemModel* m_model = nullptr;
  QLabel* m_typedLabel = nullptr;
  QPushButton* m_selectButton = nullptr;
  QPushButton* m_searchButton = nullptr;
  QHash<QString, QWidget*> m_fields;
  QString m_typed;  // the beginning of a code typed in the list
  int m_sortedBy = 0;  // the column the list is in the order of
  bool m_leaving = false;
  QString m_refused;  // the field whose number was refused when it was left
  Prompt m_prompt;
  std::vector<FieldView> m_views;
  std::vector<std::unique_ptr<db::ReadSnapshot>> m_heldReads;
  bool m_refreshQueued = false;
  bool m_refreshing = false;  // texts shown by the panel, not typed
  std::optional<std::pair<QString, QString>> m_listTarget;  // code and supplier to show
};

}  // namespace tarovent::composition
