#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/Package.h"
#include "platform/ooxml/Relationships.h"
#include "platform/ooxml/StoredEntries.h"
#include "platform/ooxml/XmlPart.h"
#include "platform/word/MiniDocx.h"

using namespace tarovent;
using ooxml::OoxmlError;
using ooxml::Package;
using test::storedEntries;

namespace {

// Writes a zip whose entries are given as name → content.
QString writeZip(const QString& path, const QList<QPair<QString, QByteArray>>& entries) {
  int err = 0;
  zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  std::vector<QByteArray> keep;
  keep.reserve(size_t(entries.size()));
  for (const auto& [name, data] : entries) {
    keep.push_back(data);
    zip_source_t* src = zip_source_buffer(z, keep.back().constData(), zip_uint64_t(data.size()), 0);
    zip_file_add(z, name.toUtf8().constData(), src, 0);
  }
  zip_close(z);
  return path;
}

QString messageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const OoxmlError& e) {
    return e.message();
  }
  return {};
}

class PackageTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString file(const QString& name) const { return dir.filePath(name); }
};

TEST_F(PackageTest, EveryRealFileKeepsItsUntouchedEntriesAsStored) {
  const QDir corpus(fixtures::dataPath("corpus"));
  const QStringList files = corpus.entryList({"*.docx", "*.dotx", "*.xlsx", "*.xltx"});
  ASSERT_GE(files.size(), 17);
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    const QString source = corpus.filePath(name);
    Package p = Package::open(source);
    const QString main = p.mainPart();
    ASSERT_FALSE(main.isEmpty());
    p.write(main, p.read(main) + " ");
    p.saveAs(file(name));
    const auto before = storedEntries(source);
    const auto after = storedEntries(file(name));
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
      EXPECT_EQ(before[i].first, after[i].first);
      if (before[i].first == main) continue;
      EXPECT_EQ(before[i].second.first, after[i].second.first) << before[i].first.toStdString();
      EXPECT_TRUE(before[i].second.second == after[i].second.second)
          << before[i].first.toStdString();
    }
  }
}

TEST_F(PackageTest, FolderAndStoredEntriesStayWhatTheyWere) {
  int err = 0;
  zip_t* z = zip_open(QFile::encodeName(file("in.docx")).constData(), ZIP_CREATE, &err);
  const QByteArray png(3000, 'p');
  zip_dir_add(z, "word/media", 0);
  const zip_int64_t i =
      zip_file_add(z, "word/media/a.png", zip_source_buffer(z, png.constData(), 3000, 0), 0);
  zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0);
  zip_file_add(z, "word/document.xml", zip_source_buffer(z, "<d/>", 4, 0), 0);
  ASSERT_EQ(zip_close(z), 0);

  Package p = Package::open(file("in.docx"));
  EXPECT_EQ(p.partNames(), QStringList({"word/media/a.png", "word/document.xml"}));
  EXPECT_FALSE(p.contains("word/media/"));
  p.write("word/document.xml", "<d>x</d>");
  p.saveAs(file("out.docx"));
  const auto after = storedEntries(file("out.docx"));
  ASSERT_EQ(after.size(), 3);
  EXPECT_EQ(after[0].first, "word/media/");
  EXPECT_EQ(after[1].second.first, ZIP_CM_STORE);
  EXPECT_EQ(after[1].second.second, png);
  EXPECT_EQ(Package::open(file("out.docx")).read("word/document.xml"), "<d>x</d>");
}

TEST_F(PackageTest, ZipBombsAreRefusedBeforeInflating) {
  // 16 MB of zeros deflate to about 16 KB: a thousand times, refused from the directory.
  writeZip(file("bomb.docx"), {{"word/document.xml", QByteArray(16 << 20, '\0')}});
  EXPECT_LT(QFileInfo(file("bomb.docx")).size(), 100 << 10);
  const QString refused = messageOf([&] { Package::open(file("bomb.docx")); });
  EXPECT_TRUE(refused.contains("archive piégée")) << refused.toStdString();
  EXPECT_TRUE(refused.contains("word/document.xml"));

  // Under 1 MiB any ratio is fine; past it, real parts compress well under a hundred times.
  QByteArray text;
  for (qint64 n = 0; text.size() < (3 << 20); ++n) text += QByteArray::number(n * 7919) + ' ';
  writeZip(file("ok.docx"), {{"small.xml", QByteArray(512 << 10, '\0')}, {"big.xml", text}});
  EXPECT_EQ(Package::open(file("ok.docx")).read("big.xml"), text);
}

