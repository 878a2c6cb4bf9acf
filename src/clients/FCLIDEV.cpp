#include "FCLIDEV.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ClientRules.h"
#include "core/GridTools.h"
#include "core/NewMailCommand.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundCheckBox.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/BoundTextEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"

namespace tarovent::clients {
namespace {

using ui::gridColumn;

const QString kClientErrors = QStringLiteral("DBD_Cli : ");
const QString kCategoryErrors = QStringLiteral("Catégories : ");

QGroupBox* group(const QString& title, QLayout* content, QWidget* parent) {
  auto* g = new QGroupBox(title, parent);
  g->setLayout(content);
  return g;
}

QFormLayout* form() {
  auto* f = new QFormLayout;
  f->setVerticalSpacing(3);
  f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return f;
}

}  // namespace

FCLIDEV::FCLIDEV(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FCLIDEV"), QStringLiteral("Fiches clients"), 2100,
                   parent) {
  m_data = dataControl("DBD_Cli", "select * from TCLI order by TCLI_CODE");
  m_data->setCaptionPrefix(QStringLiteral("Fiche Client : "));
  m_data->setErrorPrefix(kClientErrors);
  m_contacts = dataControl("DBD_Contact", contactsSql(QString()));
  m_contacts->setErrorPrefix(kClientErrors);
  m_contacts->hide();
  m_visits = dataControl("DBD_Vis", visitsSql(QString(), VisitFilter::All));
  m_visits->setReadOnly(true);
  m_visits->hide();

  using Set = ui::RecordButtonSet;
  ui::ButtonRow row = buttonRow(
      Qt::Horizontal,
      {{"Cmd_ADD", QStringLiteral("&Ajouter"), &Set::add},
       {"Cmd_Update",
        QStringLiteral("&Enregistrer"),
        &Set::save,
        {},
        QStringLiteral("Enregistrer (F10)")},
       {"Cmd_Annul", QStringLiteral("A&nnuler"), &Set::cancel},
       {"Cmd_Delete", QStringLiteral("&Supprimer"), nullptr, [this] { removeClient(); }},
       {"CMD_REFRESH", QStringLiteral("Rafraîc&hir"), nullptr, [this] { refreshClient(); }},
       {"Cmd_Liste", QStringLiteral("&Liste"), &Set::list},
       {"Cmd_Suivis", QStringLiteral("&Visites"), nullptr, [this] { toggleVisits(); }},
       {"Cmd_memo", QStringLiteral("&Mémo"), nullptr,
        [this] {
          m_memo->setGeometry(m_data->x() + 40, m_data->y() + 50, 520, 300);
          m_memo->setVisible(!m_memo->isVisible());
          m_memo->raise();
          if (m_memo->isVisible()) m_memo->setFocus(Qt::OtherFocusReason);
        }},
       {"Cmd_Quitter", QStringLiteral("&Quitter"), nullptr, [this] { quit(); }},
       {}});
  m_add = row.at("Cmd_ADD");

  QWidget* record = buildRecord();
  QWidget* contacts = buildContacts();
  QWidget* listFrame = buildList();
  QWidget* visitsFrame = buildVisits();

  row.layout->insertWidget(0, m_data);
  auto* left = new QVBoxLayout;
  left->addWidget(record);
  left->addWidget(contacts, 1);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 1);
  middle->addWidget(listFrame);
  middle->addWidget(visitsFrame);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(row.layout);
  layout->addLayout(middle, 1);

  // The memo opens over the record; Esc hides it.
  m_memo->setParent(this);
  m_memo->setObjectName("CTX_TCLI_MEMO");
  m_memo->hide();

  auto* records = recordButtons(m_data, row.set, m_code);
  lockSavedCode(m_code);
  records->setDeleteQuestion(QStringLiteral("Confirmer la suppression"));
  records->setSaveCheck([this] { return readyToSave(); });
  records->setDeleteCheck([this] { return deletable(); });
  connect(records, &ui::RecordButtons::added, this, [this] {
    m_payment->setCode(QStringLiteral("CHQ"));
    if (m_terms->count() > 0) m_terms->setCurrentIndex(0);
    loadContacts();
    m_newContact->show();
  });
  connect(records, &ui::RecordButtons::cancelled, this, [this] {
    cancelContact();
    m_code->setFocus(Qt::OtherFocusReason);
  });
  connect(records, &ui::RecordButtons::listRequested, this, &FCLIDEV::toggleList);
  connect(m_data, &ui::DataControl::repositioned, this, [this] {
    // Saving shows the same client again: the contact being entered stays for the save.
    if (m_data->EditMode() != db::EditMode::Add && recordCode() != m_contactsOf) loadContacts();
    if (m_visitsFrame->isVisible()) loadVisits();
  });

