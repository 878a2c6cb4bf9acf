#pragma once

#include <QString>

namespace tarovent::install {

// Writes the report files every family starts with into `folder` (the working folder):
// IMPRENTA.RPT and its variant IMPRENTA_CLIENT.RPT for the quote statistics, IMPVISIT.RPT for
// the client visits, IMPCOMPDEV.RPT for the comparison of two quote versions. Throws std::runtime_error (French message) when one cannot be written.
void writeReportFiles(const QString& folder);

// The visit list's own source, saved as the query RimpVis that IMPVISIT.RPT reads.
extern const char* const kVisitReportQuery;

}  // namespace tarovent::install
