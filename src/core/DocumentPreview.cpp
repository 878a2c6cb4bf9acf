#include "DocumentPreview.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QPdfDocument>
#include <QPdfView>
#include <QVBoxLayout>

#include "ProcessState.h"
#include "platform/os/PdfConverter.h"

namespace tarovent::core {

DocumentPreview::DocumentPreview(ProcessState& state, QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_watcher(new QFileSystemWatcher(this)),
      m_status(new QLabel(this)),
      m_pdfDocument(new QPdfDocument(this)),
      m_view(new QPdfView(this)) {
  setObjectName("PreviewPDF");
  m_status->setObjectName("CTL_Apercu");
  m_view->setDocument(m_pdfDocument);
  m_view->setPageMode(QPdfView::PageMode::MultiPage);
  m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_status);
  layout->addWidget(m_view, 1);
  m_later.setSingleShot(true);
  // Word processors save by writing a new file and renaming it: the watch is renewed each time.
  connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_later.start(400); });
  connect(&m_later, &QTimer::timeout, this, &DocumentPreview::fileChanged);
  if (m_state.pdfConverter)
    connect(m_state.pdfConverter.get(), &os::PdfConverter::done, this, &DocumentPreview::converted);
}

DocumentPreview::~DocumentPreview() = default;

void DocumentPreview::showDocument(const QString& path) {
  if (!m_watcher->files().isEmpty()) m_watcher->removePaths(m_watcher->files());
  m_document = path;
  m_pdfDocument->close();
  if (path.isEmpty()) {
    setStatus({});
    return;
  }
  if (QFileInfo(path).isFile()) m_watcher->addPath(path);
  convert();
}

void DocumentPreview::refresh() {
  m_later.stop();
  convert();
}

void DocumentPreview::fileChanged() {
  // Our own save was converted already; the watch sees it too.
  const QFileInfo file(m_document);
  if (!file.isFile() || file.lastModified() != m_converting) convert();
}

int DocumentPreview::pageCount() const { return m_pdfDocument->pageCount(); }

QString DocumentPreview::status() const { return m_status->text(); }

void DocumentPreview::setStatus(const QString& text) {
  m_status->setText(text);
  m_status->setVisible(!text.isEmpty());
}

void DocumentPreview::convert() {
  if (m_document.isEmpty()) return;
  if (!QFileInfo(m_document).isFile()) {
    setStatus(m_state.Traduire(QStringLiteral("Le texte du devis est introuvable.")));
    emit refreshed();
    return;
  }
  if (!m_watcher->files().contains(m_document)) m_watcher->addPath(m_document);
  if (!m_state.pdfConverter) {
    setStatus(os::libreOfficeMissingMessage());
    emit refreshed();
    return;
  }
  if (m_waiting) {
    m_again = true;
    return;
  }
  // A new name each time: the document shown keeps its file until the next one is ready.
  m_pdf = m_folder.filePath(QStringLiteral("apercu-%1.pdf").arg(++m_generation));
  if (!m_state.pdfConverter->convert({m_document, m_pdf, 0, 0})) {
    m_converting = {};  // so that the retry converts
    m_later.start(500);
    return;
  }
  m_waiting = true;
  m_converting = QFileInfo(m_document).lastModified();
  setStatus(m_state.Traduire(QStringLiteral("Génération de l'aperçu en cours ...")));
}

void DocumentPreview::converted(const os::PdfOutcome& outcome) {
  if (!m_waiting) return;  // someone else's conversion
  m_waiting = false;
  if (m_again) {
    m_again = false;
    QFile::remove(m_pdf);
    convert();
    return;
  }
  if (!outcome.ok) {
    setStatus(outcome.message);
  } else {
    m_pdfDocument->load(m_pdf);
    if (!m_shown.isEmpty()) QFile::remove(m_shown);
    m_shown = m_pdf;
    setStatus({});
  }
  emit refreshed();
}

}  // namespace tarovent::core
