#pragma once

#include <QWidget>

class QComboBox;
class QListView;
class QPushButton;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::ui {
class BoundLineEdit;
struct ButtonRow;
class DataControl;
struct RecordButtonSet;
class RecordButtons;
}  // namespace tarovent::ui

namespace tarovent::macros {

// The macros window: the list of macros and the name, window and keystroke boxes of the current
// one, locked while browsing; a help grid inserts keys into the keystroke box at its cursor.
class FMACRO : public QWidget {
  Q_OBJECT
 public:
  explicit FMACRO(core::ProcessState& state, QWidget* parent = nullptr);

  // Inserts the key text of help-grid row `row` into the keystroke box at its cursor.
  void insertHelpKey(int row);
  bool locked() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void build();
  void buildBoxes();
  void buildList();
  void buildHelpGrid();
  ui::ButtonRow buildButtons();
  void layOut(const ui::ButtonRow& row);
  void connectRecords(const ui::RecordButtonSet& buttons);
  void setLocked(bool locked);
  void add();
  void edit();
  bool checkBeforeSave();
  void afterSave();
  void quit();
  // The windows offered by their captions beside the window box.
  void fillWindows();
  void showWindowChosen();

  core::ProcessState& m_state;
  ui::DataControl* m_data = nullptr;
  ui::RecordButtons* m_records = nullptr;
  QListView* m_list = nullptr;
  ui::BoundLineEdit* m_name = nullptr;
  ui::BoundLineEdit* m_form = nullptr;
  QComboBox* m_windows = nullptr;
  ui::BoundLineEdit* m_detail = nullptr;
  QTableWidget* m_help = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_edit = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_cancel = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_quit = nullptr;
  QString m_savedName;
  bool m_adding = false;
  bool m_closing = false;
};

}  // namespace tarovent::macros
