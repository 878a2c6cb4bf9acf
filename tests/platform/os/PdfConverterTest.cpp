#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/os/FakePdfConverter.h"
#include "platform/os/LibreOfficeConverter.h"

namespace tarovent::os {
namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

class PdfConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_doc = m_dir.filePath("00012_00.AB");
    m_pdf = m_dir.filePath("00012_00_AB.PDF");
    write(m_doc, "document");
  }
  QTemporaryDir m_dir;
  QString m_doc, m_pdf;
};

// What the converter says counts for nothing: only a file that begins as a PDF is a success,
// and a failed export leaves the PDF of the previous one untouched.
TEST_F(PdfConverterTest, SuccessIsTheFileWritten) {
  FakePdfConverter fake;
  PdfOutcome first = convertAndWait(fake, {m_doc, m_pdf, 2, 3});
  ASSERT_TRUE(first.ok) << first.message.toStdString();
  EXPECT_TRUE(readAll(m_pdf).contains("pages 2-3"));

  struct Case {
    FakePdfConverter::Behaviour behaviour;
    QString error, expected;
  } cases[] = {
      {FakePdfConverter::Behaviour::ClaimWithoutFile, {}, "aucun fichier"},
      {FakePdfConverter::Behaviour::Fail, "cassé", "cassé"},
  };
  for (const Case& c : cases) {
    fake.setBehaviour(c.behaviour, c.error);
    const PdfOutcome o = convertAndWait(fake, {m_doc, m_pdf, 0, 0});
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.message.contains(c.expected)) << o.message.toStdString();
    EXPECT_TRUE(readAll(m_pdf).contains("pages 2-3"));
  }
  // No temporary file is left behind, whatever happened.
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

  fake.setBehaviour(FakePdfConverter::Behaviour::Write);
  ASSERT_TRUE(convertAndWait(fake, {m_doc, m_pdf, 0, 0}).ok);
  EXPECT_TRUE(readAll(m_pdf).contains("pages all"));  // a second export overwrites
}

TEST_F(PdfConverterTest, MissingDocumentStartsNothing) {
  FakePdfConverter fake;
  const PdfOutcome o = convertAndWait(fake, {m_dir.filePath("absent.AB"), m_pdf, 0, 0});
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(o.message.contains("absent.AB"));
  EXPECT_TRUE(fake.jobs().isEmpty());
}

// LibreOffice, or its bridge for Python, missing: the message names the package to install.
TEST_F(PdfConverterTest, MissingPiecesNameThePackage) {
  LibreOfficeConverter converter(m_dir.filePath("lo"), m_dir.filePath("no-soffice"));
  PdfOutcome o = convertAndWait(converter, {m_doc, m_pdf, 0, 0});
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(o.message.contains("libreoffice-writer-nogui")) << o.message.toStdString();

  const QString python = QStandardPaths::findExecutable("python3");
  if (python.isEmpty()) return;
  write(m_dir.filePath("nouno.py"), "print('missing: python3-uno', flush=True)\n");
  converter.setDriver(python, {m_dir.filePath("nouno.py")});
  o = convertAndWait(converter, {m_doc, m_pdf, 0, 0});
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(o.message.contains("paquet python3-uno")) << o.message.toStdString();
}

// A driver that hangs on its first document: it is killed at the time limit, the user is told,
// and the next export starts a new driver that works. One that dies is reported too.
TEST_F(PdfConverterTest, HungConverterIsKilledAndTheNextExportWorks) {
  const QString python = QStandardPaths::findExecutable("python3");
  if (python.isEmpty()) GTEST_SKIP() << "python3 absent";
  const QString marker = m_dir.filePath("hung-once");
  const QString script = m_dir.filePath("driver.py");
  write(script,
        "import json, os, sys, time\n"
        "print('ready', flush=True)\n"
        "for line in sys.stdin:\n"
        "    job = json.loads(line)\n"
        "    if job['in'].endswith('die'):\n"
        "        sys.exit(1)\n"
        "    if not os.path.exists(sys.argv[1]):\n"
        "        open(sys.argv[1], 'w').close()\n"
        "        time.sleep(60)\n"
        "    open(job['out'], 'w').write('%PDF-1.4 ' + job.get('range', 'all'))\n"
        "    print('ok', flush=True)\n");
  LibreOfficeConverter converter(m_dir.filePath("lo"));
  converter.setDriver(python, {script, marker});
  converter.setTimeLimit(1500);

  QElapsedTimer t;
  t.start();
  PdfOutcome o = convertAndWait(converter, {m_doc, m_pdf, 0, 0});
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(o.message.contains("2 secondes")) << o.message.toStdString();
  EXPECT_LT(t.elapsed(), 10000);
  EXPECT_FALSE(converter.running());

  o = convertAndWait(converter, {m_doc, m_pdf, 1, 99});
  ASSERT_TRUE(o.ok) << o.message.toStdString();
  EXPECT_EQ(readAll(m_pdf), "%PDF-1.4 1-99");
  EXPECT_TRUE(converter.running());

  write(m_dir.filePath("x.die"), "");
  o = convertAndWait(converter, {m_dir.filePath("x.die"), m_pdf, 0, 0});
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(o.message.contains("arrêté")) << o.message.toStdString();
  EXPECT_TRUE(convertAndWait(converter, {m_doc, m_pdf, 0, 0}).ok);
}

}  // namespace
}  // namespace tarovent::os
