#pragma once

#include <QVector>
#include <QWidget>

#include "guard/CostDrift.h"

class QPushButton;
class QTableWidget;

namespace tarovent::guard {

// "Évolution des coûts": the lines of a reopened quote whose cost or price has moved since it
// was written, with the old and new values and the effect on the margin. Nothing changes
// unless the user ticks lines and asks for them to be refreshed.
class DriftWindow : public QWidget {
  Q_OBJECT

 public:
  // `frozen`: the version has left and cannot take new prices; the list is only shown.
  DriftWindow(const QVector<DriftLine>& lines, const QString& quote, bool frozen,
              QWidget* parent = nullptr);
  QTableWidget* list() const { return m_list; }
  QPushButton* refreshButton() const { return m_refresh; }
  // The lines ticked, in the order of the list.
  QVector<DriftLine> ticked() const;
  // "Actualiser les lignes cochées": hands the ticked lines over and closes; nothing ticked
  // leaves the window open.
  void refresh();

 signals:
  void refreshRequested(const QVector<DriftLine>& lines);

 private:
  QVector<DriftLine> m_lines;
  QTableWidget* m_list;
  QPushButton* m_refresh;
};

}  // namespace tarovent::guard
