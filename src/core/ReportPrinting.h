#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "platform/db/Database.h"

class QWidget;

namespace tarovent::report {
class Report;
}

namespace tarovent::core {

class ProcessState;

// A report to show: its file, the database holding its source, a selection formula ("" for
// none) and the values of its {placeholders}.
struct ReportRequest {
  QString file;
  db::Database database;
  QString selection;
  QHash<QString, QString> parameters;
};

// Reads and starts the report of `request`: the report ready for its first page, or null after
// the report's message (a file, a field or a formula at fault) through the funnel.
std::unique_ptr<report::Report> startReport(ProcessState& state, const ReportRequest& request);

// Shows the report in the preview F_RPT, modal over `parent`, its messages through the funnel
// and its PDF files proposed in the working folder. False after a message when it cannot be
// shown.
bool showReport(ProcessState& state, const ReportRequest& request, QWidget* parent);

}  // namespace tarovent::core
