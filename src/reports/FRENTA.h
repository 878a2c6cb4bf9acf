#pragma once

#include <QDialog>
#include <functional>

#include "QuoteStatistics.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::reports {

// The quote statistics window: a period, the criteria with their look-ups, the choice among
// quotes won, not won and all, and Cmd_Imprimer that fills TMP_RENTA and shows the report
// chosen among the IMPRENTA*.RPT files.
class FRENTA : public QDialog {
  Q_OBJECT
 public:
  // Null after a message when the affairs cannot be read.
  static FRENTA* create(core::ProcessState& state, QWidget* parent = nullptr);
  FRENTA(core::ProcessState& state, QWidget* parent = nullptr);

  // The criteria as typed; false after a message (focus on the box) when a date is not one.
  bool criteria(QuoteCriteria& c);
  void print();
  // Shows the report of a filled TMP_RENTA (by default the report chooser, then F_RPT); tests
  // replace it.
  using ReportShower = std::function<void(const QuoteCriteria&)>;
  void setReportShower(ReportShower show) { m_show = std::move(show); }
  QuoteStatistics& statistics() { return m_statistics; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* dateBox(const char* name);
  QComboBox* lookUp(const char* name, const QString& source);
  void fillLookUps();
  void checkRep();
  bool readDate(QLineEdit* box, QDate& date);
  void showReport(const QuoteCriteria& c);

  core::ProcessState& m_state;
  QuoteStatistics m_statistics;
  ReportShower m_show;
  QLineEdit* m_from;
  QLineEdit* m_to;
  QComboBox* m_client;
  QComboBox* m_category;
  QComboBox* m_rep;
  QComboBox* m_type;
  QLineEdit* m_user1;
  QLineEdit* m_user2;
  QRadioButton* m_notWon;
  QRadioButton* m_won;
  QRadioButton* m_all;
};

}  // namespace tarovent::reports
