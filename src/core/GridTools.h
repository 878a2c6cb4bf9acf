#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "GridDialog.h"

class QDialog;
class QLabel;
class QTableView;

namespace tarovent::ui {
class DataControl;
}

namespace tarovent::core {

class GridPrinter;
class ProcessState;

// The five commands of the grid tools.
enum class GridAction { Select = 0, Search = 1, Sort = 2, Print = 3, Export = 4 };

// Search, sort, selection, print and export on a data grid (a QTableView bound to its data
// control through ui::GridLink). A window adds them to a grid in one line, after its GridLink:
//
//   core::addGridTools(state, grid, data);        // the grid's tooltip names its exports
//
// The grid then offers the commands in its context menu (on the column under the pointer) and
// with Ctrl+F (search). While a selection filters the list, the marker label shows "***" (the
// window's title ends with " ***" when no label is given).
class GridTools : public QObject {
  Q_OBJECT
 public:
  GridTools(ProcessState& state, QTableView* grid, ui::DataControl* data, QLabel* marker = nullptr);
  ~GridTools() override;

  // Runs a command on the grid's current column (`column` when given). Select, search and sort
  // open their dialog (window-modal, not waited for) and return it; the others return null.
  QDialog* run(GridAction action, int column = -1);

  // The keyboard prompts of lists handled by their window, on the current column: keeps the
  // rows whose field begins with the answer, or makes the first row containing it active.
  void promptSelection();
  void promptSearch();

  // The list shows only the rows of one or more selections.
  bool isFiltered() const;
  // Shows every row again, in the current order.
  void showAll();

  // Where prints go (the print preview by default; not owned).
  void setPrinter(GridPrinter* printer);
  // Asks a question with a text answer; no answer when cancelled.
  using Prompt = std::function<std::optional<QString>(const QString& question)>;
  void setPrompt(Prompt prompt) { m_prompt = std::move(prompt); }

 signals:
  void filteredChanged(bool filtered);

 private:
  // `sorting`: a column without a field that has a sort key is accepted (sorting only).
  std::optional<GridContext> context(int column, bool sorting = false);
  std::optional<QString> ask(const GridContext& c, const QString& question);
  void exportGrid();
  void sourceChanged();
  void showMenu(const QPoint& at);
  void showMarker();
  QString translate(const QString& fixed) const;

  ProcessState& m_state;
  QPointer<QTableView> m_grid;
  QPointer<ui::DataControl> m_data;
  QPointer<QLabel> m_marker;
  QString m_windowTitle;
  std::unique_ptr<GridPrinter> m_preview;
  GridPrinter* m_printer = nullptr;
  Prompt m_prompt;
  QString m_original;  // the record source the window gave
  bool m_filtered = false;
};

// Adds the grid tools to a data grid (see GridTools).
GridTools* addGridTools(ProcessState& state, QTableView* grid, ui::DataControl* data,
                        QLabel* marker = nullptr);

// Runs one command of the grid tools (0 select, 1 search, 2 sort, 3 print, 4 export) on a
// grid, with the tools it was given or new ones.
QDialog* Outil_Grille(ProcessState& state, int action, QTableView* grid, ui::DataControl* data);

}  // namespace tarovent::core
