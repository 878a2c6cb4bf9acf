#include "ui/GuardedApplication.h"

#include <cstdio>
#include <new>

#include "platform/db/DbError.h"
#include "ui/CurrentCellStyle.h"
#include "ui/MessageFunnel.h"

namespace tarovent::ui {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setStyle(new CurrentCellStyle);  // over the platform's style; the application owns it
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    // A failure while one is being told is only written out: no box over a box.
    if (m_reporting) {
      report(std::current_exception(), nullptr);
      return false;
    }
    m_reporting = true;
    report(std::current_exception(), m_messages);
    m_reporting = false;
    return false;
  }
}

QString GuardedApplication::describe(std::exception_ptr failure) {
  QString cause;
  try {
    std::rethrow_exception(failure);
  } catch (const db::DbError& e) {
    cause = e.description() + QStringLiteral("   Err. n° ") + QString::number(e.number());
  } catch (const std::bad_alloc&) {
    cause = QStringLiteral("mémoire insuffisante");
  } catch (const std::exception& e) {
    cause = QString::fromLocal8Bit(e.what());
  } catch (...) {
    cause = QStringLiteral("cause inconnue");
  }
  return QStringLiteral("Une erreur inattendue a interrompu l'opération en cours : ") + cause +
         QStringLiteral(
             "\nLe programme continue. Enregistrez votre travail, puis "
             "vérifiez ce qui a été fait.");
}

void GuardedApplication::report(std::exception_ptr failure, MessageFunnel* messages) {
  // The hourglass of the interrupted operation would stay up for good.
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  const QString text = describe(failure);
  if (messages)
    messages->show(text, Icon::Critical);
  else
    fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace tarovent::ui
