#pragma once

#include <QObject>
#include <QPointer>

class QAbstractItemView;

namespace tarovent::ui {

class DataControl;
class RecordsetModel;

// Keeps a data grid and the data control of its window on the same record: choosing a row moves
// the data control there (unless the window refuses to leave its record, and then the grid goes
// back), and the grid follows the data control's moves, saves, deletions and refreshes. The
// columns, headers, formats and widths the window gave the grid survive every reload, and the
// current column survives moves and saves. When the grid gets shorter (the form below it grew),
// a current row that was in sight stays in sight.
class GridLink : public QObject {
  Q_OBJECT
 public:
  GridLink(QAbstractItemView* view, RecordsetModel* model, DataControl* data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void reload();
  void rowChosen(int row);
  void follow();
  void followAt(int column);

  QPointer<QAbstractItemView> m_view;
  QPointer<RecordsetModel> m_model;
  QPointer<DataControl> m_data;
  bool m_moving = false;
};

}  // namespace tarovent::ui
