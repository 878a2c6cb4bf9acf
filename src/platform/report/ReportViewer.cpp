#include "ReportViewer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ReportError.h"
#include "platform/text/NumberMask.h"

namespace tarovent::report {

namespace {

// A slice of layout between two looks at the user's events.
constexpr int kSliceMs = 25;
// Zoom choices; 0 and 1 fit the page and the width.
const QList<int> kPercents = {0, 0, 50, 75, 100, 125, 150, 200};

QPushButton* toolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QLatin1String(name));
  b->setToolTip(tip);
  b->setAutoDefault(false);
  return b;
}

// Sets up a printer the way Qt's print dialog leaves it, from the dialog of this workstation.
bool printDialog(QWidget* parent, QPrinter& printer, int pages) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Imprimer"));
  dialog.setMinMax(1, pages);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

ReportViewer::ReportViewer(Report report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)) {
  setObjectName(QStringLiteral("F_RPT"));
  const QString title = m_report.definition().title.isEmpty()
                            ? QFileInfo(m_report.path()).fileName()
                            : m_report.definition().title;
  setWindowTitle(QStringLiteral("Aperçu avant impression - ") + title);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);

  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(6, 4, 6, 4);
  m_first = toolButton(bar, "Cmd_Premiere", QStringLiteral("|◀"), QStringLiteral("Première page"));
  m_previous =
      toolButton(bar, "Cmd_Precedente", QStringLiteral("◀"), QStringLiteral("Page précédente"));
  m_pageBox = new QLineEdit(bar);
  m_pageBox->setObjectName(QStringLiteral("CTX_Page"));
  m_pageBox->setFixedWidth(60);
  m_pageBox->setAlignment(Qt::AlignRight);
  m_pageBox->setValidator(new QIntValidator(1, 999999, m_pageBox));
  m_pages = new QLabel(bar);
  m_pages->setObjectName(QStringLiteral("CTL_Pages"));
  m_next = toolButton(bar, "Cmd_Suivante", QStringLiteral("▶"), QStringLiteral("Page suivante"));
  m_last = toolButton(bar, "Cmd_Derniere", QStringLiteral("▶|"), QStringLiteral("Dernière page"));
  m_zoom = new QComboBox(bar);
  m_zoom->setObjectName(QStringLiteral("DBC_Zoom"));
  m_zoom->addItems({QStringLiteral("Page entière"), QStringLiteral("Largeur de page"),
                    QStringLiteral("50 %"), QStringLiteral("75 %"), QStringLiteral("100 %"),
                    QStringLiteral("125 %"), QStringLiteral("150 %"), QStringLiteral("200 %")});
  auto* printButton = toolButton(bar, "Cmd_Imprimer", QStringLiteral("&Imprimer..."),
                                 QStringLiteral("Imprimer (Ctrl+P)"));
  auto* pdfButton = toolButton(bar, "Cmd_PDF", QStringLiteral("Enregistrer en P&DF..."),
                               QStringLiteral("Enregistrer le rapport dans un fichier PDF"));
  auto* close = toolButton(bar, "Cmd_Fermer", QStringLiteral("&Fermer"),
                           QStringLiteral("Fermer l'aperçu (Échap)"));
  m_state = new QLabel(bar);
  m_state->setObjectName(QStringLiteral("CTL_Etat"));
  auto* pageLabel = new QLabel(QStringLiteral("&Page"), bar);
  pageLabel->setBuddy(m_pageBox);
  for (QWidget* w : std::initializer_list<QWidget*>{m_first, m_previous, pageLabel, m_pageBox,
                                                    m_pages, m_next, m_last})
    row->addWidget(w);
  row->addSpacing(16);
  auto* zoomLabel = new QLabel(QStringLiteral("&Zoom"), bar);
  zoomLabel->setBuddy(m_zoom);
  row->addWidget(zoomLabel);
  row->addWidget(m_zoom);
  row->addSpacing(16);
  row->addWidget(printButton);
  row->addWidget(pdfButton);
  row->addSpacing(16);
  row->addWidget(m_state, 1);
  row->addWidget(close);

  m_sheet = new QLabel;
  m_sheet->setObjectName(QStringLiteral("Pic_Page"));
  m_sheet->setAlignment(Qt::AlignCenter);
  m_scroll = new QScrollArea(this);
  m_scroll->setObjectName(QStringLiteral("Zone_Page"));
  m_scroll->setAlignment(Qt::AlignCenter);
  m_scroll->setBackgroundRole(QPalette::Dark);
  m_scroll->setWidget(m_sheet);
  m_scroll->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(m_scroll, 1);
  // Large from the start: the window manager maximises it, and where it cannot (or once the
  // user restores it) the page is still readable.
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    resize(screen->availableSize() * 9 / 10);

  m_choosePrinter = [this](QPrinter& printer, int pages) {
    return printDialog(this, printer, pages);
  };
  m_choosePdf = [this](const QString& proposed) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer en PDF"), proposed,
                                        QStringLiteral("Fichiers PDF (*.pdf)"));
  };
  m_tell = [this](const QString& text) {
    QMessageBox::warning(this, QStringLiteral("Tarovent"), text);
  };

  connect(m_first, &QPushButton::clicked, this, [this] { showPage(0); });
  connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
  connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
  connect(m_last, &QPushButton::clicked, this, [this] {
    if (finishLayout()) showPage(m_report.pageCount() - 1);
  });
  connect(m_pageBox, &QLineEdit::returnPressed, this, [this] {
    const int wanted = m_pageBox->text().toInt() - 1;
    while (!m_failed && wanted >= m_report.pageCount() && !m_report.complete()) layoutSlice();
    showPage(wanted);
  });
  connect(m_zoom, &QComboBox::currentIndexChanged, this, [this] { render(); });
  connect(printButton, &QPushButton::clicked, this, &ReportViewer::print);
  connect(pdfButton, &QPushButton::clicked, this, &ReportViewer::savePdf);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  m_slices = new QTimer(this);
  m_slices->setInterval(0);
  connect(m_slices, &QTimer::timeout, this, &ReportViewer::layoutSlice);

  if (m_report.pageCount() == 0) m_report.layoutPage();
  m_zoom->setCurrentIndex(1);
  render();
  updateCounts();
  showPageNumber();
  if (!m_report.complete()) m_slices->start();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::stop(const QString& message) {
  m_failed = true;
  m_slices->stop();
  updateCounts();
  m_tell(message);
}

