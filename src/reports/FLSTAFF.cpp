#include "FLSTAFF.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "ui/HostWindow.h"
#include "ui/NumericInput.h"
#include "ui/RowList.h"

namespace tarovent::reports {

namespace {

enum Column { Number, Client, Date, Quantity, Labour, Supplier, Stock, Invoiced, Margin, Columns };

QString periodText(const OrderPeriod& p) {
  QString text = QStringLiteral("Affaires terminées, modifiées du %1 au %2")
                     .arg(p.from.toString(QStringLiteral("dd/MM/yyyy")),
                          p.to.toString(QStringLiteral("dd/MM/yyyy")));
  if (!p.workType.trimmed().isEmpty())
    text += QStringLiteral(", type de travaux %1").arg(p.workType.trimmed());
  return text;
}

}  // namespace

FLSTAFF* FLSTAFF::create(core::ProcessState& state, const OrderPeriod& period, QWidget* parent) {
  auto* w = new FLSTAFF(state, period, parent);
  if (w->m_statistics.compute(period) == OrderCostStatistics::Outcome::Filled) {
    w->fill();
    return w;
  }
  delete w;
  return nullptr;
}

FLSTAFF::FLSTAFF(core::ProcessState& state, const OrderPeriod& period, QWidget* parent)
    : QWidget(parent), m_state(state), m_period(period), m_statistics(state) {
  setObjectName(QStringLiteral("FLSTAFF"));
  setWindowTitle(QStringLiteral("Statistique des prix de revient comparés"));
  auto* period_ = new QLabel(periodText(period), this);
  period_->setObjectName(QStringLiteral("CTL_Periode"));
  m_list = new QTableWidget(0, Columns, this);
  m_list->setObjectName(QStringLiteral("DBG_StatAff"));
  m_list->setHorizontalHeaderLabels(
      {QStringLiteral("N° affaire"), QStringLiteral("Client"), QStringLiteral("Date"),
       QStringLiteral("Quantité"), QStringLiteral("Main d'œuvre"), QStringLiteral("Fournisseurs"),
       QStringLiteral("Magasin"), QStringLiteral("Facturé"), QStringLiteral("Marge")});
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui::readByRows(m_list);
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
  m_list->horizontalHeader()->setSectionResizeMode(Client, QHeaderView::Stretch);

  auto* averages = new QGridLayout;
  averages->addWidget(new QLabel(QStringLiteral("Moyennes par unité"), this), 1, 0);
  const char* names[] = {"CTX_MoyMDO", "CTX_MoyMAG", "CTX_MoyFOU", "CTX_MoyFAC", "CTX_MoyMarge"};
  const QString captions[] = {QStringLiteral("Main d'œuvre"), QStringLiteral("Magasin"),
                              QStringLiteral("Fournisseurs"), QStringLiteral("Facturé"),
                              QStringLiteral("Marge")};
  for (int i = 0; i < 5; ++i) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(names[i]));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight);
    auto* label = new QLabel(captions[i], this);
    label->setBuddy(box);
    averages->addWidget(label, 0, i + 1);
    averages->addWidget(box, 1, i + 1);
    m_averages << box;
  }
  auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
  quit->setObjectName(QStringLiteral("Cmd_Quitter"));
  connect(quit, &QPushButton::clicked, this, [this] { ui::closeHostWindow(this); });
  averages->addWidget(quit, 1, 7);
  averages->setColumnStretch(6, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(period_);
  layout->addWidget(m_list, 1);
  layout->addLayout(averages);
}

void FLSTAFF::fill() {
  const QChar separator = ui::workstationDecimalSeparator();
  const QList<QStringList> rows = orderCostCells(m_statistics, separator);
  m_list->setRowCount(int(rows.size()));
  for (int r = 0; r < rows.size(); ++r) {
    for (int c = 0; c < Columns; ++c) {
      auto* item = new QTableWidgetItem(rows[r].value(c));
      if (c >= Quantity) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_list->setItem(r, c, item);
    }
  }
  m_list->resizeColumnsToContents();
  m_list->horizontalHeader()->setSectionResizeMode(Client, QHeaderView::Stretch);
  const QStringList shown = orderCostAverageCells(m_statistics, separator);
  for (int i = 0; i < m_averages.size(); ++i) m_averages[i]->setText(shown.value(i));
}

QStringList FLSTAFF::averagesShown() const {
  QStringList shown;
  for (const QLineEdit* box : m_averages) shown << box->text();
  return shown;
}

}  // namespace tarovent::reports
