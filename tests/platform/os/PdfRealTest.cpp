#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/os/LibreOfficeConverter.h"

namespace tarovent::os {
namespace {

QString pdfText(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  p.waitForFinished(20000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

// One LibreOffice for the whole run: the whole document, then one page of it.
TEST(PdfRealTest, ConvertsThroughOneLibreOffice) {
  if (QStandardPaths::findExecutable("soffice").isEmpty() ||
      QStandardPaths::findExecutable("pdftotext").isEmpty())
    GTEST_SKIP() << "LibreOffice or pdftotext absent";
  QTemporaryDir dir;
  const QString doc = dir.filePath("00001_00.AB");
  ASSERT_TRUE(QFile::copy(QStringLiteral(TAROVENT_TEST_DATA "/lo-features.docx"), doc));
  LibreOfficeConverter converter(dir.filePath("lo"));
  const QString pdf = dir.filePath("00001_00_AB.PDF");
  PdfOutcome o = convertAndWait(converter, {doc, pdf, 0, 0});
  ASSERT_TRUE(o.ok) << o.message.toStdString();
  EXPECT_FALSE(pdfText(pdf).trimmed().isEmpty());
  o = convertAndWait(converter, {doc, pdf, 1, 1});
  ASSERT_TRUE(o.ok) << o.message.toStdString();
  EXPECT_TRUE(converter.running());
}

}  // namespace
}  // namespace tarovent::os
