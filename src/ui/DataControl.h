#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <functional>

#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

class QLabel;
class QToolButton;

namespace tarovent::db {
class DbError;
}

namespace tarovent::ui {

class BoundControl;
class MessageFunnel;

// The data control of a record form (DBD_ controls): a database, a record source (a table or
// an SQL statement) and a current record shown by the bound controls of the same window. It
// shows its position ("Enregistrement: 3 / 12") between its moving buttons.
class DataControl : public QWidget {
  Q_OBJECT
 public:
  explicit DataControl(QWidget* parent = nullptr);

  QString DatabaseName() const { return m_databaseName; }
  // The path of the database; opened at the next Refresh.
  void setDatabaseName(const QString& path);
  // Uses a database the program already holds open (no second connection).
  void setDatabase(const db::Database& database);
  // Databases named by path are opened where `ws` opens them (on its server, if any).
  void setServerOf(const db::Workspace& ws) { m_workspace.setServer(ws.server(), ws.renamed()); }

  QString RecordSource() const { return m_recordSource; }
  void setRecordSource(const QString& source);
  // By default a table opens as a table recordset, SQL and saved queries as dynasets.
  void setRecordsetType(db::RecordsetType type) { m_type = type; }
  void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
  // Where errors of the moving buttons are shown, and what translates the caption.
  void setMessages(MessageFunnel* messages) { m_messages = messages; }

  // Opens the record source again on its first record and shows it. Throws db::DbError.
  void Refresh();
  bool isOpen() const { return m_rs.isOpen(); }
  db::Recordset& Recordset() { return m_rs; }
  db::Database& database() { return m_db; }

  // Writes the changed bound controls into the current record, or into the new one after
  // AddNew, and saves it; the data control stays on that record. Throws db::DbError.
  void UpdateRecord();
  // Starts a new record and shows it blank.
  void AddNew();
  // Drops the edit or the new record and shows the current record again.
  void CancelUpdate();
  // Deletes the current record and moves to the next one (the last one at the end).
  void Delete();
  // Adding, editing (a bound control holds a change) or nothing.
  db::EditMode EditMode() const;

  void MoveFirst();
  void MovePrevious();
  void MoveNext();
  void MoveLast();
  // Goes to a record by its bookmark; false when it no longer exists.
  bool moveToBookmark(const QByteArray& bookmark);
  // Shows the current record in the bound controls again (after moving the recordset).
  void showRecord();

  // The caption: "Enregistrement: position / count", or another prefix before the position.
  QString caption() const { return m_caption; }
  void setCaptionPrefix(const QString& prefix) { m_captionPrefix = prefix; }
  // Put before the text of the errors this source shows ("DBD_Cli : ").
  void setErrorPrefix(const QString& prefix) { m_errorPrefix = prefix; }
  const QString& errorPrefix() const { return m_errorPrefix; }
  // Asked before a moving button leaves a record whose bound controls hold changes; returning
  // false keeps the record. Without one, the changes are saved before moving.
  void setLeaveCheck(std::function<bool()> check) { m_leaveCheck = std::move(check); }

  // Before leaving a record from outside the data control (a grid row chosen): runs the leave
  // check, or saves the changes without one. False when the record must stay; errors are shown.
  bool leaveRecord();

  QList<BoundControl*> boundControls() const;
  bool hasChanges() const;

 signals:
  // The data control shows another record (or the same one again).
  void repositioned();
  // The records changed: one was saved or deleted, or the record source was opened again.
  void recordsChanged();

 private:
  void navigate(void (DataControl::*move)());
  void showError(const db::DbError& e);
  void updateCaption();
  QString translate(const QString& s) const;

  QString m_databaseName;
  QString m_recordSource;
  db::RecordsetType m_type = db::RecordsetType::Default;
  bool m_readOnly = false;
  db::Workspace m_workspace;
  db::Database m_db;
  db::Recordset m_rs;
  MessageFunnel* m_messages = nullptr;
  std::function<bool()> m_leaveCheck;
  QString m_caption;
  QString m_captionPrefix = QStringLiteral("Enregistrement: ");
  QString m_errorPrefix;
  QLabel* m_label = nullptr;
  QToolButton* m_first = nullptr;
  QToolButton* m_previous = nullptr;
  QToolButton* m_next = nullptr;
  QToolButton* m_last = nullptr;
};

}  // namespace tarovent::ui
