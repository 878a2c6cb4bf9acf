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

  // A Word document whose main part is damaged fails alone: the same LibreOffice goes on with
  // the next documents, Word or not (a plain text file goes through LibreOffice's detection).
  QFile source(doc);
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  QByteArray bytes = source.readAll();
  const qsizetype part = bytes.indexOf("word/document.xml");
  ASSERT_GT(part, 0);
  bytes.replace(part + 80, 300, QByteArray(300, '\0'));
  const QString damaged = dir.filePath("00002_00.AB");
  QFile out(damaged);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  out.close();
  o = convertAndWait(converter, {damaged, dir.filePath("damaged.pdf"), 0, 0});
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(o.message.startsWith("La conversion en PDF a échoué")) << o.message.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("damaged.pdf")));
  QFile::remove(pdf);
  o = convertAndWait(converter, {doc, pdf, 0, 0});
  ASSERT_TRUE(o.ok) << o.message.toStdString();
  EXPECT_TRUE(pdfText(pdf).contains("Garage des Tilleuls")) << pdfText(pdf).toStdString();
  const QString text = dir.filePath("notes.AB");
  QFile notes(text);
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("Devis d'essai pour l'atelier\n");
  notes.close();
  o = convertAndWait(converter, {text, dir.filePath("notes.pdf"), 0, 0});
  ASSERT_TRUE(o.ok) << o.message.toStdString();
  EXPECT_TRUE(pdfText(dir.filePath("notes.pdf")).contains("Devis d'essai"));
  EXPECT_TRUE(converter.running());
}

}  // namespace
}  // namespace tarovent::os
