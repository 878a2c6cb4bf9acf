#include "FACPROF.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "FLSTAFF.h"
#include "FRENTA.h"
#include "composition/NumberFormat.h"
#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "guard/GuardWindow.h"
#include "guard/SentVersions.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "ui/DbErrorMessage.h"
#include "ui/HostWindow.h"
#include "ui/RowList.h"

namespace tarovent::reports {

namespace {

QString listSource(const QString& representative) {
  return QStringLiteral(
             "SELECT Right('00000' & TDEV_NUMDOSS,5) & '_' & Right('00' & TDEV_NSEQ,2) & '.' & "
             "TDEV_SOC AS NumDevis, * FROM TDOS RIGHT JOIN TDEV ON (TDOS.TDOS_NUMDOSS = "
             "TDEV.TDEV_NUMDOSS) AND (TDOS.TDOS_SOC = TDEV.TDEV_SOC) Where (((TDOS.TDOS_CAL) = "
             "%1)) ORDER BY TDEV.TDEV_NUMDOSS DESC;")
      .arg(db::sqlLiteral(representative));
}

enum Column { Number, Client, Date, Text, Invoice, Columns };

}  // namespace

FACPROF* FACPROF::create(core::ProcessState& state, QWidget* parent) {
  auto* w = new FACPROF(state, parent);
  if (w->rowCount() > 0) return w;
  delete w;
  state.messages().show(state.Traduire(QStringLiteral("Aucun devis n'a été trouvé ...")),
                        ui::Icon::Information);
  return nullptr;
}

FACPROF::FACPROF(core::ProcessState& state, QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_choose([this](const QStringList& t, const QString& f, const QString& p) {
        return chooseWordTemplate(this, t, f, p);
      }) {
  setObjectName("FACPROF");
  setWindowTitle(QStringLiteral("Factures PROFORMA"));
  m_list = new QTableWidget(0, Columns, this);
  m_list->setObjectName("DBG_Devis");
  m_list->setHorizontalHeaderLabels({QStringLiteral("N° devis"), QStringLiteral("Client"),
                                     QStringLiteral("Date"), QStringLiteral("Texte"),
                                     QStringLiteral("Facture")});
  ui::readByRows(m_list);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->verticalHeader()->hide();
  m_list->horizontalHeader()->setStretchLastSection(true);
  // The row the list frames is the row "Éditer" acts on: Qt gives the list a current row on
  // focus without selecting it, which left the button beeping at a framed row.
  connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && m_list->selectedItems().isEmpty())
              m_list->selectRow(current.row());
          });

  m_vat = new QLineEdit(this);
  m_vat->setObjectName("CTX_TVA");
  m_vat->setMaximumWidth(80);
  m_vat->setText(composition::formatMasked(state.params.txTvaDef, QStringLiteral("##0.00")));
  m_withText = new QCheckBox(QStringLiteral("&Reprendre le texte du devis"), this);
  m_withText->setObjectName("BXK_ImprDev");
  auto* edit = new QPushButton(QStringLiteral("É&diter"), this);
  edit->setObjectName("Cmd_Editer");
  auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
  quit->setObjectName("Cmd_Quitter");
  connect(edit, &QPushButton::clicked, this, &FACPROF::makeInvoice);
  connect(quit, &QPushButton::clicked, this, [this] { ui::closeHostWindow(this); });
  connect(m_list, &QTableWidget::cellDoubleClicked, this, &FACPROF::makeInvoice);
  m_list->installEventFilter(this);

  auto* options = new QHBoxLayout;
  auto* vatLabel = new QLabel(QStringLiteral("Taux de &T.V.A. (%)"), this);
  vatLabel->setBuddy(m_vat);
  options->addWidget(vatLabel);
  options->addWidget(m_vat);
  options->addSpacing(20);
  options->addWidget(m_withText);
  options->addStretch();
  options->addWidget(edit);
  options->addWidget(quit);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list, 1);
  layout->addLayout(options);
  reload();
}

