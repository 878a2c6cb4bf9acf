#include "HelpWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tarovent::core {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("FAIDE");
  setWindowTitle(QStringLiteral("Aide de Tarovent"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  m_browser = new QTextBrowser(this);
  m_browser->setObjectName("TXT_Aide");
  m_browser->setOpenExternalLinks(true);
  box->addWidget(m_browser);
  resize(640, 560);
}

void HelpWindow::showPage(const QString& html, const QString& baseFolder, int helpContext) {
  if (html != m_html) {
    m_html = html;
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(baseFolder + "/"));
    m_browser->setHtml(html);
  }
  const QString name = QString::number(helpContext);
  const QRegularExpression anchor(QStringLiteral("(id|name)=\"%1\"").arg(name));
  m_anchor = helpContext != 0 && html.contains(anchor) ? name : QString();
  if (m_anchor.isEmpty())
    m_browser->verticalScrollBar()->setValue(0);
  else
    m_browser->scrollToAnchor(m_anchor);
}

void HelpWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

void HelpWindow::closeEvent(QCloseEvent* e) {
  if (m_onClose) m_onClose();
  QWidget::closeEvent(e);
}

}  // namespace tarovent::core
