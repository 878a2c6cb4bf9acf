#include "Balloon.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tarovent::core {

Balloon::Balloon(const QString& text, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
  setObjectName("Fbulle");
  setAttribute(Qt::WA_DeleteOnClose);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(1, 1, 1, 1);
  m_text = new QPlainTextEdit(text, this);
  m_text->setObjectName("TxtBulle");
  m_text->setReadOnly(true);
  m_text->setFrameShape(QFrame::NoFrame);
  m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_text->setStyleSheet(QStringLiteral("background: #ffffe1; color: black;"));
  m_text->viewport()->setMouseTracking(true);
  m_text->viewport()->installEventFilter(this);
  box->addWidget(m_text);
  setStyleSheet(QStringLiteral("Balloon { background: black; }"));

  const QFontMetrics fm(m_text->font());
  const QRect r = fm.boundingRect(QRect(0, 0, 320, 2000), Qt::TextWordWrap, text);
  resize(r.width() + 24, r.height() + 20);
}

Balloon* Balloon::showAt(const QString& text, const QPoint& globalPos, QWidget* parent) {
  auto* b = new Balloon(text, parent);
  b->move(globalPos);
  b->show();
  b->activateWindow();
  return b;
}

bool Balloon::event(QEvent* e) {
  if (e->type() == QEvent::WindowDeactivate) close();
  return QWidget::event(e);
}

bool Balloon::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_text->viewport() && e->type() == QEvent::MouseMove) {
    close();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace tarovent::core
