#pragma once

#include <QDateTime>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

class QFileSystemWatcher;
class QLabel;
class QPdfDocument;
class QPdfView;

namespace tarovent::os {
struct PdfOutcome;
}

namespace tarovent::core {

class ProcessState;

// The PDF of a document shown page by page inside the program. Converted in the background
// through the process's converter, and again each time the document is saved: the window
// never waits for it. A conversion running for someone else (an export) is waited for; a save
// during a conversion drops its result and converts again.
class DocumentPreview : public QWidget {
  Q_OBJECT
 public:
  explicit DocumentPreview(ProcessState& state, QWidget* parent = nullptr);
  ~DocumentPreview() override;

  // Shows `path` (empty: nothing); converted now and after each save.
  void showDocument(const QString& path);
  // The document was just saved: converted again now, without waiting for the file watch.
  void refresh();
  QString document() const { return m_document; }
  int pageCount() const;
  // What the preview says instead of pages ("Conversion en cours ...", a failure).
  QString status() const;

 signals:
  // A new rendering is shown (or failed: pageCount() is 0).
  void refreshed();

 private:
  void convert();
  void fileChanged();
  void converted(const tarovent::os::PdfOutcome& outcome);
  void setStatus(const QString& text);

  ProcessState& m_state;
  QString m_document;
  QTemporaryDir m_folder;
  QString m_pdf;    // being made
  QString m_shown;  // on screen
  int m_generation = 0;
  QDateTime m_converting;  // the document's time when its conversion began
  bool m_waiting = false;
  bool m_again = false;  // saved since the running conversion began
  QTimer m_later;        // debounces saves, retries while the converter is busy
  QFileSystemWatcher* m_watcher;
  QLabel* m_status;
  QPdfDocument* m_pdfDocument;
  QPdfView* m_view;
};

}  // namespace tarovent::core
