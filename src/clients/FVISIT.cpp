#include "FVISIT.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ListGrid.h"
#include "Visits.h"
#include "core/GridDialog.h"
#include "core/GridQuery.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "core/ReportChoice.h"
#include "platform/db/DbError.h"
#include "platform/db/JetType.h"
#include "ui/BoundLineEdit.h"
#include "ui/BoundTextEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/RecordButtons.h"
#include "ui/RecordsetModel.h"

namespace tarovent::clients {

namespace {

using ui::gridColumn;

const QString kErrors = QStringLiteral("DBD_Visite : ");

bool isEnter(QEvent* e) {
  if (e->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(e)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

FVISIT::FVISIT(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FVISIT"), QStringLiteral("Suivi des visites"), 2000,
                   parent),
      m_viewer([this](const core::ReportRequest& r) { core::showReport(m_state, r, this); }) {
  m_data = dataControl(QStringLiteral("DBD_Visite"), visitListSql({}, {}));
  m_data->setDatabase(clientsDb());
  m_data->setErrorPrefix(kErrors);
  m_data->setCaptionPrefix(QStringLiteral("Visite : "));
  // The list joins each visit to its client; a visit is entered through a source of its own.
  m_visit = dataControl(QStringLiteral("DBD_Vis"), QStringLiteral("select * from TVIS"));
  m_visit->setDatabase(clientsDb());
  m_visit->setErrorPrefix(kErrors);
  m_visit->hide();
  m_data->setReadOnly(true);
  m_data->setLeaveCheck([this] {
    if (m_visit->EditMode() == db::EditMode::None) return true;
    m_state.messages().beep();
    m_state.messages().show(m_state.Traduire(QStringLiteral("Enregistrez ou annulez votre saisie")),
                            ui::Icon::Information);
    return false;
  });
  m_clients = dataControl(
      QStringLiteral("DBD_Clients"),
      QStringLiteral("select TCLI_Code, TCLI_RS, TCLI_CODP, TCLI_CATEG, TCLI_USER1, TCLI_USER2 "
                     "from TCLI order by TCLI_Code"));
  m_clients->setDatabase(clientsDb());
  m_clients->setReadOnly(true);
  m_clients->hide();

  m_due = new QCheckBox(QStringLiteral("Visites à &faire avant le"), this);
  m_due->setObjectName(QStringLiteral("CHK_RELANCES"));
  connect(m_due, &QCheckBox::toggled, this, &FVISIT::showDueVisits);
  m_dueDate = new QLineEdit(this);
  m_dueDate->setObjectName(QStringLiteral("CTX_DateRelance"));
  m_dueDate->setMaximumWidth(100);
  m_dueDate->setToolTip(QStringLiteral("Entrée : les visites prévues avant cette date"));
  m_dueDate->installEventFilter(this);
  m_dueDate->hide();

  using Set = ui::RecordButtonSet;
  ui::ButtonRow row = buttonRow(
      Qt::Horizontal, {{"Cmd_ADD", QStringLiteral("&Ajouter"), &Set::add},
                       {"Cmd_Update",
                        QStringLiteral("&Enregistrer"),
                        &Set::save,
                        {},
                        QStringLiteral("Enregistrer (F10)")},
                       {"Cmd_Annul", QStringLiteral("A&nnuler"), &Set::cancel},
                       {"Cmd_Delete", QStringLiteral("&Supprimer"), &Set::remove},
                       {"Cmd_Imprimer", QStringLiteral("&Imprimer"), nullptr, [this] { print(); }},
                       {"Cmd_Quitter", QStringLiteral("&Quitter"), &Set::quit},
                       {}});
  row.layout->insertWidget(0, m_data);
  row.layout->insertWidget(0, m_dueDate);
  row.layout->insertWidget(0, m_due);

  m_grid = makeListGrid(this, m_data,
                        {QStringLiteral("DBG_Visite"),
                         QStringLiteral("Visites"),
                         {gridColumn("TVIS_NumLig", QStringLiteral("N°")),
                          gridColumn("TVIS_CodCli", QStringLiteral("Client")),
                          gridColumn("TCLI_CodP", QStringLiteral("C.P.")),
                          gridColumn("TCLI_Categ", QStringLiteral("Cat.")),
                          gridColumn("TCLI_USER1", QStringLiteral("Libre 1")),
                          gridColumn("TCLI_USER2", QStringLiteral("Libre 2")),
                          gridColumn("TVIS_DatePrev", QStringLiteral("Prévue le")),
                          gridColumn("TVIS_Resume", QStringLiteral("Objet")),
                          gridColumn("TVIS_DateRea", QStringLiteral("Faite le")),
                          gridColumn("TVIS_Cal", QStringLiteral("Com.")),
                          gridColumn("TVIS_Contact", QStringLiteral("Contact"))},
                         {45, 82, 55, 45, 110, 110, 88, 240, 88, 45, 130},
                         7});
  core::addGridTools(m_state, m_grid, m_data);

  auto* middle = new QHBoxLayout;
  middle->addWidget(m_grid, 1);
  middle->addWidget(buildClientList());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(row.layout);
  layout->addLayout(middle, 1);
  QWidget* form = buildForm();
  layout->addWidget(form);

  auto* records = recordButtons(m_visit, row.set, m_client);
  records->setDeleteQuestion(QStringLiteral("Confirmez la suppression de cette visite"));
  connect(records, &ui::RecordButtons::added, this, [this] {
    if (auto* rep = findChild<QLineEdit*>(QStringLiteral("CTX_TVIS_Cal")))
      rep->setText(m_state.config.salesRep);
    if (auto* day = findChild<QLineEdit*>(QStringLiteral("CTX_TVIS_DatePrev")))
      day->setText(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    m_clientCells->clear();
  });
  connect(m_data, &ui::DataControl::repositioned, this, &FVISIT::followList);
  connect(records, &ui::RecordButtons::saved, this, &FVISIT::relist);
  connect(records, &ui::RecordButtons::removed, this, &FVISIT::relist);
  connect(records, &ui::RecordButtons::cancelled, this, &FVISIT::followList);

  QList<QWidget*> chain = {m_grid};
  for (QWidget* w : form->findChildren<QWidget*>())
    if (w->focusPolicy() & Qt::TabFocus) chain << w;
  chain << row.widgets();
  setTabChain(chain);
  finishSetup(m_data);
  // Enter in these boxes is theirs: seen before the form's "Enter moves on".
  for (QWidget* w : {static_cast<QWidget*>(m_dueDate), static_cast<QWidget*>(m_client),
                     static_cast<QWidget*>(m_clientGrid)}) {
    w->removeEventFilter(this);
    w->installEventFilter(this);
  }
  try {
    m_visit->Refresh();
    m_clients->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  followList();
  m_grid->setFocus(Qt::OtherFocusReason);
}

void FVISIT::followList() {
  if (m_visit->EditMode() != db::EditMode::None || !m_visit->isOpen()) return;
  db::Recordset& list = m_data->Recordset();
  try {
    if (list.isOpen() && !list.BOF() && !list.EOF_())
      m_visit->Recordset().FindFirst("TVIS_NumLig = " +
                                     QString::number(list.number("TVIS_NumLig")));
    m_visit->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  showClient();
}

void FVISIT::relist() {
  db::Recordset& visit = m_visit->Recordset();
  const QString line = visit.isOpen() && !visit.BOF() && !visit.EOF_()
                           ? QString::number(visit.number("TVIS_NumLig"))
                           : QString();
  try {
    m_data->Refresh();
    if (!line.isEmpty()) {
      m_data->Recordset().FindFirst("TVIS_NumLig = " + line);
      if (m_data->Recordset().NoMatch()) m_data->Recordset().MoveFirst();
      m_data->showRecord();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
}

QWidget* FVISIT::buildForm() {
  auto* w = new QWidget(this);
  const auto box = [&](const char* field, int width) {
    auto* b = new ui::BoundLineEdit(w);
    b->setObjectName("CTX_" + QString::fromLatin1(field));
    b->setDataSource(m_visit, QString::fromLatin1(field));
    if (width > 0) b->setMaximumWidth(width);
    return b;
  };
  m_client = box("TVIS_CodCli", 110);
  m_client->setToolTip(QStringLiteral("Entrée : le client dans la liste des clients"));
  m_client->installEventFilter(this);
  m_clientCells = new QLabel(w);
  m_clientCells->setObjectName(QStringLiteral("CTL_Client"));
  // Made in the order they stand on screen, which is the order Enter follows.
  auto* planned = box("TVIS_DatePrev", 100);
  m_afterClient = planned;
  auto* done = box("TVIS_DateRea", 100);
  auto* rep = box("TVIS_Cal", 60);
  auto* summary = box("TVIS_Resume", 0);
  auto* contact = box("TVIS_Contact", 0);
  auto* detail = new ui::BoundTextEdit(w);
  detail->setObjectName(QStringLiteral("CTX_TVIS_Detail"));
  detail->setDataSource(m_visit, QStringLiteral("TVIS_Detail"));
  detail->setTabChangesFocus(true);
  detail->setFixedHeight(110);

  auto* form = new QFormLayout;
  form->setVerticalSpacing(3);
  auto* clientRow = new QHBoxLayout;
  clientRow->setSpacing(6);
  clientRow->addWidget(m_client);
  clientRow->addWidget(m_clientCells, 1);
  form->addRow(label(QStringLiteral("&Client"), m_client), clientRow);
  auto* dates = new QHBoxLayout;
  dates->setSpacing(6);
  dates->addWidget(planned);
  dates->addWidget(label(QStringLiteral("Faite &le"), done));
  dates->addWidget(done);
  dates->addWidget(label(QStringLiteral("C&om."), rep));
  dates->addWidget(rep);
  dates->addStretch();
  form->addRow(label(QStringLiteral("&Prévue le"), planned), dates);
  form->addRow(label(QStringLiteral("O&bjet"), summary), summary);
  form->addRow(label(QStringLiteral("Con&tact"), contact), contact);
  auto* detailBox = new QVBoxLayout;
  detailBox->addWidget(label(QStringLiteral("&Détail de la visite"), detail));
  detailBox->addWidget(detail);
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  h->addLayout(form, 1);
  h->addLayout(detailBox, 1);
  return w;
}

QWidget* FVISIT::buildClientList() {
  m_clientFrame = new QFrame(this);
  m_clientFrame->setObjectName(QStringLiteral("FRM_Clients"));
  m_clientFrame->setFrameShape(QFrame::StyledPanel);
  m_clientFrame->setFixedWidth(580);
  m_clientGrid = makeListGrid(m_clientFrame, m_clients,
                              {QStringLiteral("DBG_Clients"),
                               {},
                               {gridColumn("TCLI_Code", QStringLiteral("Code")),
                                gridColumn("TCLI_RS", QStringLiteral("Raison sociale")),
                                gridColumn("TCLI_CODP", QStringLiteral("C.P.")),
                                gridColumn("TCLI_CATEG", QStringLiteral("Cat.")),
                                gridColumn("TCLI_USER1", QStringLiteral("Libre 1")),
                                gridColumn("TCLI_USER2", QStringLiteral("Libre 2"))},
                               {82, 180, 50, 40, 90, 90},
                               1,
                               QAbstractItemView::SingleSelection});
  m_clientGrid->installEventFilter(this);
  connect(m_clientGrid, &QTableView::doubleClicked, this, &FVISIT::chooseClient);
  auto* layout = new QVBoxLayout(m_clientFrame);
  auto* title =
      new QLabel(QStringLiteral("Clients (Entrée pour choisir, Échap pour fermer)"), m_clientFrame);
  layout->addWidget(title);
  layout->addWidget(m_clientGrid, 1);
  m_clientFrame->hide();
  return m_clientFrame;
}

db::Database& FVISIT::clientsDb() {
  core::BaseEntry& clients = m_state.base(core::entry::Commercial);
  return clients.open() ? clients.db : m_state.mainDb();
}

QString FVISIT::criteria() const {
  return criteriaBesideDue(core::Decouper_Requete(m_data->RecordSource()).where);
}

QString FVISIT::order() const { return core::Decouper_Requete(m_data->RecordSource()).orderBy; }

void FVISIT::reload(const QString& source) {
  if (!m_data->leaveRecord()) return;
  core::changeRecordSource(m_state, m_data, source);
}

void FVISIT::showDueVisits(bool on) {
  m_dueDate->setVisible(on);
  if (on) {
    m_dueDate->setText(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    m_dueDate->setFocus(Qt::OtherFocusReason);
    m_dueDate->selectAll();
    return;
  }
  reload(visitListSql(criteria(), order()));
}

void FVISIT::listDueVisits() {
  const QString typed = m_dueDate->text().trimmed();
  if (typed.isEmpty()) {
    m_dueDate->setFocus(Qt::OtherFocusReason);
    return;
  }
  const QDate day = core::typedDate(typed);
  if (!day.isValid()) {
    m_state.messages().show(m_state.Traduire(core::kNotADate), ui::Icon::Warning);
    m_dueDate->setFocus(Qt::OtherFocusReason);
    m_dueDate->selectAll();
    return;
  }
  m_dueDate->setText(day.toString(QStringLiteral("dd/MM/yyyy")));
  reload(dueVisitsSql(day, criteria(), order()));
  m_grid->setFocus(Qt::OtherFocusReason);
}

void FVISIT::print() {
  auto& m = m_state.messages();
  if (!m_data->leaveRecord()) return;
  db::Database& db = clientsDb();
  try {
    saveVisitPrintQuery(db, m_data->RecordSource());
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
    return;
  }
  const QString file = core::Choisir_Modele_Impression(m_state, core::reportFolder(m_state),
                                                       QStringLiteral("IMPVISIT"), this);
  if (file.isEmpty()) return;
  QString selection;
  const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
  if (rows.size() == 1) {
    const QVariant line = listModel(m_grid)->value(rows.first().row(), "TVIS_NumLig");
    selection = visitSelectionFormula(long(line.toLongLong()));
  }
  m_viewer({file, db, selection, {}});
}

void FVISIT::clientTyped() {
  const QString code = m_client->text().trimmed();
  if (code.isEmpty()) {
    m_afterClient->setFocus(Qt::OtherFocusReason);
    return;
  }
  try {
    db::Recordset& rs = m_clients->Recordset();
    if (rs.BOF() && rs.EOF_()) return;
    rs.FindFirst("TCLI_Code >=" + db::quoteText(code));
    if (rs.NoMatch()) rs.MoveLast();
    m_clients->showRecord();
    if (rs.text("TCLI_Code").compare(code, Qt::CaseInsensitive) != 0) {
      m_clientFrame->show();
      m_clientGrid->setFocus(Qt::OtherFocusReason);
      return;
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
    return;
  }
  chooseClient();
}

void FVISIT::chooseClient() {
  db::Recordset& rs = m_clients->Recordset();
  if (!rs.isOpen() || rs.BOF() || rs.EOF_()) return;
  if (m_client->text() != rs.text("TCLI_Code")) m_client->setText(rs.text("TCLI_Code"));
  m_clientCells->setText(
      QStringList({rs.text("TCLI_RS"), rs.text("TCLI_CODP"), rs.text("TCLI_CATEG"),
                   rs.text("TCLI_USER1"), rs.text("TCLI_USER2")})
          .join(QStringLiteral("   ")));
  m_clientFrame->hide();
  m_afterClient->setFocus(Qt::OtherFocusReason);
}

void FVISIT::showClient() {
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || rs.BOF() || rs.EOF_() || m_visit->EditMode() == db::EditMode::Add) {
    m_clientCells->clear();
    return;
  }
  m_clientCells->setText(
      QStringList({rs.text("TCLI_RS"), rs.text("TCLI_CodP"), rs.text("TCLI_Categ"),
                   rs.text("TCLI_USER1"), rs.text("TCLI_USER2")})
          .join(QStringLiteral("   ")));
}

bool FVISIT::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_dueDate && isEnter(e)) {
    listDueVisits();
    return true;
  }
  if (watched == m_client && isEnter(e)) {
    clientTyped();
    return true;
  }
  if (watched == m_clientGrid && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (isEnter(e)) {
      chooseClient();
      return true;
    }
    if (key == Qt::Key_Escape) {
      m_clientFrame->hide();
      m_client->setFocus(Qt::OtherFocusReason);
      return true;
    }
  }
  return RecordWindow::eventFilter(watched, e);
}

}  // namespace tarovent::clients
