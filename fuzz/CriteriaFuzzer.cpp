// Compiles arbitrary text as a criteria string and evaluates it against a few rows. Every input
// must end in a result or a DbError, never a crash, a hang or an exhausted stack.

#include <QDate>
#include <QString>
#include <QVariant>
#include <cstddef>
#include <cstdint>

#include "platform/db/Criteria.h"
#include "platform/db/DbError.h"

using namespace tarovent::db;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  static const char* const names[] = {"NOM", "N", "D", "F", "V"};
  const QVariant rows[][5] = {
      {QStringLiteral("Dupont"), 12, QDate(2025, 12, 31), -1, 2.5},
      {QVariant(), QVariant(), QVariant(), 0, QVariant()},
      {QStringLiteral("d'Été"), -7, QDate(1925, 3, 15), 0, 0.0},
  };
  try {
    const Criteria c = Criteria::compile(text, [](const QString&, const QString& name) {
      for (int i = 0; i < 5; ++i)
        if (name.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0) return i;
      return -1;
    });
    for (const auto& row : rows) {
      try {
        c.matches(row);
      } catch (const DbError&) {
      }
    }
  } catch (const DbError&) {
  }
  return 0;
}