  QList<QWidget*> chain;
  for (QWidget* w : record->findChildren<QWidget*>())
    if ((w->focusPolicy() & Qt::TabFocus) && w->window() == window()) chain << w;  // no popups
  chain << contacts->findChild<QTableView*>();
  for (const char* n :
       {"CTX_CONTACT_Nom", "CTX_CONTACT_Fonct", "CTX_CONTACT_Tel", "CTX_CONTACT_Fax",
        "CTX_CONTACT_Portab", "CTX_CONTACT_mail", "CMD_MailContact", "CMD_NouvContact",
        "CMD_OKNouvContact", "CMD_AnnuleNouvContact"})
    chain << findChild<QWidget*>(n);
  chain << row.widgets();
  setTabChain(chain);

  setMenuButton(QStringLiteral("CMD_M_CLIDEV"));
  pointAtClientDatabase();
  finishSetup(m_data);
  fillLists();
  loadContacts();
}

ui::BoundLineEdit* FCLIDEV::box(const char* name, const char* field, int width) {
  auto* b = new ui::BoundLineEdit(this);
  b->setObjectName(QString::fromLatin1(name));
  b->setDataSource(m_data, QString::fromLatin1(field));
  if (width > 0) b->setMaximumWidth(width);
  return b;
}

QWidget* FCLIDEV::buildRecord() {
  auto* w = new QWidget(this);
  m_code = box("CTX_TCLI_CODE", "TCLI_CODE", 120);
  m_code->installEventFilter(this);
  connect(m_code, &QLineEdit::textEdited, this, &FCLIDEV::codeEdited);
  connect(m_code, &QLineEdit::editingFinished, this, &FCLIDEV::codeLeft);
  auto* name = box("CTX_TCLI_RS", "TCLI_RS");
  auto* a1 = box("CTX_TCLI_ADR1", "TCLI_ADR1");
  auto* a2 = box("CTX_TCLI_ADR2", "TCLI_ADR2");
  auto* a3 = box("CTX_TCLI_ADR3", "TCLI_ADR3");
  auto* postal = box("CTX_TCLI_CODP", "TCLI_CODP", 90);
  auto* town = box("CTX_TCLI_VILLE", "TCLI_VILLE");
  auto* country = box("CTX_TCLI_PAYS", "TCLI_PAYS", 60);
  country->setToolTip(QStringLiteral("F4 : liste des pays"));
  country->installEventFilter(this);
  auto* tel = box("CTX_TCLI_TEL1", "TCLI_TEL1", 160);
  auto* fax = box("CTX_TCLI_FAX1", "TCLI_FAX1", 160);
  auto* mail = box("CTX_TCLI_EMAIL", "TCLI_EMAIL");
  auto* mailButton = button("CMD_Mail", QStringLiteral("Envoyer un mail"));
  mailButton->setToolTip(QStringLiteral("Nouveau message au client"));
  connect(mailButton, &QPushButton::clicked, this, [this, mail] { mailTo(mail); });

  auto* identity = form();
  identity->addRow(label(QStringLiteral("&Code"), m_code), m_code);
  identity->addRow(label(QStringLiteral("&Raison sociale"), name), name);
  identity->addRow(label(QStringLiteral("A&dresse"), a1), a1);
  identity->addRow(QString(), a2);
  identity->addRow(QString(), a3);
  auto* townRow = new QHBoxLayout;
  townRow->addWidget(postal);
  townRow->addWidget(label(QStringLiteral("V&ille"), town));
  townRow->addWidget(town, 1);
  identity->addRow(label(QStringLiteral("Code &postal"), postal), townRow);
  identity->addRow(label(QStringLiteral("Pa&ys (F4)"), country), country);
  auto* phones = new QHBoxLayout;
  phones->addWidget(tel);
  phones->addWidget(label(QStringLiteral("Fa&x"), fax));
  phones->addWidget(fax);
  phones->addStretch();
  identity->addRow(label(QStringLiteral("&Téléphone"), tel), phones);
  auto* mailRow = new QHBoxLayout;
  mailRow->addWidget(mail, 1);
  mailRow->addWidget(mailButton);
  identity->addRow(label(QStringLiteral("E-mail"), mail), mailRow);

  auto* contact = box("CTX_TCLI_CONTACT1", "TCLI_CONTACT1");
  auto* function = box("CTX_TCLI_FONCT1", "TCLI_FONCT1");
  auto* mobile = box("CTX_TCLI_Portab1", "TCLI_Portab1", 160);
  auto* contactMail = box("CTX_TCLI_EMail1", "TCLI_EMail1");
  auto* main = form();
  main->addRow(label(QStringLiteral("N&om"), contact), contact);
  main->addRow(label(QStringLiteral("&Fonction"), function), function);
  main->addRow(label(QStringLiteral("Porta&ble"), mobile), mobile);
  main->addRow(label(QStringLiteral("E-mail du contact"), contactMail), contactMail);

  m_category = new ui::BoundComboBox(this);
  m_category->setObjectName("DBC_Categ");
  m_category->setDataSource(m_data, "TCLI_Categ");
  m_payment = new ui::BoundComboBox(this);
  m_payment->setObjectName("DBC_ModPaie");
  m_payment->setDataSource(m_data, "TCLI_ModPaie");
  m_terms = new ui::BoundComboBox(this);
  m_terms->setObjectName("DBC_CondPaie");
  m_terms->setDataSource(m_data, "TCLI_CondPaie");
  for (ui::BoundComboBox* c : {m_category, m_payment, m_terms}) {
    c->setShownColumn(1);
    c->setMaximumWidth(260);
  }
  auto* discount = new ui::NumberBox(this);
  discount->setObjectName("CTX_TCLI_PCRemise");
  discount->setMessages(&m_state.messages());
  discount->setDataSource(m_data, "TCLI_PCRemise");
  discount->setMaximumWidth(90);
  auto* labour = new ui::NumberBox(this);
  labour->setObjectName("CTX_TCLI_TauxMDO");
  labour->setMessages(&m_state.messages());
  labour->setDataSource(m_data, "TCLI_TauxMDO");
  labour->setMaximumWidth(90);
  auto* vat = box("CTX_TCLI_TVAIntra", "TCLI_TVAIntra", 200);
  auto* reliability = box("CTX_TCLI_Fiabilite", "TCLI_Fiabilite", 90);
  m_valid = new ui::BoundCheckBox(this);
  m_valid->setObjectName("CHK_Valide");
  m_valid->setText(QStringLiteral("Client validé"));
  m_valid->setDataSource(m_data, "TCLI_Valide");
  auto* user1 = box("CTX_TCLI_USER1", "TCLI_USER1");
  auto* user2 = box("CTX_TCLI_USER2", "TCLI_USER2");

  auto* terms = form();
  terms->addRow(label(QStringLiteral("Caté&gorie"), m_category), m_category);
  terms->addRow(label(QStringLiteral("Mode de paiement"), m_payment), m_payment);
  terms->addRow(label(QStringLiteral("Conditions de paiement"), m_terms), m_terms);
  auto* rates = new QHBoxLayout;
  rates->addWidget(discount);
  rates->addWidget(label(QStringLiteral("Taux MO"), labour));
  rates->addWidget(labour);
  rates->addStretch();
  terms->addRow(label(QStringLiteral("Remise %"), discount), rates);
  terms->addRow(label(QStringLiteral("TVA intracom."), vat), vat);
  auto* mark = new QHBoxLayout;
  mark->addWidget(reliability);
  mark->addWidget(m_valid);
  mark->addStretch();
  terms->addRow(label(QStringLiteral("Fiabilité"), reliability), mark);
  terms->addRow(label(QStringLiteral("Libre 1"), user1), user1);
  terms->addRow(label(QStringLiteral("Libre 2"), user2), user2);

  auto* notes = form();
  const char* noteFields[] = {"TCLI_Notes1", "TCLI_Notes2", "TCLI_Notes3"};
  for (int i = 0; i < 3; ++i) {
    auto* n = box(qPrintable("CTX_" + QString::fromLatin1(noteFields[i])), noteFields[i]);
    notes->addRow(i == 0 ? label(QStringLiteral("Notes"), n) : nullptr, n);
  }
  m_memo = new ui::BoundTextEdit(this);
  m_memo->setDataSource(m_data, "TCLI_MEMO");

  auto* grid = new QGridLayout(w);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(group(QStringLiteral("Client"), identity, w), 0, 0);
  grid->addWidget(group(QStringLiteral("Conditions commerciales"), terms, w), 0, 1);
  grid->addWidget(group(QStringLiteral("Contact principal"), main, w), 1, 0);
  grid->addWidget(group(QStringLiteral("Notes"), notes, w), 1, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);

  m_countries = new QListWidget(this);
  m_countries->setObjectName("BXL_Pays");
  m_countries->hide();
  m_countries->installEventFilter(this);
  connect(m_countries, &QListWidget::itemDoubleClicked, this, &FCLIDEV::chooseCountry);
  return w;
}

