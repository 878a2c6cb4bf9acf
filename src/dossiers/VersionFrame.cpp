#include "VersionFrame.h"

#include <QDate>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "CompositionStart.h"
#include "DocumentNames.h"
#include "WriteTransaction.h"
#include "core/CalendarDialog.h"
#include "core/GridQuery.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"
#include "ui/BoundControl.h"
#include "ui/BoundLineEdit.h"
#include "ui/BoundTextEdit.h"
#include "ui/ButtonRow.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/NumberBox.h"
#include "ui/NumericInput.h"

namespace tarovent::dossiers {

namespace {

const QString kOrigin = QStringLiteral("FDEV");
// The export and mail of a quote as PDF, once registered.
const QString kPdfWindow = QStringLiteral("FRM_OptPDF");
const QString kNoRows = QStringLiteral("select * from TDEV where TDEV_SOC < '' ");

QString shownDate(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return {};
  return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
}

// A date typed in a date box, in the boxes' format; empty when it is not a date.
QString typedDateText(const QString& text) {
  const QDate date = text::readTypedDay(text);
  return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

}  // namespace

struct VersionFrame::Impl {
  Impl(core::ProcessState& s, VersionFrame* f) : state(s), rules(s), frame(f) {}

  core::ProcessState& state;
  QuoteVersions rules;
  VersionFrame* frame;
  ui::DataControl* data = nullptr;
  std::function<bool()> guard, dossierPending;
  DossierKey dossier;
  bool adding = false;
  NewVersion plan;
  QVariantList loaded;  // the stored values the boxes were filled with

  QStackedLayout* pages = nullptr;
  QWidget* versions = nullptr;
  QWidget* emptyPanel = nullptr;
  ui::BoundLineEdit* sequence = nullptr;
  ui::BoundLineEdit* date = nullptr;
  ui::BoundLineEdit* reminder = nullptr;
  ui::NumberBox* amount = nullptr;
  ui::NumberBox* time = nullptr;
  ui::NumberBox* vat = nullptr;
  ui::BoundTextEdit* note = nullptr;
  QLabel* sequenceLabel = nullptr;
  QLineEdit* tarMat = nullptr;
  QLineEdit* tarMo = nullptr;
  QLineEdit* lastNumber = nullptr;
  QLabel* lastNumberLabel = nullptr;
  QLineEdit* currency = nullptr;
  QLabel* infos = nullptr;
  QPushButton* mailPdf = nullptr;
  QPushButton* add = nullptr;
  QPushButton* save = nullptr;
  QPushButton* cancel = nullptr;
  QPushButton* remove = nullptr;
  QPushButton* view = nullptr;
  QPushButton* edit = nullptr;

  ui::MessageFunnel& messages() { return state.messages(); }
  db::Recordset& rs() { return data->Recordset(); }
  bool onVersion() {
    return data->isOpen() && rs().RecordCount() > 0 && !rs().BOF() && !rs().EOF_() &&
           rs().EditMode() != db::EditMode::Add;
  }
  bool current() { return adding || onVersion(); }
  QList<ui::BoundControl*> boxes() const {
    return {sequence, date, reminder, amount, time, vat, note};
  }
  // The stored values of the boxes' fields for the version shown, in the order of boxes().
  QVariantList storedValues() {
    QVariantList out;
    if (!adding && onVersion())
      for (ui::BoundControl* b : boxes()) out << rs().value(b->dataField());
    return out;
  }

  void failed(const db::DbError& e) {
    ui::MessageFunnel& m = messages();
    m.show(m.tr(QStringLiteral("Le fichier des devis a été défaillant")), ui::Icon::Critical);
    ui::showDbError(m, e, QStringLiteral("DBD_DEV : "));
  }
  bool guardPasses() {
    if (guard) return guard();
    if (!ui::hasPendingChanges(frame->window())) return true;
    messages().show(messages().tr(QStringLiteral("Enregistrez ou annulez d'abord votre saisie")),
                    ui::Icon::Warning);
    return false;
  }
  void focus(QWidget* w) { w->setFocus(Qt::OtherFocusReason); }
  // A typed date shown back in the boxes' format; false, with a message, when it is none.
  bool checkDate(QLineEdit* box) {
    const QString text = box->text().trimmed();
    if (text.isEmpty() || box->isReadOnly()) return true;
    const QString converted = typedDateText(text);
    if (converted.isEmpty()) {
      messages().show(messages().tr(core::kNotADate), ui::Icon::Warning);
      focus(box);
      box->selectAll();
      return false;
    }
    if (converted != box->text()) box->setText(converted);
    return true;
  }

