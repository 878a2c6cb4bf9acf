#include "guard/ComparisonWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "composition/NumberFormat.h"
#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "core/ReportChoice.h"
#include "guard/ComparisonReport.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"
#include "ui/DbErrorMessage.h"
#include "ui/RowList.h"

namespace tarovent::guard {

ComparisonWindow::ComparisonWindow(core::ProcessState& state, const QString& company, long dossier,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_company(company), m_dossier(dossier) {
  setObjectName(QStringLiteral("FCOMPDEV"));
  setWindowTitle(QStringLiteral("Comparaison des versions du dossier %1 %2")
                     .arg(company)
                     .arg(dossier, 5, 10, QLatin1Char('0')));
  auto* layout = new QVBoxLayout(this);
  auto* pick = new QHBoxLayout;
  m_first = new QComboBox(this);
  m_first->setObjectName(QStringLiteral("DBC_Version1"));
  m_second = new QComboBox(this);
  m_second->setObjectName(QStringLiteral("DBC_Version2"));
  auto* from = new QLabel(QStringLiteral("&Version"), this);
  from->setBuddy(m_first);
  auto* to = new QLabel(QStringLiteral("comparée à la versio&n"), this);
  to->setBuddy(m_second);
  pick->addWidget(from);
  pick->addWidget(m_first);
  pick->addWidget(to);
  pick->addWidget(m_second);
  pick->addStretch();
  layout->addLayout(pick);
  m_list = new QTableWidget(0, 8, this);
  m_list->setObjectName(QStringLiteral("DBG_Comparaison"));
  m_list->setHorizontalHeaderLabels({QStringLiteral("Écart"), QStringLiteral("Code"),
                                     QStringLiteral("Avant : tableau / ligne"),
                                     QStringLiteral("Quantité"), QStringLiteral("Prix net"),
                                     QStringLiteral("Après : tableau / ligne"),
                                     QStringLiteral("Quantité"), QStringLiteral("Prix net")});
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui::readByRows(m_list);
  m_list->verticalHeader()->hide();
  m_list->horizontalHeader()->setStretchLastSection(true);
  m_list->resizeColumnsToContents();  // every heading read whole, before any line is listed
  layout->addWidget(m_list, 1);
  m_totals = new QLabel(this);
  m_totals->setObjectName(QStringLiteral("CTL_Totaux"));
  layout->addWidget(m_totals);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* print =
      buttons->addButton(QStringLiteral("&Imprimer"), QDialogButtonBox::ActionRole);
  print->setObjectName(QStringLiteral("Cmd_Imprimer"));
  connect(print, &QPushButton::clicked, this, [this] { this->print(); });
  m_viewer = [this](const core::ReportRequest& r) { return core::showReport(m_state, r, this); };
  QPushButton* close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("Cmd_Quitter"));
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  layout->addWidget(buttons);
  setAttribute(Qt::WA_DeleteOnClose);
  resize(900, 420);

  loadVersions();
  // The latest version against the one before it, to begin with.
  m_second->setCurrentIndex(m_second->count() - 1);
  m_first->setCurrentIndex(std::max(0, m_first->count() - 2));
  for (QComboBox* box : {m_first, m_second})
    connect(box, &QComboBox::currentIndexChanged, this, [this] { compare(); });
  compare();
}

void ComparisonWindow::loadVersions() {
  const QString folder =
      core::withSeparator(core::localPath(m_state.base(core::entry::Main).folder));
  try {
    db::Recordset rs = m_state.mainDb().OpenRecordset(
        QStringLiteral("select TDEV_NSEQ, TDEV_DATE from TDEV where TDEV_SOC=%1 and "
                       "TDEV_NUMDOSS=%2 order by TDEV_NSEQ")
            .arg(db::sqlLiteral(m_company))
            .arg(m_dossier));
    for (; !rs.EOF_(); rs.MoveNext()) {
      const int sequence = int(rs.number("TDEV_NSEQ"));
      const QString path = core::localPath(
          core::Chemin_Document(folder, core::Nom_Document(m_company, m_dossier, sequence)));
      if (!QFileInfo(path).isFile()) continue;
      const QString caption =
          QStringLiteral("%1 du %2")
              .arg(sequence, 2, 10, QLatin1Char('0'))
              .arg(rs.value("TDEV_DATE").toDate().toString(QStringLiteral("dd/MM/yyyy")));
      m_first->addItem(caption, path);
      m_second->addItem(caption, path);
    }
  } catch (const db::DbError& e) {
    m_totals->setText(e.description());
  }
}

bool ComparisonWindow::compare() {
  m_comparison.reset();
  m_list->setRowCount(0);
  if (m_first->count() < 2) {
    m_totals->setText(QStringLiteral("Il faut deux versions avec leur document pour comparer."));
    return false;
  }
  std::optional<QuoteReading> read[2];
  QComboBox* boxes[2] = {m_first, m_second};
  for (int i = 0; i < 2; ++i) {
    const QString path = boxes[i]->currentData().toString();
    try {
      word::WordDocument doc = word::WordDocument::open(path, word::OpenMode::ReadOnly);
      read[i] = readQuote(doc);
    } catch (const ooxml::OoxmlError&) {
      read[i].reset();
    }
    if (!read[i]) {
      m_totals->setText(QStringLiteral("Le document ") + QFileInfo(path).fileName() +
                        QStringLiteral(" ne peut pas être lu."));
      return false;
    }
  }
  m_comparison = compareQuotes(*read[0], *read[1]);
  fill(*m_comparison);
  return true;
}

bool ComparisonWindow::print() {
  if (!m_comparison) {
    m_state.messages().beep();
    return false;
  }
  try {
    writeComparisonRows(m_state.localDb, *m_comparison);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kComparisonTable);
    return false;
  }
  const QString file = core::Choisir_Modele_Impression(m_state, core::reportFolder(m_state),
                                                       QStringLiteral("IMPCOMPDEV"), this);
  if (file.isEmpty()) return false;
  const QString versions = windowTitle() + QStringLiteral(" : version ") + m_first->currentText() +
                           QStringLiteral(" -> version ") + m_second->currentText();
  return m_viewer(
      {file, m_state.localDb, {}, {{"VERSIONS", versions}, {"TOTAUX", m_totals->text()}}});
}

