#pragma once

// Calculation workbooks for the import tests: a sheet "Calcul" whose header row 4 carries the
// column names (A mark, B code, C label, D quantity, E label part 2, F supplier, G price) and
// rows from 5 on.

#include <QStringList>

#include "platform/excel/MiniXlsx.h"

namespace tarovent::fixtures {

struct CalcRow {
  QString mark;
  QString code;
  QString label;
  double quantity = 0;
  QString label2{};
  QString supplier{};
  double price = 0;
};

inline MiniXlsx calcWorkbook(const QList<CalcRow>& rows, bool withLabel1 = true) {
  MiniXlsx x;
  QString cells = "<row r=\"4\">" + textCell("B4", "Code") + textCell("C4", "Désignation") +
                  textCell("D4", "Qté") + "</row>";
  int r = 5;
  for (const CalcRow& row : rows) {
    const QString n = QString::number(r++);
    cells += "<row r=\"" + n + "\">";
    if (!row.mark.isEmpty()) cells += textCell("A" + n, row.mark);
    if (!row.code.isEmpty()) cells += textCell("B" + n, row.code);
    if (!row.label.isEmpty()) cells += textCell("C" + n, row.label);
    cells += numberCell("D" + n, row.quantity);
    if (!row.label2.isEmpty()) cells += textCell("E" + n, row.label2);
    if (!row.supplier.isEmpty()) cells += textCell("F" + n, row.supplier);
    if (row.price != 0) cells += numberCell("G" + n, row.price);
    cells += "</row>";
  }
  x.sheets.push_back({"Entête", ""});
  x.sheets.push_back({"Calcul", cells});
  x.names = "<definedName name=\"CODART\">Calcul!$B$4</definedName>"
            "<definedName name=\"QTE\">Calcul!$D$4:$D$200</definedName>"
            "<definedName name=\"LIBART2\" localSheetId=\"1\">Calcul!$E:$E</definedName>"
            "<definedName name=\"CODFOURN\">Calcul!$F$4</definedName>"
            "<definedName name=\"PRIXACH\">Calcul!$G$4</definedName>";
  if (withLabel1) x.names += "<definedName name=\"LIBART1\">Calcul!$C$4</definedName>";
  return x;
}

}  // namespace tarovent::fixtures
