#include "guard/GuardWindow.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "composition/NumberFormat.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"
#include "ui/RowList.h"
#include "ui/HostWindow.h"

namespace tarovent::guard {

namespace {

QString what(GuardFinding::Kind kind) {
  switch (kind) {
    case GuardFinding::Kind::UnderCost:
      return QStringLiteral("Sous le prix de revient");
    case GuardFinding::Kind::UnderFloor:
      return QStringLiteral("Sous le prix plancher");
    case GuardFinding::Kind::MarginRate:
      break;
  }
  return QStringLiteral("Taux de marge sous le seuil");
}

}  // namespace

GuardWindow::GuardWindow(const QVector<GuardFinding>& findings, const QString& quote,
                         const QString& action, QWidget* parent)
    : QWidget(parent, Qt::Window), m_findings(findings) {
  setObjectName(QStringLiteral("FGARDE"));
  setWindowTitle(QStringLiteral("Contrôle du devis ") + quote);
  auto* layout = new QVBoxLayout(this);
  // Beside a sending it warns; in the composition it lists what to look at.
  auto* intro = new QLabel(
      action.isEmpty()
          ? QStringLiteral("Le devis %1 présente %2 point(s) à vérifier. Entrée ou double-clic "
                           "sur une ligne : la voir dans la composition.")
                .arg(quote)
                .arg(findings.size())
          : QStringLiteral("Avant %1, le devis %2 présente %3 point(s) à vérifier. L'envoi n'est "
                           "pas bloqué : corrigez le devis avant d'envoyer le mail si nécessaire.")
                .arg(action, quote)
                .arg(findings.size()),
      this);
  intro->setObjectName(QStringLiteral("CTL_Garde"));
  intro->setWordWrap(true);
  layout->addWidget(intro);
  m_list = new QTableWidget(int(findings.size()), 7, this);
  m_list->setObjectName(QStringLiteral("DBG_Garde"));
  m_list->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Constat"),
                                     QStringLiteral("Tableau / ligne"), QStringLiteral("Prix net"),
                                     QStringLiteral("Prix de revient"),
                                     QStringLiteral("Prix plancher"), QStringLiteral("Marge")});
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui::readByRows(m_list);
  m_list->verticalHeader()->hide();
  for (int r = 0; r < findings.size(); ++r) {
    const GuardFinding& f = findings[r];
    const bool rate = f.kind == GuardFinding::Kind::MarginRate;
    const QStringList cells = {
        rate ? QStringLiteral("(devis)") : f.code,
        what(f.kind),
        rate ? QString() : QStringLiteral("%1 / %2").arg(f.table).arg(f.row),
        money(f.price),
        money(f.cost),
        rate ? QStringLiteral("seuil ") + money(f.floor) + QStringLiteral(" %")
             : (f.floor > 0 ? money(f.floor) : QString()),
        rate ? money(f.margin) + QStringLiteral(" %") : money(f.margin)};
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_list->setItem(r, c, item);
    }
  }
  m_list->resizeColumnsToContents();
  m_list->horizontalHeader()->setStretchLastSection(true);
  if (!findings.isEmpty()) m_list->selectRow(0);
  m_list->installEventFilter(this);
  connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] { openSelectedLine(); });
  layout->addWidget(m_list, 1);
  auto* buttons = new QDialogButtonBox(this);
  m_open = buttons->addButton(QStringLiteral("&Voir la ligne"), QDialogButtonBox::ActionRole);
  m_open->setObjectName(QStringLiteral("Cmd_VoirLigne"));
  m_open->setToolTip(QStringLiteral("Ouvre la ligne dans la composition (Entrée, double-clic)"));
  m_open->setEnabled(false);
  connect(m_open, &QPushButton::clicked, this, [this] { openSelectedLine(); });
  QPushButton* close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::AcceptRole);
  close->setObjectName(QStringLiteral("Cmd_Quitter"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  // Escape closes it too, as any window of its kind.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  layout->addWidget(buttons);
  setAttribute(Qt::WA_DeleteOnClose);
  resize(760, 320);
}

void GuardWindow::setLineOpener(LineOpener opener) {
  m_opener = std::move(opener);
  m_open->setEnabled(bool(m_opener));
}

bool GuardWindow::openSelectedLine() {
  const int row = m_list->currentRow();
  if (!m_opener || row < 0 || row >= m_findings.size() ||
      m_findings[row].kind == GuardFinding::Kind::MarginRate)
    return false;
  m_opener(m_findings[row]);
  return true;
}

bool GuardWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      openSelectedLine();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

QVector<GuardFinding> findingsOf(core::ProcessState& state, const QString& documentPath) {
  if (!QFileInfo(documentPath).isFile()) return {};
  std::optional<QuoteReading> quote;
  try {
    word::WordDocument doc = word::WordDocument::open(documentPath, word::OpenMode::ReadOnly);
    quote = readQuote(doc);
  } catch (const ooxml::OoxmlError&) {
    return {};  // the sending says what is wrong with the file
  }
  if (!quote) return {};
  return guardQuote(*quote, readGuardRules(state, *quote));
}

GuardWindow* warnBeforeSending(core::ProcessState& state, const QString& documentPath,
                               const QString& action, QWidget* parent) {
  const QVector<GuardFinding> found = findingsOf(state, documentPath);
  if (found.isEmpty()) return nullptr;
  auto* w = new GuardWindow(found, QFileInfo(documentPath).fileName(), action, parent);
  ui::showOverOpener(w);
  w->raise();
  return w;
}

}  // namespace tarovent::guard
