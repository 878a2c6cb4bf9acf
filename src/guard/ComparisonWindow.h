#pragma once

#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/ReportPrinting.h"
#include "guard/QuoteComparison.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::guard {

// "Comparaison des versions" of a dossier: two versions whose documents exist, the lines added,
// removed and re-priced from the first to the second (a line moved to another table is the
// same line), and the two net totals.
class ComparisonWindow : public QWidget {
  Q_OBJECT

 public:
  ComparisonWindow(core::ProcessState& state, const QString& company, long dossier,
                   QWidget* parent = nullptr);
  QComboBox* first() const { return m_first; }
  QComboBox* second() const { return m_second; }
  QTableWidget* list() const { return m_list; }
  QLabel* totals() const { return m_totals; }
  // Compares the two versions chosen; false, with the reason in the window, when a document
  // cannot be read.
  bool compare();
  const std::optional<QuoteComparison>& comparison() const { return m_comparison; }
  // "Imprimer": the comparison through the report IMPCOMPDEV.RPT (the user chooses among its
  // variants), from the work table of the workstation. False when nothing was shown.
  bool print();
  // What shows a report; the preview F_RPT by default. Tests replace it.
  using Viewer = std::function<bool(const core::ReportRequest&)>;
  void setViewer(Viewer viewer) { m_viewer = std::move(viewer); }

 private:
  void loadVersions();
  void fill(const QuoteComparison& c);

  core::ProcessState& m_state;
  QString m_company;
  long m_dossier;
  QComboBox* m_first;
  QComboBox* m_second;
  QTableWidget* m_list;
  QLabel* m_totals;
  std::optional<QuoteComparison> m_comparison;
  Viewer m_viewer;
};

}  // namespace tarovent::guard
