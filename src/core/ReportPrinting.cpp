#include "ReportPrinting.h"

#include "ProcessState.h"
#include "WindowTranslation.h"
#include "platform/report/Report.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportViewer.h"
#include "ui/NumericInput.h"

namespace tarovent::core {

std::unique_ptr<report::Report> startReport(ProcessState& state, const ReportRequest& request) {
  try {
    auto r = std::make_unique<report::Report>(request.file);
    r->setDecimalSeparator(ui::workstationDecimalSeparator());
    r->setSelectionFormula(request.selection);
    for (auto it = request.parameters.cbegin(); it != request.parameters.cend(); ++it)
      r->setParameter(it.key(), *it);
    db::Database database = request.database;
    r->start(database);
    return r;
  } catch (const report::ReportError& e) {
    state.messages().show(e.text(), ui::Icon::Critical);
    return nullptr;
  }
}

bool showReport(ProcessState& state, const ReportRequest& request, QWidget* parent) {
  std::unique_ptr<report::Report> r = startReport(state, request);
  if (!r) return false;
  try {
    report::ReportViewer viewer(std::move(*r), parent);
    viewer.setMessageSink(
        [&state](const QString& text) { state.messages().show(text, ui::Icon::Warning); });
    viewer.setPdfFolder(state.workingFolder);
    Traduire_Fenetre(state, &viewer);
    viewer.setWindowState(viewer.windowState() | Qt::WindowMaximized);
    viewer.exec();
  } catch (const report::ReportError& e) {
    state.messages().show(e.text(), ui::Icon::Critical);
    return false;
  }
  return true;
}

}  // namespace tarovent::core
