// Feeds arbitrary text to the Jet SQL translator. Every input must end in a translation or a
// DbError, never a crash, a hang or an exhausted stack.

#include <QString>
#include <cstddef>
#include <cstdint>

#include "platform/db/DbError.h"
#include "platform/db/JetSql.h"

using namespace tarovent::db;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  try {
    translateJetSql(text, [](const QString&) { return QStringLiteral("jetdb1"); });
  } catch (const DbError&) {
  }
  try {
    translateJetExpression(text);
  } catch (const DbError&) {
  }
  return 0;
}