TEST_F(PackageTest, SaveReplacesTheFileWithoutLeavingTemporaries) {
  const QString target = file("doc.docx");
  QFile::copy(fixtures::dataPath("corpus/poi__bookmarks.docx"), target);
  QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
  Package p = Package::open(target);
  p.write("extra/note.txt", "bonjour");
  p.saveAs(target);  // over the file the package still reads from
  EXPECT_EQ(Package::open(target).read("extra/note.txt"), "bonjour");
  EXPECT_EQ(Package::open(target).read("word/document.xml"), p.read("word/document.xml"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.docx"});
  struct stat st {};
  ::stat(QFile::encodeName(target).constData(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A save killed before its rename left its temporary; the next save of the same file removes
// it once it is old, and leaves a recent one (another workstation may be saving right now) and
// the temporaries of other files alone.
TEST_F(PackageTest, ASaveRemovesTheTemporariesOfAKilledOne) {
  const QString target = file("doc.docx");
  QFile::copy(fixtures::dataPath("corpus/poi__bookmarks.docx"), target);
  const auto leave = [&](const QString& name, int ageSeconds) {
    QFile f(file(name));
    f.open(QIODevice::WriteOnly);
    f.write("PK half-written");
    f.flush();
    f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                  QFileDevice::FileModificationTime);
  };
  leave(".doc.docx.tmp-a1B2c3", 7200);
  leave(".doc.docx.tmp-d4E5f6", 60);
  leave(".other.docx.tmp-g7H8i9", 7200);
  Package::open(target).saveAs(target);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            (QStringList{".doc.docx.tmp-d4E5f6", ".other.docx.tmp-g7H8i9", "doc.docx"}));
}

TEST_F(PackageTest, SavingIntoAMissingFolderFailsCleanly) {
  Package p = fixtures::MiniDocx{fixtures::para("x")}.package();
  EXPECT_FALSE(messageOf([&] { p.saveAs(file("absent/doc.docx")); }).isEmpty());
}

TEST_F(PackageTest, ContentTypesAndRelationships) {
  Package p = fixtures::MiniDocx{fixtures::para("x"), fixtures::para("h")}.package();
  EXPECT_EQ(p.mainPart(), "word/document.xml");
  EXPECT_EQ(p.contentType("_rels/.rels"),
            "application/vnd.openxmlformats-package.relationships+xml");
  EXPECT_TRUE(p.contentType("word/document.xml").endsWith("document.main+xml"));
  p.setContentType("word/document.xml", "application/x-test");
  p.saveAs(file("t.docx"));
  EXPECT_EQ(Package::open(file("t.docx")).contentType("word/document.xml"), "application/x-test");

  const ooxml::Relationships rels = p.relationships("word/document.xml");
  ASSERT_NE(rels.firstOfType("header"), nullptr);
  EXPECT_EQ(rels.resolve(*rels.firstOfType("header")), "word/header1.xml");
  EXPECT_EQ(ooxml::Relationships::resolveTarget("word/document.xml", "../customXml/item1.xml"),
            "customXml/item1.xml");
  EXPECT_EQ(ooxml::Relationships::resolveTarget("word/document.xml", "/word/media/a.png"),
            "word/media/a.png");
  EXPECT_EQ(ooxml::Relationships::relsPartFor("word/document.xml"), "word/_rels/document.xml.rels");
}

TEST_F(PackageTest, HostileOrBrokenInputGivesAnErrorMessage) {
  QFile text(file("plain.docx"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("ceci n'est pas un zip");
  text.close();
  EXPECT_TRUE(
      messageOf([&] { Package::open(file("plain.docx")); }).contains("n'est pas un document"));
  EXPECT_TRUE(messageOf([&] { Package::open(file("absent.docx")); }).contains("n'existe pas"));
  EXPECT_FALSE(messageOf([&] { Package::fromData(QByteArray(100, 'P')); }).isEmpty());
  EXPECT_FALSE(messageOf([&] { Package::fromData(QByteArray()); }).isEmpty());

  // An entry that would inflate past the limit is refused before it is inflated.
  writeZip(file("bomb.docx"), {{"big.bin", QByteArray(4 << 20, '\0')}});
  ooxml::PackageLimits limits;
  limits.maxEntrySize = 1 << 20;
  EXPECT_TRUE(
      messageOf([&] { Package::open(file("bomb.docx"), limits); }).contains("trop volumineuse"));
  limits = {};
  limits.maxEntries = 3;
  writeZip(file("many.docx"), {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  EXPECT_TRUE(
      messageOf([&] { Package::open(file("many.docx"), limits); }).contains("trop de parties"));
  EXPECT_TRUE(messageOf([&] { Package::open(file("many.docx")).read("zz"); }).contains("absente"));
}

// Rewrites the uncompressed size recorded for the only entry of a zip (local and central
// headers), as a hostile file would.
void forgeUncompressedSize(const QString& path, quint32 size) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QByteArray bytes = f.readAll();
  auto patch = [&](const QByteArray& signature, int offset) {
    const qsizetype at = bytes.indexOf(signature);
    ASSERT_GE(at, 0);
    for (int i = 0; i < 4; ++i) bytes[at + offset + i] = char((size >> (8 * i)) & 0xFF);
  };
  patch(QByteArray("PK\x03\x04", 4), 22);
  patch(QByteArray("PK\x01\x02", 4), 24);
  f.seek(0);
  f.write(bytes);
}

TEST_F(PackageTest, EntriesThatLieAboutTheirSizeAreRefused) {
  // Declared past 256 MiB: refused from the directory alone, before anything is inflated.
  writeZip(file("huge.docx"), {{"word/document.xml", QByteArray(1000, 'x')}});
  forgeUncompressedSize(file("huge.docx"), 300u << 20);
  EXPECT_TRUE(messageOf([&] { Package::open(file("huge.docx")); }).contains("trop volumineuse"));

  // Declared smaller than what it inflates to: reading stops at the declared size.
  writeZip(file("small.docx"), {{"word/document.xml", QByteArray(100000, 'x')}});
  forgeUncompressedSize(file("small.docx"), 10);
  EXPECT_FALSE(
      messageOf([&] { Package::open(file("small.docx")).read("word/document.xml"); }).isEmpty());
}

TEST_F(PackageTest, XmlPartsRefuseDoctypesAndKeepTheirText) {
  pugi::xml_document doc;
  const QByteArray entity =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><r>&e;</r>";
  EXPECT_TRUE(messageOf([&] { ooxml::parseXml(doc, entity, "p.xml"); }).contains("DOCTYPE"));
  EXPECT_TRUE(
      messageOf([&] { ooxml::parseXml(doc, "<a><b></a>", "p.xml"); }).contains("XML valide"));
  EXPECT_FALSE(messageOf([&] { ooxml::parseXml(doc, "", "p.xml"); }).isEmpty());

  // Tiny elements by the million would cost twenty times their size once parsed: refused.
  QByteArray tiny = "<r>";
  while (tiny.size() < (2 << 20)) tiny += "<a/><b/><c/><d/>";
  tiny += "</r>";
  EXPECT_TRUE(messageOf([&] { ooxml::parseXml(doc, tiny, "p.xml"); }).contains("trop de mémoire"));
  QByteArray prose = "<r>";
  while (prose.size() < (2 << 20))
    prose += "<w:p><w:r><w:t>Une ligne de devis ordinaire</w:t></w:r></w:p>";
  prose += "</r>";
  EXPECT_TRUE(messageOf([&] { ooxml::parseXml(doc, prose, "p.xml"); }).isEmpty());
  // The count is exact to the byte, whatever the alignment: at the bound a part goes through
  // (to the parser, which finds no XML there), one character more and it is refused.
  const qint64 size = (2 << 20) + 13;
  const struct {
    char c;
    qint64 count;
    bool refused;
  } bounds[] = {{'<', 12 * size / 64, false},
                {'<', 12 * size / 64 + 1, true},
                {'=', 12 * size / 40, false},
                {'=', 12 * size / 40 + 1, true}};
  for (const auto& b : bounds) {
    QByteArray part(size, 'x');
    for (qint64 k = 0; k + 1 < b.count; ++k) part[k * (size / b.count)] = b.c;
    part[size - 1] = b.c;
    EXPECT_EQ(messageOf([&] { ooxml::parseXml(doc, part, "p.xml"); }).contains("trop de mémoire"),
              b.refused)
        << b.c << b.count;
  }

  const QByteArray faithful =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><r a=\"1\"><t "
      "xml:space=\"preserve\"> </t>"
      "<t>é &amp; &lt;</t>\n  <!--c--></r>";
  ooxml::parseXml(doc, faithful, "p.xml");
  EXPECT_EQ(ooxml::serializeXml(doc), faithful);
}

}  // namespace