QWidget* FCLIDEV::buildContacts() {
  auto* grid = new QTableView(this);
  grid->setObjectName("DBG_Contact");
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, m_contacts);
  new ui::GridColumns(grid, model, m_contacts,
                      {gridColumn("TCLI_CONTACT_Num", QStringLiteral("N°")),
                       gridColumn("TCLI_Contact_Nom", QStringLiteral("Nom")),
                       gridColumn("TCLI_CONTACT_Fonct", QStringLiteral("Fonction")),
                       gridColumn("TCLI_CONTACT_Tel", QStringLiteral("Téléphone")),
                       gridColumn("TCLI_CONTACT_Fax", QStringLiteral("Fax")),
                       gridColumn("TCLI_CONTACT_Portab", QStringLiteral("Portable")),
                       gridColumn("TCLI_CONTACT_mail", QStringLiteral("E-mail"))},
                      {40, 170, 130, 110, 110, 110, 200}, 6);
  grid->setMinimumHeight(90);

  auto* fields = new QHBoxLayout;
  const struct {
    const char* name;
    const char* field;
    const char* caption;
  } boxes[] = {{"CTX_CONTACT_Nom", "TCLI_Contact_Nom", "Nom"},
               {"CTX_CONTACT_Fonct", "TCLI_CONTACT_Fonct", "Fonction"},
               {"CTX_CONTACT_Tel", "TCLI_CONTACT_Tel", "Tél."},
               {"CTX_CONTACT_Fax", "TCLI_CONTACT_Fax", "Fax"},
               {"CTX_CONTACT_Portab", "TCLI_CONTACT_Portab", "Portable"},
               {"CTX_CONTACT_mail", "TCLI_CONTACT_mail", "E-mail"}};
  for (const auto& b : boxes) {
    auto* e = new ui::BoundLineEdit(this);
    e->setObjectName(QString::fromLatin1(b.name));
    e->setDataSource(m_contacts, QString::fromLatin1(b.field));
    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    column->addWidget(label(QString::fromUtf8(b.caption), e));
    column->addWidget(e);
    fields->addLayout(column, QByteArray(b.name) == "CTX_CONTACT_mail" ? 2 : 1);
  }
  auto* contactMail = button("CMD_MailContact", QStringLiteral("Mail au contact"));
  auto* mailBox = findChild<QLineEdit*>("CTX_CONTACT_mail");
  connect(contactMail, &QPushButton::clicked, this, [this, mailBox] { mailTo(mailBox); });
  m_newContact = button("CMD_NouvContact", QStringLiteral("No&uveau contact"));
  m_okContact = button("CMD_OKNouvContact", QStringLiteral("O&K"));
  m_cancelContact = button("CMD_AnnuleNouvContact", QStringLiteral("Abandonner"));
  m_okContact->hide();
  m_cancelContact->hide();
  connect(m_newContact, &QPushButton::clicked, this, &FCLIDEV::newContact);
  connect(m_okContact, &QPushButton::clicked, m_okContact, [this] { m_recordButtons->save(); });
  connect(m_cancelContact, &QPushButton::clicked, this, [this] {
    cancelContact();
    m_newContact->setFocus(Qt::OtherFocusReason);
  });
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {contactMail, m_newContact, m_okContact, m_cancelContact})
    buttons->addWidget(b);
  buttons->addStretch();

  auto* layout = new QVBoxLayout;
  layout->addWidget(grid, 1);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  auto* g = group(QStringLiteral("Contacts"), layout, this);
  g->setObjectName("FRM_Contacts");
  return g;
}