  // The displays of the record shown, and the commands that need a version.
  void showVersion() {
    QString mat, mo;
    QString document;
    if (adding) {
      mat = plan.tarMat;
      mo = plan.tarMo;
    } else if (onVersion()) {
      mat = rs().text("TDEV_TARMAT");
      mo = rs().text("TDEV_TARMO");
      const QString path = rules.documentPath(dossier, static_cast<int>(rs().number("TDEV_NSEQ")));
      if (QFileInfo(path).isFile()) document = QFileInfo(path).fileName();
    }
    tarMat->setText(QuoteVersions::shownMaterialsMode(mat));
    tarMo->setText(mo);
    infos->setText(document.isEmpty()
                       ? QString()
                       : messages().tr(QStringLiteral("Fichier Word : ")) + document);
    mailPdf->setVisible(!document.isEmpty());
    mailPdf->setEnabled(state.windows.has(kPdfWindow));
    showCurrency();
    enable();
  }
  void enable() {
    const bool on = current();
    for (QPushButton* b : {save, cancel, remove, view, edit}) b->setEnabled(on);
    for (ui::BoundControl* b : boxes())
      if (b != sequence) b->widget()->setProperty("readOnly", !on);
    const bool shown = adding || hasStored();
    sequence->setVisible(shown);
    sequenceLabel->setVisible(shown);
  }
  bool hasStored() { return data->isOpen() && rs().RecordCount() > 0; }
  void showCurrency() {
    if (amount->text().trimmed().isEmpty())
      currency->clear();
    else
      currency->setText(QuoteVersions::secondCurrency(amount->number(), state.params));
  }
  void showLastNumber() {
    const bool any = hasStored();
    lastNumber->setText(any ? QString::number(lastSequence()) : QString());
    lastNumberLabel->setVisible(any);
    lastNumber->setVisible(any);
  }
  long lastSequence() {
    db::Recordset last = rs().Clone();
    last.MoveLast();
    return static_cast<long>(last.number("TDEV_NSEQ"));
  }

