#pragma once

#include <QObject>
#include <QString>

namespace tarovent::os {

// One document to turn into PDF: the whole of it, or pages first to last (1-based).
struct PdfJob {
  QString document;
  QString pdf;
  int firstPage = 0;  // 0: the whole document
  int lastPage = 0;
  bool wholeDocument() const { return firstPage <= 0; }
  // "2-3" as the PDF filter takes it; empty for the whole document.
  QString pageRange() const;
};

struct PdfOutcome {
  bool ok = false;
  QString message;  // why it failed, in French, for the user
};

// Converts documents to PDF one at a time, in the background: convert() returns at once and
// done() follows from the event loop. Success is judged by the file written, never by what the
// converter says: the PDF is written under a temporary name and renamed over `pdf` only when it
// holds a PDF, so a failed export leaves the previous PDF as it was.
class PdfConverter : public QObject {
  Q_OBJECT
 public:
  explicit PdfConverter(QObject* parent = nullptr) : QObject(parent) {}
  // Starts a conversion; false (nothing started, no done()) while one runs.
  bool convert(const PdfJob& job);
  bool busy() const { return m_busy; }

 signals:
  void done(const tarovent::os::PdfOutcome& outcome);

 protected:
  // Writes `job.pdf` (a temporary name) and calls finished() once, later, with an empty
  // `error` when the converter believes it succeeded.
  virtual void start(const PdfJob& job) = 0;
  void finished(const QString& error);

 private:
  PdfJob m_job;
  QString m_target;
  bool m_busy = false;
};

// Runs one conversion while the event loop keeps turning, so that windows stay drawn.
PdfOutcome convertAndWait(PdfConverter& converter, const PdfJob& job);

// True when `path` is a non-empty file that begins as a PDF does.
bool looksLikePdf(const QString& path);

// The message given when LibreOffice cannot be used.
QString libreOfficeMissingMessage();

}  // namespace tarovent::os
