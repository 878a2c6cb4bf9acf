#include "FDEV.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include "CustomFieldsPanel.h"
#include "DossierCreation.h"
#include "DuplicationPanel.h"
#include "FdevMailing.h"
#include "PickList.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/RecordButtons.h"

namespace tarovent::dossiers {

namespace {

using ui::gridColumn;

const QString kRefusal = QStringLiteral("Enregistrez ou annulez d'abord votre saisie");
const QString kErrors = QStringLiteral("DBD_DOSS : ");
constexpr int kDateColumn = 9;
constexpr int kNameColumn = 12;

QGroupBox* group(const QString& title, QLayout* content, QWidget* parent) {
  auto* g = new QGroupBox(title, parent);
  g->setLayout(content);
  return g;
}

QLineEdit* display(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setReadOnly(true);
  e->setFocusPolicy(Qt::NoFocus);
  return e;
}

bool isKey(QEvent* event, int key) {
  return event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key;
}

bool isEnter(QEvent* event) { return isKey(event, Qt::Key_Return) || isKey(event, Qt::Key_Enter); }

}  // namespace

DossierListDelegate::DossierListDelegate(DossierRowCells& cells, int dateColumn, int nameColumn,
                                         QObject* parent)
    : QStyledItemDelegate(parent),
      m_cells(cells),
      m_dateColumn(dateColumn),
      m_nameColumn(nameColumn) {}

QString DossierListDelegate::cellText(const QModelIndex& index) const {
  const auto* model = qobject_cast<const ui::RecordsetModel*>(index.model());
  if (!model) return {};
  try {
    if (index.column() == m_dateColumn)
      return m_cells.lastVersionDate(model->value(index.row(), "TDOS_SOC").toString(),
                                     model->value(index.row(), "TDOS_NUMDOSS").toLongLong());
    if (index.column() == m_nameColumn)
      return m_cells.clientName(model->value(index.row(), "TDOS_CLIENT").toString());
  } catch (const db::DbError&) {
    // A row that cannot be read shows blank cells; the list stays usable.
  }
  return index.data().toString();
}

void DossierListDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (index.column() == m_dateColumn || index.column() == m_nameColumn)
    option->text = cellText(index);
}

