#pragma once

#include <QFrame>
#include <QMap>

#include "CustomFields.h"

class QLabel;

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::ui {
class BoundLineEdit;
}

namespace tarovent::dossiers {

class ChoiceList;

// The boxes of custom fields `first` to `last` (CTX_USER and their labels CTL_USER, a control
// array by the property "index") with their choice list. Fields 3 to 15 make the panel
// FRM_Infos, which Esc closes; fields 1 and 2 sit on the dossier form with FRM_TBUSER01.
// The workspace binds each box to its TDOS_USERn.
class CustomFieldsPanel : public QFrame {
  Q_OBJECT
 public:
  CustomFieldsPanel(core::ProcessState& state, CustomFields& fields, int first, int last,
                    QWidget* parent = nullptr);

  ui::BoundLineEdit* box(int n) const { return m_boxes.value(n); }
  QLabel* label(int n) const { return m_labels.value(n); }
  ChoiceList* choiceList() const { return m_choices; }
  // Shows the panel with the focus on its first visible box (Cmd_Infos).
  void showPanel();
  // What leaving box `n` does: formats its value and offers the choice list for a value not in
  // the field's table.
  void leave(int n);

 signals:
  // Esc in the panel: closed; the workspace gives the focus back to Cmd_Infos.
  void closed();
  // A box took the focus: the workspace hides the other choice list.
  void entered();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool key(int n, int key);
  QString choiceTitle(const QString& label) const;
  void focusNext(int n);

  core::ProcessState& m_state;
  CustomFields& m_fields;
  int m_first, m_last;
  QMap<int, ui::BoundLineEdit*> m_boxes;
  QMap<int, QLabel*> m_labels;
  QMap<int, QString> m_declined;  // a value whose list the user closed with Esc
  ChoiceList* m_choices;
};

}  // namespace tarovent::dossiers
