#include "RecordButtons.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

#include "BoundControl.h"
#include "DataControl.h"
#include "DbErrorMessage.h"
#include "MessageFunnel.h"
#include "platform/db/DbError.h"

namespace tarovent::ui {

RecordButtons::RecordButtons(QWidget* window, DataControl* data, MessageFunnel& messages,
                             const RecordButtonSet& buttons)
    : QObject(window), m_window(window), m_data(data), m_messages(messages), m_buttons(buttons) {
  const auto wire = [this](QAbstractButton* b, bool (RecordButtons::*slot)()) {
    if (b) connect(b, &QAbstractButton::clicked, this, [this, slot] { (this->*slot)(); });
  };
  wire(buttons.add, &RecordButtons::add);
  wire(buttons.save, &RecordButtons::save);
  wire(buttons.cancel, &RecordButtons::cancel);
  wire(buttons.remove, &RecordButtons::remove);
  wire(buttons.refresh, &RecordButtons::refresh);
  wire(buttons.list, &RecordButtons::list);
  wire(buttons.quit, &RecordButtons::quit);
  // F10 saves from anywhere in the window: key presses that no control uses reach the window.
  window->installEventFilter(this);
  if (data) data->setLeaveCheck([this] { return !refuseWhilePending(); });
}

bool RecordButtons::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_window && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_F10) {
    if (!m_buttons.save || m_buttons.save->isEnabled()) save();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

bool RecordButtons::pending() const {
  return hasPendingChanges(m_window) || (m_data && m_data->EditMode() == db::EditMode::Add);
}

bool RecordButtons::refuseWhilePending() {
  const bool refused = pending();
  if (refused) m_messages.show(m_messages.tr(m_refusal), Icon::Information);
  return refused;
}

bool RecordButtons::guarded(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const db::DbError& e) {
    showDbError(m_messages, e, m_data ? m_data->errorPrefix() : QString());
    return false;
  }
}

void RecordButtons::focusFirst() {
  if (m_firstField && m_firstField->isEnabled()) m_firstField->setFocus(Qt::OtherFocusReason);
}

bool RecordButtons::add() {
  if (!m_data || refuseWhilePending()) return false;
  if (!guarded([this] { m_data->AddNew(); })) return false;
  focusFirst();
  emit added();
  return true;
}

bool RecordButtons::save() {
  if (!m_data) return false;
  if (m_saveCheck && !m_saveCheck()) return false;
  if (!guarded([this] { m_data->UpdateRecord(); })) return false;
  emit saved();
  return true;
}

bool RecordButtons::cancel() {
  if (!m_data) return false;
  if (!guarded([this] { m_data->CancelUpdate(); })) return false;
  focusFirst();
  emit cancelled();
  return true;
}

bool RecordButtons::remove() {
  if (!m_data || refuseWhilePending()) return false;
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || rs.BOF() || rs.EOF_()) return false;
  if (m_messages.ask(m_messages.tr(m_deleteQuestion), Buttons::YesNo, 2) != Answer::Yes)
    return false;
  if (m_deleteCheck && !m_deleteCheck()) return false;
  if (!guarded([this] { m_data->Delete(); })) return false;
  emit removed();
  return true;
}

bool RecordButtons::refresh() {
  if (!m_data || refuseWhilePending()) return false;
  if (!guarded([this] { m_data->Refresh(); })) return false;
  emit refreshed();
  return true;
}

bool RecordButtons::list() {
  if (refuseWhilePending()) return false;
  emit listRequested();
  return true;
}

bool RecordButtons::mayLeave() {
  if (m_saveQuestion.isEmpty()) return !refuseWhilePending();
  return mayClose();
}

bool RecordButtons::mayClose() {
  if (!pending()) return true;
  return askBeforeLeaving(
      m_messages, m_saveQuestion.isEmpty() ? QString::fromUtf8(kSaveQuestion) : m_saveQuestion,
      [this] { return save() && !pending(); }, [this] { return cancel(); });
}

bool askBeforeLeaving(MessageFunnel& messages, const QString& question,
                      const std::function<bool()>& save, const std::function<bool()>& discard) {
  switch (messages.ask(messages.tr(question), Buttons::YesNoCancel, 1)) {
    case Answer::Yes:
      return save();
    case Answer::No:
      return discard();
    default:
      return false;
  }
}

bool RecordButtons::quit() {
  if (!mayLeave()) return false;
  emit quitRequested();
  return true;
}

}  // namespace tarovent::ui
