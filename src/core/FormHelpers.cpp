#include "FormHelpers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>

#include "Paths.h"
#include "ProcessState.h"
#include "WindowTranslation.h"
#include "ui/BoundComboBox.h"
#include "ui/BoundControl.h"
#include "ui/DataControl.h"
#include "ui/FormNavigation.h"
#include "ui/RecordsetModel.h"

namespace tarovent::core {

void Selection_Focus() { ui::FormNavigation::selectAll(QApplication::focusWidget()); }

bool Modif_En_Cours(QWidget* window) { return ui::hasPendingChanges(window); }

void Lier_Donnees(ProcessState& state, QWidget* window, const QString& path) {
  if (!window) return;
  // A database the program holds open is shared: a second connection to the same file would
  // wait on the first one's transactions.
  const QString file = QFileInfo(localPath(path)).absoluteFilePath();
  const db::Database* open = nullptr;
  for (const BaseEntry& base : state.Table_Bases)
    if (base.open() && QFileInfo(base.db.Name()).absoluteFilePath() == file) open = &base.db;
  for (auto* data : window->findChildren<ui::DataControl*>()) {
    data->setServerOf(state.workspace);
    if (open)
      data->setDatabase(*open);
    else
      data->setDatabaseName(localPath(path));
  }
  Traduire_Fenetre(state, window);
}

void Liberer_Listes(QWidget* window) {
  if (!window) return;
  for (auto* combo : window->findChildren<ui::BoundComboBox*>()) combo->clearRowSource();
  for (auto* view : window->findChildren<QAbstractItemView*>())
    if (auto* model = qobject_cast<ui::RecordsetModel*>(view->model())) model->clear();
}

}  // namespace tarovent::core
