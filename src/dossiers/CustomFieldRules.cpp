#include "CustomFieldRules.h"

namespace tarovent::dossiers {

namespace {

void switchOff(DefinitionRow& row) {
  row.kind.clear();
  row.decimals = QStringLiteral("0");
  row.length = QStringLiteral("0");
}

QString capped(const QString& length, int size) {
  const QString t = length.trimmed();
  if (t.isEmpty()) return QStringLiteral("0");
  return t.toInt() > size ? QString::number(size) : t;
}

}  // namespace

void leaveLabel(DefinitionRow& row, int size) {
  if (row.label.trimmed().isEmpty()) {
    switchOff(row);
    return;
  }
  // A label typed again brings back the boxes a cleared label had switched off.
  if (!row.kindEnabled) {
    row.kindEnabled = true;
    if (!row.kind.isEmpty()) leaveKind(row, size);
  }
}

bool leaveKind(DefinitionRow& row, int size) {
  if (row.label.trimmed().isEmpty()) {
    switchOff(row);
    row.kindEnabled = row.lengthEnabled = row.decimalsEnabled = false;
    return false;
  }
  row.kind = row.kind.trimmed().toUpper();
  const bool beep = row.kind.isEmpty();
  if (beep) row.kind = QStringLiteral("C");
  if (row.kind == QLatin1String("C")) {
    row.length = capped(row.length, size);
    row.decimals = QStringLiteral("0");
    row.decimalsEnabled = false;
    row.lengthEnabled = true;
  } else if (row.kind == QLatin1String("N")) {
    row.length = QStringLiteral("15");
    row.lengthEnabled = false;
    row.decimalsEnabled = true;
  } else if (row.kind == QLatin1String("D")) {
    row.length = QStringLiteral("10");
    row.lengthEnabled = false;
    row.decimals = QStringLiteral("0");
    row.decimalsEnabled = false;
  }
  return beep;
}

void leaveLength(DefinitionRow& row, int size) { row.length = capped(row.length, size); }

void leaveDecimals(DefinitionRow& row) {
  if (row.decimals.trimmed().isEmpty()) row.decimals = QStringLiteral("0");
}

void enableByKind(DefinitionRow& row) {
  if (row.label.trimmed().isEmpty()) return;
  row.kindEnabled = true;
  row.lengthEnabled = row.kind != QLatin1String("N") && row.kind != QLatin1String("D");
  row.decimalsEnabled = row.kind != QLatin1String("C") && row.kind != QLatin1String("D");
}

}  // namespace tarovent::dossiers
