#include "FMACRO.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <iterator>

#include "MacroSource.h"
#include "MacroText.h"
#include "core/MainMenu.h"
#include "core/ProcessState.h"
#include "core/WindowTranslation.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/ButtonRow.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/FormNavigation.h"
#include "ui/GridLink.h"
#include "ui/RecordButtons.h"
#include "ui/RecordsetModel.h"
#include "ui/RowList.h"

namespace tarovent::macros {

namespace {

struct HelpKey {
  const char* key;
  const char* label;
};

constexpr HelpKey kHelpKeys[] = {
    {"%", "Alt."},
    {"^", "Ctrl."},
    {"+", "Majuscule"},
    {"{ENTER}", "Entrée"},
    {"{TAB}", "Tab."},
    {"{DEL}", "Suppr."},
    {"{BKSP}", "Retour"},
    {"{HOME}", "Début"},
    {"{RIGHT}", "  ->"},
    {"{LEFT}", "  <-"},
    {"{UP}", "Fl. Haut"},
    {"{DOWN}", "Fl. Bas"},
    {"{END}", "Fin"},
    {"{ESC}", "Echap."},
    {"{CAPSLOCK}", "Verr.Maju."},
    {"{F2}", "  F2"},
    {"{F4}", "  F4"},
    {"{F5}", "  F5"},
    {"{F6}", "  F6"},
    {"{F7}", "  F7"},
    {"{F8}", "  F8"},
    {"{F9}", "  F9"},
    {"{F10}", "  F10"},
    {"{F11}", "  F11"},
    {"{F12}", "  F12"},
    {"{PRTSC}", "Imp. Ecran"},
    {"[ImpEcran]", "Imp. Form"},
};

constexpr int kDetailWidth = 420;

}  // namespace

FMACRO::FMACRO(core::ProcessState& state, QWidget* parent) : QWidget(parent), m_state(state) {
  setObjectName("FMACRO");
  setWindowTitle(QStringLiteral("Créateur de macros"));
  setProperty("helpContext", 5600);
  build();
  core::Traduire_Fenetre(state, this);
  try {
    m_data->Refresh();
  } catch (const db::DbError& e) {
    ui::showDbError(state.messages(), e);
  }
  setLocked(true);
  m_list->setFocus(Qt::OtherFocusReason);
}

void FMACRO::build() {
  m_data = new ui::DataControl(this);
  m_data->setObjectName("DBD_MACRO");
  m_data->setMessages(&m_state.messages());
  m_data->setDatabase(m_state.base(kMacroBase).db);
  m_data->setRecordSource(QStringLiteral("SELECT * FROM TMACRO ORDER BY TMACRO_NomMacro"));
  buildBoxes();
  buildList();
  buildHelpGrid();
  ui::ButtonRow row = buildButtons();
  layOut(row);
  connectRecords(row.set);
  new ui::FormNavigation(this);
}

void FMACRO::buildBoxes() {
  const auto box = [this](const char* name, const char* field, int maxLength) {
    auto* b = new ui::BoundLineEdit(this);
    b->setObjectName(name);
    b->setMaxLength(maxLength);
    b->setDataSource(m_data, field);
    return b;
  };
  m_name = box("CTX_NomMacro", "TMACRO_NomMacro", 50);
  m_form = box("CTX_Form", "TMACRO_Form", 50);
  m_detail = box("CTX_Detail", "TMACRO_Detail", 32767);
  m_form->setMaximumWidth(160);
  m_detail->setMinimumWidth(kDetailWidth);
  connect(m_form, &QLineEdit::editingFinished, this, [this] {
    if (!locked() && m_form->text().trimmed().isEmpty()) m_form->setText(kEveryWindow);
  });
  m_windows = new QComboBox(this);
  m_windows->setObjectName("DBC_Fenetres");
  m_windows->setToolTip(QStringLiteral("Choisir la fenêtre par son titre"));
  fillWindows();
  connect(m_windows, &QComboBox::activated, this,
          [this](int i) { m_form->setText(m_windows->itemData(i).toString()); });
  connect(m_form, &QLineEdit::textChanged, this, &FMACRO::showWindowChosen);
}

void FMACRO::buildList() {
  m_list = new QListView(this);
  m_list->setObjectName("BXL_Macros");
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->installEventFilter(this);
  auto* model = new ui::RecordsetModel(m_list);
  ui::GridColumn name;
  name.field = QStringLiteral("TMACRO_NomMacro");
  name.header = QStringLiteral("Macro");
  model->setColumns({name});
  new ui::GridLink(m_list, model, m_data);
}

void FMACRO::buildHelpGrid() {
  m_help = new QTableWidget(int(std::size(kHelpKeys)), 2, this);
  m_help->setObjectName("DBG_Aide");
  m_help->setHorizontalHeaderLabels({QStringLiteral("Touche"), QStringLiteral("Libellé")});
  m_help->verticalHeader()->hide();
  m_help->verticalHeader()->setDefaultSectionSize(20);
  m_help->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui::readByRows(m_help);
  m_help->setSelectionMode(QAbstractItemView::SingleSelection);
  for (int row = 0; row < int(std::size(kHelpKeys)); ++row) {
    m_help->setItem(row, 0, new QTableWidgetItem(QString::fromUtf8(kHelpKeys[row].key)));
    m_help->setItem(row, 1, new QTableWidgetItem(QString::fromUtf8(kHelpKeys[row].label)));
  }
  m_help->setColumnWidth(0, 100);
  m_help->horizontalHeader()->setStretchLastSection(true);
  m_help->setFixedWidth(230);
  m_help->installEventFilter(this);
  connect(m_help, &QTableWidget::cellClicked, this, [this](int row) { insertHelpKey(row); });
}

ui::ButtonRow FMACRO::buildButtons() {
  using Set = ui::RecordButtonSet;
  ui::ButtonRow row =
      ui::buttonRow(this, Qt::Horizontal,
                    {{"Cmd_Ajouter", QStringLiteral("&Ajouter"), nullptr, [this] { add(); }},
                     {"Cmd_Modifier", QStringLiteral("&Modifier"), nullptr, [this] { edit(); }},
                     {"Cmd_Update", QStringLiteral("&Enregistrer"), &Set::save},
                     {"Cmd_Annuler", QStringLiteral("A&nnuler"), &Set::cancel},
                     {"Cmd_Supprimer", QStringLiteral("&Supprimer"), &Set::remove},
                     {"Cmd_Quitter", QStringLiteral("&Quitter"), nullptr, [this] { quit(); }},
                     {}});
  for (QPushButton* b : row.buttons) b->setAutoDefault(false);
  m_add = row.at("Cmd_Ajouter");
  m_edit = row.at("Cmd_Modifier");
  m_save = row.at("Cmd_Update");
  m_cancel = row.at("Cmd_Annuler");
  m_remove = row.at("Cmd_Supprimer");
  m_quit = row.at("Cmd_Quitter");
  return row;
}

void FMACRO::layOut(const ui::ButtonRow& row) {
  const auto label = [this](const char* name, const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, this);
    l->setObjectName(name);
    l->setBuddy(buddy);
    return l;
  };
  auto* listCaption = label("CTL_Macros", QStringLiteral("&Liste des macros"), m_list);
  auto* form = new QGridLayout;
  form->addWidget(label("CTL_NomMacro", QStringLiteral("N&om de la macro"), m_name), 0, 0);
  form->addWidget(m_name, 0, 1);
  form->addWidget(label("CTL_Form", QStringLiteral("&Fenêtre"), m_form), 1, 0);
  auto* formRow = new QHBoxLayout;
  formRow->addWidget(m_form);
  formRow->addWidget(m_windows);
  formRow->addStretch();
  form->addLayout(formRow, 1, 1);
  auto* everyWindow = new QLabel(
      QStringLiteral("Le signe * signifie que la macro est applicable à tous les formulaires"),
      this);
  everyWindow->setObjectName("CTL_Explication_Form");
  everyWindow->setWordWrap(true);
  form->addWidget(everyWindow, 2, 1);
  form->addWidget(label("CTL_Detail", QStringLiteral("&Touches"), m_detail), 3, 0);
  form->addWidget(m_detail, 3, 1);
  auto* printing = new QLabel(
      QStringLiteral("Choisissez [Imp. Form] si vous souhaitez imprimer la fenêtre active au "
                     "moment de l'exécution."),
      this);
  printing->setObjectName("CTL_Explication_Imp");
  printing->setWordWrap(true);
  form->addWidget(printing, 4, 1);
  auto* helpCaption = new QLabel(
      QStringLiteral("Cliquez sur une touche de l'aide (ou Entrée) pour l'insérer au curseur."),
      this);
  helpCaption->setObjectName("CTL_Aide");
  helpCaption->setWordWrap(true);
  form->addWidget(helpCaption, 5, 1);
  form->setColumnStretch(1, 1);