FDEV::FDEV(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FDEV"), QStringLiteral("Gestion des devis"), 1100,
                   parent) {
  const QString rep = m_state.config.salesRep;
  m_data = dataControl("DBD_DOSS", dossierSql::dossiers(rep));
  m_data->setRecordsetType(db::RecordsetType::Dynaset);
  m_data->setErrorPrefix(kErrors);
  m_data->setLeaveCheck([this] {
    if (!ui::hasPendingChanges(this) && !m_adding) return true;
    m_state.messages().show(m_state.Traduire(kRefusal), ui::Icon::Warning);
    m_operation->setFocus(Qt::OtherFocusReason);
    return false;
  });
  try {
    m_fields.load(m_state.mainDb());
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }

  using Set = ui::RecordButtonSet;
  ui::ButtonRow row = buttonRow(
      Qt::Horizontal,
      {{"Cmd_DOSSADD", QStringLiteral("&Nouveau"), nullptr, [this] { newDossier(); }},
       {"Cmd_DOSSUpdate", QStringLiteral("&Enregistrer"), nullptr, [this] { saveDossier(); },
        QStringLiteral("Enregistrer le dossier (F8)")},
       {"Cmd_DOSSAnnul", QStringLiteral("&Annuler"), nullptr, [this] { cancelDossier(); }},
       {"Cmd_DOSSDelete", QStringLiteral("&Supprimer"), nullptr, [this] { deleteDossier(); }},
       {"Cmd_DOSSDupli", QStringLiteral("D&upliquer"), nullptr, [this] { duplicateDossier(); }},
       {"CMD_REFRESH", QStringLiteral("Rafraîc&hir"), nullptr, [this] { refreshDossiers(); }},
       {"CMD_SOCSUIV", QStringLiteral("Société sui&vante"), nullptr, [this] { nextCompany(); }},
       {"Cmd_Infos",
        QStringLiteral("In&fos"),
        nullptr,
        {},
        QStringLiteral("Informations complémentaires")},
       {},
       {"Cmd_Quitter", QStringLiteral("&Quitter"), &Set::quit}});
  m_add = row.at("Cmd_DOSSADD");
  QPushButton* save = row.at("Cmd_DOSSUpdate");
  m_infosButton = row.at("Cmd_Infos");
  m_infosButton->setEnabled(m_fields.panelUsed());

  // Commands of other parts of the program: enabled once their window is registered.
  QList<QPushButton*> others = {
      otherPartButton("Cmd_MailPDF", QStringLiteral(">> PDF"), "FRM_OptPDF"),
      otherPartButton("CMD_Mail", QStringLiteral("Envoyer un mail"), "FRM_OptPDF"),
      otherPartButton("CMD_Mails", QStringLiteral("Listes de mails"), "FMAILS"),
      otherPartButton("CMD_DernDevis", QStringLiteral("Dernier devis"), "FLIENS"),
      otherPartButton("CMD_Affaire", QStringLiteral("Affaire"), "FLIENS"),
      otherPartButton("Cmd_Images", QStringLiteral("Documents liés"), "FIMAGES"),
      otherPartButton("CMD_Relance", QStringLiteral("Relances"), "FREL"),
      otherPartButton("CMD_StatPDR", QStringLiteral("Stat. prix de revient"), "FLSTAFF")};
  others[0]->setToolTip(QStringLiteral("Envoi devis par mail (PDF)"));
  others[5]->setToolTip(QStringLiteral("Documents liés au devis"));
  others[7]->setToolTip(QStringLiteral("Statistique des prix de revient comparés"));

  QWidget* form = buildForm();
  QWidget* list = buildList();
  QWidget* clientFrame = buildClientList();
  QWidget* vehicleFrame = buildVehicleList();

  m_versions = new VersionFrame(m_state, this);
  m_versions->setGuard([this] { return guard(); });
  m_versions->setDossierPending([this] { return m_adding || m_data->hasChanges(); });
  connect(m_versions, &VersionFrame::versionDateSaved, m_list->viewport(),
          qOverload<>(&QWidget::update));
  connect(m_versions, &VersionFrame::dossierSaveRequested, save,
          [save] { save->setFocus(Qt::OtherFocusReason); });
  connect(m_versions, &VersionFrame::clientFocusRequested, m_code,
          [this] { m_code->setFocus(Qt::OtherFocusReason); });
  connect(m_versions, &VersionFrame::clientDisplaysCleared, this, [this] { clearClient(true); });
  auto* mailing = new FdevMailing(m_state, this, others[0], others[1], others[2]);

  m_duplication = new DuplicationPanel(m_state, this);
  m_duplication->setGuard([this] { return guard(); });
  // The window's own Esc closes the panel: two Esc shortcuts would cancel each other.
  for (auto* s : m_duplication->findChildren<QShortcut*>()) s->setEnabled(false);
  connect(m_duplication, &DuplicationPanel::duplicated, this,
          [this](const QString& company, long number) {
            try {
              m_data->Refresh();
            } catch (const db::DbError& e) {
              ui::showDbError(m_state.messages(), e, kErrors);
            }
            findDossier(company, number);
            m_code->setFocus(Qt::OtherFocusReason);
          });
  m_infos = new CustomFieldsPanel(m_state, m_fields, 3, 15, this);
  for (int n = 3; n <= 15; ++n)
    m_infos->box(n)->setDataSource(m_data, QStringLiteral("TDOS_USER%1").arg(n));
  connect(m_infos, &CustomFieldsPanel::closed, m_infosButton,
          [this] { m_infosButton->setFocus(Qt::OtherFocusReason); });

  row.layout->setSpacing(4);
  auto* otherBar = new QHBoxLayout;
  otherBar->setSpacing(4);
  for (QPushButton* b : others) otherBar->addWidget(b);
  otherBar->addWidget(mailing->previewButton());
  otherBar->addStretch();
  otherBar->addWidget(m_data);

  auto* side = new QVBoxLayout;
  side->addWidget(m_duplication);
  side->addWidget(m_infos);
  side->addWidget(clientFrame, 1);
  side->addWidget(vehicleFrame, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(list, 1);
  top->addLayout(side);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(form, 3);
  bottom->addWidget(m_versions, 2);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  auto* buttons = new QWidget(this);
  buttons->setObjectName("Pic_Boutons_DOSS");
  buttons->setLayout(row.layout);
  layout->addWidget(buttons);
  layout->addLayout(otherBar);
  layout->addLayout(top, 1);
  layout->addLayout(bottom);

  auto* records = new ui::RecordButtons(this, m_data, m_state.messages(), row.set);
  records->setRefusal(kRefusal);
  setRecordButtons(records);

  connect(m_infosButton, &QPushButton::clicked, m_infos, &CustomFieldsPanel::showPanel);
  connect(m_data, &ui::DataControl::repositioned, this, &FDEV::dossierShown);
  connect(m_data, &ui::DataControl::recordsChanged, this, &FDEV::listEmptied);

  const auto key = [this](int k, auto action) {
    auto* s = new QShortcut(QKeySequence(k), this);
    s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(s, &QShortcut::activated, this, action);
  };
  key(Qt::Key_F8, [this] { saveDossier(); });
  key(Qt::Key_F10, [this] { m_versions->saveVersion(); });
  key(Qt::Key_F12, [this] { toggleSize(); });

  QList<QWidget*> chain{m_list,
                        m_company,
                        m_type,
                        m_code,
                        m_contact,
                        m_rep,
                        findChild<QWidget*>("FDOS_CM"),
                        m_operation,
                        findChild<QWidget*>("CTX_STYPTRAV"),
                        m_immat,
                        m_make,
                        m_complement};
  for (int n = 1; n <= 2; ++n) chain << m_user12->box(n);
  chain << row.widgets();
  setTabChain(chain);

  setMenuButton(QStringLiteral("CMD_M_DEVI_DEVIS"));
  openSources();
  finishSetup(m_data);
  // Enter chooses in the lists: ahead of the form's own Enter.
  for (QWidget* w : {static_cast<QWidget*>(m_buffer), static_cast<QWidget*>(m_clientGrid),
                     static_cast<QWidget*>(m_vehicleGrid)}) {
    w->removeEventFilter(this);
    w->installEventFilter(this);
  }
  fillPickers();
  if (!rep.isEmpty()) {
    m_rep->setEnabled(false);
    m_repPicker->hide();
  }
  QString caption = m_state.Traduire(QStringLiteral("TAROVENT - Gestion des devis")) + "   ";
  if (!rep.isEmpty()) caption += " (" + rep + ")";
  setWindowTitle(caption);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    const bool active = now && (now == this || isAncestorOf(now));
    if (active && !m_wasActive) activated();
    m_wasActive = active;
  });
  dossierShown();
}

