// FDEV's form and dossier list as built, the pickers beside them and the checks made as the
// sales representative and the quote type are entered.
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "CustomFieldsPanel.h"
#include "FDEV.h"
#include "PickList.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/RecordsetModel.h"

namespace tarovent::dossiers {

namespace {

using ui::gridColumn;

// A column worked out from its row when it is shown, printed or exported; a row that cannot be
// read leaves it blank and the list usable.
ui::GridColumn computed(const QString& header, std::function<QString(const ui::RowValue&)> cell,
                        const QString& sortKey) {
  ui::GridColumn c = gridColumn(QString(), header);
  c.sortKey = sortKey;
  c.compute = [cell = std::move(cell)](const ui::RowValue& v) {
    try {
      return cell(v);
    } catch (const db::DbError&) {
      return QString();
    }
  };
  return c;
}

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

ui::BoundLineEdit* boundBox(QWidget* parent, ui::DataControl* data, const char* name,
                            const char* field, int width = 0) {
  auto* b = new ui::BoundLineEdit(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setDataSource(data, QString::fromLatin1(field));
  if (width > 0) b->setMaximumWidth(width);
  return b;
}

QHBoxLayout* rowOf(std::initializer_list<QWidget*> widgets, bool stretch = true) {
  auto* h = new QHBoxLayout;
  h->setSpacing(4);
  for (QWidget* w : widgets) h->addWidget(w);
  if (stretch) h->addStretch();
  return h;
}

}  // namespace

QWidget* FDEV::buildForm() {
  auto* f = new QFormLayout;
  f->setVerticalSpacing(3);
  f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  addCompanyRow(f);
  addClientRows(f);
  addRepresentativeRow(f);
  addWorkRows(f);
  f->addRow(m_user12);
  return group(QStringLiteral("Dossier"), f, this);
}

void FDEV::addCompanyRow(QFormLayout* f) {
  m_company = new ui::BoundComboBox(this);
  m_company->setObjectName("DBC_SOC");
  m_company->setDataSource(m_data, "TDOS_SOC");
  m_company->setShownColumn(1);
  m_company->setMinimumWidth(200);
  m_company->setEnabled(false);
  auto* number = boundBox(this, m_data, "FDOS_NUMDOSS", "TDOS_NUMDOSS", 80);
  number->setReadOnly(true);
  number->setFocusPolicy(Qt::NoFocus);
  m_type = new ui::BoundComboBox(this);
  m_type->setObjectName("DBC_TYP");
  m_type->setDataSource(m_data, "TDOS_TYPE");
  m_type->setShownColumn(1);
  m_type->setMinimumWidth(180);
  connect(m_type, &QComboBox::activated, this, &FDEV::typeChosen);
  f->addRow(label(QStringLiteral("Soc&iété"), m_company),
            rowOf({m_company, label(QStringLiteral("N°"), number), number,
                   label(QStringLiteral("T&ype"), m_type), m_type}));
  m_holders = new QLabel(this);
  m_holders->setObjectName("Lbl_Occupation");
  m_holders->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
  m_holders->setWordWrap(true);
  m_holders->hide();
  f->addRow(m_holders);
}

void FDEV::addClientRows(QFormLayout* f) {
  m_code = boundBox(this, m_data, "CTX_DOS_CodCli", "TDOS_CLIENT", 120);
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

  m_contact = boundBox(this, m_data, "FCLI_Contact", "TDOS_CONTACT", 220);
  m_contactPicker = new QComboBox(this);
  m_contactPicker->setObjectName("DBC_Contact");
  m_contactPicker->setMinimumWidth(160);
  m_contactPicker->setFocusPolicy(Qt::ClickFocus);
  connect(m_contactPicker, &QComboBox::activated, this, &FDEV::contactChosen);
  for (const char* name : {"FCLI_TEL1", "FCLI_FAX1", "FCLI_Portab1", "FCLI_Mail1"})
    m_contactBoxes << display(name, this);
  f->addRow(label(QStringLiteral("&Client (F4)"), m_code),
            rowOf({m_code, listButton, m_clientName, m_valid, newClientButton}, false));
  f->addRow(label(QStringLiteral("C&ontact"), m_contact), rowOf({m_contact, m_contactPicker}));
  f->addRow(
      QString(),
      rowOf({m_contactBoxes[0], m_contactBoxes[1], m_contactBoxes[2], m_contactBoxes[3]}, false));
}

void FDEV::addRepresentativeRow(QFormLayout* f) {
  m_rep = boundBox(this, m_data, "FDOS_CAL", "TDOS_CAL", 80);
  connect(m_rep, &QLineEdit::textChanged, this, &FDEV::representativeChanged);
  connect(m_rep, &QLineEdit::editingFinished, this, &FDEV::representativeLeft);
  m_repPicker = new QComboBox(this);
  m_repPicker->setObjectName("DBC_Cal");
  m_repPicker->setMinimumWidth(180);
  // The names are read whole: the box grows to the longest.
  m_repPicker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_repPicker->setFocusPolicy(Qt::ClickFocus);
  connect(m_repPicker, &QComboBox::activated, this, [this](int row) {
    m_rep->setText(m_repPicker->itemData(row).toString());
    m_rep->setFocus(Qt::OtherFocusReason);
  });
  f->addRow(label(QStringLiteral("Co&mmercial"), m_rep), rowOf({m_rep, m_repPicker}));
}

void FDEV::addWorkRows(QFormLayout* f) {
  auto* cm = boundBox(this, m_data, "FDOS_CM", "TDOS_CM");
  m_operation = boundBox(this, m_data, "FDOS_RESUME", "TDOS_RESUME");
  auto* operations =
      new PickList(m_state.mainDb(), QStringLiteral("TBUSER_LIBOPE"), m_operation, this);
  operations->setObjectName("BXC_LibOpe");
  operations->setFocusPolicy(Qt::ClickFocus);
  auto* subtype = boundBox(this, m_data, "CTX_STYPTRAV", "TDOS_STYPTRAV", 160);
  m_immat = boundBox(this, m_data, "FDOS_IMMAT", "TDOS_IMMAT", 140);
  m_immat->setToolTip(QStringLiteral("F4 : liste des véhicules"));
  m_immat->installEventFilter(this);
  auto* vehicleLink = button("CTL_LstImmat", QStringLiteral("Véhicules"));
  vehicleLink->setFlat(true);
  vehicleLink->setFocusPolicy(Qt::ClickFocus);
  connect(vehicleLink, &QPushButton::clicked, this, &FDEV::showVehicles);
  m_make = boundBox(this, m_data, "FDOS_NatVeh", "TDOS_NATVEH", 160);
  auto* makes = new PickList(m_state.mainDb(), QStringLiteral("TBUSER_NATVEH"), m_make, this);
  makes->setObjectName("BXC_NatVeh");
  makes->setFocusPolicy(Qt::ClickFocus);
  m_complement = boundBox(this, m_data, "FDOS_COMPLIDENT", "TDOS_ComplIdent", 200);
  m_user12 = new CustomFieldsPanel(m_state, m_fields, 1, 2, this);
  for (int n = 1; n <= 2; ++n)
    m_user12->box(n)->setDataSource(m_data, QStringLiteral("TDOS_USER%1").arg(n));
  f->addRow(label(QStringLiteral("Contremarque"), cm), cm);
  f->addRow(label(QStringLiteral("Opération"), m_operation),
            rowOf({m_operation, operations}, false));
  f->addRow(label(QStringLiteral("Sous-type"), subtype), subtype);
  f->addRow(label(QStringLiteral("Immat. (F4)"), m_immat),
            rowOf({m_immat, vehicleLink, label(QStringLiteral("Marque"), m_make), m_make, makes}));
  f->addRow(label(QStringLiteral("Compl.i&d"), m_complement), m_complement);
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
       computed(
           QStringLiteral("Date"),
           [this](const ui::RowValue& v) {
             return m_cells.lastVersionDate(v("TDOS_SOC").toString(),
                                            v("TDOS_NUMDOSS").toLongLong());
           },
           QStringLiteral("(SELECT V.TDEV_DATE FROM TDEV AS V WHERE V.TDEV_SOC = "
                          "TDOS.TDOS_SOC AND V.TDEV_NUMDOSS = TDOS.TDOS_NUMDOSS AND "
                          "V.TDEV_NSEQ = (SELECT Max(W.TDEV_NSEQ) FROM TDEV AS W WHERE "
                          "W.TDEV_SOC = TDOS.TDOS_SOC AND W.TDEV_NUMDOSS = "
                          "TDOS.TDOS_NUMDOSS))")),
       gridColumn("TDOS_CM", QStringLiteral("Contremarque")),
       gridColumn("TDOS_IMMAT", QStringLiteral("Immat.")),
       computed(
           QStringLiteral("Nom du client"),
           [this](const ui::RowValue& v) {
             return m_cells.clientName(v("TDOS_CLIENT").toString());
           },
           "(SELECT C.TCLI_RS FROM " + clientsTable() +
               " AS C WHERE C.TCLI_CODE = TDOS.TDOS_CLIENT)")},
      {40, 55, 80, 45, 100, 40, 105, 105, 200, 65, 110, 85, 180}, 8);
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

QString FDEV::clientsTable() const {
  const core::BaseEntry& clients = m_state.base(core::entry::Commercial);
  return clients.open() ? '[' + clients.path() + "].TCLI" : QStringLiteral("TCLI");
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
  if (!m_state.base(core::entry::Main).folder.isEmpty()) {
    try {
      if (m_state.workspace.exists(ctrl)) m_ctrlPrix = m_state.workspace.OpenDatabase(ctrl);
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
    offerTypes(false);
    db::Recordset types = m_state.mainDb().OpenRecordset(
        dossierSql::quoteTypes(), db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !types.EOF_(); types.MoveNext())
      if (types.flag("TTYP_Desactive")) m_retiredTypes.insert(types.text("TTYP_CODE").toUpper());
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kErrors);
  }
  m_data->showRecord();
}

void FDEV::offerTypes(bool activeOnly) {
  m_type->setRowSource(m_state.mainDb(), activeOnly
                                             ? "select TTYP_CODE, TTYP_LIB from TTYP where "
                                               "TTYP_Desactive=false order by TTYP_LIB"
                                             : "select TTYP_CODE, TTYP_LIB from TTYP order by "
                                               "TTYP_Desactive DESC, TTYP_LIB");
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

}  // namespace tarovent::dossiers