int FACPROF::rowCount() const { return m_list->rowCount(); }

bool FACPROF::eventFilter(QObject* watched, QEvent* event) {
  // Enter on the list makes the framed row's invoice, as a double click does.
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      makeInvoice();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FACPROF::reload() {
  m_list->setRowCount(0);
  const ProForma proForma(m_state, {});
  const QString folder = proForma.documentsFolder();
  try {
    db::Recordset rs = m_state.mainDb().OpenRecordset(listSource(m_state.config.salesRep),
                                                      db::RecordsetType::Snapshot);
    for (; !rs.EOF_(); rs.MoveNext()) {
      const QString number = rs.text(QStringLiteral("NumDevis"));
      const int row = m_list->rowCount();
      m_list->insertRow(row);
      const bool text = QFileInfo(core::Chemin_Document(folder, number)).isFile();
      const bool invoice =
          QFileInfo(core::Chemin_Document(folder, invoiceFileName(number))).isFile();
      const QStringList cells = {
          number, rs.text(QStringLiteral("TDOS_CLIENT")),
          rs.value(QStringLiteral("TDEV_DATE")).toDate().toString(QStringLiteral("dd/MM/yyyy")),
          text ? QStringLiteral("X") : QString(), invoice ? QStringLiteral("X") : QString()};
      for (int c = 0; c < Columns; ++c) m_list->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, QStringLiteral("FACPROF"));
  }
}

void FACPROF::makeInvoice() {
  const int row = m_list->currentRow();
  if (row < 0 || m_list->selectedItems().isEmpty()) {
    m_state.messages().beep();
    m_list->setFocus(Qt::OtherFocusReason);
    return;
  }
  ProForma proForma(m_state, m_choose);
  const ProForma::Outcome outcome =
      proForma.make({m_list->item(row, Number)->text(), m_vat->text(), m_withText->isChecked()});
  if (outcome == ProForma::Outcome::NoVat) m_vat->setFocus(Qt::OtherFocusReason);
  if (outcome == ProForma::Outcome::Made) {
    m_list->item(row, Invoice)->setText(QStringLiteral("X"));
    const QString number = m_list->item(row, Number)->text();
    const QString document = core::Chemin_Document(
        core::withSeparator(core::localPath(m_state.base(core::entry::Main).folder)), number);
    // Invoiced, the version is frozen.
    guard::markSentDocument(m_state, document, QStringLiteral("facture pro forma"));
    guard::warnBeforeSending(m_state, document, QStringLiteral("la facture pro forma"), this);
  }
}

QString chooseWordTemplate(QWidget* parent, const QStringList& templates, const QString& folder,
                           const QString& prefix) {
  QDialog dialog(parent);
  dialog.setObjectName("FCHXMODL");
  dialog.setWindowTitle(QStringLiteral("Choix du modèle"));
  auto* list = new QListWidget(&dialog);
  list->setObjectName("BXL_Modeles");
  for (const QString& t : templates) list->addItem(QFileInfo(t).fileName());
  list->setCurrentRow(0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(
      new QLabel(QStringLiteral("Modèles « %1 » de %2").arg(prefix, folder), &dialog));
  layout->addWidget(list);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return {};
  return templates.value(list->currentRow());
}

void registerReportWindows(core::ProcessState& state) {
  state.windows.add(
      QStringLiteral("FACPROF"),
      {[&state](QWidget* parent) -> QWidget* { return FACPROF::create(state, parent); }, false});
  state.windows.add(
      QStringLiteral("FRENTA"),
      {[&state](QWidget* parent) -> QWidget* { return FRENTA::create(state, parent); }, true});
  // Opened by the dossier workspace for the period it hands over.
  state.windows.add(QStringLiteral("FLSTAFF"), {[&state](QWidget* parent) -> QWidget* {
                      return FLSTAFF::create(
                          state, {state.statsFrom, state.statsTo, state.statsWorkType}, parent);
                    },
                                                false});
}

}  // namespace tarovent::reports
