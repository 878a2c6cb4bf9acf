#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dossiers/DocumentNames.h"

namespace tarovent::dossiers {
namespace {

TEST(DocumentNames, QuoteNumberAndBusinessKeyKeepTheirDigits) {
  EXPECT_EQ(Nom_Document("AB", 7, 3), "00007_03.AB");
  EXPECT_EQ(Nom_Document("AB", 345, 11), "00345_11.AB");
  EXPECT_EQ(Nom_Document("01", 99999, 99), "99999_99.01");
  EXPECT_EQ(businessKey("01", 12), "0100012");
  EXPECT_EQ(businessKey("AB", 54321), "AB54321");
}

class DocumentPath : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_folder = m_dir.path() + '/';
  }
  void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QTemporaryDir m_dir;
  QString m_folder;
};

// New documents go to the subfolder once it exists; one in both places is taken beside.
TEST_F(DocumentPath, TheSubfolderOnceItExists) {
  EXPECT_EQ(Chemin_Document(m_folder, "00007_00.AB"), m_folder + "00007_00.AB");
  ASSERT_TRUE(QDir(m_folder).mkdir("DOC_TAROVENT"));
  // A folder written without its separator is completed.
  EXPECT_EQ(Chemin_Document(m_dir.path(), "00007_00.AB"), m_folder + "DOC_TAROVENT/00007_00.AB");
  touch(m_folder + "DOC_TAROVENT/00007_00.AB");
  touch(m_folder + "00007_00.AB");
  EXPECT_EQ(Chemin_Document(m_folder, "00007_00.AB"), m_folder + "00007_00.AB");
  // Only in the subfolder: taken there.
  touch(m_folder + "DOC_TAROVENT/00007_01.AB");
  EXPECT_EQ(Chemin_Document(m_folder, "00007_01.AB"), m_folder + "DOC_TAROVENT/00007_01.AB");
}

TEST_F(DocumentPath, AFolderWrittenTheWindowsWayKeepsItsSeparators) {
  ASSERT_TRUE(QDir(m_folder).mkdir("DOC_TAROVENT"));
  QString windowsFolder = m_folder;
  windowsFolder.replace('/', '\\');
  EXPECT_EQ(Chemin_Document(windowsFolder, "00001_00.AB"),
            windowsFolder + "DOC_TAROVENT\\00001_00.AB");
  touch(m_folder + "00001_00.AB");
  EXPECT_EQ(Chemin_Document(windowsFolder, "00001_00.AB"), windowsFolder + "00001_00.AB");
}

}  // namespace
}  // namespace tarovent::dossiers
