#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "FCLIDEV.h"
#include "core/GridTools.h"
#include "core/ProcessState.h"
#include "ui/BoundCheckBox.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/BoundTextEdit.h"
#include "ui/DataControl.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/NumberBox.h"
#include "ui/RecordsetModel.h"

// The client form's boxes, groups and side frames; its rules live in FCLIDEV.cpp.

namespace tarovent::clients {
namespace {

using ui::gridColumn;

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

// Boxes side by side on a row of a form, with the labels between them set apart.
QHBoxLayout* formRow() {
  auto* r = new QHBoxLayout;
  r->setSpacing(6);
  return r;
}

}  // namespace

ui::BoundLineEdit* FCLIDEV::box(const char* name, const char* field, int width) {
  auto* b = new ui::BoundLineEdit(this);
  b->setObjectName(QString::fromLatin1(name));
  b->setDataSource(m_data, QString::fromLatin1(field));
  if (width > 0) b->setMaximumWidth(width);
  return b;
}

QFormLayout* FCLIDEV::buildIdentity() {
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
  identity->addRow(label(QStringLiteral("Code"), m_code), m_code);
  identity->addRow(label(QStringLiteral("&Raison sociale"), name), name);
  identity->addRow(label(QStringLiteral("A&dresse"), a1), a1);
  identity->addRow(QString(), a2);
  identity->addRow(QString(), a3);
  auto* townRow = formRow();
  townRow->addWidget(postal);
  townRow->addWidget(label(QStringLiteral("V&ille"), town));
  townRow->addWidget(town, 1);
  identity->addRow(label(QStringLiteral("Code &postal"), postal), townRow);
  identity->addRow(label(QStringLiteral("Pa&ys (F4)"), country), country);
  auto* phones = formRow();
  phones->addWidget(tel);
  phones->addWidget(label(QStringLiteral("Fa&x"), fax));
  phones->addWidget(fax);
  phones->addStretch();
  identity->addRow(label(QStringLiteral("Téléphone"), tel), phones);
  auto* mailRow = formRow();
  mailRow->addWidget(mail, 1);
  mailRow->addWidget(mailButton);
  identity->addRow(label(QStringLiteral("E-mail"), mail), mailRow);
  return identity;
}

QFormLayout* FCLIDEV::buildMainContact() {
  auto* contact = box("CTX_TCLI_CONTACT1", "TCLI_CONTACT1");
  auto* function = box("CTX_TCLI_FONCT1", "TCLI_FONCT1");
  auto* mobile = box("CTX_TCLI_Portab1", "TCLI_Portab1", 160);
  auto* contactMail = box("CTX_TCLI_EMail1", "TCLI_EMail1");
  auto* main = form();
  main->addRow(label(QStringLiteral("N&om"), contact), contact);
  main->addRow(label(QStringLiteral("&Fonction"), function), function);
  main->addRow(label(QStringLiteral("Porta&ble"), mobile), mobile);
  main->addRow(label(QStringLiteral("E-mail du contact"), contactMail), contactMail);
  return main;
}

QFormLayout* FCLIDEV::buildTerms() {
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
  auto* rates = formRow();
  rates->addWidget(discount);
  rates->addWidget(label(QStringLiteral("Taux MO"), labour));
  rates->addWidget(labour);
  rates->addStretch();
  terms->addRow(label(QStringLiteral("Remise %"), discount), rates);
  terms->addRow(label(QStringLiteral("TVA intracom."), vat), vat);
  auto* mark = formRow();
  mark->addWidget(reliability);
  mark->addWidget(m_valid);
  mark->addStretch();
  terms->addRow(label(QStringLiteral("Fiabilité"), reliability), mark);
  terms->addRow(label(QStringLiteral("Libre 1"), user1), user1);
  terms->addRow(label(QStringLiteral("Libre 2"), user2), user2);
  return terms;
}

QFormLayout* FCLIDEV::buildNotes() {
  auto* notes = form();
  const char* noteFields[] = {"TCLI_Notes1", "TCLI_Notes2", "TCLI_Notes3"};
  for (int i = 0; i < 3; ++i) {
    auto* n = box(qPrintable("CTX_" + QString::fromLatin1(noteFields[i])), noteFields[i]);
    notes->addRow(i == 0 ? label(QStringLiteral("Notes"), n) : nullptr, n);
  }
  m_memo = new ui::BoundTextEdit(this);
  m_memo->setDataSource(m_data, "TCLI_MEMO");
  return notes;
}

QWidget* FCLIDEV::buildRecord() {
  auto* w = new QWidget(this);
  QFormLayout* identity = buildIdentity();
  QFormLayout* main = buildMainContact();
  QFormLayout* terms = buildTerms();
  QFormLayout* notes = buildNotes();
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
                      {40, 170, 170, 110, 110, 110, 200}, 6);
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

}  // namespace tarovent::clients
