#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/ooxml/OoxmlError.h"
#include "platform/word/LibreOffice.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::fixtures;
using word::WordDocument;

namespace {

QStringList corpusFiles() {
  QStringList files;
  const QDir dir(dataPath("corpus"));
  for (const QString& name : dir.entryList({"*.docx", "*.dotx"}, QDir::Files, QDir::Name))
    files << dir.filePath(name);
  return files;
}

QStringList bookmarkNames(const WordDocument& doc) {
  QStringList names;
  for (const auto& b : doc.bookmarks()) names << b.name;
  return names;
}

TEST(Corpus, EveryRealFileLoadsAndSurvivesAnUntouchedSave) {
  QTemporaryDir dir;
  const QStringList files = corpusFiles();
  ASSERT_GE(files.size(), 11);
  for (const QString& path : files) {
    SCOPED_TRACE(path.toStdString());
    WordDocument doc = WordDocument::open(path);
    const QString text = doc.bodyText();
    for (int t = 1; t <= doc.tableCount(); ++t) {
      for (int r = 1; r <= doc.rowCount(t); ++r)
        for (int c = 1; c <= doc.cellCount(t, r); ++c) doc.cellText({t, r, c});
    }
    for (const auto& b : doc.bookmarks()) doc.bookmarkText(b.name);
    EXPECT_FALSE(doc.isModified());
    const QString out = dir.filePath(QFileInfo(path).fileName());
    doc.saveAs(out);

    ooxml::Package before = ooxml::Package::open(path);
    ooxml::Package after = ooxml::Package::open(out);
    EXPECT_EQ(before.partNames(), after.partNames());
    for (const QString& part : before.partNames()) EXPECT_EQ(before.read(part), after.read(part));
    WordDocument again = WordDocument::open(out);
    EXPECT_EQ(again.bodyText(), text);
    EXPECT_EQ(bookmarkNames(again), bookmarkNames(doc));
  }
}

TEST(Corpus, WhatRealFilesContainIsFound) {
  // Bookmark ends written at body level after the paragraph.
  WordDocument bookmarks = WordDocument::open(dataPath("corpus/poi__bookmarks.docx"));
  EXPECT_EQ(bookmarks.bookmarks().size(), 2);
  // Form fields whose bookmarks start right inside cells.
  WordDocument forms = WordDocument::open(dataPath("corpus/poi__form_footnotes.docx"));
  int inCells = 0;
  for (const auto& b : forms.bookmarks()) inCells += forms.bookmarkCell(b.name).has_value();
  EXPECT_GT(inCells, 10);
  // A content control wrapping a cell still counts as a cell.
  WordDocument sdt = WordDocument::open(dataPath("corpus/oxpt__CellLevelContentControl.docx"));
  ASSERT_EQ(sdt.tableCount(), 1);
  int cells = 0;
  for (int r = 1; r <= sdt.rowCount(1); ++r) cells += sdt.cellCount(1, r);
  EXPECT_EQ(cells, sdt.rowCount(1) * sdt.columnCount(1));
  // Headers are stories of their own.
  WordDocument heads = WordDocument::open(dataPath("corpus/poi__PageSpecificHeadFoot.docx"));
  EXPECT_GE(heads.storyParts().size(), 5);
  // A template's main part.
  EXPECT_TRUE(WordDocument::open(dataPath("corpus/poi__test.dotx")).isTemplate());
}

TEST(LibreOfficeInterop, FilesItWritesAreReadAndOurSavesConvertToTheSameText) {
  QTemporaryDir dir;
  LibreOffice office;
  const QString written = dataPath("lo-features.docx");
  WordDocument lo = WordDocument::open(written);
  EXPECT_EQ(lo.bookmarkText("RS"), "Garage des Tilleuls");
  EXPECT_EQ(lo.bookmarkText("NUMDEV_P2"), "00012_00.AB");
  EXPECT_EQ(lo.bookmark("NUMDEV_P2")->part.startsWith("word/header"), true);
  ASSERT_GE(lo.tableCount(), 1);
  EXPECT_EQ(lo.cellText({1, 2, 2}), "Vis à tête hexagonale");
  EXPECT_EQ(lo.bookmarkText("DATDEV"), "05/12/2026");

  // Untouched saves of LibreOffice's own file and of Word files, and an edited copy.
  QStringList originals{written, dataPath("corpus/poi__PageSpecificHeadFoot.docx"),
                        dataPath("corpus/poi__delins.docx"),
                        dataPath("corpus/pydocx__tbl-cell-access.docx")};
  QDir(dir.path()).mkdir("saved");
  QStringList saved;
  for (const QString& path : originals) {
    saved << dir.filePath("saved/" + QFileInfo(path).fileName());
    WordDocument::open(path).saveAs(saved.last());
  }
  WordDocument edited = WordDocument::open(written);
  edited.setBookmarkText("RS", "Nouveau client");
  edited.setCellText({1, 2, 2}, "Écrou");
  edited.insertRow(1, 2, word::RowPlacement::Below);
  edited.setCellText({1, 3, 1}, "LIGNE3");
  edited.saveAs(dir.filePath("edited.docx"));

  QDir(dir.path()).mkdir("a");
  QDir(dir.path()).mkdir("b");
  const QStringList pdfA = office.convert(originals, "pdf", dir.filePath("a"));
  const QStringList pdfB =
      office.convert(saved + QStringList{dir.filePath("edited.docx")}, "pdf", dir.filePath("b"));
  for (int i = 0; i < originals.size(); ++i) {
    SCOPED_TRACE(originals[i].toStdString());
    ASSERT_FALSE(pdfA[i].isEmpty());
    ASSERT_FALSE(pdfB[i].isEmpty());
    const QString text = LibreOffice::pdfText(pdfA[i]);
    EXPECT_FALSE(text.trimmed().isEmpty());
    EXPECT_EQ(LibreOffice::pdfText(pdfB[i]), text);
  }
  ASSERT_FALSE(pdfB.last().isEmpty());
  const QString editedText = LibreOffice::pdfText(pdfB.last());
  EXPECT_TRUE(editedText.contains("Nouveau client"));
  EXPECT_TRUE(editedText.contains("Écrou"));
  EXPECT_TRUE(editedText.contains("LIGNE3"));
  EXPECT_FALSE(editedText.contains("Garage des Tilleuls"));
}

}  // namespace
