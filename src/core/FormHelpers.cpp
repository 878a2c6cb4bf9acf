#include "FormHelpers.h"

#include <QAbstractItemView>
#include <QApplication>

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
  for (auto* data : window->findChildren<ui::DataControl*>()) data->setDatabaseName(path);
  Traduire_Fenetre(state, window);
}

void Liberer_Listes(QWidget* window) {
  if (!window) return;
  for (auto* combo : window->findChildren<ui::BoundComboBox*>()) combo->clearRowSource();
  for (auto* view : window->findChildren<QAbstractItemView*>())
    if (auto* model = qobject_cast<ui::RecordsetModel*>(view->model())) model->clear();
}

}  // namespace tarovent::core
