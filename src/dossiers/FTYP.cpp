#include "FTYP.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "CompositionStart.h"
#include "QuoteTypeDuplication.h"
#include "TariffModeBox.h"
#include "TariffModes.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundCheckBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/GridColumns.h"
#include "ui/GridLink.h"
#include "ui/NumberBox.h"
#include "ui/RecordButtons.h"

namespace tarovent::dossiers {

namespace {
const QString kMenuButton = QStringLiteral("CMD_M_TABL_TYPE");
}  // namespace

FTYP::FTYP(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FTYP"), QStringLiteral("Types de devis"), 5300, parent),
      m_templates(core::localPath(state.base(core::entry::Main).folder)) {
  m_templates.setMessages(&state.messages());
  m_data = dataControl(QStringLiteral("DBD_TYP"), QStringLiteral("TTYP"));

  m_record = new QWidget(this);
  m_code = new ui::BoundLineEdit(m_record);
  m_code->setObjectName("FTYP_CODE");
  m_code->setDataSource(m_data, "TTYP_CODE");
  m_code->setMaximumWidth(120);
  auto* name = new ui::BoundLineEdit(m_record);
  name->setObjectName("FTYP_LIB");
  name->setDataSource(m_data, "TTYP_LIB");
  auto* inactive = new ui::BoundCheckBox(m_record);
  inactive->setObjectName("CHK_Desactive");
  inactive->setText(QStringLiteral("&Désactivé"));
  inactive->setDataSource(m_data, "TTYP_Desactive");
  m_materials = new TariffModeBox(TariffModeBox::Kind::Materials,
                                  QStringLiteral("Tarification des matières"), m_record);
  m_materials->setDataSource(m_data, "TTYP_TARMAT");
  m_labour = new TariffModeBox(TariffModeBox::Kind::Labour,
                               QStringLiteral("Tarification de la &main d'oeuvre"), m_record);
  m_labour->setDataSource(m_data, "TTYP_TARMO");

  auto* grid = new QTableView(this);
  grid->setObjectName("DBG_TYP");
  auto* model = new ui::RecordsetModel(grid);
  new ui::GridLink(grid, model, m_data);
  new ui::GridColumns(grid, model, m_data,
                      {ui::gridColumn("TTYP_CODE", QStringLiteral("Code")),
                       ui::gridColumn("TTYP_LIB", QStringLiteral("Libellé")),
                       ui::gridColumn("TTYP_Desactive", QStringLiteral("Désactivé"))},
                      {90, 260, 90}, 1);

  m_add = button("Cmd_Ajouter", QStringLiteral("&Nouveau"));
  auto* save = button("Cmd_Update", QStringLiteral("&Enregistrer"));
  auto* cancel = button("Cmd_Annuler", QStringLiteral("&Annuler"));
  auto* remove = button("Cmd_Supprimer", QStringLiteral("&Supprimer"));
  auto* refresh = button("Cmd_Rafraichir", QStringLiteral("Ra&fraîchir"));
  m_duplicate = button("Cmd_Dupliquer", QStringLiteral("Dupl&iquer"));
  m_compose = button("Cmd_Compo", QStringLiteral("C&omposer le modèle"));
  auto* quit = button("Cmd_Quitter", QStringLiteral("&Quitter"));
  m_compose->setEnabled(compositionAvailable());
  for (QPushButton* b : {m_add, save, cancel, remove, refresh, m_duplicate, m_compose, quit})
    b->setParent(m_record);

  auto* head = new QFormLayout;
  head->addRow(label(QStringLiteral("&Code"), m_code), m_code);
  head->addRow(label(QStringLiteral("&Libellé"), name), name);
  head->addRow(QString(), inactive);
  auto* modes = new QHBoxLayout;
  modes->addWidget(m_materials);
  modes->addWidget(m_labour);
  auto* buttons = new QGridLayout;
  const QList<QPushButton*> order = {m_add,   save,        cancel,    remove,
                                     refresh, m_duplicate, m_compose, quit};
  for (int i = 0; i < order.size(); ++i) buttons->addWidget(order[i], i / 4, i % 4);
  auto* recordLayout = new QVBoxLayout(m_record);
  recordLayout->setContentsMargins(0, 0, 0, 0);
  recordLayout->addLayout(head);
  recordLayout->addLayout(modes);
  recordLayout->addWidget(buildOptions());
  recordLayout->addWidget(m_data);
  recordLayout->addLayout(buttons);

  auto* side = new QVBoxLayout;
  side->addWidget(m_record);
  side->addWidget(buildDuplicationPanel());
  side->addStretch();
  auto* sideBox = new QWidget(this);
  sideBox->setLayout(side);
  sideBox->setFixedWidth(640);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(grid, 1);
  layout->addWidget(sideBox);
  QList<QWidget*> chain = {m_code, name, inactive};
  for (auto* group : {static_cast<QWidget*>(m_materials), static_cast<QWidget*>(m_labour),
                      findChild<QWidget*>("FRM_TEXTES"), findChild<QWidget*>("FRM_TITRE")})
    for (QWidget* w : group->findChildren<QWidget*>())
      if (w->focusPolicy() & Qt::TabFocus) chain << w;
  for (QPushButton* b : order) chain << b;
  chain << grid << m_newCode << m_newLabel << findChild<QWidget*>("Cmd_DupValider")
        << findChild<QWidget*>("Cmd_DupAbandon");
  setTabChain(chain);

  ui::RecordButtonSet set;
  set.add = m_add;
  set.save = save;
  set.cancel = cancel;
  set.refresh = refresh;
  set.quit = quit;
  ui::RecordButtons* records = recordButtons(m_data, set, m_code);
  lockSavedCode(m_code);
  records->setSaveCheck([this] { return checkBeforeSave(); });
  connect(records, &ui::RecordButtons::added, this, &FTYP::added);
  connect(records, &ui::RecordButtons::cancelled, this, [this] { m_adding = false; });
  connect(records, &ui::RecordButtons::saved, this, &FTYP::afterSave);
  connect(remove, &QPushButton::clicked, this, &FTYP::remove);
  connect(m_duplicate, &QPushButton::clicked, this, &FTYP::startDuplication);
  connect(m_compose, &QPushButton::clicked, this, &FTYP::compose);

  finishSetup(m_data);
  m_newCode->setMaxLength(m_code->maxLength());
  setMenuButton(kMenuButton);
}

QWidget* FTYP::buildOptions() {
  auto* box = new QGroupBox(QStringLiteral("Textes descriptifs des articles"), m_record);
  box->setObjectName("FRM_TEXTES");
  auto* g = new QGridLayout(box);
  const auto check = [&](const char* field, int row, int column, const QString& tip) {
    auto* c = new ui::BoundCheckBox(box);
    c->setObjectName(QStringLiteral("CHK_") + QString::fromLatin1(field).mid(5));
    c->setDataSource(m_data, QString::fromLatin1(field));
    c->setToolTip(tip);
    c->setAccessibleName(tip);
    g->addWidget(c, row, column, Qt::AlignHCenter);
    return c;
  };
  g->addWidget(new QLabel(QStringLiteral("Dans le tableau"), box), 0, 1, 1, 2, Qt::AlignHCenter);
  g->addWidget(new QLabel(QStringLiteral("Hors du tableau"), box), 0, 3, 1, 2, Qt::AlignHCenter);
  for (int c = 0; c < 4; ++c)
    g->addWidget(new QLabel(QStringLiteral("Texte %1").arg(c % 2 + 1), box), 1, c + 1,
                 Qt::AlignHCenter);
  struct Row {
    QString caption;
    const char* fields[4];
  };
  const Row rows[] = {
      {QStringLiteral("Articles achetés (A)"),
       {"TTYP_DART1A", "TTYP_DART2A", "TTYP_DART1A_HT", "TTYP_DART2A_HT"}},
      {QStringLiteral("Articles fabriqués (F)"),
       {"TTYP_DART1F", "TTYP_DART2F", "TTYP_DART1F_HT", "TTYP_DART2F_HT"}},
      {QStringLiteral("Tarifs fournisseurs (N)"),
       {"TTYP_DTRF1", "TTYP_DTRF2", "TTYP_DTRF1_HT", "TTYP_DTRF2_HT"}},
      {QStringLiteral("En texte masqué"),
       {"TTYP_MASKET1", "TTYP_MASKET2", "TTYP_MASKHT1", "TTYP_MASKHT2"}},
  };
  int r = 2;
  for (const Row& row : rows) {
    g->addWidget(new QLabel(row.caption, box), r, 0);
    for (int c = 0; c < 4; ++c)
      check(row.fields[c], r, c + 1,
            row.caption + QStringLiteral(" : texte %1 ").arg(c % 2 + 1) +
                (c < 2 ? QStringLiteral("dans le tableau") : QStringLiteral("hors du tableau")));
    ++r;
  }
  g->setColumnStretch(0, 1);

  auto* title = new QGroupBox(QStringLiteral("Titre des textes descriptifs"), m_record);
  title->setObjectName("FRM_TITRE");
  auto* t = new QHBoxLayout(title);
  const auto option = [&](const char* name, const char* field, const QString& caption) {
    auto* c = new ui::BoundCheckBox(title);
    c->setObjectName(QString::fromLatin1(name));
    c->setText(caption);
    c->setDataSource(m_data, QString::fromLatin1(field));
    t->addWidget(c);
  };
  option("CHK_LibEnTitre", "TTYP_LibEnTitre", QStringLiteral("Désignation en &titre"));
  auto* size = new ui::NumberBox(title);
  size->setObjectName("FTYP_TitreCorps");
  size->setDecimals(false);
  size->setMessages(&m_state.messages());
  size->setDataSource(m_data, "TTYP_TitreCorps");
  size->setMaximumWidth(60);
  auto* sizeLabel = new QLabel(QStringLiteral("Cor&ps"), title);
  sizeLabel->setBuddy(size);
  t->addWidget(sizeLabel);
  t->addWidget(size);
  option("CHK_TitreEnGras", "TTYP_TitreEnGras", QStringLiteral("&Gras"));
  option("CHK_TitreSouligne", "TTYP_TitreSouligne", QStringLiteral("So&uligné"));
  t->addStretch();

  auto* both = new QWidget(m_record);
  auto* v = new QVBoxLayout(both);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(box);
  v->addWidget(title);
  return both;
}

QWidget* FTYP::buildDuplicationPanel() {
  auto* panel = new QGroupBox(QStringLiteral("Duplication de type de devis"), this);
  panel->setObjectName("FRM_Duplication");
  m_newCode = new QLineEdit(panel);
  m_newCode->setObjectName("CTX_NouveauCode");
  m_newCode->setMaximumWidth(120);
  m_newLabel = new QLineEdit(panel);
  m_newLabel->setObjectName("CTX_NouveauLib");
  auto* ok = button("Cmd_DupValider", QStringLiteral("&Valider"));
  auto* abandon = button("Cmd_DupAbandon", QStringLiteral("A&bandonner"));
  ok->setParent(panel);
  abandon->setParent(panel);
  auto* form = new QFormLayout(panel);
  form->addRow(label(QStringLiteral("Nouveau &code"), m_newCode), m_newCode);
  form->addRow(label(QStringLiteral("Nouveau &libellé"), m_newLabel), m_newLabel);
  auto* row = new QHBoxLayout;
  row->addWidget(ok);
  row->addWidget(abandon);
  form->addRow(row);
  connect(ok, &QPushButton::clicked, this, &FTYP::confirmDuplication);
  connect(abandon, &QPushButton::clicked, this, &FTYP::endDuplication);
  panel->hide();
  m_duplication = panel;
  return panel;
}

bool FTYP::compositionAvailable() const { return m_state.windows.has(kCompositionWindow); }

bool FTYP::checkBeforeSave() {
  auto& m = m_state.messages();
  const auto refuse = [&](const QString& text, QWidget* focus) {
    m.show(m.tr(text), ui::Icon::Warning);
    focus->setFocus(Qt::OtherFocusReason);
    return false;
  };
  if (m_code->text().trimmed().isEmpty())
    return refuse(QStringLiteral("Le code du type de devis est obligatoire"), m_code);
  if (const QString refusal = QuoteTypeTemplates::codeRefusal(m_code->text(), m);
      !refusal.isEmpty()) {
    m.show(refusal, ui::Icon::Warning);
    m_code->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (!validMaterialsMode(m_materials->letter()))
    return refuse(
        QStringLiteral("Le mode de tarification matières n'est pas correctement initialisé"),
        m_materials);
  if (!validLabourMode(m_labour->letter()))
    return refuse(
        QStringLiteral("Le mode de tarification main d'oeuvre n'est pas correctement initialisé"),
        m_labour);
  m_savingCode = m_adding ? m_code->text().trimmed() : QString();
  return true;
}

void FTYP::added() {
  m_adding = true;
  // A new type starts from the default modes of the general parameters.
  const QString mat = m_state.params.tarifMat;
  const QString mo = m_state.params.tarifMo;
  m_materials->setLetter(validMaterialsMode(mat) ? mat : QStringLiteral("V"));
  m_labour->setLetter(validLabourMode(mo) ? mo : QStringLiteral("V"));
}

void FTYP::showTemplateError(const QString& error) {
  m_state.messages().show(error, ui::Icon::Warning);
}

void FTYP::afterSave() {
  const bool wasNew = m_adding;
  m_adding = false;
  if (wasNew && !m_savingCode.isEmpty()) {
    auto& m = m_state.messages();
    bool replace = true;
    if (m_templates.hasTemplate(m_savingCode)) {
      replace = m.ask(m.tr(QStringLiteral("Le modèle Word correspondant à ce type existe déjà ")) +
                          m.tr(QStringLiteral("souhaitez-vous le conserver ?")),
                      ui::Buttons::YesNo, 1) == ui::Answer::No &&
                m.ask(m.tr(QStringLiteral("Confirmez-vous l'écrasement du modèle existant ?")),
                      ui::Buttons::YesNo, 2) == ui::Answer::Yes;
    }
    QString error;
    if (replace && !m_templates.giveEmptyTemplate(m_savingCode, &error)) showTemplateError(error);
  }
  m_savingCode.clear();
  (wasNew ? static_cast<QWidget*>(m_add) : m_code)->setFocus(Qt::OtherFocusReason);
}

QString FTYP::currentType() {
  if (m_recordButtons->refuseWhilePending()) return {};
  db::Recordset& rs = m_data->Recordset();
  if (!rs.isOpen() || rs.BOF() || rs.EOF_() || rs.EditMode() == db::EditMode::Add) {
    m_state.messages().beep();
    return {};
  }
  return rs.text("TTYP_CODE");
}

void FTYP::remove() {
  const QString code = currentType();
  if (code.isEmpty()) return;
  auto& m = m_state.messages();
  if (m.ask(m.tr(QStringLiteral("Confirmer la suppression")), ui::Buttons::YesNo, 2) !=
      ui::Answer::Yes)
    return;
  try {
    m_data->Delete();
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return;
  }
  if (m_templates.hasTemplate(code) &&
      m.ask(m.tr(QStringLiteral("Souhaitez-vous aussi détruire le modèle Word ?")),
            ui::Buttons::YesNo, 2) == ui::Answer::Yes &&
      !m_templates.removeTemplate(code))
    showTemplateError(m.tr(QStringLiteral("Impossible de supprimer le modèle ")) +
                      m_templates.templateFile(code));
  if (m_data->Recordset().RecordCount() == 0) m_add->setFocus(Qt::OtherFocusReason);
}

void FTYP::startDuplication() {
  const QString code = currentType();
  if (code.isEmpty()) return;
  auto& m = m_state.messages();
  QuoteTypeDuplication duplication(m_state.mainDb(), m_templates, m);
  if (const QString refusal = duplication.sourceRefusal(code); !refusal.isEmpty()) {
    m.show(refusal, ui::Icon::Warning);
    return;
  }
  if (m.ask(m.tr(QStringLiteral("Confirmez la duplication du modèle ")) + code, ui::Buttons::YesNo,
            1) != ui::Answer::Yes)
    return;
  m_newCode->clear();
  m_newLabel->clear();
  m_record->setEnabled(false);
  findChild<QTableView*>("DBG_TYP")->setEnabled(false);
  m_duplication->show();
  m_newCode->setFocus(Qt::OtherFocusReason);
}

void FTYP::confirmDuplication() {
  auto& m = m_state.messages();
  const QString code = m_data->Recordset().text("TTYP_CODE");
  const QString newCode = m_newCode->text().trimmed();
  QuoteTypeDuplication duplication(m_state.mainDb(), m_templates, m);
  QString refusal;
  try {
    refusal = duplication.duplicate(code, newCode, m_newLabel->text().trimmed());
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return;
  }
  if (!refusal.isEmpty()) {
    m.show(refusal, ui::Icon::Warning);
    m_newCode->setFocus(Qt::OtherFocusReason);
    m_newCode->selectAll();
    return;
  }
  endDuplication();
  try {
    m_data->Refresh();
    m_data->Recordset().Seek("=", newCode);
    if (m_data->Recordset().NoMatch()) m_data->Recordset().MoveFirst();
    m_data->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
  }
  if (compositionAvailable() && m.ask(m.tr(QStringLiteral("Désirez-vous ouvrir le modèle ?")),
                                      ui::Buttons::YesNo, 1) == ui::Answer::Yes)
    compose();
}

void FTYP::endDuplication() {
  m_duplication->hide();
  m_record->setEnabled(true);
  findChild<QTableView*>("DBG_TYP")->setEnabled(true);
  m_duplicate->setFocus(Qt::OtherFocusReason);
}

void FTYP::compose() {
  if (!compositionAvailable()) return;
  const QString code = currentType();
  if (code.isEmpty()) return;
  // While a composition is open nothing is touched: the start below refuses with its message.
  if (!compositionOpen(m_state)) {
    QString error;
    if (!m_templates.hasTemplate(code) && !m_templates.giveEmptyTemplate(code, &error)) {
      showTemplateError(error);
      return;
    }
  }
  m_state.compositionType = code;
  startComposition(m_state, objectName());
}

void FTYP::escape() {
  if (m_duplication->isVisible())
    endDuplication();
  else
    RecordWindow::escape();
}

}  // namespace tarovent::dossiers
