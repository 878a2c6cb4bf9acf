#include "DataControl.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QToolButton>

#include "BoundControl.h"
#include "DbErrorMessage.h"
#include "MessageFunnel.h"
#include "platform/db/DbError.h"

namespace tarovent::ui {

namespace {

bool looksLikeSql(const QString& source) {
  const QString s = source.trimmed().toUpper();
  return s.startsWith("SELECT") || s.startsWith("TRANSFORM") || s.startsWith("(");
}

bool samePath(const QString& a, const QString& b) {
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

DataControl::DataControl(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  const auto button = [this, row](const char* name, const QString& text) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    row->addWidget(b);
    return b;
  };
  m_first = button("first", QStringLiteral("|◀"));
  m_previous = button("previous", QStringLiteral("◀"));
  m_label = new QLabel(this);
  m_label->setObjectName("caption");
  m_label->setAlignment(Qt::AlignCenter);
  m_label->setFrameShape(QFrame::StyledPanel);
  m_label->setMinimumWidth(160);
  row->addWidget(m_label, 1);
  m_next = button("next", QStringLiteral("▶"));
  m_last = button("last", QStringLiteral("▶|"));
  connect(m_first, &QToolButton::clicked, this, [this] { navigate(&DataControl::MoveFirst); });
  connect(m_previous, &QToolButton::clicked, this,
          [this] { navigate(&DataControl::MovePrevious); });
  connect(m_next, &QToolButton::clicked, this, [this] { navigate(&DataControl::MoveNext); });
  connect(m_last, &QToolButton::clicked, this, [this] { navigate(&DataControl::MoveLast); });
  updateCaption();
}

void DataControl::setDatabaseName(const QString& path) {
  if (m_db.isOpen() && !samePath(m_db.Name(), path)) {
    m_rs = db::Recordset();
    m_db = db::Database();
  }
  m_databaseName = path;
}

void DataControl::setDatabase(const db::Database& database) {
  m_rs = db::Recordset();
  m_db = database;
  m_databaseName = database.isOpen() ? database.Name() : QString();
}

void DataControl::setRecordSource(const QString& source) { m_recordSource = source; }

void DataControl::Refresh() {
  if (!m_db.isOpen() || !samePath(m_db.Name(), m_databaseName))
    m_db = m_workspace.OpenDatabase(m_databaseName);
  db::RecordsetType type = m_type;
  // A table opens in its key order; SQL and saved queries as dynasets.
  if (type == db::RecordsetType::Default)
    type = !looksLikeSql(m_recordSource) && m_db.hasTable(m_recordSource)
               ? db::RecordsetType::Table
               : db::RecordsetType::Dynaset;
  m_rs = db::Recordset();
  db::Recordset rs = m_db.OpenRecordset(m_recordSource, type, m_readOnly ? db::rsopt::ReadOnly : 0);
  if (type == db::RecordsetType::Table) {
    try {
      rs.setIndex(QStringLiteral("PrimaryKey"));
    } catch (const db::DbError&) {
      // A table without a primary key keeps its natural order.
    }
  }
  m_rs = rs;
  if (m_rs.RecordCount() > 0) m_rs.MoveFirst();
  showRecord();
  emit recordsChanged();
}

void DataControl::UpdateRecord() {
  if (!m_rs.isOpen()) return;
  const bool adding = m_rs.EditMode() == db::EditMode::Add;
  if (!adding && m_rs.EditMode() == db::EditMode::None) {
    if (!hasChanges()) return;
    m_rs.Edit();
  }
  for (BoundControl* b : boundControls())
    if (b->DataChanged()) b->store(m_rs);
  m_rs.Update();
  if (adding) m_rs.setBookmark(m_rs.LastModified());
  emit recordsChanged();
  showRecord();
}

void DataControl::AddNew() {
  if (!m_rs.isOpen()) return;
  if (m_rs.EditMode() != db::EditMode::None) m_rs.CancelUpdate();
  m_rs.AddNew();
  showRecord();
}

void DataControl::CancelUpdate() {
  if (!m_rs.isOpen()) return;
  if (m_rs.EditMode() != db::EditMode::None) m_rs.CancelUpdate();
  showRecord();
}

void DataControl::Delete() {
  if (!m_rs.isOpen() || m_rs.BOF() || m_rs.EOF_()) return;
  m_rs.Delete();
  m_rs.MoveNext();
  if (m_rs.EOF_() && m_rs.RecordCount() > 0) m_rs.MoveLast();
  emit recordsChanged();
  showRecord();
}

db::EditMode DataControl::EditMode() const {
  if (!m_rs.isOpen()) return db::EditMode::None;
  const db::EditMode mode = m_rs.EditMode();
  if (mode != db::EditMode::None) return mode;
  return hasChanges() ? db::EditMode::InProgress : db::EditMode::None;
}

void DataControl::MoveFirst() {
  if (m_rs.isOpen() && m_rs.RecordCount() > 0) m_rs.MoveFirst();
  showRecord();
}

void DataControl::MovePrevious() {
  if (!m_rs.isOpen() || m_rs.RecordCount() == 0) return;
  if (!m_rs.BOF()) m_rs.MovePrevious();
  if (m_rs.BOF()) m_rs.MoveFirst();
  showRecord();
}

void DataControl::MoveNext() {
  if (!m_rs.isOpen() || m_rs.RecordCount() == 0) return;
  if (!m_rs.EOF_()) m_rs.MoveNext();
  if (m_rs.EOF_()) m_rs.MoveLast();
  showRecord();
}

void DataControl::MoveLast() {
  if (m_rs.isOpen() && m_rs.RecordCount() > 0) m_rs.MoveLast();
  showRecord();
}

bool DataControl::moveToBookmark(const QByteArray& bookmark) {
  if (!m_rs.isOpen()) return false;
  try {
    m_rs.setBookmark(bookmark);
  } catch (const db::DbError&) {
    return false;
  }
  showRecord();
  return true;
}

void DataControl::showRecord() {
  static const db::Recordset none;
  for (BoundControl* b : boundControls()) b->load(m_rs.isOpen() ? m_rs : none);
  updateCaption();
  emit repositioned();
}

QList<BoundControl*> DataControl::boundControls() const {
  QList<BoundControl*> out;
  // The form holding the data control: its window, or its sub-window in the main window.
  QWidget* top = const_cast<DataControl*>(this);
  while (top->parentWidget() && !top->isWindow() &&
         !qobject_cast<QMdiSubWindow*>(top->parentWidget()))
    top = top->parentWidget();
  for (QWidget* w : top->findChildren<QWidget*>())
    if (BoundControl* b = boundControl(w); b && b->dataSource() == this) out << b;
  return out;
}

bool DataControl::hasChanges() const {
  for (BoundControl* b : boundControls())
    if (b->DataChanged()) return true;
  return false;
}

bool DataControl::leaveRecord() {
  if (!hasChanges() && (!m_rs.isOpen() || m_rs.EditMode() == db::EditMode::None)) return true;
  if (m_leaveCheck) return m_leaveCheck();
  try {
    UpdateRecord();
    return true;
  } catch (const db::DbError& e) {
    showError(e);
    return false;
  }
}

void DataControl::navigate(void (DataControl::*move)()) {
  if (!leaveRecord()) return;
  try {
    (this->*move)();
  } catch (const db::DbError& e) {
    showError(e);
  }
}

void DataControl::showError(const db::DbError& e) {
  if (m_messages) showDbError(*m_messages, e, m_errorPrefix);
}

void DataControl::updateCaption() {
  long count = 0;
  long position = 0;
  if (m_rs.isOpen()) {
    count = m_rs.RecordCount();
    if (m_rs.EditMode() == db::EditMode::Add)
      position = ++count;  // the new record counts already
    else if (!m_rs.BOF() && !m_rs.EOF_())
      position = m_rs.AbsolutePosition() + 1;
  }
  m_caption =
      translate(m_captionPrefix) + QString::number(position) + " / " + QString::number(count);
  m_label->setText(m_caption);
  const bool any = count > 0;
  m_first->setEnabled(any);
  m_previous->setEnabled(any);
  m_next->setEnabled(any);
  m_last->setEnabled(any);
}

QString DataControl::translate(const QString& s) const {
  return m_messages ? m_messages->tr(s) : s;
}

}  // namespace tarovent::ui
