#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/ooxml/OoxmlError.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::fixtures;
using word::WordDocument;

namespace {

class Document : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString file(const QString& name) const { return dir.filePath(name); }
  QString saved(const MiniDocx& shape, const QString& name) const {
    shape.package().saveAs(file(name));
    return file(name);
  }
};

TEST_F(Document, NewDocumentFromATemplateIsADocumentWithoutAName) {
  MiniDocx shape{marked("RS", "", 1)};
  shape.isTemplate = true;
  const QString dotx = saved(shape, "DEV.dotx");

  WordDocument doc = WordDocument::fromTemplate(dotx);
  EXPECT_FALSE(doc.isTemplate());
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(doc.path().isEmpty());
  EXPECT_THROW(doc.save(), ooxml::OoxmlError);
  doc.setBookmarkText("RS", "Client");
  doc.saveAs(file("00012_00.AB"));
  EXPECT_FALSE(doc.isModified());
  WordDocument again = WordDocument::open(file("00012_00.AB"));
  EXPECT_FALSE(again.isTemplate());
  EXPECT_EQ(again.bookmarkText("RS"), "Client");
  EXPECT_TRUE(WordDocument::open(dotx).isTemplate());  // the template is left alone
}

TEST_F(Document, ModifiedFlagAndReadOnlyOpening) {
  const QString path = saved(MiniDocx{marked("RS", "a", 1)}, "d.docx");
  WordDocument doc = WordDocument::open(path);
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.bookmarkText("RS"), "a");  // reading changes nothing
  EXPECT_FALSE(doc.isModified());
  doc.setBookmarkText("RS", "b");
  EXPECT_TRUE(doc.isModified());
  doc.save();
  EXPECT_EQ(WordDocument::open(path).bookmarkText("RS"), "b");

  WordDocument ro = WordDocument::open(path, word::OpenMode::ReadOnly);
  ro.setBookmarkText("RS", "c");
  EXPECT_THROW(ro.save(), ooxml::OoxmlError);
  ro.saveAs(file("copie.docx"));
  EXPECT_EQ(WordDocument::open(file("copie.docx")).bookmarkText("RS"), "c");
  EXPECT_EQ(WordDocument::open(path).bookmarkText("RS"), "b");
}

TEST_F(Document, ChangesMadeByAnotherProgramAreNeverOverwritten) {
  const QString path = saved(MiniDocx{marked("RS", "a", 1)}, "d.docx");
  WordDocument ours = WordDocument::open(path);
  EXPECT_FALSE(ours.changedOnDisk());
  ours.setBookmarkText("RS", "ours");
  ours.save();  // our own save does not count as a change from outside
  EXPECT_FALSE(ours.changedOnDisk());

  WordDocument theirs = WordDocument::open(path);
  theirs.setBookmarkText("RS", "theirs");
  theirs.save();
  EXPECT_TRUE(ours.changedOnDisk());
  ours.setBookmarkText("RS", "again");
  EXPECT_THROW(ours.save(), ooxml::OoxmlError);
  EXPECT_EQ(WordDocument::open(path).bookmarkText("RS"), "theirs");
  ours.saveAs(file("copie.docx"));  // elsewhere is fine
  EXPECT_EQ(WordDocument::open(file("copie.docx")).bookmarkText("RS"), "again");
}

TEST_F(Document, PackagesThatAreNotWordDocumentsAreRefused) {
  ooxml::Package noMain = MiniDocx{para("x")}.package();
  noMain.remove("word/document.xml");
  EXPECT_THROW(WordDocument::fromPackage(std::move(noMain)), ooxml::OoxmlError);

  ooxml::Package badXml = MiniDocx{para("x")}.package();
  badXml.write("word/document.xml", "<w:document><w:body>");
  EXPECT_THROW(WordDocument::fromPackage(std::move(badXml)), ooxml::OoxmlError);

  ooxml::Package noBody = MiniDocx{para("x")}.package();
  noBody.write("word/document.xml", "<w:document xmlns:w=\"x\"/>");
  EXPECT_THROW(WordDocument::fromPackage(std::move(noBody)), ooxml::OoxmlError);

  ooxml::Package sheet = MiniDocx{para("x")}.package();
  sheet.setContentType(
      "word/document.xml",
      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
  EXPECT_THROW(WordDocument::fromPackage(std::move(sheet)), ooxml::OoxmlError);
}

}  // namespace
