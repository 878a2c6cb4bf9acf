#include "GridTools.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QTableView>

#include "FCHERCHE.h"
#include "FCLASSE.h"
#include "FSELECT.h"
#include "GridExport.h"
#include "GridPrint.h"
#include "ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundControl.h"
#include "ui/BusyCursor.h"
#include "ui/DataControl.h"
#include "ui/DbErrorMessage.h"
#include "ui/RecordsetModel.h"

namespace tarovent::core {

namespace {

const QString kMarker = QStringLiteral("***");

QString whereOf(const QString& source) { return Decouper_Requete(source).where.simplified(); }

}  // namespace

GridTools::GridTools(ProcessState& state, QTableView* grid, ui::DataControl* data, QLabel* marker)
    : QObject(grid),
      m_state(state),
      m_grid(grid),
      m_data(data),
      m_marker(marker),
      m_preview(std::make_unique<PreviewGridPrinter>()),
      m_printer(m_preview.get()),
      m_original(data->RecordSource()) {
  setObjectName("GridTools");
  m_prompt = [this](const QString& question) -> std::optional<QString> {
    bool ok = false;
    const QString answer = QInputDialog::getText(m_grid ? m_grid->window() : nullptr,
                                                 m_grid ? m_grid->toolTip() : QString(), question,
                                                 QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return answer;
  };
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid, &QWidget::customContextMenuRequested, this, &GridTools::showMenu);
  auto* search = new QAction(grid);
  search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  search->setShortcutContext(Qt::WidgetShortcut);
  connect(search, &QAction::triggered, this, [this] { run(GridAction::Search); });
  grid->addAction(search);
  // Without the dialogs: F7 keeps the rows beginning with the answer, F3 finds one holding it.
  const auto key = [&](int k, void (GridTools::*prompt)()) {
    auto* a = new QAction(grid);
    a->setShortcut(QKeySequence(k));
    a->setShortcutContext(Qt::WidgetShortcut);
    connect(a, &QAction::triggered, this, prompt);
    grid->addAction(a);
  };
  key(Qt::Key_F7, &GridTools::promptSelection);
  key(Qt::Key_F3, &GridTools::promptSearch);
  connect(data, &ui::DataControl::recordsChanged, this, &GridTools::sourceChanged);
  showMarker();
}

GridTools::~GridTools() = default;

void GridTools::setPrinter(GridPrinter* printer) {
  m_printer = printer ? printer : m_preview.get();
}

QString GridTools::translate(const QString& fixed) const { return m_state.Traduire(fixed); }

std::optional<GridContext> GridTools::context(int column, bool sorting) {
  if (!m_grid || !m_data) return std::nullopt;
  auto* model = qobject_cast<ui::RecordsetModel*>(m_grid->model());
  const QModelIndex current = m_grid->currentIndex();
  if (column < 0) column = current.isValid() ? current.column() : 0;
  const bool sortedByKey = sorting && model && !model->hasField(column) &&
                           column < model->columnCount() &&
                           !model->column(column).sortKey.isEmpty();
  if (!model || (!model->hasField(column) && !sortedByKey)) {
    m_state.messages().beep();
    m_state.messages().show(translate(QStringLiteral("Opération impossible sur cette colonne.")),
                            ui::Icon::Information);
    return std::nullopt;
  }
  GridContext c;
  c.state = &m_state;
  c.grid = m_grid;
  c.data = m_data;
  c.column = column;
  c.row = current.row();
  c.field = sortedByKey ? model->column(column).sortKey : model->column(column).field;
  c.title = model->headerData(column, Qt::Horizontal).toString();
  c.kind = columnKindOf(model->fieldSpec(column).type);
  c.parts = Decouper_Requete(m_data->RecordSource());
  return c;
}

QDialog* GridTools::run(GridAction action, int column) {
  if (action == GridAction::Print) {
    if (m_grid) m_printer->print(m_grid);
    return nullptr;
  }
  if (action == GridAction::Export) {
    exportGrid();
    return nullptr;
  }
  const std::optional<GridContext> c = context(column, action == GridAction::Sort);
  if (!c) return nullptr;
  QDialog* dialog = nullptr;
  if (action == GridAction::Select)
    dialog = new FSELECT(*c);
  else if (action == GridAction::Search)
    dialog = new FCHERCHE(*c);
  else
    dialog = new FCLASSE(*c);
  dialog->open();
  return dialog;
}

void GridTools::exportGrid() {
  if (!m_grid || !m_data) return;
  const ui::Answer answer = m_state.messages().ask(
      translate(QStringLiteral("Confirmez-vous la création du fichier Excel ?")),
      ui::Buttons::YesNo, 1);
  if (answer != ui::Answer::Yes) return;
  auto* model = qobject_cast<ui::RecordsetModel*>(m_grid->model());
  if (!model) return;
  QList<ExportColumn> columns;
  for (int c = 0; c < model->columnCount(); ++c) {
    const ui::GridColumn& column = model->column(c);
    if (m_grid->isColumnHidden(c) || column.command) continue;
    const db::FieldSpec fieldType = model->fieldSpec(c);
    auto format = column.format;
    if (!format) format = [fieldType](const QVariant& v) { return ui::textForField(v, fieldType); };
    columns << ExportColumn{column.field, model->headerData(c, Qt::Horizontal).toString(), format,
                            m_grid->columnWidth(c) / 7.0, column.compute};
  }
  QString folder = m_state.workingFolder;
  if (folder.isEmpty()) folder = QDir::currentPath() + '/';
  const QString file = exportFileBase(m_grid->toolTip()) + QStringLiteral(".xlsx");
  QString failure;
  {
    // A cursor of its own: the window stays on its record.
    ui::BusyCursor busy;
    failure = writeGridWorkbook(m_data->Recordset(), columns, folder + file);
  }
  if (!failure.isEmpty()) {
    m_state.messages().show(
        translate(QStringLiteral("Le fichier Excel n'a pas pu être créé : ")) + failure,
        ui::Icon::Warning);
    return;
  }
  m_state.messages().show(translate(QStringLiteral("Votre fichier Excel a été créé dans ")) +
                              QDir::toNativeSeparators(folder) +
                              translate(QStringLiteral("   sous le nom :  ")) + file,
                          ui::Icon::Information);
}

std::optional<QString> GridTools::ask(const GridContext& c, const QString& question) {
  if (!m_prompt) return std::nullopt;
  return m_prompt(translate(question) + c.title + translate(QStringLiteral(") : ")));
}

void GridTools::promptSelection() {
  const std::optional<GridContext> c = context(-1);
  if (!c) return;
  const std::optional<QString> value = ask(*c, QStringLiteral("Critère de sélection ("));
  if (!value || !m_data->leaveRecord()) return;
  selectRows(m_state, m_data, c->parts, prefixCondition(c->field, *value));
}

void GridTools::promptSearch() {
  const std::optional<GridContext> c = context(-1);
  if (!c) return;
  const std::optional<QString> value = ask(*c, QStringLiteral("Expression à rechercher ("));
  if (!value) return;
  try {
    const QByteArray found =
        findRecord(m_data->Recordset(), containsCriteria(c->field, *value), false);
    if (found.isEmpty()) {
      m_state.messages().show(translate(QStringLiteral("Elément non trouvé. Fin de la recherche.")),
                              ui::Icon::Information);
      return;
    }
    if (!m_data->leaveRecord() || !m_data->moveToBookmark(found)) return;
  } catch (const db::DbError& e) {
    ui::showDbError(m_state.messages(), e);
    return;
  }
  // The found row's cell of the column becomes the active cell.
  const QModelIndex row = m_grid->currentIndex();
  if (row.isValid()) m_grid->setCurrentIndex(row.siblingAtColumn(c->column));
}

bool GridTools::isFiltered() const { return m_filtered; }

void GridTools::showAll() {
  if (!m_data || !m_filtered || !m_data->leaveRecord()) return;
  QueryParts parts = Decouper_Requete(m_data->RecordSource());
  parts.where = Decouper_Requete(m_original).where;
  changeRecordSource(m_state, m_data, recordSourceOf(parts));
}

void GridTools::sourceChanged() {
  if (!m_data) return;
  const bool filtered = whereOf(m_data->RecordSource()) != whereOf(m_original);
  if (filtered == m_filtered) return;
  m_filtered = filtered;
  showMarker();
  emit filteredChanged(filtered);
}

void GridTools::showMarker() {
  if (m_marker) {
    m_marker->setText(m_filtered ? kMarker : QString());
    return;
  }
  QWidget* window = m_grid ? m_grid->window() : nullptr;
  if (!window) return;
  const QString suffix = ' ' + kMarker;
  QString title = window->windowTitle();
  if (title.endsWith(suffix)) title.chop(suffix.size());
  window->setWindowTitle(m_filtered ? title + suffix : title);
}

void GridTools::showMenu(const QPoint& at) {
  if (!m_grid) return;
  const int column = m_grid->columnAt(at.x());
  QMenu menu(m_grid);
  const auto add = [&](const QString& caption, GridAction action) {
    connect(menu.addAction(translate(caption)), &QAction::triggered, this,
            [this, action, column] { run(action, column); });
  };
  add(QStringLiteral("&Sélection..."), GridAction::Select);
  add(QStringLiteral("&Rechercher...\tCtrl+F"), GridAction::Search);
  add(QStringLiteral("&Classer..."), GridAction::Sort);
  connect(menu.addAction(translate(QStringLiteral("Sélection &rapide\tF7"))), &QAction::triggered,
          this, &GridTools::promptSelection);
  connect(menu.addAction(translate(QStringLiteral("Recherche r&apide\tF3"))), &QAction::triggered,
          this, &GridTools::promptSearch);
  menu.addSeparator();
  add(QStringLiteral("Im&primer..."), GridAction::Print);
  add(QStringLiteral("E&xporter vers Excel..."), GridAction::Export);
  menu.addSeparator();
  QAction* all = menu.addAction(translate(QStringLiteral("&Tout afficher")));
  all->setEnabled(m_filtered);
  connect(all, &QAction::triggered, this, &GridTools::showAll);
  menu.exec(m_grid->viewport()->mapToGlobal(at));
}

GridTools* addGridTools(ProcessState& state, QTableView* grid, ui::DataControl* data,
                        QLabel* marker) {
  if (auto* tools = grid->findChild<GridTools*>(QString(), Qt::FindDirectChildrenOnly))
    return tools;
  return new GridTools(state, grid, data, marker);
}

QDialog* Outil_Grille(ProcessState& state, int action, QTableView* grid, ui::DataControl* data) {
  if (!grid || !data || action < 0 || action > 4) return nullptr;
  return addGridTools(state, grid, data)->run(GridAction(action));
}

}  // namespace tarovent::core
