#pragma once

#include <QDialog>
#include <QPointer>
#include <QTableView>

#include "GridQuery.h"

class QLayout;
class QLineEdit;
class QPushButton;

namespace tarovent::ui {
class DataControl;
}

namespace tarovent::core {

class ProcessState;

// What the grid tools know of a grid when a command is given: the grid, its data control, the
// active cell, the column's field, title and kind, and the record source in its parts.
struct GridContext {
  ProcessState* state = nullptr;
  QPointer<QTableView> grid;
  QPointer<ui::DataControl> data;
  int column = -1;
  int row = -1;
  QString field;
  QString title;
  ColumnKind kind = ColumnKind::Text;
  QueryParts parts;
};

// Opens the data control on a new record source; on failure it shows the error, goes back to
// the record source it had and returns false.
bool changeRecordSource(ProcessState& state, ui::DataControl* data, const QString& source);
// Adds a condition to the WHERE part of `parts` and shows only those rows. When none is left it
// says "Sélection vide." and the list comes back as it was; false then and on failure.
bool selectRows(ProcessState& state, ui::DataControl* data, QueryParts parts,
                const QString& condition);

// What the search, sort and selection dialogs share: the grid's context, the value box of
// numeric columns that refuses a text on leaving, the messages, and the record source change.
class GridDialog : public QDialog {
  Q_OBJECT
 public:
  GridDialog(const GridContext& context, const QString& name, const QString& captionStart);

 protected:
  QString translate(const QString& fixed) const;
  void message(const QString& fixed) const;
  // Back in the value box, its text selected, after a refusal.
  static void retype(QLineEdit* box);
  // A numeric column's value box says when it is left holding a text that is not a number
  // (not when the focus goes to `go`, whose click says it).
  void checkNumbersOnLeaving(QLineEdit* box, QPushButton* go);
  // The row of the dialog's buttons: `go`, then "Fermer", which closes the dialog.
  QLayout* buttonRow(QPushButton* go);

  GridContext m_context;
};

}  // namespace tarovent::core
