#include "FDEV.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include "CustomFieldsPanel.h"
#include "DuplicationPanel.h"
#include "FdevMailing.h"
#include "StatsPeriodPanel.h"
#include "core/GridTools.h"
#include "core/Occupancy.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundLineEdit.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/RecordButtons.h"
#include "ui/RecordsetModel.h"

namespace tarovent::dossiers {

namespace {

bool isKey(QEvent* event, int key) {
  return event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == key;
}

bool isEnter(QEvent* event) { return isKey(event, Qt::Key_Return) || isKey(event, Qt::Key_Enter); }

}  // namespace

FDEV::FDEV(core::ProcessState& state, QWidget* parent)
    : RecordWindow(state, QStringLiteral("FDEV"), QStringLiteral("Gestion des devis"), 1100,
                   parent),
      m_held(std::make_unique<core::HeldItem>(state)) {
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
       {"CMD_SOCSUIV", QStringLiteral("Société suivante"), nullptr, [this] { nextCompany(); }},
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

  const QList<QPushButton*> others = otherPartButtons();
  QWidget* form = buildForm();
  QWidget* list = buildList();
  QWidget* clientFrame = buildClientList();
  QWidget* vehicleFrame = buildVehicleList();
  FdevMailing* mailing = buildVersions(save, others);
  buildDuplication();
  m_stats = new StatsPeriodPanel(m_state, this);
  for (auto* s : m_stats->findChildren<QShortcut*>()) s->setEnabled(false);
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
  otherBar->addWidget(mailing->compareButton());
  otherBar->addStretch();
  // The record navigator sits in the first row's free space, before Quitter: in the second
  // row it pushed the workspace wider than a 1280-pixel screen.
  row.layout->insertWidget(row.layout->indexOf(row.at("Cmd_Quitter")), m_data);

  auto* side = new QVBoxLayout;
  side->addWidget(m_duplication);
  side->addWidget(m_stats);
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
  m_stats->takeKeys();
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
  } else if (m_stats->isVisible()) {
    m_stats->hide();
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
