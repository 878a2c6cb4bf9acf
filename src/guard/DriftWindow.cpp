#include "guard/DriftWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "composition/NumberFormat.h"
#include "ui/RowList.h"

namespace tarovent::guard {

namespace {

// A margin effect with its sign: what the line gains or loses.
QString effect(double value) {
  return (composition::cents(value) > 0 ? QStringLiteral("+") : QString()) + money(value);
}

}  // namespace

DriftWindow::DriftWindow(const QVector<DriftLine>& lines, const QString& quote, bool frozen,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_lines(lines) {
  setObjectName(QStringLiteral("FDERIVE"));
  setWindowTitle(QStringLiteral("Évolution des coûts depuis le devis ") + quote);
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Depuis l'écriture du devis %1, le prix de revient ou le prix de %2 "
                     "ligne(s) a changé dans les articles, tarifs ou taux horaires. ")
              .arg(quote)
              .arg(lines.size()) +
          (frozen ? QStringLiteral("Ce devis a été envoyé : créez une nouvelle version pour "
                                   "actualiser ses prix.")
                  : QStringLiteral("Cochez les lignes à actualiser : les autres gardent les "
                                   "prix du devis.")),
      this);
  intro->setObjectName(QStringLiteral("CTL_Derive"));
  intro->setWordWrap(true);
  layout->addWidget(intro);
  m_list = new QTableWidget(int(lines.size()), 10, this);
  m_list->setObjectName(QStringLiteral("DBG_Derive"));
  m_list->setHorizontalHeaderLabels(
      {QStringLiteral("Code"), QStringLiteral("Origine"), QStringLiteral("Tableau / ligne"),
       QStringLiteral("Quantité"), QStringLiteral("Revient devis"),
       QStringLiteral("Revient actuel"), QStringLiteral("Prix devis"),
       QStringLiteral("Prix actuel"), QStringLiteral("Marge au prix du devis"),
       QStringLiteral("Marge aux prix actuels")});
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui::readByRows(m_list);
  m_list->verticalHeader()->hide();
  for (int r = 0; r < lines.size(); ++r) {
    const DriftLine& d = lines[r];
    const QStringList cells = {d.code,
                               d.source,
                               QStringLiteral("%1 / %2").arg(d.table).arg(d.row),
                               QString::number(d.quantity, 'g', 10).replace('.', ','),
                               d.costKnown ? money(d.oldCost) : QString(),
                               money(d.newCost),
                               money(d.oldPrice),
                               money(d.newPrice),
                               effect(d.marginKeepingPrice),
                               effect(d.marginRefreshed)};
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (c == 0) {
        item->setFlags(frozen ? Qt::ItemIsEnabled
                              : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        if (!frozen) item->setCheckState(Qt::Unchecked);
      }
      m_list->setItem(r, c, item);
    }
  }
  m_list->resizeColumnsToContents();
  m_list->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(m_list, 1);
  double keeping = 0, refreshed = 0;
  for (const DriftLine& d : lines) {
    keeping += d.marginKeepingPrice;
    refreshed += d.marginRefreshed;
  }
  auto* total = new QLabel(
      QStringLiteral("Effet sur la marge du devis : %1 au prix du devis, %2 "
                     "aux prix actuels.")
          .arg(effect(composition::round2(keeping)), effect(composition::round2(refreshed))),
      this);
  total->setObjectName(QStringLiteral("CTL_EffetMarge"));
  layout->addWidget(total);
  auto* buttons = new QDialogButtonBox(this);
  m_refresh = buttons->addButton(QStringLiteral("&Actualiser les lignes cochées"),
                                 QDialogButtonBox::ApplyRole);
  m_refresh->setObjectName(QStringLiteral("Cmd_Actualiser"));
  m_refresh->setEnabled(!frozen);
  connect(m_refresh, &QPushButton::clicked, this, &DriftWindow::refresh);
  QPushButton* close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("Cmd_Quitter"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  // Escape closes it too, as any window of its kind.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  layout->addWidget(buttons);
  setAttribute(Qt::WA_DeleteOnClose);
  resize(900, 360);
}

QVector<DriftLine> DriftWindow::ticked() const {
  QVector<DriftLine> out;
  for (int r = 0; r < m_list->rowCount(); ++r)
    if (m_list->item(r, 0)->checkState() == Qt::Checked) out << m_lines[r];
  return out;
}

void DriftWindow::refresh() {
  const QVector<DriftLine> lines = ticked();
  if (lines.isEmpty()) return;
  emit refreshRequested(lines);
  close();
}

}  // namespace tarovent::guard