  auto* left = new QVBoxLayout;
  left->addWidget(listCaption);
  left->addWidget(m_list, 1);
  auto* middle = new QVBoxLayout;
  middle->addLayout(form);
  middle->addSpacing(8);
  middle->addLayout(row.layout);
  middle->addWidget(m_data);
  middle->addStretch();
  auto* helpColumn = new QVBoxLayout;
  helpColumn->addWidget(label("CTL_Touches", QStringLiteral("Aide : touc&hes"), m_help));
  helpColumn->addWidget(m_help, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(middle, 3);
  layout->addLayout(helpColumn);

  const QList<QWidget*> order =
      QList<QWidget*>{m_list, m_name, m_form, m_detail, m_help} + row.widgets();
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void FMACRO::connectRecords(const ui::RecordButtonSet& buttons) {
  m_records = new ui::RecordButtons(this, m_data, m_state.messages(), buttons);
  m_records->setRefusal(
      QStringLiteral("Veuillez d'abord enregistrer ou annuler vos modifications"));
  m_records->setDeleteQuestion(QStringLiteral("Etes-vous sur de vouloir supprimer cette macro ?"));
  m_records->setFirstField(m_name);
  m_records->setSaveCheck([this] { return checkBeforeSave(); });
  connect(m_records, &ui::RecordButtons::saved, this, &FMACRO::afterSave);
  connect(m_records, &ui::RecordButtons::cancelled, this, [this] {
    m_adding = false;
    setLocked(true);
    m_list->setFocus(Qt::OtherFocusReason);
  });
  connect(m_records, &ui::RecordButtons::removed, this, [this] {
    try {
      m_data->Refresh();
    } catch (const db::DbError& e) {
      ui::showDbError(m_state.messages(), e);
    }
    m_list->setFocus(Qt::OtherFocusReason);
  });
}

bool FMACRO::locked() const { return !m_name->isEnabled(); }

void FMACRO::setLocked(bool locked) {
  for (QWidget* w : {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_form),
                     static_cast<QWidget*>(m_windows), static_cast<QWidget*>(m_detail)})
    w->setEnabled(!locked);
  m_save->setEnabled(!locked);
  m_cancel->setEnabled(!locked);
  const bool onRecord = m_data->isOpen() && !m_data->Recordset().BOF() &&
                        !m_data->Recordset().EOF_() && m_data->Recordset().RecordCount() > 0;
  m_edit->setEnabled(locked && onRecord);
  m_remove->setEnabled(locked && onRecord);
}

void FMACRO::add() {
  if (m_data->EditMode() != db::EditMode::Add) {
    if (m_records->refuseWhilePending()) return;
    try {
      m_data->AddNew();
    } catch (const db::DbError& e) {
      ui::showDbError(m_state.messages(), e);
      return;
    }
  }
  m_adding = true;
  setLocked(false);
  m_name->setReadOnly(false);
  m_name->setFocus(Qt::OtherFocusReason);
}

void FMACRO::edit() {
  if (m_data->Recordset().BOF() || m_data->Recordset().EOF_()) return;
  setLocked(false);
  m_name->setReadOnly(true);  // the name is the macro's key
  m_detail->setFocus(Qt::OtherFocusReason);
}

void FMACRO::fillWindows() {
  m_windows->addItem(QStringLiteral("* ") + m_state.Traduire(QStringLiteral("Toutes les fenêtres")),
                     kEveryWindow);
  if (auto* menu = dynamic_cast<core::MainMenu*>(m_state.opener))
    for (const auto& [caption, window] : menu->windowCaptions())
      m_windows->addItem(m_state.Traduire(caption), window);
}

void FMACRO::showWindowChosen() {
  const int i = m_windows->findData(m_form->text().trimmed(), Qt::UserRole, Qt::MatchFixedString);
  m_windows->setCurrentIndex(i);
}

bool FMACRO::checkBeforeSave() {
  if (m_name->text().trimmed().isEmpty()) {
    m_state.messages().show(m_state.Traduire(QStringLiteral("Le nom de la macro est obligatoire")),
                            ui::Icon::Warning);
    m_name->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (m_form->text().trimmed().isEmpty()) m_form->setText(kEveryWindow);
  const MacroPlan plan = planMacro(m_detail->text());
  if (plan.error) {
    m_state.messages().show(m_state.Traduire(QStringLiteral("Les touches sont incorrectes : ")) +
                                m_state.Traduire(problemText(*plan.error)) +
                                m_state.Traduire(QStringLiteral(", position ")) +
                                QString::number(plan.error->position + 1) + '.',
                            ui::Icon::Warning);
    m_detail->setFocus(Qt::OtherFocusReason);
    m_detail->setCursorPosition(plan.error->position);
    return false;
  }
  m_savedName = m_name->text();
  return true;
}

void FMACRO::afterSave() {
  m_adding = false;
  // A new or renamed macro takes its place in the name order: the list is read again.
  try {
    m_data->Refresh();
    m_data->Recordset().FindFirst("TMACRO_NOMMACRO = " + db::sqlLiteral(m_savedName));
    if (m_data->Recordset().NoMatch()) m_data->Recordset().MoveFirst();
    m_data->showRecord();
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
  }
  setLocked(true);
  m_list->setFocus(Qt::OtherFocusReason);
}

void FMACRO::insertHelpKey(int row) {
  if (locked() || row < 0 || row >= int(std::size(kHelpKeys))) return;
  int cursor = m_detail->cursorPosition();
  const QString text = insertKey(m_detail->text(), cursor, QString::fromUtf8(kHelpKeys[row].key));
  m_detail->setFocus(Qt::OtherFocusReason);
  m_detail->setText(text);
  m_detail->setCursorPosition(cursor);
}

bool FMACRO::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_help && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
      insertHelpKey(m_help->currentRow());
      return true;
    }
    if (watched == m_list && key == Qt::Key_Delete) {
      if (locked()) m_records->remove();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FMACRO::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    quit();
    return;
  }
  QWidget::keyPressEvent(e);
}

void FMACRO::quit() {
  if (m_records->refuseWhilePending()) return;
  m_closing = true;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
  m_closing = false;
}

void FMACRO::closeEvent(QCloseEvent* e) {
  if (!m_closing && !m_records->mayClose()) {
    e->ignore();
    return;
  }
  QWidget::closeEvent(e);
}

}  // namespace tarovent::macros
