#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::macros {

// The macro chooser: a list of macro names. Enter (or a double click) takes the current one,
// Esc closes without choosing.
class FSELMACRO : public QDialog {
  Q_OBJECT
 public:
  FSELMACRO(core::ProcessState& state, const QStringList& names, QWidget* parent = nullptr);

  // The row taken, -1 when none was.
  int chosen() const { return m_chosen; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void take();

  QListWidget* m_list = nullptr;
  int m_chosen = -1;
};

}  // namespace tarovent::macros