FDEV::~FDEV() { disconnect(qApp, nullptr, this, nullptr); }

QPushButton* FDEV::otherPartButton(const char* name, const QString& caption, const char* window) {
  QPushButton* b = button(QString::fromLatin1(name), caption);
  b->setEnabled(m_state.windows.has(QString::fromLatin1(window)));
  b->setProperty("opens", QString::fromLatin1(window));
  connect(b, &QPushButton::clicked, this, [this, b] {
    if (guard() && m_state.opener) m_state.opener->openWindow(b->property("opens").toString());
  });
  return b;
}

QWidget* FDEV::buildForm() {
  const auto box = [this](const char* name, const char* field, int width = 0) {
    auto* b = new ui::BoundLineEdit(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setDataSource(m_data, QString::fromLatin1(field));
    if (width > 0) b->setMaximumWidth(width);
    return b;
  };
  m_company = new ui::BoundComboBox(this);
  m_company->setObjectName("DBC_SOC");
  m_company->setDataSource(m_data, "TDOS_SOC");
  m_company->setShownColumn(1);
  m_company->setMinimumWidth(200);
  m_company->setEnabled(false);
  auto* number = box("FDOS_NUMDOSS", "TDOS_NUMDOSS", 80);
  number->setReadOnly(true);
  number->setFocusPolicy(Qt::NoFocus);
  m_type = new ui::BoundComboBox(this);
  m_type->setObjectName("DBC_TYP");
  m_type->setDataSource(m_data, "TDOS_TYPE");
  m_type->setShownColumn(1);
  m_type->setMinimumWidth(180);
  connect(m_type, &QComboBox::activated, this, &FDEV::typeChosen);

  m_code = box("CTX_DOS_CodCli", "TDOS_CLIENT", 120);
  m_code->setToolTip(QStringLiteral("F4 : liste des clients"));
  m_code->installEventFilter(this);
  connect(m_code, &QLineEdit::editingFinished, this, &FDEV::clientLeft);
  auto* listButton = button("Cmd_Lst_CodCli", QStringLiteral("..."));
  listButton->setFixedWidth(30);
  listButton->setToolTip(QStringLiteral("Liste des clients (F4)"));
  listButton->setFocusPolicy(Qt::ClickFocus);
  connect(listButton, &QPushButton::clicked, this, [this] { showClientList(m_code->text()); });
  auto* newClientButton = button("Cmd_NouvCli", QStringLiteral("Nouveau c&lient"));
  connect(newClientButton, &QPushButton::clicked, this, &FDEV::newClient);
  m_clientName = display("FCLI_RS", this);
  m_valid = new QLabel(QStringLiteral("(Client validé)"), this);
  m_valid->setObjectName("CTL_CliValide");
  m_valid->hide();

  m_contact = box("FCLI_Contact", "TDOS_CONTACT", 220);
  m_contactPicker = new QComboBox(this);
  m_contactPicker->setObjectName("DBC_Contact");
  m_contactPicker->setMinimumWidth(160);
  m_contactPicker->setFocusPolicy(Qt::ClickFocus);
  connect(m_contactPicker, &QComboBox::activated, this, &FDEV::contactChosen);
  for (const char* name : {"FCLI_TEL1", "FCLI_FAX1", "FCLI_Portab1", "FCLI_Mail1"})
    m_contactBoxes << display(name, this);

  m_rep = box("FDOS_CAL", "TDOS_CAL", 80);
  connect(m_rep, &QLineEdit::textChanged, this, &FDEV::representativeChanged);
  connect(m_rep, &QLineEdit::editingFinished, this, &FDEV::representativeLeft);
  m_repPicker = new QComboBox(this);
  m_repPicker->setObjectName("DBC_Cal");
  m_repPicker->setMinimumWidth(180);
  m_repPicker->setFocusPolicy(Qt::ClickFocus);
  connect(m_repPicker, &QComboBox::activated, this, [this](int row) {
    m_rep->setText(m_repPicker->itemData(row).toString());
    m_rep->setFocus(Qt::OtherFocusReason);
  });
  auto* cm = box("FDOS_CM", "TDOS_CM");
  m_operation = box("FDOS_RESUME", "TDOS_RESUME");
  auto* operations =
      new PickList(m_state.mainDb(), QStringLiteral("TBUSER_LIBOPE"), m_operation, this);
  operations->setObjectName("BXC_LibOpe");
  operations->setFocusPolicy(Qt::ClickFocus);
  auto* subtype = box("CTX_STYPTRAV", "TDOS_STYPTRAV", 160);
  m_immat = box("FDOS_IMMAT", "TDOS_IMMAT", 140);
  m_immat->setToolTip(QStringLiteral("F4 : liste des véhicules"));
  m_immat->installEventFilter(this);
  auto* vehicleLink = button("CTL_LstImmat", QStringLiteral("Véhicules"));
  vehicleLink->setFlat(true);
  vehicleLink->setFocusPolicy(Qt::ClickFocus);
  connect(vehicleLink, &QPushButton::clicked, this, &FDEV::showVehicles);
  m_make = box("FDOS_NatVeh", "TDOS_NATVEH", 160);
  auto* makes = new PickList(m_state.mainDb(), QStringLiteral("TBUSER_NATVEH"), m_make, this);
  makes->setObjectName("BXC_NatVeh");
  makes->setFocusPolicy(Qt::ClickFocus);
  m_complement = box("FDOS_COMPLIDENT", "TDOS_ComplIdent", 200);
  m_user12 = new CustomFieldsPanel(m_state, m_fields, 1, 2, this);
  for (int n = 1; n <= 2; ++n)
    m_user12->box(n)->setDataSource(m_data, QStringLiteral("TDOS_USER%1").arg(n));

  const auto row = [](std::initializer_list<QWidget*> widgets, bool stretch = true) {
    auto* h = new QHBoxLayout;
    h->setSpacing(4);
    for (QWidget* w : widgets) h->addWidget(w);
    if (stretch) h->addStretch();
    return h;
  };
  auto* f = new QFormLayout;
  f->setVerticalSpacing(3);
  f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  f->addRow(label(QStringLiteral("Soc&iété"), m_company),
            row({m_company, label(QStringLiteral("N°"), number), number,
                 label(QStringLiteral("T&ype"), m_type), m_type}));
  f->addRow(label(QStringLiteral("&Client (F4)"), m_code),
            row({m_code, listButton, m_clientName, m_valid, newClientButton}, false));
  f->addRow(label(QStringLiteral("C&ontact"), m_contact), row({m_contact, m_contactPicker}));
  f->addRow(
      QString(),
      row({m_contactBoxes[0], m_contactBoxes[1], m_contactBoxes[2], m_contactBoxes[3]}, false));
  f->addRow(label(QStringLiteral("Co&mmercial"), m_rep), row({m_rep, m_repPicker}));
  f->addRow(label(QStringLiteral("Cont&remarque"), cm), cm);
  f->addRow(label(QStringLiteral("O&pération"), m_operation),
            row({m_operation, operations}, false));
  f->addRow(label(QStringLiteral("Sous-type"), subtype), subtype);
  f->addRow(label(QStringLiteral("Imma&t. (F4)"), m_immat),
            row({m_immat, vehicleLink, label(QStringLiteral("Marque"), m_make), m_make, makes}));
  f->addRow(label(QStringLiteral("Compl.i&d"), m_complement), m_complement);
  f->addRow(m_user12);
  return group(QStringLiteral("Dossier"), f, this);
}

QWidget* FDEV::buildList() {
  auto* frame = new QWidget(this);
  m_list = new QTableView(frame);
  m_list->setObjectName("DBG_ListeDOSS");
  m_model = new ui::RecordsetModel(m_list);
  new ui::GridLink(m_list, m_model, m_data);
  const auto label = [this](int n, const char* fallback) {
    const QString l = m_fields.definition(n).label;
    return l.isEmpty() ? QString::fromLatin1(fallback) : l;
  };
  new ui::GridColumns(
      m_list, m_model, m_data,
      {gridColumn("TDOS_SOC", QStringLiteral("Soc.")),
       gridColumn("TDOS_NUMDOSS", QStringLiteral("Doss.")),
       gridColumn("TDOS_CLIENT", QStringLiteral("Client")),
       gridColumn("TDOS_TYPE", QStringLiteral("Type")),
       gridColumn("TDOS_STYPTRAV", QStringLiteral("S/Type")),
       gridColumn("TDOS_CAL", QStringLiteral("Cal.")),
       gridColumn("TDOS_USER1", label(1, "Libre 1")), gridColumn("TDOS_USER2", label(2, "Libre 2")),
       gridColumn("TDOS_RESUME", QStringLiteral("Opération")),
       gridColumn(QString(), QStringLiteral("Date")),
       gridColumn("TDOS_CM", QStringLiteral("Contremarque")),
       gridColumn("TDOS_IMMAT", QStringLiteral("Immat.")),
       gridColumn(QString(), QStringLiteral("Nom du client"))},
      {40, 55, 80, 45, 60, 40, 90, 90, 200, 65, 110, 85, 180}, 8);
  m_list->setItemDelegate(new DossierListDelegate(m_cells, kDateColumn, kNameColumn, m_list));
  m_list->verticalHeader()->setDefaultSectionSize(20);
  m_listTools = core::addGridTools(m_state, m_list, m_data);
  auto* tools = button("Cmd_ToolBar", QStringLiteral("Outils"));
  tools->setToolTip(QStringLiteral("Recherche, tri, sélection et export de la liste"));
  connect(tools, &QPushButton::clicked, this, [this, tools] { showToolsMenu(m_list, tools); });
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_list, 1);
  layout->addWidget(tools, 0, Qt::AlignLeft);
  return frame;
}

