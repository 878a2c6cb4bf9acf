#pragma once

#include <QFrame>
#include <functional>

class QComboBox;
class QLineEdit;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::dossiers {

// The panel FRM_StatsPDR of the dossier workspace: the period of the order cost statistics in
// two date boxes CTX_DateStats (index 0 the start, 1 the end) with their calendars, an optional
// work type, and CMD_OKStats that opens FLSTAFF for them. Enter in the start box moves to the
// end box, Enter in a filled end box runs CMD_OKStats, F4 opens the calendar, Esc hides it.
class StatsPeriodPanel : public QFrame {
  Q_OBJECT
 public:
  explicit StatsPeriodPanel(core::ProcessState& state, QWidget* parent = nullptr);

  // Shows the panel with empty dates, the focus in the start box.
  void open();
  // CMD_OKStats: both dates required ("Saisir une période."), then FLSTAFF opens.
  void ok();
  QLineEdit* dateBox(int index) const { return index == 0 ? m_from : m_to; }
  QComboBox* workTypes() const { return m_types; }
  // Puts the panel's keys ahead of the window's own Enter handling.
  void takeKeys();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Converts a typed date to dd/mm/yyyy; false after a message when it is not a date.
  bool convert(QLineEdit* box);

  core::ProcessState& m_state;
  QLineEdit* m_from;
  QLineEdit* m_to;
  QComboBox* m_types;
};

}  // namespace tarovent::dossiers
