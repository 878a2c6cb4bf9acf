#pragma once

#include <QString>
#include <QWidget>

#include "ui/ButtonRow.h"

class QLabel;
class QLineEdit;
class QLayout;
class QPushButton;

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::ui {
class DataControl;
class RecordButtons;
}  // namespace tarovent::ui

namespace tarovent::core {

// What the record windows share: a name and a French caption, buttons that Enter
// presses, labels whose access key focuses their box, Esc for quit, and a close that is refused
// while a change is pending. Opened in the main window's work area, they close their sub-window.
class RecordWindow : public QWidget {
  Q_OBJECT
 public:
  RecordWindow(core::ProcessState& state, const QString& name, const QString& caption,
               int helpContext, QWidget* parent);
  ~RecordWindow() override;

  // Closes the window (its sub-window in the work area); false when refused.
  bool closeWindow();
  // Whether the window may close now, closed by other means than its quit command (the close
  // box, Alt+F4, the program quitting): unsaved changes are saved, dropped or kept as the user
  // answers; false keeps the window open.
  virtual bool mayClose();

 protected:
  QPushButton* button(const QString& name, const QString& caption);
  QLabel* label(const QString& caption, QWidget* buddy);
  // The window's command buttons in a row or a column; Enter presses the focused one.
  ui::ButtonRow buttonRow(Qt::Orientation orientation,
                          std::initializer_list<ui::ButtonEntry> entries);
  // The list on the left taking the spare width, the record (form, navigation, buttons) in a
  // column of fixed width on the right.
  void placeListBeside(QWidget* list, QLayout* form, QWidget* navigation, QLayout* buttons,
                       int sideWidth);
  // Tab (and Enter) go through `controls` in this order.
  static void setTabChain(const QList<QWidget*>& controls);
  // The window's record buttons: they decide quitting (Esc, the close box, the quit button).
  void setRecordButtons(ui::RecordButtons* buttons);
  // A data control named `name` over `source` of the main database, its errors shown.
  ui::DataControl* dataControl(const QString& name, const QString& source);
  // The common buttons over `data`, add and cancel focusing `firstField`; they become the
  // window's record buttons. After each save recordSaved() runs; when the last record is
  // deleted the add button takes the focus.
  ui::RecordButtons* recordButtons(ui::DataControl* data, const ui::RecordButtonSet& set,
                                   QWidget* firstField);
  // The code box of the record takes typing only while a new record is entered: a saved
  // record keeps its code, which the rows of other tables refer to.
  void lockSavedCode(QLineEdit* code);
  // After a save: the add button after a new record, else the first field.
  virtual void recordSaved(bool wasNew);
  // Once the controls exist: their keys, the macro button, the translation of the window and
  // the first read of `data` (an error is shown, the window stays open and empty).
  void finishSetup(ui::DataControl* data);
  // The main-menu picture button that leads here: off while the window is open.
  void setMenuButton(const QString& name);

  // Esc: quits (a window with a panel of its own may close that first).
  virtual void escape();
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

  core::ProcessState& m_state;
  ui::RecordButtons* m_recordButtons = nullptr;

 private:
  void switchMenuButton(bool on);

  QWidget* m_firstField = nullptr;
  QWidget* m_addButton = nullptr;
  ui::DataControl* m_data = nullptr;
  QString m_menuButton;
  bool m_adding = false;
};

}  // namespace tarovent::core
