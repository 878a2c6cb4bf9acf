#include "core/RecordWindow.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/MacroButton.h"
#include "core/MainMenu.h"
#include "core/ProcessState.h"
#include "core/WindowTranslation.h"
#include "platform/db/DbError.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/HostWindow.h"
#include "ui/RecordButtons.h"

namespace tarovent::core {

RecordWindow::RecordWindow(ProcessState& state, const QString& name, const QString& caption,
                           int helpContext, QWidget* parent)
    : QWidget(parent), m_state(state) {
  setObjectName(name);
  setWindowTitle(caption);
  setProperty("helpContext", helpContext);
}

RecordWindow::~RecordWindow() {
  // The boxes are deleted after the window's own part is gone, and a box losing the focus then
  // still signals (editing finished, say): nothing may reach the window's slots any more.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

QPushButton* RecordWindow::button(const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, this);
  b->setObjectName(name);
  b->setAutoDefault(true);  // Enter presses the focused button
  return b;
}

ui::ButtonRow RecordWindow::buttonRow(Qt::Orientation orientation,
                                      std::initializer_list<ui::ButtonEntry> entries) {
  ui::ButtonRow row = ui::buttonRow(this, orientation, entries);
  for (QPushButton* b : row.buttons) b->setAutoDefault(true);
  return row;
}

QLabel* RecordWindow::label(const QString& caption, QWidget* buddy) {
  auto* l = new QLabel(caption, this);
  l->setBuddy(buddy);
  l->setMinimumWidth(l->sizeHint().width());  // a caption is read whole, never cut
  return l;
}

void RecordWindow::setTabChain(const QList<QWidget*>& controls) {
  for (int i = 1; i < controls.size(); ++i) QWidget::setTabOrder(controls[i - 1], controls[i]);
}

void RecordWindow::setRecordButtons(ui::RecordButtons* buttons) {
  m_recordButtons = buttons;
  connect(buttons, &ui::RecordButtons::quitRequested, this, [this] { closeWindow(); });
}

ui::DataControl* RecordWindow::dataControl(const QString& name, const QString& source) {
  auto* data = new ui::DataControl(this);
  data->setObjectName(name);
  data->setMessages(&m_state.messages());
  data->setDatabase(m_state.mainDb());
  data->setRecordSource(source);
  return data;
}

ui::RecordButtons* RecordWindow::recordButtons(ui::DataControl* data,
                                               const ui::RecordButtonSet& set,
                                               QWidget* firstField) {
  m_data = data;
  m_firstField = firstField;
  m_addButton = set.add;
  auto* records = new ui::RecordButtons(this, data, m_state.messages(), set);
  records->setFirstField(firstField);
  setRecordButtons(records);
  connect(records, &ui::RecordButtons::added, this, [this] { m_adding = true; });
  connect(records, &ui::RecordButtons::cancelled, this, [this] { m_adding = false; });
  connect(records, &ui::RecordButtons::saved, this, [this] {
    const bool wasNew = m_adding;
    m_adding = false;
    recordSaved(wasNew);
  });
  connect(records, &ui::RecordButtons::removed, this, [this] {
    if (m_addButton && m_data->Recordset().RecordCount() == 0)
      m_addButton->setFocus(Qt::OtherFocusReason);
  });
  return records;
}

void RecordWindow::lockSavedCode(QLineEdit* code) {
  const auto follow = [this, code] {
    code->setReadOnly(!m_data || m_data->EditMode() != db::EditMode::Add);
  };
  connect(m_data, &ui::DataControl::repositioned, code, follow);
  for (auto signal : {&ui::RecordButtons::added, &ui::RecordButtons::saved,
                      &ui::RecordButtons::cancelled, &ui::RecordButtons::removed})
    connect(m_recordButtons, signal, code, follow);
  follow();
}

void RecordWindow::recordSaved(bool wasNew) {
  QWidget* next = wasNew && m_addButton ? m_addButton : m_firstField;
  if (next) next->setFocus(Qt::OtherFocusReason);
}

void RecordWindow::placeListBeside(QWidget* list, QLayout* form, QWidget* navigation,
                                   QLayout* buttons, int sideWidth) {
  auto* side = new QVBoxLayout;
  side->addLayout(form);
  side->addWidget(navigation);
  side->addSpacing(12);
  side->addLayout(buttons);
  side->addStretch();
  auto* sideBox = new QWidget(this);
  sideBox->setLayout(side);
  sideBox->setFixedWidth(sideWidth);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list, 1);
  layout->addWidget(sideBox);
}

void RecordWindow::finishSetup(ui::DataControl* data) {
  new ui::FormNavigation(this);
  addMacroButton(m_state, this);
  Traduire_Fenetre(m_state, this);
  try {
    data->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, data->errorPrefix());
  }
}

void RecordWindow::setMenuButton(const QString& name) {
  m_menuButton = name;
  switchMenuButton(false);
}

void RecordWindow::switchMenuButton(bool on) {
  auto* menu = dynamic_cast<MainMenu*>(m_state.opener);
  if (!menu || m_menuButton.isEmpty()) return;
  if (on)
    menu->Allumer_Menu(m_menuButton);
  else
    menu->Eteindre_Menu(m_menuButton);
}

void RecordWindow::keyPressEvent(QKeyEvent* e) {
  // Esc that no control used. A shortcut would also hear the Esc that closes a drop-down list,
  // whose key stays with the list.
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    escape();
    return;
  }
  QWidget::keyPressEvent(e);
}

void RecordWindow::escape() {
  if (m_recordButtons) m_recordButtons->quit();
}

bool RecordWindow::closeWindow() {
  return ui::closeHostWindow(this);
}

bool RecordWindow::mayClose() { return !m_recordButtons || m_recordButtons->mayClose(); }

void RecordWindow::closeEvent(QCloseEvent* e) {
  if (!mayClose()) {
    e->ignore();
    return;
  }
  QWidget::closeEvent(e);
  if (e->isAccepted()) switchMenuButton(true);
}

}  // namespace tarovent::core
