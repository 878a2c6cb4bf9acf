#include "composition/WorkbookImportFrame.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "composition/CompositionSession.h"
#include "composition/WorkbookImportFlow.h"
#include "core/ProcessState.h"

namespace tarovent::composition {

WorkbookImportFrame::WorkbookImportFrame(CompositionSession& session,
                                         std::function<void()> imported, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_flow(std::make_unique<WorkbookImportFlow>(session, session.state().openDocument)),
      m_imported(std::move(imported)) {
  setObjectName(QStringLiteral("FRM_Import"));
  setWindowTitle(QStringLiteral("Import d'un classeur de calcul"));
  auto* grid = new QGridLayout(this);
  m_folder = new QLabel(this);
  m_folder->setObjectName(QStringLiteral("CTL_Dossier"));
  m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(m_folder, 0, 0, 1, 2);

  auto* workbooksLabel = new QLabel(QStringLiteral("&Classeurs"), this);
  m_workbooks = new QListWidget(this);
  m_workbooks->setObjectName(QStringLiteral("BXL_Classeurs"));
  workbooksLabel->setBuddy(m_workbooks);
  auto* sheetsLabel = new QLabel(QStringLiteral("F&euilles"), this);
  m_sheets = new QListWidget(this);
  m_sheets->setObjectName(QStringLiteral("BXL_Feuilles"));
  sheetsLabel->setBuddy(m_sheets);
  grid->addWidget(workbooksLabel, 1, 0);
  grid->addWidget(sheetsLabel, 1, 1);
  grid->addWidget(m_workbooks, 2, 0);
  grid->addWidget(m_sheets, 2, 1);

  auto* options = new QGroupBox(QStringLiteral("Présentation"), this);
  options->setObjectName(QStringLiteral("FRM_Presentation"));
  auto* optionsBox = new QVBoxLayout(options);
  m_presentation = new QButtonGroup(this);
  for (Presentation p : {Presentation::X, Presentation::M, Presentation::A, Presentation::B,
                         Presentation::C}) {
    auto* option = new QRadioButton(presentationCaption(p), options);
    option->setObjectName(QStringLiteral("OPT_") + presentationLetter(p));
    option->installEventFilter(this);
    m_presentation->addButton(option, int(p));
    optionsBox->addWidget(option);
  }
  m_presentation->button(int(Presentation::X))->setChecked(true);
  grid->addWidget(options, 3, 0, 1, 2);

  m_state = new QLabel(this);
  m_state->setObjectName(QStringLiteral("CTL_Etat"));
  grid->addWidget(m_state, 4, 0, 1, 2);

  auto* buttons = new QDialogButtonBox(this);
  m_import = buttons->addButton(QStringLiteral("&Importer"), QDialogButtonBox::ActionRole);
  m_import->setObjectName(QStringLiteral("Cmd_Importer"));
  m_import->setToolTip(QStringLiteral("Importer le résultat du calcul dans Word"));
  m_import->setEnabled(false);
  m_import->setAutoDefault(false);
  QPushButton* close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("Cmd_Fermer"));
  close->setAutoDefault(false);
  grid->addWidget(buttons, 5, 0, 1, 2);

  m_watcher = new QFileSystemWatcher(this);
  connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &WorkbookImportFrame::showSaved);
  connect(m_workbooks, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { chooseWorkbook(item->text()); });
  connect(m_sheets, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { chooseSheet(item->text()); });
  connect(m_import, &QPushButton::clicked, this, &WorkbookImportFrame::importWorkbook);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

WorkbookImportFrame::~WorkbookImportFrame() = default;

bool WorkbookImportFrame::start() {
  if (!m_flow->Ouvrir_Import_Classeur()) return false;
  showEntries();
  return true;
}

void WorkbookImportFrame::showEntries() {
  m_folder->setText(m_flow->currentFolder());
  m_workbooks->clear();
  m_workbooks->addItems(m_flow->entries());
  if (m_workbooks->count() > 0) m_workbooks->setCurrentRow(0);
  m_workbooks->setFocus();
}

void WorkbookImportFrame::chooseWorkbook(const QString& entry) {
  const bool chosen = m_flow->Choisir_Classeur(entry);
  if (!chosen) {
    // A folder was opened, or the choice was given up.
    if (entry.startsWith(QLatin1Char('<')) || entry == QLatin1String("..")) showEntries();
    return;
  }
  if (!m_watcher->files().isEmpty()) m_watcher->removePaths(m_watcher->files());
  m_sheets->clear();
  m_sheets->addItems(m_flow->sheets());
  if (m_sheets->count() > 0) m_sheets->setCurrentRow(0);
  m_import->setEnabled(false);
  m_state->setText(QStringLiteral("Classeur : ") + QFileInfo(m_flow->workbookPath()).fileName());
  m_sheets->setFocus();
}

void WorkbookImportFrame::chooseSheet(const QString& sheet) {
  if (!m_flow->Choisir_Feuille(sheet)) return;
  m_watcher->addPath(m_flow->workbookPath());
  m_state->setText(QStringLiteral("Complétez la feuille ") + sheet +
                   QStringLiteral(" dans le tableur, enregistrez-la, puis importez."));
  m_import->setEnabled(true);
  m_presentation->checkedButton()->setFocus();
}

void WorkbookImportFrame::showSaved() {
  const QString path = m_flow->workbookPath();
  if (path.isEmpty()) return;
  // A file replaced by a rename leaves the watch: it is watched again.
  if (!m_watcher->files().contains(path) && QFileInfo::exists(path)) m_watcher->addPath(path);
  if (m_flow->savedSinceOpened())
    m_state->setText(QStringLiteral("Classeur enregistré par le tableur à ") +
                     QFileInfo(path).lastModified().toString(QStringLiteral("HH:mm:ss")) +
                     QStringLiteral(" : prêt à importer."));
}

void WorkbookImportFrame::importWorkbook() {
  if (!m_flow->importReady()) return;
  const auto presentation = Presentation(m_presentation->checkedId());
  const ImportResult result = m_flow->Importer_Classeur(presentation);
  if (m_imported && (result.completed || result.lines > 0)) m_imported();
  if (!m_flow->importReady()) {
    if (!m_watcher->files().isEmpty()) m_watcher->removePaths(m_watcher->files());
    m_sheets->clear();
    m_import->setEnabled(false);
    m_state->setText(QStringLiteral("%1 ligne(s) importée(s).").arg(result.lines));
  }
}

bool WorkbookImportFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        m_presentation->buttons().contains(qobject_cast<QAbstractButton*>(watched))) {
      importWorkbook();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tarovent::composition
