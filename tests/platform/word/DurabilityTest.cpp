#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include "platform/ooxml/OoxmlError.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

// A writer killed at any moment of a save leaves the old or the new document, never a
// broken one.
TEST(Durability, KillingAWriterMidSaveLeavesAWholeDocument) {
  QTemporaryDir dir;
  const QString path = dir.filePath("00012_00.AB");
  fixtures::MiniDocx{fixtures::marked("RS", "0", 1) + fixtures::table({{"a", "b"}})}
      .package()
      .saveAs(path);
  for (int round = 0; round < 8; ++round) {
    QProcess writer;
    writer.start(SAVE_LOOP, {path});
    ASSERT_TRUE(writer.waitForStarted());
    QThread::msleep(30 + QRandomGenerator::global()->bounded(120));
    writer.kill();
    writer.waitForFinished();
    word::WordDocument doc = word::WordDocument::open(path);
    const QString text = doc.bookmarkText("RS");
    bool number = false;
    text.left(9).toLong(&number);
    EXPECT_TRUE(number || text == "0") << text.left(20).toStdString();
    EXPECT_EQ(doc.cellText({1, 1, 2}), "b");
  }
}

// Regression: the rename replaced a document nobody was allowed to write.
TEST(Durability, AReadOnlyDocumentIsNotReplaced) {
  QTemporaryDir dir;
  const QString path = dir.filePath("00012_00.AB");
  fixtures::MiniDocx{fixtures::marked("RS", "avant", 1)}.package().saveAs(path);
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  word::WordDocument doc = word::WordDocument::open(path);
  ASSERT_TRUE(doc.setBookmarkText("RS", "après"));
  try {
    doc.save();
    FAIL() << "a read-only document was replaced";
  } catch (const ooxml::OoxmlError& e) {
    EXPECT_TRUE(e.message().contains("lecture seule")) << e.message().toStdString();
  }
  EXPECT_EQ(word::WordDocument::open(path).bookmarkText("RS"), "avant");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

}  // namespace
