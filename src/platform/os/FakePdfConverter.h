#pragma once

#include <QFile>
#include <QList>

#include "PdfConverter.h"

namespace tarovent::os {

// Converts nothing: writes a one-page PDF whose first comment names the document and the
// pages asked for, or fails as told. Finishes from the event loop, as the real one does.
class FakePdfConverter : public PdfConverter {
 public:
  enum class Behaviour { Write, ClaimWithoutFile, Fail };
  using PdfConverter::PdfConverter;
  void setBehaviour(Behaviour b, const QString& error = {}) {
    m_behaviour = b;
    m_error = error;
  }
  const QList<PdfJob>& jobs() const { return m_jobs; }

 protected:
  void start(const PdfJob& job) override {
    m_jobs.append(job);
    QMetaObject::invokeMethod(
        this,
        [this, job] {
          if (m_behaviour == Behaviour::Write) {
            QFile f(job.pdf);
            // One blank page, readable by PDF viewers (they rebuild the missing table).
            if (f.open(QIODevice::WriteOnly))
              f.write("%PDF-1.4\n% " + job.document.toUtf8() + " pages " +
                      (job.wholeDocument() ? QByteArray("all") : job.pageRange().toUtf8()) +
                      "\n1 0 obj <</Type/Catalog/Pages 2 0 R>> endobj\n"
                      "2 0 obj <</Type/Pages/Kids[3 0 R]/Count 1>> endobj\n"
                      "3 0 obj <</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>> endobj\n"
                      "trailer <</Root 1 0 R>>\n%%EOF\n");
          }
          finished(m_behaviour == Behaviour::Fail ? m_error : QString());
        },
        Qt::QueuedConnection);
  }

 private:
  Behaviour m_behaviour = Behaviour::Write;
  QString m_error;
  QList<PdfJob> m_jobs;
};

}  // namespace tarovent::os