  // Points the versions source at the dossier's versions and shows `keep` (-1: the last one).
  void point(int keep) {
    const QString source =
        dossier.present()
            ? "select * from TDEV where ( TDEV_SOC = " + db::sqlLiteral(dossier.company) +
                  " and TDEV_NUMDOSS = " + QString::number(dossier.number) + ") order by TDEV_NSEQ"
            : kNoRows;
    data->setRecordSource(source);
    data->Refresh();
    if (hasStored()) {
      rs().MoveLast();
      if (keep >= 0) {
        rs().FindFirst("TDEV_NumDoss = " + QString::number(dossier.number) +
                       " And TDEV_SOC = " + db::sqlLiteral(dossier.company) +
                       " and TDEV_NSEQ = " + QString::number(keep));
        if (rs().NoMatch()) rs().MoveLast();
      }
      data->showRecord();
    }
    showLastNumber();
    showVersion();
  }
  void dropNewRow() {
    if (!adding) return;
    adding = false;
    data->CancelUpdate();
  }
};

VersionFrame::VersionFrame(core::ProcessState& state, QWidget* parent)
    : QFrame(parent), d(new Impl(state, this)) {
  setObjectName("Frm_dev");
  setFrameShape(QFrame::StyledPanel);
  ui::MessageFunnel& m = state.messages();
  d->data = new ui::DataControl(this);
  d->data->setObjectName("DBD_DEV");
  d->data->setMessages(&m);
  d->data->setErrorPrefix(QStringLiteral("DBD_DEV : "));
  d->data->setCaptionPrefix(QStringLiteral("Version : "));
  d->data->setLeaveCheck([this] { return d->guardPasses(); });
  if (state.mainDb().isOpen()) d->data->setDatabase(state.mainDb());
  d->data->setRecordSource(kNoRows);

  d->versions = new QWidget(this);
  d->versions->setObjectName("FRM_Versions");
  const auto box = [this](ui::BoundLineEdit* b, const char* name, const char* field, int width) {
    b->setParent(d->versions);
    b->setObjectName(QString::fromLatin1(name));
    b->setDataSource(d->data, QString::fromLatin1(field));
    if (width > 0) b->setMaximumWidth(width);
    return b;
  };
  const auto number = [&](const char* name, const char* field, int width) {
    auto* n = new ui::NumberBox;
    n->setMessages(&m);
    return static_cast<ui::NumberBox*>(box(n, name, field, width));
  };
  const auto display = [this](const char* name, int width) {
    auto* e = new QLineEdit(d->versions);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    if (width > 0) e->setMaximumWidth(width);
    return e;
  };
  const auto label = [this](const char* name, const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, d->versions);
    if (name) l->setObjectName(QString::fromLatin1(name));
    if (buddy) l->setBuddy(buddy);
    return l;
  };
  d->sequence = box(new ui::BoundLineEdit, "FDEV_NSEQ", "TDEV_NSEQ", 50);
  d->sequence->setReadOnly(true);
  d->sequence->setFocusPolicy(Qt::NoFocus);
  d->date = box(new ui::BoundLineEdit, "FDEV_DATE", "TDEV_DATE", 110);
  d->reminder = box(new ui::BoundLineEdit, "FDEV_DATREL", "TDEV_DATREL", 110);
  d->reminder->setToolTip(QStringLiteral("Date de relance du devis (vide : aucune)"));
  d->amount = number("FDEV_MONTANT", "TDEV_MONTANT", 130);
  d->amount->setShownDecimals(2);
  d->time = number("FDEV_TEMPS", "TDEV_TEMPS", 80);
  d->vat = number("CTX_TXTVA", "TDEV_TXTVA", 70);
  d->note = new ui::BoundTextEdit(d->versions);
  d->note->setObjectName("FDEV_NOTE");
  d->note->setDataSource(d->data, QStringLiteral("TDEV_NOTE"));
  d->note->setTabChangesFocus(true);
  d->note->setFixedHeight(48);
  d->tarMat = display("CTX_TARMAT", 40);
  d->tarMo = display("CTX_TARMO", 40);
  d->tarMat->setToolTip(QStringLiteral("Tarif matières : R prix de revient, V1/V2 prix de vente"));
  d->tarMo->setToolTip(QStringLiteral("Tarif main d'oeuvre : R coût horaire, V prix de vente"));
  d->lastNumber = display("CTX_NBRDEV", 40);
  d->currency = display("CTX_DEVISE", 150);
  d->infos = label("CTL_InfosDev", QString(), nullptr);
  d->mailPdf = new QPushButton(QStringLiteral("PDF / Mail..."), d->versions);
  d->mailPdf->setObjectName("CTL_MailPDF");
  d->mailPdf->setFlat(true);
  d->mailPdf->setToolTip(QStringLiteral("Envoi du devis par mail (PDF)"));
  d->mailPdf->hide();

  ui::ButtonRow commands = ui::buttonRow(
      d->versions, Qt::Horizontal,
      {{"Cmd_DevADD", QStringLiteral("C&réer"), nullptr, [this] { addVersion(); },
        QStringLiteral("Nouvelle version")},
       {"Cmd_DevUpdate", QStringLiteral("Enre&g."), nullptr, [this] { saveVersion(); },
        QStringLiteral("Enregistrer la version (F10)")},
       {"Cmd_DevAnnul", QStringLiteral("Annuler"), nullptr, [this] { cancelVersion(); },
        QStringLiteral("Annuler la saisie de la version")},
       {"Cmd_DevDelete", QStringLiteral("Supprimer"), nullptr, [this] { deleteVersion(); },
        QStringLiteral("Supprimer la version et son texte")},
       {"Cmd_DevVoir", QStringLiteral("&Voir"), nullptr, [this] { viewDocument(); },
        QStringLiteral("Ouvrir le texte du devis dans le traitement de texte")},
       {"Cmd_DevEditer", QStringLiteral("Com&poser"), nullptr, [this] { editVersion(); },
        QStringLiteral("Composer le devis de cette version")},
       {}});
  d->add = commands.at("Cmd_DevADD");
  d->save = commands.at("Cmd_DevUpdate");
  d->cancel = commands.at("Cmd_DevAnnul");
  d->remove = commands.at("Cmd_DevDelete");
  d->view = commands.at("Cmd_DevVoir");
  d->edit = commands.at("Cmd_DevEditer");

