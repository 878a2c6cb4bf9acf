#pragma once

#include <QDialog>

#include "DocumentLinks.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::documents {

// The article information window: the pictures attached to an article, one at a time, the
// next one on request, opened with the desktop's program (never a program file).
class FARTINFOS : public QDialog {
  Q_OBJECT
 public:
  FARTINFOS(core::ProcessState& state, const QString& article, const QString& label,
            QList<AttachedDocument> documents, QWidget* parent = nullptr);

  // The current document again (first shown on opening).
  void showDocument();
  // Cmd_Suivante: the next document, the first after the last.
  void nextDocument();
  // Cmd_Ouvrir and a double click on the picture: the shown file with the desktop's program.
  void openDocument();
  int current() const { return m_current; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  core::ProcessState& m_state;
  QList<AttachedDocument> m_documents;
  int m_current = 0;
  bool m_shown = false;  // the current file exists and is shown
  QGroupBox* m_frame = nullptr;
  QLabel* m_count = nullptr;
  QLabel* m_picture = nullptr;
  QLabel* m_message = nullptr;
  QLabel* m_name = nullptr;
};

// Registers FARTINFOS (on the article of state.pictureArticle) and the images command of the
// dossier workspace.
void registerDocumentWindows(core::ProcessState& state);

}  // namespace tarovent::documents