QWidget* FCLIDEV::buildList() {
  m_listFrame = new QFrame(this);
  m_listFrame->setObjectName("FRM_Liste");
  m_listFrame->setFrameShape(QFrame::StyledPanel);
  m_listFrame->setFixedWidth(440);
  m_search = new QLineEdit(m_listFrame);
  m_search->setObjectName("CTX_Recherche");
  m_search->setToolTip(QStringLiteral("Début du code client"));
  connect(m_search, &QLineEdit::textEdited, this, &FCLIDEV::quickSearch);
  m_list = new QTableView(m_listFrame);
  m_list->setObjectName("DBG_Cli");
  auto* model = new ui::RecordsetModel(m_list);
  new ui::GridLink(m_list, model, m_data);
  new ui::GridColumns(m_list, model, m_data,
                      {gridColumn("TCLI_CODE", QStringLiteral("Code")),
                       gridColumn("TCLI_RS", QStringLiteral("Raison sociale")),
                       gridColumn("TCLI_CODP", QStringLiteral("CP")),
                       gridColumn("TCLI_VILLE", QStringLiteral("Ville"))},
                      {80, 170, 55, 110}, 1);
  core::addGridTools(m_state, m_list, m_data);
  auto* layout = new QVBoxLayout(m_listFrame);
  auto* searchRow = new QHBoxLayout;
  auto* searchLabel = new QLabel(QStringLiteral("Recherche"), m_listFrame);
  searchLabel->setBuddy(m_search);
  searchRow->addWidget(searchLabel);
  searchRow->addWidget(m_search, 1);
  layout->addLayout(searchRow);
  layout->addWidget(m_list, 1);
  m_listFrame->hide();
  return m_listFrame;
}