  auto* head = new QHBoxLayout;
  head->addWidget(new QLabel(QStringLiteral("<b>Versions du devis</b>"), d->versions));
  d->data->setMaximumWidth(380);
  head->addWidget(d->data);
  head->addStretch();
  d->lastNumberLabel = label("CTL_NBRDEV", QStringLiteral("Dernière version :"), nullptr);
  head->addWidget(d->lastNumberLabel);
  head->addWidget(d->lastNumber);

  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(3);
  d->sequenceLabel = label(nullptr, QStringLiteral("Version n°"), d->sequence);
  // Hidden while the dossier has no version, they keep their place: the workspace's dossier
  // form beside does not widen and narrow again from one dossier to the next.
  for (QWidget* w :
       {static_cast<QWidget*>(d->sequence), static_cast<QWidget*>(d->sequenceLabel),
        static_cast<QWidget*>(d->lastNumber), static_cast<QWidget*>(d->lastNumberLabel)}) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
  }
  grid->addWidget(d->sequenceLabel, 0, 0, Qt::AlignRight);
  grid->addWidget(d->sequence, 0, 1);
  grid->addWidget(label(nullptr, QStringLiteral("Date"), d->date), 0, 2, Qt::AlignRight);
  grid->addWidget(d->date, 0, 3);
  grid->addWidget(label(nullptr, QStringLiteral("Relance"), d->reminder), 0, 4, Qt::AlignRight);
  grid->addWidget(d->reminder, 0, 5);
  grid->addWidget(label(nullptr, QStringLiteral("Montant HT"), d->amount), 1, 0, Qt::AlignRight);
  grid->addWidget(d->amount, 1, 1);
  grid->addWidget(d->currency, 1, 2, 1, 2);
  grid->addWidget(label(nullptr, QStringLiteral("Temps (h)"), d->time), 1, 4, Qt::AlignRight);
  grid->addWidget(d->time, 1, 5);
  grid->addWidget(label(nullptr, QStringLiteral("Taux TVA"), d->vat), 2, 0, Qt::AlignRight);
  grid->addWidget(d->vat, 2, 1);
  grid->addWidget(label(nullptr, QStringLiteral("Tarif matières"), nullptr), 2, 2, Qt::AlignRight);
  grid->addWidget(d->tarMat, 2, 3);
  grid->addWidget(label(nullptr, QStringLiteral("Tarif M.O."), nullptr), 2, 4, Qt::AlignRight);
  grid->addWidget(d->tarMo, 2, 5);
  grid->addWidget(label(nullptr, QStringLiteral("Note"), d->note), 3, 0,
                  Qt::AlignRight | Qt::AlignTop);
  grid->addWidget(d->note, 3, 1, 1, 5);
  grid->setColumnStretch(6, 1);

  auto* document = new QHBoxLayout;
  document->addWidget(d->infos);
  document->addWidget(d->mailPdf);
  document->addStretch();

  auto* column = new QVBoxLayout(d->versions);
  column->setContentsMargins(4, 4, 4, 4);
  column->addLayout(head);
  column->addLayout(grid);
  column->addLayout(document);
  column->addLayout(commands.layout);
  column->addStretch();

  d->emptyPanel = new QLabel(
      QStringLiteral("Nouveau dossier : enregistrez-le d'abord (F8), puis créez sa première "
                     "version du devis."),
      this);
  d->emptyPanel->setObjectName("FRM_SansVersion");
  static_cast<QLabel*>(d->emptyPanel)->setAlignment(Qt::AlignCenter);
  static_cast<QLabel*>(d->emptyPanel)->setWordWrap(true);

