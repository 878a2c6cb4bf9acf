#pragma once

#include <QVector>
#include <QWidget>

#include "stock/CompositeCode.h"

class QLabel;
class QLineEdit;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::stock {

// Builds a composite article code from its family's segments: one box per segment, each
// checked and padded on Enter, the code composed below as the boxes fill. OK leaves the code
// in the state's composite-code value for the composition; Esc closes without touching it.
class FCOMPART : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxSegments = 10;

  // Opens on the family named by the state's composite-code value.
  explicit FCOMPART(core::ProcessState& state, QWidget* parent = nullptr);

  QString composedCode() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void load(const QString& family);
  bool validate(int segment);
  void cancel();
  void accept();
  void quit();
  void showCode();

  core::ProcessState& m_state;
  QVector<CodeSegment> m_segments;
  QVector<QLabel*> m_titles;
  QVector<QLineEdit*> m_boxes;
  QLineEdit* m_code = nullptr;
};

}  // namespace tarovent::stock
