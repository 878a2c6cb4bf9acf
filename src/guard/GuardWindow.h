#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

#include "guard/QuoteGuard.h"

class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::guard {

// "Contrôle du devis": what the guard found in a quote about to leave, one row a finding with
// its net price, cost, floor and margin. It warns and never blocks: the sending goes on
// beside it, and the mail stays a draft the user may hold back.
class GuardWindow : public QWidget {
 public:
  GuardWindow(const QVector<GuardFinding>& findings, const QString& quote, const QString& action,
              QWidget* parent = nullptr);
  QTableWidget* list() const { return m_list; }

 private:
  QTableWidget* m_list;
};

// Runs the guard on the document of a quote before `action` ("export PDF et mail", "facture
// pro forma") and shows its window over `parent` when it finds anything. Returns the window
// shown, or null when the quote is sound or cannot be read.
GuardWindow* warnBeforeSending(core::ProcessState& state, const QString& documentPath,
                               const QString& action, QWidget* parent);

}  // namespace tarovent::guard
