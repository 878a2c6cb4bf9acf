#pragma once

#include <QHash>
#include <QString>

#include "ReportLayout.h"

class QPainter;

namespace tarovent::report {

// Paints page `index` of `layout` on `painter`, whose device is one whole sheet with its top
// left corner at the origin (a printer in full-page mode, a PDF writer without margins, an
// image). The device's resolution says how large a point is. `pages` is the number of pages,
// 0 while it is not known yet ({pages} then shows "…"). `names` fill the placeholders of the
// page header and footer ({title}, {date}, parameters).
void paintPage(QPainter& painter, const ReportDefinition& def, const ReportLayout& layout,
               int index, int pages, const QHash<QString, QString>& names);

}  // namespace tarovent::report
