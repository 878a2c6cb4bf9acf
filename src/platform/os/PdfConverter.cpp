#include "PdfConverter.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace tarovent::os {

QString PdfJob::pageRange() const {
  if (wholeDocument()) return {};
  return QStringLiteral("%1-%2").arg(firstPage).arg(qMax(firstPage, lastPage));
}

bool looksLikePdf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
}

QString libreOfficeMissingMessage() {
  return QStringLiteral(
      "LibreOffice est introuvable : installez le paquet libreoffice-writer-nogui pour créer des "
      "fichiers PDF.");
}

bool PdfConverter::convert(const PdfJob& job) {
  if (m_busy) return false;
  m_busy = true;
  m_target = job.pdf;
  m_job = job;
  // Beside the target, so that the rename stays on one file system.
  const QFileInfo target(job.pdf);
  m_job.pdf = target.absolutePath() + QStringLiteral("/.~") + target.completeBaseName() +
              QStringLiteral(".part.pdf");
  QFile::remove(m_job.pdf);
  if (!QFileInfo(job.document).isFile()) {
    m_busy = false;
    // Reported from the event loop like any other outcome.
    QMetaObject::invokeMethod(
        this,
        [this, name = QFileInfo(job.document).fileName()] {
          emit done({false, QStringLiteral("Le document %1 est introuvable.").arg(name)});
        },
        Qt::QueuedConnection);
    return true;
  }
  start(m_job);
  return true;
}

void PdfConverter::finished(const QString& error) {
  PdfOutcome outcome;
  if (looksLikePdf(m_job.pdf)) {
    QFile::remove(m_target);
    if (QFile::rename(m_job.pdf, m_target)) {
      outcome.ok = true;
    } else {
      outcome.message =
          QStringLiteral("Le fichier %1 ne peut pas être remplacé (ouvert ou protégé ?).")
              .arg(m_target);
    }
  } else {
    outcome.message =
        error.isEmpty() ? QStringLiteral("La conversion en PDF n'a produit aucun fichier.") : error;
  }
  QFile::remove(m_job.pdf);
  m_busy = false;
  emit done(outcome);
}

PdfOutcome convertAndWait(PdfConverter& converter, const PdfJob& job) {
  PdfOutcome outcome{false, QStringLiteral("La conversion en PDF a été interrompue.")};
  QPointer<PdfConverter> alive(&converter);
  QEventLoop loop;
  QObject::connect(&converter, &QObject::destroyed, &loop, &QEventLoop::quit);
  // Another conversion (a preview) finishes first.
  while (alive && converter.busy()) {
    const auto c = QObject::connect(&converter, &PdfConverter::done, &loop, &QEventLoop::quit,
                                    Qt::QueuedConnection);
    loop.exec();
    QObject::disconnect(c);
  }
  if (!alive) return outcome;
  bool mine = false;
  const auto c = QObject::connect(&converter, &PdfConverter::done, &loop, [&](const PdfOutcome& o) {
    if (!mine) return;
    outcome = o;
    loop.quit();
  });
  mine = converter.convert(job);
  if (mine) loop.exec();
  if (alive) QObject::disconnect(c);
  return outcome;
}

}  // namespace tarovent::os