void ReportViewer::layoutSlice() {
  QElapsedTimer t;
  t.start();
  const bool wasComplete = m_report.complete();
  try {
    while (!m_report.complete() && t.elapsed() < kSliceMs) m_report.layoutPage();
  } catch (const ReportError& e) {
    stop(e.text());
    return;
  }
  if (m_report.complete()) {
    m_slices->stop();
    // The page shown now knows how many pages there are.
    if (!wasComplete) render();
  }
  updateCounts();
}

bool ReportViewer::finishLayout() {
  if (m_failed) return false;
  if (m_report.complete()) return true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    m_report.layoutAll();
  } catch (const ReportError& e) {
    QApplication::restoreOverrideCursor();
    stop(e.text());
    return false;
  }
  QApplication::restoreOverrideCursor();
  m_slices->stop();
  render();
  updateCounts();
  return true;
}

void ReportViewer::showPageNumber() {
  // Selected: a number typed replaces it.
  m_pageBox->setText(QString::number(m_page + 1));
  m_pageBox->selectAll();
}

void ReportViewer::updateCounts() {
  const int pages = m_report.pageCount();
  if (m_report.complete()) {
    m_pages->setText(QStringLiteral("/ %1").arg(pages));
    const long rows = m_report.rowCount();
    m_state->setText(rows == 1 ? QStringLiteral("1 ligne")
                               : QStringLiteral("%1 lignes")
                                     .arg(text::formatMasked(double(rows), "# ### ### ##0", ',')));
  } else {
    m_pages->setText(QStringLiteral("/ %1…").arg(pages));
    m_state->setText(m_failed ? QStringLiteral("Mise en page interrompue")
                              : QStringLiteral("Mise en page en cours..."));
  }
  m_first->setEnabled(m_page > 0);
  m_previous->setEnabled(m_page > 0);
  const bool more = m_page + 1 < pages || (!m_report.complete() && !m_failed);
  m_next->setEnabled(more);
  m_last->setEnabled(more);
}