QWidget* FCLIDEV::buildVisits() {
  m_visitsFrame = new QFrame(this);
  m_visitsFrame->setObjectName("FRM_Visites");
  m_visitsFrame->setFrameShape(QFrame::StyledPanel);
  m_visitsFrame->setFixedWidth(460);
  auto* filters = new QHBoxLayout;
  const QString captions[] = {QStringLiteral("Toutes"), QStringLiteral("À faire"),
                              QStringLiteral("Réalisées")};
  for (int i = 0; i < 3; ++i) {
    auto* o = new QRadioButton(captions[i], m_visitsFrame);
    o->setObjectName("OPT_Visites");
    o->setProperty("index", i);
    connect(o, &QRadioButton::toggled, this, [this](bool on) {
      if (on) loadVisits();
    });
    m_visitFilter << o;
    filters->addWidget(o);
  }
  m_visitFilter.first()->setChecked(true);
  filters->addStretch();
  auto* grid = new QTableView(m_visitsFrame);
  grid->setObjectName("DBG_Vis");
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, m_visits);
  new ui::GridColumns(grid, model, m_visits,
                      {gridColumn("TVIS_DatePrev", QStringLiteral("Prévue le")),
                       gridColumn("TVIS_DateRea", QStringLiteral("Réalisée le")),
                       gridColumn("TVIS_Resume", QStringLiteral("Résumé")),
                       gridColumn("TVIS_Cal", QStringLiteral("Com.")),
                       gridColumn("TVIS_Contact", QStringLiteral("Contact"))},
                      {80, 80, 120, 45, 100}, 2);
  auto* layout = new QVBoxLayout(m_visitsFrame);
  auto* title = new QLabel(QStringLiteral("Visites du client"), m_visitsFrame);
  layout->addWidget(title);
  layout->addLayout(filters);
  layout->addWidget(grid, 1);
  m_visitsFrame->hide();
  return m_visitsFrame;
}

void FCLIDEV::pointAtClientDatabase() {
  const core::BaseEntry& clients = m_state.base(core::entry::Commercial);
  if (!clients.open()) return;
  for (auto* data : findChildren<ui::DataControl*>()) data->setDatabase(clients.db);
}

