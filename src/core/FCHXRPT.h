#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace tarovent::core {

// The report chooser: one row per report file of a listing ("*STANDARD*" for the file named
// with the prefix alone). A double click, Enter or OK chooses; Esc and Annuler cancel.
class FCHXRPT : public QDialog {
  Q_OBJECT
 public:
  explicit FCHXRPT(const QStringList& labels, QWidget* parent = nullptr);
  // The label chosen, "" when none.
  QString chosen() const;

 private:
  QListWidget* m_list;
};

}  // namespace tarovent::core
