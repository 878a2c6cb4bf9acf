#pragma once

#include <QHash>
#include <QSet>

#include "Reminders.h"
#include "core/RecordWindow.h"

class QTableView;

namespace tarovent::ui {
class DataControl;
class RecordsetModel;
}  // namespace tarovent::ui

namespace tarovent::clients {

// The reminders: the quote versions whose relaunch date has come, with their client's contact,
// and on each row three commands: drop the reminder, open the dossier, mail the contact.
class FREL : public core::RecordWindow {
  Q_OBJECT
 public:
  // The three command cells, after the list's columns.
  enum Column { DropColumn = 12, DossierColumn = 13, MailColumn = 14 };

  explicit FREL(core::ProcessState& state, QWidget* parent = nullptr);

  // Reads the list again, as each time the window becomes active.
  void activated();
  // The command of a row's cell (nothing outside the command cells).
  void runCell(int row, int column);
  // Drops the reminders of the selected rows (Cmd_Delete).
  void dropSelected();

 protected:
  void escape() override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  VersionKey keyOf(int row) const;
  const ContactCells& contactOf(const QString& client, const QString& name) const;
  void dropFromRow(int row);
  void openDossier(int row);
  void mailContact(int row);
  db::Database& clientsDb();

  ui::DataControl* m_data = nullptr;
  ui::RecordsetModel* m_model = nullptr;
  QTableView* m_grid = nullptr;
  // Rows whose reminder was dropped from their cell: the cell stays empty until the next read.
  QSet<QString> m_dropped;
  mutable QHash<QString, ContactCells> m_contacts;
};

}  // namespace tarovent::clients