  d->pages = new QStackedLayout(this);
  d->pages->addWidget(d->versions);
  d->pages->addWidget(d->emptyPanel);

  // Tab and Enter go through the boxes, then the commands.
  const QList<QWidget*> chain =
      QList<QWidget*>{d->date, d->reminder, d->amount, d->time, d->vat, d->note} +
      commands.widgets();
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);

  d->date->installEventFilter(this);
  for (ui::BoundLineEdit* dateBox : {d->date, d->reminder}) {
    connect(dateBox, &QLineEdit::editingFinished, this, [this, dateBox] { d->checkDate(dateBox); });
    core::attachCalendar(d->state, dateBox);
  }
  connect(d->amount, &QLineEdit::textChanged, this, [this] { d->showCurrency(); });
  connect(d->data, &ui::DataControl::repositioned, this, [this] {
    d->loaded = d->storedValues();
    d->showVersion();
  });
  connect(d->mailPdf, &QPushButton::clicked, this, &VersionFrame::pdfOptionsRequested);

  try {
    if (d->state.mainDb().isOpen()) d->point(-1);
  } catch (const db::DbError& e) {
    d->failed(e);
  }
  d->showVersion();
}

VersionFrame::~VersionFrame() { delete d; }

void VersionFrame::setGuard(std::function<bool()> guard) { d->guard = std::move(guard); }
void VersionFrame::setDossierPending(std::function<bool()> pending) {
  d->dossierPending = std::move(pending);
}

void VersionFrame::loadVersions(const DossierKey& dossier) {
  int keep = -1;
  try {
    if (d->onVersion() && d->rs().text("TDEV_SOC") == dossier.company &&
        static_cast<long>(d->rs().number("TDEV_NUMDOSS")) == dossier.number)
      keep = static_cast<int>(d->rs().number("TDEV_NSEQ"));
  } catch (const db::DbError& e) {
    // The version shown was deleted or renumbered by another workstation: the last one then.
    if (e.number() != db::err::RecordDeleted) throw;
  }
  d->dropNewRow();
  d->dossier = dossier;
  try {
    d->point(keep);
  } catch (const db::DbError& e) {
    d->failed(e);
  }
  // Without a dossier (the last one deleted, a new one being entered) there is no version page.
  d->pages->setCurrentWidget(dossier.present() ? d->versions : d->emptyPanel);
}

void VersionFrame::showNewDossier() { loadVersions({}); }

bool VersionFrame::hasVersions() const { return d->hasStored(); }
bool VersionFrame::isAdding() const { return d->adding; }
ui::DataControl* VersionFrame::data() const { return d->data; }
int VersionFrame::currentSequence() const {
  return d->onVersion() ? static_cast<int>(d->rs().number("TDEV_NSEQ")) : -1;
}
bool VersionFrame::hasPendingVersion() const { return d->adding || d->data->hasChanges(); }
bool VersionFrame::versionsShown() const { return d->pages->currentWidget() == d->versions; }

void VersionFrame::addVersion() {
  // A dossier without version has nothing to keep: its blank boxes do not hold the command.
  if (!hasVersions())
    for (ui::BoundControl* b : d->boxes()) b->setDataChanged(false);
  if (!d->guardPasses()) return;
  if (!d->dossier.present()) {
    d->messages().beep();
    return;
  }
  if (!d->adding) {
    try {
      d->plan = d->rules.newVersion(d->dossier);
    } catch (const db::DbError& e) {
      d->failed(e);
      return;
    }
    if (!hasOwnName(d->dossier.number, d->plan.sequence)) {
      d->messages().show(QuoteVersions::tooManyVersions(d->messages()), ui::Icon::Warning);
      return;
    }
    d->adding = true;
    d->data->AddNew();
    d->sequence->setText(QString::number(d->plan.sequence));
    d->vat->setText(ui::textFromNumber(d->plan.vatRate, ui::workstationDecimalSeparator()));
    d->reminder->setText(shownDate(d->plan.reminder));
    d->showVersion();
  }
  d->focus(d->date);
}

