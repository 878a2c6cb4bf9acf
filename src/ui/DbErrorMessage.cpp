#include "DbErrorMessage.h"

#include "MessageFunnel.h"
#include "platform/db/DbError.h"

namespace tarovent::ui {

QString dbErrorText(const MessageFunnel& messages, const db::DbError& e) {
  return e.description() + messages.tr(QStringLiteral("   Err. n° ")) + QString::number(e.number());
}

void showDbError(MessageFunnel& messages, const db::DbError& e, const QString& source) {
  const QString prefix = source.isEmpty() ? QString() : messages.tr(source);
  messages.show(prefix + dbErrorText(messages, e), Icon::Critical);
}

}  // namespace tarovent::ui
