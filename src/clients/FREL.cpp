#include "FREL.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ListGrid.h"
#include "core/GridTools.h"
#include "core/MessageWindow.h"
#include "core/NewMailCommand.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BusyCursor.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/RecordsetModel.h"

namespace tarovent::clients {

namespace {

using ui::gridColumn;

const QString kErrors = QStringLiteral("DBD_Relance : ");

QString rowKey(const VersionKey& k) {
  return k.company.toUpper() + '|' + QString::number(k.dossier) + '|' + QString::number(k.sequence);
}

}  // namespace

FREL::FREL(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FREL"), QStringLiteral("Relances"), 3000, parent) {
  const QString rep = m_state.config.salesRep;
  setWindowTitle(reminderCaption(m_state.Traduire(windowTitle()), rep));
  m_data = dataControl(QStringLiteral("DBD_Relance"), reminderListSql(rep));
  m_data->setReadOnly(true);
  m_data->setErrorPrefix(kErrors);
  m_data->hide();

  const auto contact = [this](auto member) {
    ui::GridColumn c;
    c.compute = [this, member](const ui::RowValue& v) {
      return contactOf(v("TDOS_CLIENT").toString(), v("TDOS_Contact").toString()).*member;
    };
    return c;
  };
  const auto command = [this](const QString& caption, bool droppable) {
    ui::GridColumn c;
    c.compute = [this, caption, droppable](const ui::RowValue& v) {
      const VersionKey k{v("TDEV_SOC").toString(), v("TDEV_NUMDOSS").toLongLong(),
                         v("TDEV_NSEQ").toInt()};
      return droppable && m_dropped.contains(rowKey(k)) ? QString() : caption;
    };
    c.alignment = Qt::AlignCenter;
    c.command = true;
    return c;
  };
  QList<ui::GridColumn> columns = {gridColumn("TDEV_SOC", QStringLiteral("Soc.")),
                                   gridColumn("TDEV_NUMDOSS", QStringLiteral("Dossier")),
                                   gridColumn("TDEV_NSEQ", QStringLiteral("Vers.")),
                                   gridColumn("TDOS_CLIENT", QStringLiteral("Client")),
                                   gridColumn("TDOS_RESUME", QStringLiteral("Objet")),
                                   gridColumn("TDOS_CAL", QStringLiteral("Com.")),
                                   gridColumn("TDEV_DATREL", QStringLiteral("Relance")),
                                   gridColumn("TDOS_Contact", QStringLiteral("Contact")),
                                   contact(&ContactCells::function),
                                   contact(&ContactCells::telephone),
                                   contact(&ContactCells::mobile),
                                   contact(&ContactCells::mail),
                                   command(QStringLiteral("Abandon"), true),
                                   command(QStringLiteral("Dossier"), false),
                                   command(QStringLiteral("Mail"), false)};
  const char* headers[] = {"Fonction", "Téléphone", "Portable", "Mail",
                           "Abandon",  "Dossier",   "Mail"};
  for (int i = 0; i < 7; ++i) columns[8 + i].header = QString::fromUtf8(headers[i]);
  // A whole row fits a 1280-pixel screen, telephone numbers read whole; the subject takes what
  // is left on wider screens.
  const int number = fontMetrics().horizontalAdvance(QStringLiteral("00 00 00 00 00")) + 12;
  m_grid = makeListGrid(this, m_data,
                        {QStringLiteral("DBG_Relance"),
                         QStringLiteral("Relances"),
                         columns,
                         {40, 60, 40, 80, 150, 45, 82, 115, 100, number, number, 150, 65, 60, 45},
                         4});
  m_grid->installEventFilter(this);
  m_model = listModel(m_grid);
  connect(m_grid, &QTableView::clicked, this,
          [this](const QModelIndex& i) { runCell(i.row(), i.column()); });
  core::GridTools* tools = core::addGridTools(m_state, m_grid, m_data);

  auto* exportButton = button(QStringLiteral("Cmd_Outils"), QStringLiteral("E&xporter vers Excel"));
  exportButton->setToolTip(QStringLiteral("La liste des relances dans un classeur"));
  connect(exportButton, &QPushButton::clicked, this,
          [tools] { tools->run(core::GridAction::Export); });
  auto* drop = button(QStringLiteral("Cmd_Delete"), QStringLiteral("&Abandonner la sélection"));
  drop->setToolTip(QStringLiteral("Abandonne les relances des lignes sélectionnées"));
  connect(drop, &QPushButton::clicked, this, &FREL::dropSelected);
  auto* refresh = button(QStringLiteral("CMD_REFRESH"), QStringLiteral("Rafraîc&hir"));
  connect(refresh, &QPushButton::clicked, this, &FREL::activated);
  auto* quit = button(QStringLiteral("Cmd_Quitter"), QStringLiteral("&Quitter"));
  connect(quit, &QPushButton::clicked, this, &FREL::closeWindow);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {exportButton, drop, refresh}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(quit);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(buttons);
  layout->addWidget(m_grid, 1);
  setTabChain({m_grid, exportButton, drop, refresh, quit});

  setMenuButton(QStringLiteral("CMD_M_RELA"));
  finishSetup(m_data);
  m_grid->setFocus(Qt::OtherFocusReason);
}

db::Database& FREL::clientsDb() {
  core::BaseEntry& clients = m_state.base(core::entry::Commercial);
  return clients.open() ? clients.db : m_state.mainDb();
}

const ContactCells& FREL::contactOf(const QString& client, const QString& name) const {
  const QString key = client + QChar(0x1f) + name;
  auto it = m_contacts.find(key);
  if (it != m_contacts.end()) return *it;
  ContactCells cells;
  if (!name.isEmpty()) {
    try {
      cells = contactCells(const_cast<FREL*>(this)->clientsDb(), client, name);
    } catch (const db::DbError&) {
      // A contact that cannot be read shows as unknown; the list stays usable.
    }
  }
  return *m_contacts.insert(key, cells);
}

void FREL::activated() {
  m_dropped.clear();
  m_contacts.clear();
  try {
    m_data->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
}

VersionKey FREL::keyOf(int row) const {
  return {m_model->value(row, QStringLiteral("TDEV_SOC")).toString(),
          long(m_model->value(row, QStringLiteral("TDEV_NUMDOSS")).toLongLong()),
          m_model->value(row, QStringLiteral("TDEV_NSEQ")).toInt()};
}

void FREL::runCell(int row, int column) {
  if (row < 0 || row >= m_model->rowCount()) return;
  if (column == DropColumn)
    dropFromRow(row);
  else if (column == DossierColumn)
    openDossier(row);
  else if (column == MailColumn)
    mailContact(row);
}

void FREL::dropFromRow(int row) {
  const VersionKey k = keyOf(row);
  if (k.company.isEmpty() || m_dropped.contains(rowKey(k))) return;
  auto& m = m_state.messages();
  if (m.ask(m.tr(QStringLiteral("Confirmez l'abandon de cette relance")), ui::Buttons::YesNo, 1,
            ui::Icon::Question) != ui::Answer::Yes)
    return;
  m_dropped.insert(rowKey(k));
  m_grid->viewport()->update();
  try {
    dropLatestReminder(m_state.mainDb(), k.company, k.dossier);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
}

void FREL::dropSelected() {
  auto& m = m_state.messages();
  QList<int> rows;
  for (const QModelIndex& i : m_grid->selectionModel()->selectedRows()) rows << i.row();
  std::sort(rows.begin(), rows.end());
  if (rows.isEmpty()) {
    m.beep();
    return;
  }
  {
    const ui::BusyCursor busy;
    for (int row : rows) {
      try {
        if (!dropReminder(m_state.mainDb(), keyOf(row)))
          m.show(m.tr(QStringLiteral("Erreur interne, devis introuvable")), ui::Icon::Critical);
      } catch (const db::DbError& e) {
        ui::showDbError(m, e, kErrors);
      }
    }
  }
  activated();
}

void FREL::openDossier(int row) {
  const VersionKey k = keyOf(row);
  if (k.company.isEmpty() || !m_state.opener) return;
  // The dossier is handed over in the current quote, which a composition started from the
  // workspace keeps until it closes: its version's figures and modes are saved through it.
  const core::QuoteContext& q = m_state.quote;
  if (m_state.compositionInProgress && m_state.compositionOrigin == QLatin1String("FDEV") &&
      (q.company.compare(k.company, Qt::CaseInsensitive) != 0 || q.dossier != k.dossier)) {
    auto& m = m_state.messages();
    m.show(m.tr(QStringLiteral("Une composition est déjà en cours, veuillez la terminer d'abord")),
           ui::Icon::Warning);
    return;
  }
  m_state.quote.company = k.company;
  m_state.quote.dossier = k.dossier;
  m_state.dossierRequested = true;
  if (!m_state.opener->openWindow(QStringLiteral("FDEV"))) m_state.dossierRequested = false;
}

void FREL::mailContact(int row) {
  const QString client = m_model->value(row, QStringLiteral("TDOS_CLIENT")).toString();
  const QString name = m_model->value(row, QStringLiteral("TDOS_Contact")).toString();
  if (keyOf(row).company.isEmpty()) return;
  m_state.showWaiting(m_state.Traduire(QStringLiteral("Péparation du mail en cours ...")));
  core::openNewMail(m_state, mail::NewMail{contactOf(client, name).mail, QString(), {}});
  m_state.showWaiting(QString());
}

void FREL::escape() { closeWindow(); }

bool FREL::event(QEvent* e) {
  if (e->type() == QEvent::ParentChange)
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      connect(sub, &QMdiSubWindow::aboutToActivate, this, &FREL::activated, Qt::UniqueConnection);
  return RecordWindow::event(e);
}

bool FREL::eventFilter(QObject* watched, QEvent* e) {
  // Enter or the space bar on a command cell runs it, as a click does.
  if (watched == m_grid && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    const QModelIndex i = m_grid->currentIndex();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && i.isValid() &&
        i.column() >= DropColumn) {
      runCell(i.row(), i.column());
      return true;
    }
  }
  return RecordWindow::eventFilter(watched, e);
}

}  // namespace tarovent::clients
