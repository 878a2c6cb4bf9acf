#pragma once

#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>

#include "guard/QuoteGuard.h"

class QPushButton;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::guard {

// "Contrôle du devis": what the guard found in a quote about to leave, one row a finding with
// its net price, cost, floor and margin. It warns and never blocks: the sending goes on
// beside it, and the mail stays a draft the user may hold back.
class GuardWindow : public QWidget {
  Q_OBJECT

 public:
  // `action`: the sending it stands beside ("l'envoi du devis"); empty in the composition.
  GuardWindow(const QVector<GuardFinding>& findings, const QString& quote, const QString& action,
              QWidget* parent = nullptr);
  QTableWidget* list() const { return m_list; }
  // What opens a finding's line in the composition; without one the lines cannot be opened.
  using LineOpener = std::function<void(const GuardFinding&)>;
  void setLineOpener(LineOpener opener);
  // "Voir la ligne" (Enter, double click): the selected finding's line in the composition;
  // false for the margin rate, which has no line, or without opener.
  bool openSelectedLine();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QVector<GuardFinding> m_findings;
  QTableWidget* m_list;
  QPushButton* m_open;
  LineOpener m_opener;
};

// The guard's findings on a document; none when it cannot be read or nothing is wrong.
QVector<GuardFinding> findingsOf(core::ProcessState& state, const QString& documentPath);

// Runs the guard on the document of a quote before `action` ("export PDF et mail", "facture
// pro forma") and shows its window over `parent` when it finds anything. Returns the window
// shown, or null when the quote is sound or cannot be read.
GuardWindow* warnBeforeSending(core::ProcessState& state, const QString& documentPath,
                               const QString& action, QWidget* parent);

}  // namespace tarovent::guard
