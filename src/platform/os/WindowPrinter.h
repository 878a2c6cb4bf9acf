#pragma once

#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace tarovent::os {

// The printer on which the program prints a window as an image. It keeps its page orientation
// from one print to the next, as a workstation's printer does.
class WindowPrinter {
 public:
  virtual ~WindowPrinter() = default;
  virtual QPageLayout::Orientation orientation() const = 0;
  virtual void setOrientation(QPageLayout::Orientation orientation) = 0;
  // Prints `image` on one page, scaled to fit; false when nothing was printed.
  virtual bool printImage(const QImage& image) = 0;
  // The file written by the last print when it went to a file rather than a printer.
  virtual QString lastFile() const { return {}; }
};

// The workstation's printer, chosen in Qt's print dialog; without any printer, each print
// becomes a PDF file in `pdfFolder`.
class SystemWindowPrinter : public WindowPrinter {
 public:
  explicit SystemWindowPrinter(QString pdfFolder, QWidget* dialogParent = nullptr);
  ~SystemWindowPrinter() override;

  QPageLayout::Orientation orientation() const override;
  void setOrientation(QPageLayout::Orientation orientation) override;
  bool printImage(const QImage& image) override;
  // The PDF file written by the last print, when it went to a file.
  QString lastFile() const override { return m_lastFile; }

 private:
  QString m_pdfFolder;
  QWidget* m_parent;
  std::unique_ptr<QPrinter> m_printer;
  QString m_lastFile;
};

// A printer for tests: it records what it is asked and can refuse to print.
class FakeWindowPrinter : public WindowPrinter {
 public:
  struct Print {
    QSize size;
    QPageLayout::Orientation orientation;
  };

  QPageLayout::Orientation orientation() const override { return m_orientation; }
  void setOrientation(QPageLayout::Orientation orientation) override {
    m_orientation = orientation;
    m_log << (orientation == QPageLayout::Landscape ? QStringLiteral("paysage")
                                                    : QStringLiteral("portrait"));
  }
  bool printImage(const QImage& image) override {
    m_log << QStringLiteral("impression");
    if (m_fail) return false;
    m_prints.append({image.size(), m_orientation});
    return true;
  }

  void setFailing(bool fail) { m_fail = fail; }
  const QList<Print>& prints() const { return m_prints; }
  // Orientation changes and prints, in order ("paysage", "impression", "portrait").
  const QStringList& log() const { return m_log; }

 private:
  QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
  QList<Print> m_prints;
  QStringList m_log;
  bool m_fail = false;
};

}  // namespace tarovent::os
