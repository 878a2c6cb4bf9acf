#include <QFileInfo>
#include <QLabel>

#include "composition/CompositionSession.h"
#include "composition/FCOMPO.h"
#include "composition/QuoteView.h"
#include "core/ProcessState.h"
#include "guard/CostDrift.h"
#include "guard/DriftWindow.h"
#include "guard/GuardWindow.h"
#include "guard/MarginTally.h"
#include "guard/QuoteGuard.h"
#include "platform/db/DbError.h"

// What the composition shows of the quote guard: the margin rate, the findings, the drift of
// costs since the quote was written.
namespace tarovent::composition {

void FCOMPO::showMarginRate(bool readAgain) {
  // A command may change the document in ways its views are not told of one by one.
  if (readAgain) m_tally->invalidate();
  const QString text = m_tally->text(m_session->document());
  if (m_margin->text() != text) m_margin->setText(text);
}

guard::DriftWindow* FCOMPO::showCostDrift() {
  QVector<guard::DriftLine> drift;
  try {
    const std::optional<guard::QuoteReading> quote = guard::readQuote(m_session->document());
    if (quote) drift = guard::costDrift(m_state, m_session->files(), *quote, m_session->pricing());
  } catch (const db::DbError&) {
    return nullptr;  // files that cannot be read tell nothing of a drift
  }
  if (drift.isEmpty()) return nullptr;
  auto* w = new guard::DriftWindow(drift, QFileInfo(m_session->documentPath()).fileName(),
                                   m_session->isReadOnly(), this);
  connect(w, &guard::DriftWindow::refreshRequested, this,
          [this](const QVector<guard::DriftLine>& lines) {
            const int done = guard::refreshDriftLines(
                m_session->document(), lines, m_state.Nb_Decimales, m_session->decimalSeparator());
            if (DocumentChanges* views = m_session->changeListener())
              for (const guard::DriftLine& d : lines) views->rowsChanged(d.docTable, d.row, d.row);
            // The sub-totals and totals follow the new prices.
            m_session->recalculate();
            showStatus(QStringLiteral("Prix actualisés : %1 ligne(s)").arg(done));
            showMarginRate();
          });
  // Beside the document, which keeps the keyboard.
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->show();
  window()->activateWindow();
  return w;
}

guard::GuardWindow* FCOMPO::showGuard() {
  const std::optional<guard::QuoteReading> quote = guard::readQuote(m_session->document());
  const QVector<guard::GuardFinding> found =
      quote ? guard::guardQuote(*quote, guard::readGuardRules(m_state, *quote))
            : QVector<guard::GuardFinding>{};
  if (found.isEmpty()) {
    showStatus(QStringLiteral("Contrôle du devis : aucun point à vérifier"));
    return nullptr;
  }
  auto* w =
      new guard::GuardWindow(found, QFileInfo(m_session->documentPath()).fileName(), {}, this);
  w->setLineOpener([this](const guard::GuardFinding& f) { goToLine(f.docTable, f.row); });
  w->show();
  return w;
}

void FCOMPO::goToLine(int docTable, int row) {
  backToDocument();
  m_view->setCursor({docTable, row});
  const TableCursor c = m_view->cursor();
  if (c.isValid()) m_session->setCursor(c.table, c.row);
  activateWindow();
}

}  // namespace tarovent::composition
