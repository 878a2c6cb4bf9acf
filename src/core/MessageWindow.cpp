#include "MessageWindow.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "ProcessState.h"
#include "WindowTranslation.h"

namespace tarovent::core {

MessageWindow::MessageWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName("Fmessage");
  setWindowTitle(QStringLiteral("Message"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_ShowWithoutActivating);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(24, 16, 24, 16);
  auto* wait = new QLabel(QStringLiteral("Veuillez patienter ..."), this);
  wait->setObjectName("CTL_Patienter");
  QFont bold = wait->font();
  bold.setBold(true);
  wait->setFont(bold);
  wait->setAlignment(Qt::AlignCenter);
  m_text = new QLabel(this);
  m_text->setObjectName("CTL_Texte");
  m_text->setAlignment(Qt::AlignCenter);
  m_text->setWordWrap(true);
  m_infos = new QLabel(this);
  m_infos->setObjectName("CTL_Infos");
  m_infos->setAlignment(Qt::AlignCenter);
  m_infos->setWordWrap(true);
  box->addWidget(wait);
  box->addWidget(m_text);
  box->addWidget(m_infos);
  setMinimumWidth(360);
}

void MessageWindow::setTexts(const QString& text, const QString& infos) {
  m_text->setText(text);
  m_infos->setText(infos);
  m_infos->setVisible(!infos.isEmpty());
  adjustSize();
}

MessageWindow* openMessageWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* m = qobject_cast<MessageWindow*>(w); m && m->isVisible()) return m;
  return nullptr;
}

void Afficher_Message(ProcessState& state, const QString& text, const QString& infos) {
  MessageWindow* window = openMessageWindow();
  if (text.isEmpty()) {
    if (window) window->close();
    return;
  }
  if (!window) {
    window = new MessageWindow(QApplication::activeWindow());
    Traduire_Fenetre(state, window);
  }
  window->setTexts(text, infos);
  if (const QScreen* s = QGuiApplication::primaryScreen()) {
    QRect g = window->frameGeometry();
    g.moveCenter(s->availableGeometry().center());
    window->move(g.topLeft());
  }
  window->show();
  window->raise();
  // Once, so the message is drawn before the long operation starts; no input is taken.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tarovent::core
