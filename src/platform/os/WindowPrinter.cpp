#include "WindowPrinter.h"

#include <QDateTime>
#include <QDir>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace tarovent::os {

SystemWindowPrinter::SystemWindowPrinter(QString pdfFolder, QWidget* dialogParent)
    : m_pdfFolder(std::move(pdfFolder)),
      m_parent(dialogParent),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

SystemWindowPrinter::~SystemWindowPrinter() = default;

QPageLayout::Orientation SystemWindowPrinter::orientation() const {
  return m_printer->pageLayout().orientation();
}

void SystemWindowPrinter::setOrientation(QPageLayout::Orientation orientation) {
  m_printer->setPageOrientation(orientation);
}

bool SystemWindowPrinter::printImage(const QImage& image) {
  m_lastFile.clear();
  if (image.isNull()) return false;
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    QDir().mkpath(m_pdfFolder);
    m_lastFile = QDir(m_pdfFolder)
                     .filePath(QStringLiteral("Fenetre_%1.pdf")
                                   .arg(QDateTime::currentDateTime().toString(
                                       QStringLiteral("yyyyMMdd_hhmmss_zzz"))));
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(m_lastFile);
  } else {
    m_printer->setOutputFormat(QPrinter::NativeFormat);
    QPrintDialog dialog(m_printer.get(), m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
  }
  QPainter painter;
  if (!painter.begin(m_printer.get())) return false;
  const QRect page = painter.viewport();
  QSize size = image.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(image.rect());
  painter.drawImage(0, 0, image);
  return painter.end();
}

}  // namespace tarovent::os