void ReportViewer::showPage(int index) {
  if (index >= m_report.pageCount() && !m_report.complete() && !m_failed) {
    try {
      while (index >= m_report.pageCount() && m_report.layoutPage()) {
      }
    } catch (const ReportError& e) {
      stop(e.text());
    }
  }
  index = std::clamp(index, 0, std::max(0, m_report.pageCount() - 1));
  m_page = index;
  render();
  updateCounts();
  showPageNumber();
  m_scroll->verticalScrollBar()->setValue(0);
}

void ReportViewer::setZoom(int index) { m_zoom->setCurrentIndex(index); }

double ReportViewer::zoomDpi() const {
  const QSizeF page = m_report.pageSize();  // points
  const QSize room = m_scroll->viewport()->size() - QSize(24, 24);
  const int choice = m_zoom->currentIndex();
  const double screen = logicalDpiX() > 0 ? logicalDpiX() : 96;
  if (choice == 0)
    return std::max(
        20.0, std::min(room.width() * 72.0 / page.width(), room.height() * 72.0 / page.height()));
  if (choice == 1) return std::max(20.0, (room.width() - 16) * 72.0 / page.width());
  return screen * kPercents.value(choice, 100) / 100.0;
}

void ReportViewer::render() {
  if (m_report.pageCount() == 0) return;
  const QImage image = m_report.pageImage(m_page, zoomDpi());
  m_sheet->setPixmap(QPixmap::fromImage(image));
  m_sheet->resize(image.size());
}

bool ReportViewer::eventFilter(QObject* watched, QEvent* e) {
  // The fitted zooms follow the room the page has; the dialog's own size is known before the
  // page area has its share of it (the first show lays out the children afterwards).
  if (watched == m_scroll->viewport() && e->type() == QEvent::Resize && m_zoom->currentIndex() <= 1)
    render();
  return QDialog::eventFilter(watched, e);
}

void ReportViewer::keyPressEvent(QKeyEvent* e) {
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  switch (e->key()) {
    case Qt::Key_PageDown:
      showPage(m_page + 1);
      return;
    case Qt::Key_PageUp:
      showPage(m_page - 1);
      return;
    case Qt::Key_Home:
      if (ctrl) return showPage(0);
      break;
    case Qt::Key_End:
      if (ctrl && finishLayout()) return showPage(m_report.pageCount() - 1);
      break;
    case Qt::Key_P:
      if (ctrl) return print();
      break;
    case Qt::Key_Plus:
      m_zoom->setCurrentIndex(std::min(m_zoom->currentIndex() + 1, m_zoom->count() - 1));
      return;
    case Qt::Key_Minus:
      m_zoom->setCurrentIndex(std::max(m_zoom->currentIndex() - 1, 0));
      return;
    default:
      break;
  }
  QDialog::keyPressEvent(e);
}

void ReportViewer::print() {
  if (!finishLayout()) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setFullPage(true);
  printer.setPageLayout(QPageLayout(QPageSize(m_report.definition().page.size),
                                    m_report.definition().page.orientation, QMarginsF()));
  printer.setFromTo(1, m_report.pageCount());
  if (!m_choosePrinter(printer, m_report.pageCount())) return;
  int from = 0, to = 0;
  if (printer.printRange() == QPrinter::PageRange) {
    from = printer.fromPage();
    to = printer.toPage();
  } else if (printer.printRange() == QPrinter::CurrentPage) {
    from = to = m_page + 1;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int printed = m_report.print(printer, from, to);
  QApplication::restoreOverrideCursor();
  if (printed == 0)
    m_tell(QStringLiteral("L'impression n'a pas pu être lancée sur l'imprimante %1.")
               .arg(printer.printerName()));
}

void ReportViewer::savePdf() {
  if (!finishLayout()) return;
  const QString base = QFileInfo(m_report.path()).completeBaseName();
  const QString folder = m_pdfFolder.isEmpty() ? QDir::homePath() : m_pdfFolder;
  const QString file = m_choosePdf(QDir(folder).filePath(base + QStringLiteral(".pdf")));
  if (file.isEmpty()) return;
  QString error;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = m_report.writePdf(file, &error);
  QApplication::restoreOverrideCursor();
  if (!written) m_tell(error);
}

}  // namespace tarovent::report
