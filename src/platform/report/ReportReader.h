#pragma once

#include <QString>

#include "ReportDefinition.h"

namespace tarovent::report {

// Reads a report file (README.md of this folder describes the format). Throws ReportError
// naming the file and the line of the first fault: a missing or unreadable file, XML that is
// not well formed, an unknown element or attribute, a value out of its range, columns wider
// than the page.
ReportDefinition readReport(const QString& path);
// The same from text already in memory; `path` only names it in messages.
ReportDefinition readReportText(const QByteArray& content, const QString& path);

}  // namespace tarovent::report
