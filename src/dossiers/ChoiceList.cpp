#include "ChoiceList.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace tarovent::dossiers {

ChoiceList::ChoiceList(const QString& frameName, const QString& listName, QWidget* parent)
    : QFrame(parent) {
  setObjectName(frameName);
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  m_title = new QLabel(this);
  m_list = new QListWidget(this);
  m_list->setObjectName(listName);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_title);
  layout->addWidget(m_list);
  m_list->installEventFilter(this);
  connect(m_list, &QListWidget::itemActivated, this, &ChoiceList::choose);
  hide();
}

void ChoiceList::open(QLineEdit* box, const QString& title, const QStringList& values) {
  m_box = box;
  m_title->setText(title);
  m_list->clear();
  m_list->addItems(values);
  const QList<QListWidgetItem*> same = m_list->findItems(box->text(), Qt::MatchFixedString);
  m_list->setCurrentRow(same.isEmpty() ? 0 : m_list->row(same.first()));
  show();
  raise();
  m_list->setFocus(Qt::OtherFocusReason);
}

void ChoiceList::choose() {
  if (m_box && m_list->currentItem()) {
    m_box->setText(m_list->currentItem()->text());
    m_box->setModified(true);
  }
  back();
}

void ChoiceList::back() {
  hide();
  if (m_box) m_box->setFocus(Qt::OtherFocusReason);
}

bool ChoiceList::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_list) return QFrame::eventFilter(watched, event);
  const auto key = [event] { return static_cast<QKeyEvent*>(event)->key(); };
  // Esc and Enter belong to the list, not to the window's shortcuts.
  if (event->type() == QEvent::ShortcutOverride && (key() == Qt::Key_Escape)) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    if (key() == Qt::Key_Escape) {
      emit declined(m_box);
      back();
      return true;
    }
    if (key() == Qt::Key_Return || key() == Qt::Key_Enter) {
      choose();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tarovent::dossiers
