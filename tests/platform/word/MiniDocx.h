#pragma once

// Builds small .docx files from WordprocessingML fragments, for tests.

#include <QByteArray>
#include <QString>

#include "platform/ooxml/Package.h"

namespace tarovent::fixtures {

inline const char* const kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

struct MiniDocx {
  QString body{};       // children of w:body
  QString header{};     // children of w:hdr; no header part when empty
  QString styles{};     // children of w:styles; no styles part when empty
  QString footnotes{};  // children of w:footnotes; no footnotes part when empty
  bool isTemplate = false;

  ooxml::Package package() const {
    ooxml::Package p = ooxml::Package::create();
    const QString mainType =
        isTemplate
            ? "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"
            : "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
    QString types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"" +
        mainType + "\"/>";
    QString rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    QString sect;
    if (!header.isEmpty()) {
      types +=
          "<Override PartName=\"/word/header1.xml\" "
          "ContentType=\"application/"
          "vnd.openxmlformats-officedocument.wordprocessingml.header+xml\"/>";
      rels +=
          "<Relationship Id=\"rIdH\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/header\" "
          "Target=\"header1.xml\"/>";
      sect = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr>";
      p.write(
          "word/header1.xml",
          QString(
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:hdr %1>%2</w:hdr>")
              .arg(kWordNs, header)
              .toUtf8());
    }
    if (!styles.isEmpty()) {
      types +=
          "<Override PartName=\"/word/styles.xml\" "
          "ContentType=\"application/"
          "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>";
      rels +=
          "<Relationship Id=\"rIdS\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
          "Target=\"styles.xml\"/>";
      p.write("word/styles.xml", QString("<?xml version=\"1.0\" encoding=\"UTF-8\" "
                                         "standalone=\"yes\"?><w:styles %1>%2</w:styles>")
                                     .arg(kWordNs, styles)
                                     .toUtf8());
    }
    if (!footnotes.isEmpty()) {
      types +=
          "<Override PartName=\"/word/footnotes.xml\" "
          "ContentType=\"application/"
          "vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml\"/>";
      rels +=
          "<Relationship Id=\"rIdF\" "
          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
          "footnotes\" Target=\"footnotes.xml\"/>";
      p.write("word/footnotes.xml", QString("<?xml version=\"1.0\" encoding=\"UTF-8\" "
                                            "standalone=\"yes\"?><w:footnotes %1>%2</w:footnotes>")
                                        .arg(kWordNs, footnotes)
                                        .toUtf8());
    }
    types += "</Types>";
    rels += "</Relationships>";
    p.write("[Content_Types].xml", types.toUtf8());
    p.write("_rels/.rels",
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "officeDocument\" Target=\"word/document.xml\"/>"
            "</Relationships>");
    p.write("word/_rels/document.xml.rels", rels.toUtf8());
    p.write("word/document.xml",
            QString("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
                    "%1><w:body>%2%3</w:body></w:document>")
                .arg(kWordNs, body, sect)
                .toUtf8());
    return p;
  }
};

// A paragraph holding plain text.
inline QString para(const QString& text) {
  return QString("<w:p><w:r><w:t xml:space=\"preserve\">%1</w:t></w:r></w:p>").arg(text);
}

// A table whose rows are given as lists of cell texts.
inline QString table(const QList<QStringList>& rows) {
  QString xml = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid>";
  const qsizetype cols = rows.isEmpty() ? 0 : rows.first().size();
  for (qsizetype c = 0; c < cols; ++c) xml += "<w:gridCol w:w=\"1000\"/>";
  xml += "</w:tblGrid>";
  for (const QStringList& row : rows) {
    xml += "<w:tr>";
    for (const QString& cell : row)
      xml += "<w:tc><w:tcPr><w:tcW w:w=\"1000\" w:type=\"dxa\"/></w:tcPr>" +
             (cell.startsWith("<w:p") ? cell : para(cell)) + "</w:tc>";
    xml += "</w:tr>";
  }
  return xml + "</w:tbl>";
}

// A paragraph whose text is wrapped in a bookmark.
inline QString marked(const QString& name, const QString& text, int id) {
  return QString(
             "<w:p><w:bookmarkStart w:id=\"%1\" w:name=\"%2\"/><w:r><w:t "
             "xml:space=\"preserve\">%3</w:t></w:r><w:bookmarkEnd w:id=\"%1\"/></w:p>")
      .arg(id)
      .arg(name, text);
}

// Test files; the build gives their folder, the environment may move it.
inline QString dataPath(const QString& relative) {
  const QString root = qEnvironmentVariable("TAROVENT_SOURCE_DIR");
  return (root.isEmpty() ? QStringLiteral(TAROVENT_TEST_DATA) : root + "/tests/data") + "/" +
         relative;
}

}  // namespace tarovent::fixtures
