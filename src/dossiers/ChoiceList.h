#pragma once

#include <QFrame>
#include <QPointer>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tarovent::dossiers {

// The choice list of a custom field with a value table ("Choix: " and the field's label):
// Enter or a double click puts the value in the box, Esc goes back to the box unchanged.
class ChoiceList : public QFrame {
  Q_OBJECT
 public:
  // `frameName`/`listName`: FRM_TBUSER and DBG_TBUSER, or FRM_TBUSER01 and DBG_TBUSER01.
  ChoiceList(const QString& frameName, const QString& listName, QWidget* parent);

  // `title` is shown above the values, as the caller translated it.
  void open(QLineEdit* box, const QString& title, const QStringList& values);
  void choose();
  // Hides the list and gives the focus back to its box.
  void back();

 signals:
  // Esc: the user keeps the value of `box` although it is not in the list.
  void declined(QLineEdit* box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* m_title;
  QListWidget* m_list;
  QPointer<QLineEdit> m_box;
};

}  // namespace tarovent::dossiers
