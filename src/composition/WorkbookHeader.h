#pragma once

#include <QMap>
#include <QString>

#include "platform/excel/CellValue.h"

namespace tarovent::core {
class ProcessState;
struct QuoteContext;
}  // namespace tarovent::core
namespace tarovent::excel {
class Workbook;
}

namespace tarovent::composition {

// The header cells of a calculation workbook, by name: the quote number, the dossier, its
// custom fields and its client. An unknown client is told ("Client … inconnu") and leaves
// the client cells out. Throws db::DbError.
QMap<QString, excel::CellValue> readHeaderCells(core::ProcessState& state,
                                                const core::QuoteContext& quote);

// Writes each value into the cell its name gives, as seen from `sheet`; names the workbook
// lacks are skipped. Returns how many cells were written.
int fillHeaderCells(excel::Workbook& workbook, int sheet,
                    const QMap<QString, excel::CellValue>& values);

// The workbook made for a quote from a template: the template's name, "_", the first five
// characters of the quote document's name and what follows its last dot ("00012_00.AB" →
// "<template>_00012AB.xlsx").
QString quoteWorkbookName(const QString& templateName, const QString& documentName);

}  // namespace tarovent::composition
