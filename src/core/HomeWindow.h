#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;

namespace tarovent::core {

class ProcessState;

// FAcceuil: the home window under the main menu, with the start picture of the family or the
// program's name. It is drawn for the room an 800 x 600 screen leaves below the menu.
class HomeWindow : public QWidget {
 public:
  explicit HomeWindow(ProcessState& state, QWidget* parent = nullptr);

  // Fits the window to a screen of that height, once; on the 800 x 600 screen it is drawn for
  // nothing changes. Records the working height the other windows are given.
  void fitToScreen(int screenHeight);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  ProcessState& m_state;
  QLabel* m_picture;
  QPixmap m_pixmap;
  bool m_fitted = false;
};

}  // namespace tarovent::core
