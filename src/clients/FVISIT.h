#pragma once

#include <QDate>
#include <functional>

#include "core/RecordWindow.h"
#include "core/ReportPrinting.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QTableView;

namespace tarovent::ui {
class BoundLineEdit;
class DataControl;
}  // namespace tarovent::ui

namespace tarovent::clients {

// The visits to clients: every planned and made visit with its client, the due visits before a
// date, the visit's detail below the list, the client list beside it to choose a visit's
// client, and the printed list.
class FVISIT : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FVISIT(core::ProcessState& state, QWidget* parent = nullptr);

  // CHK_RELANCES ticked or not.
  void showDueVisits(bool on);
  // Enter in the date box: the visits planned before its date and not made yet.
  void listDueVisits();
  // Cmd_Imprimer: the list through the report chosen among the IMPVISIT files.
  void print();
  // Where the report goes (the preview by default; tests record it).
  using ReportViewer = std::function<void(const core::ReportRequest& request)>;
  void setReportViewer(ReportViewer viewer) { m_viewer = std::move(viewer); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QWidget* buildForm();
  QWidget* buildClientList();
  db::Database& clientsDb();
  // The user's selection criteria and sort order of the list, without the due condition.
  QString criteria() const;
  QString order() const;
  void reload(const QString& source);
  void clientTyped();
  void chooseClient();
  void showClient();
  // The visit entered follows the list's row; the list is read again after a save.
  void followList();
  void relist();

  ui::DataControl* m_data = nullptr;
  ui::DataControl* m_visit = nullptr;
  ui::DataControl* m_clients = nullptr;
  QTableView* m_grid = nullptr;
  QTableView* m_clientGrid = nullptr;
  QFrame* m_clientFrame = nullptr;
  QCheckBox* m_due = nullptr;
  QLineEdit* m_dueDate = nullptr;
  ui::BoundLineEdit* m_client = nullptr;
  QWidget* m_afterClient = nullptr;
  QLabel* m_clientCells = nullptr;
  ReportViewer m_viewer;
};

}  // namespace tarovent::clients
