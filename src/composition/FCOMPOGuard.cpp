#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

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
#include "ui/HostWindow.h"

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
  // Beside the document, which keeps the keyboard: the lines typed stay in sight.
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  ui::showOverOpener(w, ui::Place::LowerRight);
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
  ui::showOverOpener(w);
  return w;
}

bool FCOMPO::isSentVersion() const { return !m_session->frozenReason().isEmpty(); }

void FCOMPO::lockSentVersion() {
  // Saving stays, to say why nothing is written; so do the preview, the check and closing.
  for (const char* menu : {"M_LIGNES", "M_TABLEAUX", "M_RECALCULS"})
    if (auto* m = findChild<QMenu*>(QLatin1String(menu)))
      for (QAction* a : m->actions()) a->setEnabled(false);
  for (const char* name : {"M_TexteLibre", "M_Import_Classeur"})
    if (auto* a = findChild<QAction*>(QLatin1String(name))) a->setEnabled(false);
  // The line entry, the bar's table commands and the side panel's modes and options.
  for (QWidget* w :
       {static_cast<QWidget*>(m_entry), findChild<QWidget*>(QStringLiteral("Cmd_Tableaux")),
        findChild<QWidget*>(QStringLiteral("Cmd_Masque")),
        findChild<QWidget*>(QStringLiteral("Cmd_Recalcul")),
        findChild<QWidget*>(QStringLiteral("FRM_Options"))})
    if (w) w->setEnabled(false);
}

void FCOMPO::refuseChange() {
  QApplication::beep();
  showStatus(
      QStringLiteral("Version envoyée : elle se consulte sans se modifier. Créez une "
                     "nouvelle version pour la faire évoluer."));
}

void FCOMPO::goToLine(int docTable, int row) {
  backToDocument();
  m_view->setCursor({docTable, row});
  const TableCursor c = m_view->cursor();
  if (c.isValid()) m_session->setCursor(c.table, c.row);
  activateWindow();
}

}  // namespace tarovent::composition
