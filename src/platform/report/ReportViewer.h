#pragma once

#include <QDialog>
#include <functional>

#include "Report.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QScrollArea;
class QTimer;

namespace tarovent::report {

// The print preview F_RPT: the pages of a report one at a time, at the zoom chosen, with
// buttons (and keys) to move between pages, print through the print dialog and save as PDF.
// The first page shows at once; the following pages are laid out while the window waits for
// the user, a slice at a time, and the page count follows.
class ReportViewer : public QDialog {
  Q_OBJECT
 public:
  // `report` has been started; the viewer lays its first page out at once (ReportError from
  // there propagates) and owns it from then on.
  explicit ReportViewer(Report report, QWidget* parent = nullptr);
  ~ReportViewer() override;

  Report& report() { return m_report; }
  int currentPage() const { return m_page; }
  void showPage(int index);
  void setZoom(int index);

  // What the buttons do; tests replace the dialogs. `choosePrinter` sets the printer up and
  // says whether to print (Qt's print dialog by default); `choosePdfFile` gives the file to
  // write, "" to give up (a file dialog by default); `tell` shows a message (a message box).
  void setPrinterChooser(std::function<bool(QPrinter&, int pages)> choose) {
    m_choosePrinter = std::move(choose);
  }
  void setPdfFileChooser(std::function<QString(const QString& proposed)> choose) {
    m_choosePdf = std::move(choose);
  }
  void setMessageSink(std::function<void(const QString&)> tell) { m_tell = std::move(tell); }
  // Where the PDF file is proposed.
  void setPdfFolder(const QString& folder) { m_pdfFolder = folder; }

  void print();
  void savePdf();
  // Lays out the rest now (hourglass); false after a message when reading failed.
  bool finishLayout();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void layoutSlice();
  void render();
  // The page counts and the state; the page box is left to what the user types in it.
  void updateCounts();
  void showPageNumber();
  double zoomDpi() const;
  void stop(const QString& message);

  Report m_report;
  int m_page = 0;
  bool m_failed = false;
  QString m_pdfFolder;
  QTimer* m_slices;
  QLabel* m_sheet;
  QScrollArea* m_scroll;
  QLineEdit* m_pageBox;
  QLabel* m_pages;
  QLabel* m_state;
  QComboBox* m_zoom;
  QPushButton* m_first;
  QPushButton* m_previous;
  QPushButton* m_next;
  QPushButton* m_last;
  std::function<bool(QPrinter&, int)> m_choosePrinter;
  std::function<QString(const QString&)> m_choosePdf;
  std::function<void(const QString&)> m_tell;
};

}  // namespace tarovent::report