void FCLIDEV::fillLists() {
  QList<QPair<QString, QString>> modes;
  for (int i = 0; i < m_state.modesReglementCodes.size(); ++i)
    modes.append({m_state.modesReglementCodes[i], m_state.modesReglementLabels.value(i)});
  m_payment->setRows(modes);
  db::Database& db = m_data->database();
  try {
    m_terms->setRowSource(db, "select TCDP_CODE, TCDP_libelle from TCDP order by TCDP_CODE");
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  try {
    m_category->setRowSource(db, "select TCAT_CODE, TCAT_LIBELLE from TCAT order by TCAT_CODE");
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kCategoryErrors);
  }
  try {
    db::Recordset rs = db.OpenRecordset(
        "select TPAYS_CODE, TPAYS_LIBELLE from TPAYS order by "
        "TPAYS_CODE",
        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !rs.EOF_(); rs.MoveNext()) {
      auto* item = new QListWidgetItem(rs.text("TPAYS_CODE") + "  " + rs.text("TPAYS_LIBELLE"));
      item->setData(Qt::UserRole, rs.text("TPAYS_CODE"));
      m_countries->addItem(item);
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  m_data->showRecord();  // the combos show the codes of the record now that they hold rows
}

QString FCLIDEV::currentCode() const { return m_code->text().trimmed(); }

QString FCLIDEV::recordCode() {
  db::Recordset& rs = m_data->Recordset();
  return rs.isOpen() && !rs.BOF() && !rs.EOF_() ? rs.text("TCLI_CODE") : QString();
}

void FCLIDEV::codeEdited(const QString& text) {
  const QString clean = cleanClientCode(text);
  if (clean == text) return;
  const int cursor = m_code->cursorPosition() - static_cast<int>(text.size() - clean.size());
  m_code->setText(clean);
  m_code->setCursorPosition(std::max(0, cursor));
  m_state.messages().beep();
}

void FCLIDEV::codeLeft() {
  const QString code = currentCode();
  if (code.isEmpty() || m_data->EditMode() != db::EditMode::Add) return;
  try {
    db::Recordset rs =
        m_data->database().OpenRecordset("TCLI", db::RecordsetType::Table, db::rsopt::ReadOnly);
    rs.setIndex("PrimaryKey");
    rs.Seek("=", code);
    if (rs.NoMatch()) return;
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
    return;
  }
  auto& m = m_state.messages();
  m.show(m.tr(QStringLiteral(" Le client ")) + code + m.tr(QStringLiteral(" existe déjà !!!")),
         ui::Icon::Warning);
  QMetaObject::invokeMethod(
      this, [this] { m_code->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

bool FCLIDEV::readyToSave() {
  auto& m = m_state.messages();
  const ClientIdentity c{findChild<QLineEdit*>("CTX_TCLI_RS")->text(),
                         findChild<QLineEdit*>("CTX_TCLI_ADR1")->text(),
                         findChild<QLineEdit*>("CTX_TCLI_CODP")->text(),
                         findChild<QLineEdit*>("CTX_TCLI_VILLE")->text(), m_category->code()};
  const MissingEntry missing = missingEntry(c);
  if (missing != MissingEntry::None) {
    m.show(m.tr(missingEntryMessage(missing)), ui::Icon::Warning);
    QWidget* focus = missing == MissingEntry::Category ? static_cast<QWidget*>(m_category)
                                                       : findChild<QWidget*>("CTX_TCLI_RS");
    focus->setFocus(Qt::OtherFocusReason);
    return false;
  }
  for (auto* e : findChildren<ui::BoundLineEdit*>())
    if (e->dataSource() == m_contacts && e->text() != e->text().trimmed())
      e->setText(e->text().trimmed());
  try {
    if (const auto first = tidyContacts(m_data->database(), currentCode())) {
      const std::pair<const char*, QString> main[] = {{"CTX_TCLI_CONTACT1", first->name},
                                                      {"CTX_TCLI_FONCT1", first->function},
                                                      {"CTX_TCLI_Portab1", first->mobile},
                                                      {"CTX_TCLI_EMail1", first->mail}};
      for (const auto& [name, value] : main) {
        auto* e = findChild<QLineEdit*>(name);
        if (e->text() != value) e->setText(value);
      }
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kClientErrors);
    return false;
  }
  m_contactsOf = currentCode();
  return true;
}

void FCLIDEV::recordSaved(bool wasNew) {
  const QString code = currentCode();
  saveContact();
  if (!wasNew) {
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_state.lastCreatedClient = code;
  QString other;
  try {
    other = clientWithSameTelephone(m_data->database(),
                                    findChild<QLineEdit*>("CTX_TCLI_TEL1")->text().trimmed(), code);
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  if (m_state.clientCreationRequest) {
    closeWindow();
  } else {
    m_add->setFocus(Qt::OtherFocusReason);
  }
  if (!other.isEmpty()) {
    auto& m = m_state.messages();
    m.show(m.tr(QStringLiteral("ATTENTION : Le client que vous venez de créer a le même n° de "
                               "tél. que le client ")) +
               other,
           ui::Icon::Warning);
  }
}

void FCLIDEV::saveContact() {
  const QString code = currentCode();
  try {
    if (m_contacts->EditMode() == db::EditMode::Add) {
      const Contact c{findChild<QLineEdit*>("CTX_CONTACT_Nom")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Fonct")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Tel")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Fax")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_Portab")->text(),
                      findChild<QLineEdit*>("CTX_CONTACT_mail")->text()};
      m_contacts->CancelUpdate();
      if (!c.trimmed().name.isEmpty()) addContact(m_data->database(), code, c.trimmed());
    } else {
      m_contacts->UpdateRecord();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  loadContacts();
}

void FCLIDEV::loadContacts() {
  m_okContact->hide();
  m_cancelContact->hide();
  const QString code = m_data->EditMode() == db::EditMode::Add ? currentCode() : recordCode();
  m_contactsOf = code;
  m_contacts->setRecordSource(contactsSql(code));
  try {
    m_contacts->Refresh();
    if (m_contacts->Recordset().isOpen() && !m_contacts->Recordset().EOF_())
      m_contacts->Recordset().MoveLast();  // read through: the count is known
    m_contacts->MoveFirst();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
}

void FCLIDEV::newContact() {
  if (m_contacts->EditMode() == db::EditMode::Add) return;
  if (!m_contacts->leaveRecord()) return;
  try {
    m_contacts->AddNew();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
    return;
  }
  m_okContact->show();
  m_cancelContact->show();
  findChild<QWidget*>("CTX_CONTACT_Nom")->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::cancelContact() {
  try {
    m_contacts->CancelUpdate();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  loadContacts();
}

bool FCLIDEV::deletable() {
  auto& m = m_state.messages();
  if (m_valid->isChecked()) {
    m.beep();
    m.show(m.tr(QStringLiteral("Ce client a été validé. Suppression impossible.")),
           ui::Icon::Warning);
    return false;
  }
  if (!m_state.mainDb().isOpen()) return true;  // no dossier to keep
  try {
    const QString code = currentCode();
    const long dossiers = dossierCount(m_state.mainDb(), code);
    if (dossiers == 0) return true;
    const QString question =
        m.tr(QStringLiteral("Le client ")) + code + m.tr(QStringLiteral(" a ")) +
        QString::number(dossiers) +
        m.tr(QStringLiteral(" dossier(s), qui garderont son code sans sa fiche.\n"
                            "Supprimer le client quand même ?"));
    if (m.ask(question, ui::Buttons::YesNo, 2, ui::Icon::Warning) == ui::Answer::Yes) return true;
  } catch (const db::DbError& e) {
    ui::showDbError(m, e, kClientErrors);
  }
  m_code->setFocus(Qt::OtherFocusReason);
  return false;
}

void FCLIDEV::removeClient() {
  if (!m_recordButtons->remove()) {
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (m_data->Recordset().RecordCount() == 0) m_add->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::refreshClient() {
  if (m_recordButtons->refuseWhilePending()) return;
  const QString code = currentCode();
  try {
    m_data->Refresh();
    if (!code.isEmpty()) {
      m_data->Recordset().FindFirst(codeCriteria(code));
      if (m_data->Recordset().NoMatch()) m_data->Recordset().MoveFirst();
      m_data->showRecord();
    }
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
  loadContacts();
}

void FCLIDEV::toggleList() {
  if (m_listFrame->isVisible()) {
    m_listFrame->hide();
    m_code->setFocus(Qt::OtherFocusReason);
    return;
  }
  if (m_data->Recordset().RecordCount() == 0) {
    m_add->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_visitsFrame->hide();
  m_listFrame->show();
  m_search->clear();
  m_search->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::quickSearch(const QString& text) {
  if (text.isEmpty() || m_recordButtons->refuseWhilePending()) return;
  try {
    db::Recordset& rs = m_data->Recordset();
    rs.FindFirst(quickSearchCriteria(text));
    if (rs.NoMatch()) rs.MoveLast();
    m_data->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
}

void FCLIDEV::toggleVisits() {
  if (m_visitsFrame->isVisible()) {
    m_visitsFrame->hide();
    return;
  }
  if (ui::hasPendingChanges(this) || m_data->EditMode() == db::EditMode::Add) {
    m_state.messages().beep();
    m_state.messages().show(
        m_state.messages().tr(QStringLiteral("Enregistrez ou annulez d'abord votre saisie.")),
        ui::Icon::Information);
    return;
  }
  m_listFrame->hide();
  m_visitsFrame->show();
  loadVisits();
  for (QRadioButton* o : m_visitFilter)
    if (o->isChecked()) o->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::loadVisits() {
  VisitFilter filter = VisitFilter::All;
  if (m_visitFilter.value(1) && m_visitFilter[1]->isChecked()) filter = VisitFilter::ToDo;
  if (m_visitFilter.value(2) && m_visitFilter[2]->isChecked()) filter = VisitFilter::Done;
  m_visits->setRecordSource(visitsSql(currentCode(), filter));
  try {
    m_visits->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, kClientErrors);
  }
}

void FCLIDEV::showCountries() {
  auto* country = findChild<QLineEdit*>("CTX_TCLI_PAYS");
  const QPoint at = country->mapTo(this, QPoint(0, country->height()));
  m_countries->setGeometry(at.x(), at.y(), 300, 220);
  for (int i = 0; i < m_countries->count(); ++i)
    if (m_countries->item(i)
            ->data(Qt::UserRole)
            .toString()
            .compare(country->text().trimmed(), Qt::CaseInsensitive) == 0)
      m_countries->setCurrentRow(i);
  if (m_countries->currentRow() < 0 && m_countries->count() > 0) m_countries->setCurrentRow(0);
  m_countries->show();
  m_countries->raise();
  m_countries->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::chooseCountry() {
  auto* country = findChild<QLineEdit*>("CTX_TCLI_PAYS");
  if (QListWidgetItem* item = m_countries->currentItem())
    country->setText(item->data(Qt::UserRole).toString());
  m_countries->hide();
  country->setFocus(Qt::OtherFocusReason);
}

void FCLIDEV::mailTo(const QLineEdit* address) {
  const QString to = address->text().trimmed();
  if (to.isEmpty()) return;
  core::openNewMail(m_state, mail::NewMail{to, QString(), {}});
}

void FCLIDEV::dropBlankAddition() {
  if (currentCode().isEmpty() && m_data->EditMode() == db::EditMode::Add) {
    m_data->CancelUpdate();
    cancelContact();
    for (auto* b : m_data->boundControls()) b->setDataChanged(false);
  }
}

void FCLIDEV::quit() {
  dropBlankAddition();
  m_recordButtons->quit();
}

bool FCLIDEV::mayClose() {
  dropBlankAddition();
  return RecordWindow::mayClose();
}

void FCLIDEV::escape() {
  if (m_countries->isVisible()) {
    m_countries->hide();
    findChild<QWidget*>("CTX_TCLI_PAYS")->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_memo->hide();
  m_code->setFocus(Qt::OtherFocusReason);
}

bool FCLIDEV::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return RecordWindow::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (watched == m_code && (key == Qt::Key_Space || key == Qt::Key_Apostrophe)) {
    m_state.messages().beep();
    return true;
  }
  if (watched->objectName() == "CTX_TCLI_PAYS" && key == Qt::Key_F4) {
    showCountries();
    return true;
  }
  if (watched == m_countries && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    chooseCountry();
    return true;
  }
  return RecordWindow::eventFilter(watched, event);
}

}  // namespace tarovent::clients
