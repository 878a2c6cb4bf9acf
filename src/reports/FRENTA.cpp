#include "FRENTA.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/CalendarDialog.h"
#include "core/ProcessState.h"
#include "core/ReportChoice.h"
#include "core/ReportPrinting.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormAccessKeys.h"

namespace tarovent::reports {

namespace {

db::Database& clientDatabase(core::ProcessState& state) {
  core::BaseEntry& commercial = state.base(core::entry::Commercial);
  return commercial.open() ? commercial.db : state.mainDb();
}

}  // namespace

FRENTA* FRENTA::create(core::ProcessState& state, QWidget* parent) {
  auto* w = new FRENTA(state, parent);
  try {
    w->m_statistics.loadAffairs();
  } catch (const db::DbError& e) {
    ui::showDbError(state.messages(), e, QStringLiteral("TAFF : "));
    delete w;
    return nullptr;
  }
  return w;
}

FRENTA::FRENTA(core::ProcessState& state, QWidget* parent)
    : QDialog(parent), m_state(state), m_statistics(state) {
  setObjectName(QStringLiteral("FRENTA"));
  setWindowTitle(QStringLiteral("Rentabilité : statistiques des devis"));
  m_show = [this](const QuoteCriteria& c) { showReport(c); };

  m_from = dateBox("CTX_DatDeb");
  m_to = dateBox("CTX_DatFin");
  m_client = lookUp("CTX_Client", QStringLiteral("select TCLI_CODE, TCLI_RS from TCLI order by "
                                                 "TCLI_CODE"));
  m_category = lookUp("CTX_Categ", QStringLiteral("select TCAT_CODE, TCAT_LIBELLE from TCAT "
                                                  "order by TCAT_CODE"));
  m_rep = lookUp("CTX_Cal", QStringLiteral("select TCAL_CODE, TCAL_NOM from TCAL order by "
                                           "TCAL_CODE"));
  m_type = lookUp("CTX_Type", QStringLiteral("select TTYP_CODE, TTYP_LIB from TTYP order by "
                                             "TTYP_CODE"));
  m_user1 = new QLineEdit(this);
  m_user1->setObjectName(QStringLiteral("CTX_User1"));
  m_user2 = new QLineEdit(this);
  m_user2->setObjectName(QStringLiteral("CTX_User2"));

  auto* criteria = new QGroupBox(QStringLiteral("Critères"), this);
  criteria->setObjectName(QStringLiteral("FRM_Criteres"));
  auto* grid = new QGridLayout(criteria);
  QStringList userLabels = {QStringLiteral("Zone 1"), QStringLiteral("Zone 2")};
  try {
    db::Recordset tpar = state.mainDb().OpenRecordset(QStringLiteral("TPAR"));
    if (!tpar.EOF_()) {
      for (int i = 0; i < 2; ++i) {
        const QString label = tpar.text(QStringLiteral("TPAR_LIBUSER%1").arg(i + 1)).trimmed();
        if (!label.isEmpty()) userLabels[i] = label;
      }
    }
  } catch (const db::DbError&) {
    // Without parameters the boxes keep their neutral captions.
  }
  // The letters of the fixed captions; the custom fields take the first of theirs still free.
  QString taken = QStringLiteral("daltoynbsiq");
  const QString user1 = ui::withAccessKey(userLabels[0], taken);
  const QString user2 = ui::withAccessKey(userLabels[1], taken);
  const std::pair<QString, QWidget*> rows[] = {
      {QStringLiteral("&Du"), m_from},
      {QStringLiteral("&Au"), m_to},
      {QStringLiteral("C&lient"), m_client},
      {QStringLiteral("Ca&tégorie de client"), m_category},
      {QStringLiteral("C&ommercial"), m_rep},
      {QStringLiteral("T&ype de dossier"), m_type},
      {user1, m_user1},
      {user2, m_user2}};
  int r = 0;
  for (const auto& [caption, box] : rows) {
    auto* label = new QLabel(caption, criteria);
    label->setBuddy(box);
    grid->addWidget(label, r, 0);
    if (box != m_from && box != m_to) grid->addWidget(box, r, 1);
    ++r;
  }
  // Each date box with its calendar button beside it.
  for (int i = 0; i < 2; ++i) {
    QLineEdit* box = i == 0 ? m_from : m_to;
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(box);
    auto* calendar = new QPushButton(QStringLiteral("..."), criteria);
    calendar->setObjectName(i == 0 ? QStringLiteral("Cmd_Cal_DatDeb")
                                   : QStringLiteral("Cmd_Cal_DatFin"));
    calendar->setToolTip(QStringLiteral("Calendrier (F4)"));
    calendar->setFocusPolicy(Qt::NoFocus);
    connect(calendar, &QPushButton::clicked, this, [this, box] {
      box->setFocus(Qt::OtherFocusReason);
      core::Afficher_Calendrier(m_state, box);
    });
    dateRow->addWidget(calendar);
    dateRow->addStretch(1);
    grid->addLayout(dateRow, i, 1);
  }
  grid->setColumnStretch(1, 1);

  auto* choice = new QGroupBox(QStringLiteral("Devis à imprimer"), this);
  choice->setObjectName(QStringLiteral("FRM_Choix"));
  m_notWon = new QRadioButton(QStringLiteral("Devis &non aboutis"), choice);
  m_notWon->setObjectName(QStringLiteral("OPT_NonAboutis"));
  m_won = new QRadioButton(QStringLiteral("Devis a&boutis"), choice);
  m_won->setObjectName(QStringLiteral("OPT_Aboutis"));
  m_all = new QRadioButton(QStringLiteral("Tou&s les devis"), choice);
  m_all->setObjectName(QStringLiteral("OPT_Tous"));
  m_all->setChecked(true);
  auto* choices = new QVBoxLayout(choice);
  for (QRadioButton* b : {m_notWon, m_won, m_all}) choices->addWidget(b);

  auto* printButton = new QPushButton(QStringLiteral("&Imprimer"), this);
  printButton->setObjectName(QStringLiteral("Cmd_Imprimer"));
  printButton->setDefault(true);
  auto* quit = new QPushButton(QStringLiteral("&Quitter"), this);
  quit->setObjectName(QStringLiteral("Cmd_Quitter"));
  connect(printButton, &QPushButton::clicked, this, &FRENTA::print);
  connect(quit, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(printButton);
  buttons->addWidget(quit);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(criteria);
  layout->addWidget(choice);
  layout->addStretch(1);
  layout->addLayout(buttons);
  fillLookUps();
  resize(560, 520);
}

QLineEdit* FRENTA::dateBox(const char* name) {
  auto* box = new QLineEdit(this);
  box->setObjectName(QString::fromLatin1(name));
  box->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
  box->setMaximumWidth(120);
  box->installEventFilter(this);
  core::attachCalendar(m_state, box);
  return box;
}

QComboBox* FRENTA::lookUp(const char* name, const QString& source) {
  auto* box = new QComboBox(this);
  box->setObjectName(QString::fromLatin1(name));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setProperty("source", source);
  // A row of the list puts its code in the box, not the label shown beside it.
  connect(box, &QComboBox::activated, box,
          [box](int row) { box->setEditText(box->itemData(row).toString()); });
  box->installEventFilter(this);
  return box;
}

void FRENTA::fillLookUps() {
  for (QComboBox* box : {m_client, m_category, m_rep, m_type}) {
    box->addItem(QString(), QString());
    db::Database& db = box == m_type ? m_state.mainDb() : clientDatabase(m_state);
    try {
      db::Recordset rs = db.OpenRecordset(box->property("source").toString(),
                                          db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
      for (; !rs.EOF_(); rs.MoveNext()) {
        const QString code = rs.value(0).toString();
        box->addItem(code + QStringLiteral("  ") + rs.value(1).toString(), code);
      }
    } catch (const db::DbError&) {
      // A table the family lacks leaves its list empty: the code can still be typed.
    }
    box->setEditText(QString());
  }
}

void FRENTA::checkRep() {
  const QString code = m_rep->currentText().trimmed();
  if (code.isEmpty()) return;
  bool known = false;
  try {
    db::Recordset rs = clientDatabase(m_state).OpenRecordset(
        QStringLiteral("select TCAL_CODE from TCAL where TCAL_CODE = ") + db::sqlLiteral(code),
        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    known = !rs.EOF_();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e, QStringLiteral("TCAL : "));
    return;
  }
  if (known) return;
  auto& m = m_state.messages();
  m.show(m.tr(QStringLiteral("Code commercial <")) + code + m.tr(QStringLiteral("> inconnu !!!")),
         ui::Icon::Warning);
}

bool FRENTA::readDate(QLineEdit* box, QDate& date) {
  date = {};
  const QString text = box->text().trimmed();
  if (text.isEmpty()) return true;
  date = text::readTypedDay(text);
  if (date.isValid()) {
    box->setText(date.toString(QStringLiteral("dd/MM/yyyy")));
    return true;
  }
  auto& m = m_state.messages();
  m.show(m.tr(QStringLiteral("Date incorrecte : ")) + text, ui::Icon::Warning);
  box->setFocus(Qt::OtherFocusReason);
  box->selectAll();
  return false;
}

bool FRENTA::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    QDate ignored;
    if (watched == m_from || watched == m_to) {
      auto* box = static_cast<QLineEdit*>(watched);
      // The message box would take the focus again: check once, when the box is left for
      // another control of this window.
      if (static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
          static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        readDate(box, ignored);
    } else if (watched == m_rep &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      checkRep();
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool FRENTA::criteria(QuoteCriteria& c) {
  if (!readDate(m_from, c.from) || !readDate(m_to, c.to)) return false;
  c.client = m_client->currentText().trimmed();
  c.category = m_category->currentText().trimmed();
  c.rep = m_rep->currentText().trimmed();
  c.type = m_type->currentText().trimmed();
  c.user1 = m_user1->text().trimmed();
  c.user2 = m_user2->text().trimmed();
  c.choice = m_won->isChecked()      ? QuoteChoice::Won
             : m_notWon->isChecked() ? QuoteChoice::NotWon
                                     : QuoteChoice::All;
  return true;
}

void FRENTA::print() {
  QuoteCriteria c;
  if (!criteria(c)) return;
  switch (m_statistics.fill(c)) {
    case QuoteStatistics::Outcome::DatesOutOfOrder:
      m_from->setFocus(Qt::OtherFocusReason);
      return;
    case QuoteStatistics::Outcome::Filled:
      m_show(c);
      return;
    case QuoteStatistics::Outcome::NoQuote:
    case QuoteStatistics::Outcome::Failed:
      return;
  }
}

void FRENTA::showReport(const QuoteCriteria& c) {
  const QString file = core::Choisir_Modele_Impression(
      m_state, core::reportFolder(m_state), QStringLiteral("IMPRENTA"), this);
  if (file.isEmpty()) return;
  core::showReport(m_state,
                   {file, m_statistics.workDatabase(), QString(),
                    QuoteStatistics::reportParameters(c)},
                   this);
}

}  // namespace tarovent::reports