bool VersionFrame::saveVersion() {
  ui::MessageFunnel& m = d->messages();
  if (!d->dossier.present()) {
    m.beep();
    return false;
  }
  if (d->dossierPending && d->dossierPending()) {
    m.beep();
    m.show(m.tr(QStringLiteral("Enregistrez d'abord votre dossier")), ui::Icon::Warning);
    emit dossierSaveRequested();
    return false;
  }
  if (!d->current()) {
    m.beep();
    return false;
  }
  // F10 saves from inside a box, which has not been left yet.
  if (!d->checkDate(d->date) || !d->checkDate(d->reminder)) return false;
  if (d->time->text().trimmed().isEmpty()) d->time->setText(QStringLiteral("0"));
  const bool wasNew = d->adding;
  try {
    // The new version and the reminder it takes over are written together.
    inWriteTransaction(d->state.mainDb(), [this, wasNew] {
      if (wasNew) {
        db::Recordset& rs = d->rs();
        rs.setValue("TDEV_SOC", d->dossier.company);
        rs.setValue("TDEV_NUMDOSS", static_cast<qlonglong>(d->dossier.number));
        rs.setValue("TDEV_NSEQ", d->plan.sequence);
        rs.setValue("TDEV_TARMAT", d->plan.tarMat);
        rs.setValue("TDEV_TARMO", d->plan.tarMo);
      }
      d->data->UpdateRecord();
      if (wasNew) d->rules.passReminderOn(d->dossier, d->plan.previous);
    });
  } catch (const db::DbError& e) {
    d->failed(e);
    return false;
  }
  if (!wasNew) {
    d->showVersion();
    d->focus(d->date);
    return true;
  }
  d->adding = false;
  try {
    d->point(d->plan.sequence);
  } catch (const db::DbError& e) {
    d->failed(e);
  }
  if (d->onVersion()) {
    const QVariant date = d->rs().value("TDEV_DATE");
    emit versionDateSaved(date.isNull() ? QString()
                                        : date.toDate().toString(QStringLiteral("dd/MM/yy")));
  }
  d->focus(d->edit);
  return true;
}

void VersionFrame::cancelVersion() {
  d->adding = false;
  d->data->CancelUpdate();
  d->showVersion();
  if (!hasVersions()) {
    d->focus(d->add);
    return;
  }
  emit clientFocusRequested();
}

void VersionFrame::deleteVersion() {
  ui::MessageFunnel& m = d->messages();
  if (!d->dossier.present()) {
    m.beep();
    return;
  }
  if (m.ask(m.tr(QStringLiteral("Confirmer la suppression du devis")), ui::Buttons::YesNo, 2) !=
      ui::Answer::Yes) {
    d->focus(d->date);
    return;
  }
  if (!hasVersions()) {
    d->dropNewRow();
    d->showVersion();
    emit clientDisplaysCleared();
    d->focus(d->add);
    return;
  }
  // A version being added is not stored yet: deleting it drops the entry.
  if (d->adding) {
    cancelVersion();
    return;
  }
  const QString path = d->rules.documentPath(d->dossier, currentSequence());
  const bool withDocument = QFileInfo(path).isFile();
  if (withDocument && m.ask(m.tr(QStringLiteral("Le texte du devis va être supprimé")),
                            ui::Buttons::YesNo, 2) != ui::Answer::Yes) {
    d->focus(d->date);
    return;
  }
  // The row goes first: when it cannot, the text stays with it.
  try {
    d->rules.deleteVersion(d->dossier, currentSequence());
    d->point(-1);
  } catch (const db::DbError& e) {
    d->failed(e);
    return;
  }
  if (withDocument && !QFile::remove(path))
    m.show(m.tr(QStringLiteral("Le fichier ")) + path +
               m.tr(QStringLiteral(" n'a pas pu être supprimé.")),
           ui::Icon::Warning);
  d->focus(hasVersions() ? static_cast<QWidget*>(d->date) : d->add);
}