db::Database& FDEV::clientsDb() {
  core::BaseEntry& clients = m_state.base(core::entry::Commercial);
  return clients.open() ? clients.db : m_state.mainDb();
}

void FDEV::openSources() {
  db::Database& clients = clientsDb();
  for (ui::DataControl* d : {m_clientList, m_vehicles}) d->setDatabase(clients);
  auto& m = m_state.messages();
  try {
    m_reps = clients.OpenRecordset("TCAL", db::RecordsetType::Table, db::rsopt::ReadOnly);
    m_reps.setIndex("PrimaryKey");
    m_clientsByKey = clients.OpenRecordset("TCLI", db::RecordsetType::Table, db::rsopt::ReadOnly);
    m_clientsByKey.setIndex("PrimaryKey");
    m_cells.open(m_state.mainDb(), clients);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
  const QString ctrl = m_state.base(core::entry::Main).folder + QStringLiteral("CTRLPRIX.MDB");
  if (!m_state.base(core::entry::Main).folder.isEmpty() && QFile::exists(ctrl)) {
    try {
      m_ctrlPrix = m_state.workspace.OpenDatabase(ctrl);
    } catch (const db::DbError& e) {
      ui::showDbError(m, e, kErrors);
    }
  }
}

void FDEV::fillPickers() {
  auto& m = m_state.messages();
  const QString rep = m_state.config.salesRep;
  if (m_reps.isOpen()) {
    try {
      if (!rep.isEmpty()) {
        m_reps.Seek("=", rep);
        if (m_reps.NoMatch())
          m.show(m.tr(QStringLiteral("Code commercial <")) + rep +
                     m.tr(QStringLiteral("> inconnu !!!")),
                 ui::Icon::Warning);
        else
          m_repPicker->addItem(rep + '\t' + m_reps.text("TCAL_NOM"), rep);
      } else {
        for (m_reps.MoveFirst(); !m_reps.EOF_(); m_reps.MoveNext())
          m_repPicker->addItem(m_reps.text("TCAL_CODE") + '\t' + m_reps.text("TCAL_NOM"),
                               m_reps.text("TCAL_CODE"));
      }
    } catch (const db::DbError& e) {
      ui::showDbError(m, e, kErrors);
    }
    m_repPicker->setCurrentIndex(-1);
  }
  try {
    m_company->setRowSource(m_state.mainDb(),
                            "select TSOC_CODE, TSOC_LIB from TSOC order by TSOC_CODE");
    m_type->setRowSource(m_state.mainDb(),
                         "select TTYP_CODE, TTYP_LIB from TTYP order by "
                         "TTYP_Desactive DESC, TTYP_LIB");
    db::Recordset types = m_state.mainDb().OpenRecordset(
        dossierSql::quoteTypes(), db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !types.EOF_(); types.MoveNext())
      if (types.flag("TTYP_Desactive")) m_retiredTypes.insert(types.text("TTYP_CODE").toUpper());
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
  m_data->showRecord();
}

DossierKey FDEV::currentDossier() {
  DossierKey key;
  db::Recordset& rs = m_data->Recordset();
  if (m_adding || !rs.isOpen() || rs.BOF() || rs.EOF_()) return key;
  key.company = rs.text("TDOS_SOC");
  key.number = long(rs.number("TDOS_NUMDOSS"));
  key.type = rs.text("TDOS_TYPE");
  key.client = rs.text("TDOS_CLIENT");
  return key;
}

QString FDEV::companyShown() const { return m_company->code().trimmed(); }

bool FDEV::guard() {
  if (!ui::hasPendingChanges(this)) return true;
  m_state.messages().show(m_state.Traduire(kRefusal), ui::Icon::Warning);
  return false;
}

void FDEV::dossierShown() {
  if (!m_adding) m_company->setEnabled(false);
  const DossierKey key = currentDossier();
  if (!m_adding) {
    if (key.present()) {
      loadClient(key.client, true);
      showContact(m_contact->text());
    } else {
      clearClient(true);
    }
    m_state.quote.representativeName.clear();
    representativeChanged();
  }
  if (!m_repositioning && !m_adding) m_versions->loadVersions(key);
  if (!m_adding && !key.present() && isVisible()) m_add->setFocus(Qt::OtherFocusReason);
}

void FDEV::representativeChanged() {
  const QString code = m_rep->text().trimmed();
  m_state.quote.representativeName.clear();
  if (code.isEmpty() || !m_reps.isOpen()) return;
  try {
    m_reps.Seek("=", code);
    if (!m_reps.NoMatch()) m_state.quote.representativeName = m_reps.text("TCAL_NOM");
  } catch (const db::DbError&) {
    // The name is only a convenience for the composition.
  }
}

void FDEV::representativeLeft() {
  const QString code = m_rep->text().trimmed();
  if (code.isEmpty() || !m_reps.isOpen()) return;
  try {
    m_reps.Seek("=", code);
    if (!m_reps.NoMatch()) return;
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
    return;
  }
  m_state.messages().show(m_state.Traduire(QStringLiteral("Commercial inconnu")),
                          ui::Icon::Warning);
  m_rep->clear();
  QMetaObject::invokeMethod(
      this, [this] { m_rep->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

void FDEV::typeChosen(int) {
  if (!m_retiredTypes.contains(m_type->code().toUpper())) return;
  auto& m = m_state.messages();
  if (m.ask(
          m.tr(QStringLiteral("Ce modèle a été désactivé. Désirez-vous l'utiliser quand même ??")),
          ui::Buttons::OkCancel) == ui::Answer::Ok)
    return;
  m_type->setCurrentIndex(-1);
  m_type->setFocus(Qt::OtherFocusReason);
}

void FDEV::newDossier() {
  auto& m = m_state.messages();
  try {
    if (!quoteTypesExist(m_state.mainDb())) {
      m.show(m.tr(QStringLiteral("Vous devez préalablement créer vos modèles (Types de devis)")),
             ui::Icon::Warning);
      return;
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
    return;
  }
  if (!guard()) return;
  m_duplication->hide();
  try {
    if (!m_adding) {
      m_adding = true;
      m_data->AddNew();
      clearClient(true);
      if (!m_state.config.salesRep.isEmpty()) m_rep->setText(m_state.config.salesRep);
      m_company->setEnabled(true);
      m_versions->showNewDossier();
    }
    m_company->setRowSource(m_state.mainDb(),
                            "select TSOC_CODE, TSOC_LIB from TSOC where "
                            "TSOC_Desactive=false order by TSOC_CODE");
    m_company->setCurrentIndex(-1);
    const QString company = m_state.config.defaultCompany;
    if (!company.isEmpty()) m_company->setCode(company);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
  m_company->setFocus(Qt::OtherFocusReason);
}

bool FDEV::saveDossier() {
  auto& m = m_state.messages();
  if (!m_adding && m_versions->isVisible() &&
      (m_versions->isAdding() || m_versions->data()->hasChanges()))
    m_versions->saveVersion();
  const QString rep = m_state.config.salesRep;
  if (!rep.isEmpty() && m_rep->text() != rep) m_rep->setText(rep);
  const QString company = companyShown();
  if (company.isEmpty() || m_code->text().trimmed().isEmpty() ||
      m_type->code().trimmed().isEmpty()) {
    m.show(m.tr(QStringLiteral("Données incomplètes, enregistrement impossible")),
           ui::Icon::Warning);
    return false;
  }
  try {
    if (!m_adding) {
      m_data->UpdateRecord();
      m_company->setEnabled(false);
      m_code->setFocus(Qt::OtherFocusReason);
      m_list->viewport()->update();
      return true;
    }
    NewDossier d;
    d.company = company;
    d.client = m_code->text();
    d.type = m_type->code();
    d.rep = m_rep->text();
    d.contact = m_contact->text();
    d.summary = m_operation->text();
    for (auto* b : findChildren<ui::BoundLineEdit*>()) {
      const QString field = b->dataField().toUpper();
      if (b->dataSource() != m_data || b->text().trimmed().isEmpty()) continue;
      if (field == "TDOS_NUMDOSS" || field == "TDOS_CLIENT" || field == "TDOS_CAL" ||
          field == "TDOS_CONTACT" || field == "TDOS_RESUME")
        continue;
      d.otherFields.insert(b->dataField(), b->text().trimmed());
    }
    DossierCreation creation(m_state.mainDb(), clientsDb(), m);
    const DossierCreation::Result r = creation.create(d);
    if (!r.saved()) {
      m.show(r.refusal, ui::Icon::Warning);
      return false;
    }
    m_adding = false;
    m_data->CancelUpdate();
    m_company->setRowSource(m_state.mainDb(),
                            "select TSOC_CODE, TSOC_LIB from TSOC order by TSOC_CODE");
    m_repositioning = true;
    m_data->Refresh();
    findDossier(r.company, r.number);
    m_repositioning = false;
    m_versions->loadVersions(currentDossier());
  } catch (const db::DbError& e) {
    m_repositioning = false;
    ui::showDbError(m, e, kErrors);
    return false;
  }
  if (auto* next = findChild<QWidget*>("Cmd_DevADD"); next && next->isEnabled())
    next->setFocus(Qt::OtherFocusReason);
  else
    m_list->setFocus(Qt::OtherFocusReason);
  return true;
}

void FDEV::findDossier(const QString& company, long number) {
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || (rs.BOF() && rs.EOF_())) return;
  rs.FindFirst(dossierSql::dossier(company, number));
  if (rs.NoMatch()) {
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Erreur interne : dossier inaccessible")),
        ui::Icon::Warning);
    rs.MoveFirst();
  }
  m_data->showRecord();
}

void FDEV::cancelDossier() {
  try {
    if (m_adding) {
      m_adding = false;
      m_company->setRowSource(m_state.mainDb(),
                              "select TSOC_CODE, TSOC_LIB from TSOC order by TSOC_CODE");
    }
    m_data->CancelUpdate();
    for (auto* b : m_data->boundControls()) b->setDataChanged(false);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_duplication->hide();
  m_company->setEnabled(false);
  m_code->setFocus(Qt::OtherFocusReason);
}

void FDEV::deleteDossier() {
  auto& m = m_state.messages();
  const DossierKey key = currentDossier();
  if (!key.present() || m_adding) {
    m.beep();
    if (!m_adding) m_add->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (m.ask(m.tr(QStringLiteral("Confirmer la suppression du dossier")), ui::Buttons::YesNo) !=
      ui::Answer::Yes) {
    m_company->setFocus(Qt::OtherFocusReason);
    return;
  }
  const QStringList documents =
      dossierDocuments(m_state.base(core::entry::Main).folder, key.company, key.number);
  if (!documents.isEmpty()) {
    if (m.ask(m.tr(QStringLiteral("Les textes des devis de ce dossier vont être supprimés")),
              ui::Buttons::YesNo) != ui::Answer::Yes)
      return;
    for (const QString& file : documents) QFile::remove(file);
  }
  try {
    for (auto* b : m_data->boundControls()) b->setDataChanged(false);
    if (m_data->Recordset().RecordCount() > 1) {
      m_data->Delete();
    } else {
      // The last one: nothing to move to, the empty list is read again.
      m_data->Recordset().Delete();
      m_data->Refresh();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
    return;
  }
  if (m_data->Recordset().RecordCount() == 0) {
    m_versions->loadVersions({});
    m_add->setFocus(Qt::OtherFocusReason);
  } else {
    m_list->setFocus(Qt::OtherFocusReason);
  }
}

void FDEV::refreshDossiers() {
  if (!guard()) return;
  if (m_adding) {
    m_state.messages().beep();
    m_company->setFocus(Qt::OtherFocusReason);
    return;
  }
  const DossierKey key = currentDossier();
  try {
    m_data->Refresh();
    if (key.present()) findDossier(key.company, key.number);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_code->setFocus(Qt::OtherFocusReason);
}

void FDEV::nextCompany() {
  if (!m_data->leaveRecord()) return;
  const DossierKey key = currentDossier();
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || (rs.BOF() && rs.EOF_())) return;
  try {
    rs.FindFirst(dossierSql::nextCompany(key.company));
    if (rs.NoMatch()) rs.MoveFirst();
    m_data->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kErrors);
  }
  m_list->setFocus(Qt::OtherFocusReason);
}

void FDEV::duplicateDossier() {
  const DossierKey key = currentDossier();
  if (!key.present()) {
    m_state.messages().beep();
    return;
  }
  int sequence = -1;
  db::Recordset& versions = m_versions->data()->Recordset();
  if (m_versions->hasVersions() && versions.isOpen() && !versions.BOF() && !versions.EOF_())
    sequence = int(versions.number("TDEV_NSEQ"));
  m_vehicleFrame->hide();
  m_clientFrame->hide();
  m_duplication->open(key.company, key.number, sequence);
}

void FDEV::newClient() {
  if (!m_state.windows.has(QStringLiteral("FCLIDEV")) || !m_state.opener) {
    m_state.messages().beep();
    return;
  }
  m_state.clientCreationRequest = true;
  m_state.lastCreatedClient.clear();
  m_state.opener->openWindow(QStringLiteral("FCLIDEV"));
  for (QWidget* w : QApplication::allWidgets()) {
    if (w->objectName() != QLatin1String("FCLIDEV") || !w->isVisible()) continue;
    if (auto* add = w->findChild<QPushButton*>(QStringLiteral("Cmd_ADD"))) add->click();
    break;
  }
}

void FDEV::activated() {
  auto& m = m_state.messages();
  if (m_state.clientCreationRequest) {
    m_state.clientCreationRequest = false;
    try {
      m_clientList->Refresh();
      if (m_clientList->Recordset().EOF_())
        m.show(m.tr(QStringLiteral("La table des clients est vide.")), ui::Icon::Information);
    } catch (const db::DbError& e) {
      ui::showDbError(m, e, kErrors);
    }
    const QString created = m_state.lastCreatedClient;
    if (!created.isEmpty() && (m_adding || currentDossier().present())) {
      m_code->setText(created);
      m_contact->clear();
      loadClient(created, true);
      m_contact->setFocus(Qt::OtherFocusReason);
    }
  }
  if (m_state.dossierRequested) {
    m_state.dossierRequested = false;
    if (guard()) {
      try {
        findDossier(m_state.quote.company, m_state.quote.dossier);
      } catch (const db::DbError& e) {
        ui::showDbError(m, e, kErrors);
      }
    }
  }
}

void FDEV::toggleSize() {
  // Remembered by the application until the program ends.
  const bool normal = !qApp->property("FDEV_normalSize").toBool();
  qApp->setProperty("FDEV_normalSize", normal);
  QWidget* w = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
  if (normal)
    w->showNormal();
  else
    w->showMaximized();
}

void FDEV::showToolsMenu(QTableView* grid, QPushButton* button) {
  core::GridTools* tools = grid == m_list ? m_listTools : m_clientTools;
  QMenu menu(button);
  const std::pair<QString, core::GridAction> actions[] = {
      {QStringLiteral("&Rechercher"), core::GridAction::Search},
      {QStringLiteral("&Trier"), core::GridAction::Sort},
      {QStringLiteral("&Sélectionner"), core::GridAction::Select},
      {QStringLiteral("&Imprimer"), core::GridAction::Print},
      {QStringLiteral("&Exporter"), core::GridAction::Export}};
  for (const auto& [caption, action] : actions)
    connect(menu.addAction(caption), &QAction::triggered, tools,
            [tools, action] { tools->run(action); });
  menu.exec(button->mapToGlobal(QPoint(0, button->height())));
}

void FDEV::listEmptied() {
  const QString full = dossierSql::dossiers(m_state.config.salesRep);
  if (m_data->RecordSource() == full || !m_data->isOpen()) return;
  if (m_data->Recordset().RecordCount() != 0) return;
  m_data->setRecordSource(full);
  QMetaObject::invokeMethod(
      this,
      [this] {
        try {
          m_data->Refresh();
        } catch (const db::DbError& e) {
          ui::showDbError(m_state.messages(), e, kErrors);
        }
        m_list->setFocus(Qt::OtherFocusReason);
      },
      Qt::QueuedConnection);
}

void FDEV::showEvent(QShowEvent* e) {
  RecordWindow::showEvent(e);
  if (m_adding) return;
  if (currentDossier().present())
    m_list->setFocus(Qt::OtherFocusReason);
  else
    m_add->setFocus(Qt::OtherFocusReason);
}

void FDEV::escape() {
  if (m_clientFrame->isVisible()) {
    m_clientFrame->hide();
    m_code->setFocus(Qt::OtherFocusReason);
  } else if (m_vehicleFrame->isVisible()) {
    m_vehicleFrame->hide();
    m_immat->setFocus(Qt::OtherFocusReason);
  } else if (m_duplication->isVisible()) {
    m_duplication->hide();
  } else if (m_infos->isVisible()) {
    m_infos->hide();
    m_infosButton->setFocus(Qt::OtherFocusReason);
  } else {
    RecordWindow::escape();
  }
}

bool FDEV::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_code && isKey(event, Qt::Key_F4)) {
    showClientList(m_code->text());
    return true;
  }
  if (watched == m_immat && isKey(event, Qt::Key_F4)) {
    showVehicles();
    return true;
  }
  if ((watched == m_clientGrid || watched == m_buffer) && isEnter(event)) {
    chooseClient();
    return true;
  }
  if (watched == m_buffer && isKey(event, Qt::Key_Down)) {
    m_clientGrid->setFocus(Qt::OtherFocusReason);
    return true;
  }
  if (watched == m_vehicleGrid && isEnter(event)) {
    chooseVehicle();
    return true;
  }
  return RecordWindow::eventFilter(watched, event);
}

}  // namespace tarovent::dossiers