void ComparisonWindow::fill(const QuoteComparison& c) {
  const QString qtyMask = composition::quantityMask(m_state.Nb_Decimales);
  const auto qty = [&](double q) {
    return composition::formatMasked(q, qtyMask, QLatin1Char(','));
  };
  m_list->setRowCount(int(c.differences.size()));
  for (int r = 0; r < c.differences.size(); ++r) {
    const QuoteDifference& d = c.differences[r];
    const bool before = d.kind != QuoteDifference::Kind::Added;
    const bool after = d.kind != QuoteDifference::Kind::Removed;
    const QStringList cells = {differenceText(d.kind),
                               d.code,
                               linePlace(d.oldTable, d.oldRow),
                               before ? qty(d.oldQuantity) : QString(),
                               before ? money(d.oldPrice) : QString(),
                               linePlace(d.newTable, d.newRow),
                               after ? qty(d.newQuantity) : QString(),
                               after ? money(d.newPrice) : QString()};
    for (int col = 0; col < cells.size(); ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      if (col == 3 || col == 4 || col >= 6)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_list->setItem(r, col, item);
    }
  }
  m_list->resizeColumnsToContents();
  const double change = composition::round2(c.newNetTotal - c.oldNetTotal);
  m_totals->setText(QStringLiteral("%1 écart(s). Total net HT : %2 -> %3 (%4%5)")
                        .arg(c.differences.size())
                        .arg(money(c.oldNetTotal), money(c.newNetTotal),
                             composition::cents(change) > 0 ? QStringLiteral("+") : QString(),
                             money(change)));
}

}  // namespace tarovent::guard
