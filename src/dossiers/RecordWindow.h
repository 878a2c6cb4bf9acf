#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::ui {
class RecordButtons;
}

namespace tarovent::dossiers {

// What the record windows of this folder share: a name and a French caption, buttons that Enter
// presses, labels whose access key focuses their box, Esc for quit, and a close that is refused
// while a change is pending. Opened in the main window's work area, they close their sub-window.
class RecordWindow : public QWidget {
  Q_OBJECT
 public:
  RecordWindow(core::ProcessState& state, const QString& name, const QString& caption,
               int helpContext, QWidget* parent);

  // Closes the window (its sub-window in the work area); false when refused.
  bool closeWindow();

 protected:
  QPushButton* button(const QString& name, const QString& caption);
  QLabel* label(const QString& caption, QWidget* buddy);
  // Tab (and Enter) go through `controls` in this order.
  static void setTabChain(const QList<QWidget*>& controls);
  // The window's record buttons: they decide quitting (Esc, the close box, the quit button).
  void setRecordButtons(ui::RecordButtons* buttons);

  // Esc: quits (a window with a panel of its own may close that first).
  virtual void escape();
  void closeEvent(QCloseEvent* e) override;

  core::ProcessState& m_state;
  ui::RecordButtons* m_recordButtons = nullptr;
};

}  // namespace tarovent::dossiers
