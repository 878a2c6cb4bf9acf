// Feeds arbitrary bytes to the document engine: as a whole package when they look like a zip
// archive, else as the main part of an otherwise valid package (which reaches the XML code
// far more often). The edited document is then saved and opened again. Every input must end
// in a document or an OoxmlError, never a crash, and what we save must open again.

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "composition/DocumentInspector.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/Package.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

ooxml::Package wrapMainPart(const QByteArray& xml) {
  ooxml::Package p = ooxml::Package::create();
  p.write("[Content_Types].xml",
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Override PartName=\"/word/document.xml\" "
          "ContentType=\"application/"
          "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>");
  p.write("_rels/.rels",
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "officeDocument\" Target=\"word/document.xml\"/></Relationships>");
  p.write("word/document.xml", xml);
  return p;
}

void exercise(word::WordDocument& doc) {
  composition::inspectDocument(doc);
  for (const word::BookmarkInfo& b : doc.bookmarks()) {
    doc.bookmarkText(b.name);
    doc.setBookmarkText(b.name, QStringLiteral("x\ry"));
  }
  if (doc.tableCount() == 0) return;
  const int rows = doc.rowCount(1);
  if (rows == 0 || doc.cellCount(1, 1) == 0) return;
  doc.setCellText({1, 1, 1}, QStringLiteral("1 234,50"), {.hidden = true});
  doc.insertRow(1, 1, word::RowPlacement::Below);
  doc.addBookmark(QStringLiteral("WPOS"), {1, 1, 1});
  if (doc.rowCount(1) >= 2) doc.splitTable(1, 2);
  doc.setTableHidden(1, true);
  doc.deleteRow(1, 1);
  doc.bodyText();
}

// A document we saved must open again with the bookmarks and tables we left in it.
void reopen(word::WordDocument& doc) {
  static const QString path =
      QDir::temp().filePath(QStringLiteral("fuzz_docx_%1.docx").arg(::getpid()));
  const int bookmarks = int(doc.bookmarks().size());
  const int tables = doc.tableCount();
  doc.saveAs(path);
  try {
    word::WordDocument again = word::WordDocument::open(path);
    if (int(again.bookmarks().size()) != bookmarks || again.tableCount() != tables) std::abort();
    composition::inspectDocument(again);
  } catch (const ooxml::OoxmlError&) {
    std::abort();  // we wrote something we cannot read back
  }
  QFile::remove(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  ooxml::PackageLimits limits;
  limits.maxEntrySize = 8 << 20;
  limits.maxTotalSize = 32 << 20;
  try {
    ooxml::Package package =
        bytes.startsWith("PK") ? ooxml::Package::fromData(bytes, limits) : wrapMainPart(bytes);
    word::WordDocument doc = word::WordDocument::fromPackage(std::move(package));
    exercise(doc);
    reopen(doc);
  } catch (const ooxml::OoxmlError&) {
  }
  return 0;
}