void VersionFrame::viewDocument() {
  ui::MessageFunnel& m = d->messages();
  if (!d->dossier.present() || !hasVersions()) {
    m.beep();
    return;
  }
  if (!d->guardPasses()) return;
  const QString path = d->rules.documentPath(d->dossier, currentSequence());
  if (currentSequence() < 0 || !QFileInfo(path).isFile()) {
    m.beep();
    m.show(m.tr(QStringLiteral("Le texte du devis est introuvable.")), ui::Icon::Warning);
    d->focus(d->edit);
    return;
  }
  if (!d->state.openDocument || !d->state.openDocument(path))
    m.show(m.tr(QStringLiteral("Aucun traitement de texte n'a pu être lancé pour ouvrir ")) + path,
           ui::Icon::Warning);
}

void VersionFrame::editVersion() {
  ui::MessageFunnel& m = d->messages();
  if (!hasVersions()) {
    m.show(m.tr(QStringLiteral("Enregistrer tout d'abord créer une première version du devis "
                               "(boutons 'Créer'/'Enreg.')...")),
           ui::Icon::Information);
    return;
  }
  // The quote context belongs to the open composition: nothing is asked nor filled.
  if (refuseSecondComposition(d->state)) return;
  if (!d->guardPasses()) return;
  if (!d->dossier.present() || !d->onVersion()) {
    m.beep();
    return;
  }
  const int sequence = currentSequence();
  HandOver outcome = HandOver::Stopped;
  try {
    outcome = d->rules.prepareComposition(d->dossier, sequence, d->rs().text("TDEV_TARMAT"),
                                          d->rs().text("TDEV_TARMO"));
  } catch (const db::DbError& e) {
    d->failed(e);
    return;
  }
  if (outcome == HandOver::ClientMissing) emit clientFocusRequested();
  // Until a composition window is registered, the quote context is all that is prepared.
  if (outcome != HandOver::Ready || !d->state.windows.has(kCompositionWindow)) return;

  core::ProcessState* state = &d->state;
  const QPointer<VersionFrame> frame(this);
  const DossierKey dossier = d->dossier;
  startComposition(d->state, kOrigin, [state, frame, dossier, sequence] {
    if (state->compositionOrigin != kOrigin) return;
    try {
      QuoteVersions::writeBackModes(*state, dossier.company, dossier.number, sequence);
      // Shown again even when nothing was written here: the composition stores the version's
      // modes, amount and time itself.
      if (frame) frame->showComposed(dossier, sequence);
    } catch (const db::DbError& e) {
      ui::MessageFunnel& m = state->messages();
      m.show(m.tr(QStringLiteral("Le fichier des devis a été défaillant")), ui::Icon::Critical);
      ui::showDbError(m, e, QStringLiteral("DBD_DEV : "));
    }
  });
}

void VersionFrame::showComposed(const DossierKey& dossier, int sequence) {
  if (d->dossier.company != dossier.company || d->dossier.number != dossier.number) return;
  if (!hasPendingVersion()) {
    loadVersions(dossier);
    return;
  }
  // Another version shown, or one being added: the composed one is read again when shown.
  if (d->adding || currentSequence() != sequence) return;
  // A box the user typed in keeps the typing, unless the field was stored since the box was
  // filled: the composition's save came after.
  const QList<ui::BoundControl*> boxes = d->boxes();
  const QVariantList stored = d->storedValues();
  for (qsizetype i = 0; i < boxes.size(); ++i)
    if (!boxes[i]->DataChanged() || stored.value(i) != d->loaded.value(i)) boxes[i]->load(d->rs());
  d->loaded = stored;
  d->showVersion();
}

void VersionFrame::showStoredAgain() {
  if (!d->dossier.present() || hasPendingVersion() || !versionsShown()) return;
  loadVersions(d->dossier);
}

bool VersionFrame::eventFilter(QObject* watched, QEvent* event) {
  // Entering an empty date box proposes today.
  if (watched == d->date && event->type() == QEvent::FocusIn && !d->date->isReadOnly() &&
      d->date->text().trimmed().isEmpty())
    d->date->setText(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
  return QFrame::eventFilter(watched, event);
}

}  // namespace tarovent::dossiers
