#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>

#include "composition/DocumentInspector.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/word/LibreOffice.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;
using namespace tarovent::composition;

namespace {

// The inspection without positions, which depend on how each writer counts empty runs.
QJsonObject structureOf(const QString& path) {
  word::WordDocument doc = word::WordDocument::open(path, word::OpenMode::ReadOnly);
  QJsonObject json = inspectDocument(doc);
  QJsonArray bookmarks;
  for (const QJsonValue& b : json["bookmarks"].toArray()) bookmarks.append(b["name"]);
  QJsonArray tables;
  for (const QJsonValue& t : json["tables"].toArray())
    tables.append(QJsonObject{{"rows", t["rows"]}, {"columns", t["columns"]}, {"kind", t["kind"]}});
  QJsonObject model = json["model"].toObject();
  model.remove("firstLineTableStart");
  model.remove("totalsStart");
  return QJsonObject{{"bookmarks", bookmarks}, {"tables", tables}, {"model", model}};
}

TEST(Inspector, ListsTheBookmarksOfEveryStoryWithTheirPart) {
  fixtures::MiniDocx shape;
  shape.body = fixtures::marked("CORPS", "corps", 1);
  shape.header = fixtures::marked("NUMDEV_P2", "00012_00.AB", 2);
  shape.footnotes =
      "<w:footnote w:id=\"1\">" + fixtures::marked("NOTE", "en bas", 3) + "</w:footnote>";
  word::WordDocument doc = word::WordDocument::fromPackage(shape.package());
  QStringList listed;
  for (const QJsonValue& b : inspectDocument(doc)["bookmarks"].toArray())
    listed << b["name"].toString() + "@" + b["part"].toString() + "=" + b["text"].toString();
  EXPECT_EQ(listed,
            QStringList({"CORPS@word/document.xml=corps", "NUMDEV_P2@word/header1.xml=00012_00.AB",
                         "NOTE@word/footnotes.xml=en bas"}));
}

TEST(Inspector, DescribesAQuoteTemplate) {
  QTemporaryDir dir;
  templates::buildQuoteTemplate(dir.filePath("TVA.dotx"), templates::QuoteTemplateKind::WithVat);
  word::WordDocument doc = word::WordDocument::open(dir.filePath("TVA.dotx"));
  const QJsonObject json = inspectDocument(doc);
  EXPECT_TRUE(json["template"].toBool());
  const QJsonObject model = json["model"].toObject();
  EXPECT_EQ(model["firstLineTable"].toInt(), 3);
  EXPECT_EQ(model["columnMap"].toObject()["TXTVA"].toInt(), 9);
  QStringList kinds;
  for (const QJsonValue& t : json["tables"].toArray()) kinds << t["kind"].toString();
  EXPECT_EQ(kinds, (QStringList{"other", "header", "line", "other"}));
  const QJsonArray lines = model["lines"].toArray();
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0]["kind"].toString(), "text");
  // Bookmarks come in document order, the running head last.
  const QJsonArray bookmarks = json["bookmarks"].toArray();
  EXPECT_EQ(bookmarks.first()["name"].toString(), "SOCIETE");
  EXPECT_TRUE(bookmarks.last()["part"].toString().startsWith("word/header"));
}

TEST(Inspector, ReportsLinesAndWhyAModelIsMissing) {
  const QString body = fixtures::table(
      {{"<w:p><w:bookmarkStart w:id=\"1\" "
        "w:name=\"CODART\"/><w:r><w:t>Code</w:t></w:r><w:bookmarkEnd w:id=\"1\"/></w:p>",
        "Désignation"},
       {"VIS6", "Vis"},
       {"      ECROU", "Écrou"},
       {"MO*SOUD", "Soudure"}});
  word::WordDocument doc = word::WordDocument::fromPackage(fixtures::MiniDocx{body}.package());
  const QJsonObject model = inspectDocument(doc)["model"].toObject();
  EXPECT_TRUE(model["headerSplit"].toBool());
  const QJsonArray lines = model["lines"].toArray();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[1]["level"].toInt(), 2);
  EXPECT_EQ(lines[1]["code"].toString(), "ECROU");
  EXPECT_EQ(lines[2]["kind"].toString(), "labour");

  word::WordDocument plain =
      word::WordDocument::fromPackage(fixtures::MiniDocx{fixtures::para("x")}.package());
  EXPECT_TRUE(inspectDocument(plain)["model"].toObject()["error"].toString().contains(
      "signets des tableaux"));
}

TEST(Inspector, EveryRealFileCanBeInspected) {
  const QDir dir(fixtures::dataPath("corpus"));
  for (const QString& name : dir.entryList({"*.docx", "*.dotx"}, QDir::Files)) {
    SCOPED_TRACE(name.toStdString());
    word::WordDocument doc = word::WordDocument::open(dir.filePath(name), word::OpenMode::ReadOnly);
    const QJsonObject json = inspectDocument(doc);
    EXPECT_EQ(json["tables"].toArray().size(), doc.tableCount());
    EXPECT_EQ(json["bookmarks"].toArray().size(), doc.bookmarks().size());
  }
}

// What LibreOffice makes of our templates, once it has rewritten them, is what we made.
TEST(Inspector, LibreOfficeSeesTheStructureWeSee) {
  QTemporaryDir dir;
  const QStringList files{dir.filePath("STD.dotx"), dir.filePath("TVA.dotx"),
                          dir.filePath("ATELIER.dotx")};
  templates::buildQuoteTemplate(files[0], templates::QuoteTemplateKind::Standard);
  templates::buildQuoteTemplate(files[1], templates::QuoteTemplateKind::WithVat);
  templates::buildQuoteTemplate(files[2], templates::QuoteTemplateKind::WithWeightsAndCosts);
  QDir(dir.path()).mkdir("lo");
  fixtures::LibreOffice office;
  const QStringList rewritten = office.convert(files, "docx:MS Word 2007 XML", dir.filePath("lo"));
  for (int i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].toStdString());
    ASSERT_FALSE(rewritten[i].isEmpty());
    const QJsonObject ours = structureOf(files[i]);
    const QJsonObject theirs = structureOf(rewritten[i]);
    EXPECT_EQ(theirs, ours);
  }
}

}  // namespace
