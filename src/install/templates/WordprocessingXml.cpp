#include "install/templates/WordprocessingXml.h"

namespace tarovent::templates {

namespace {

const QString kNamespaces = QStringLiteral(
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"");
const QString kDeclaration =
    QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
const QString kRelNs =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
const QString kWordTypes =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");

QString escaped(const QString& text) { return text.toHtmlEscaped(); }

QString runXml(const WordprocessingXml::Run& run) {
  QString props;
  if (run.bold) props += "<w:b/><w:bCs/>";
  if (run.halfPoints > 0)
    props += QStringLiteral("<w:sz w:val=\"%1\"/><w:szCs w:val=\"%1\"/>").arg(run.halfPoints);
  return "<w:r>" + (props.isEmpty() ? QString() : "<w:rPr>" + props + "</w:rPr>") +
         "<w:t xml:space=\"preserve\">" + escaped(run.text) + "</w:t></w:r>";
}

QString paragraphProperties(const QString& align, int halfPoints) {
  QString pPr;
  if (!align.isEmpty()) pPr += "<w:jc w:val=\"" + align + "\"/>";
  if (halfPoints > 0)
    pPr +=
        QStringLiteral("<w:rPr><w:sz w:val=\"%1\"/><w:szCs w:val=\"%1\"/></w:rPr>").arg(halfPoints);
  return pPr.isEmpty() ? QString() : "<w:pPr>" + pPr + "</w:pPr>";
}

const char* const kStyles =
    "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Liberation Sans\" "
    "w:hAnsi=\"Liberation Sans\" "
    "w:cs=\"Liberation Sans\"/><w:sz w:val=\"20\"/><w:szCs w:val=\"20\"/><w:lang "
    "w:val=\"fr-FR\"/></w:rPr></w:rPrDefault>"
    "<w:pPrDefault><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" "
    "w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
    "w:val=\"Normal\"/><w:qFormat/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Header\"><w:name w:val=\"header\"/><w:basedOn "
    "w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Footer\"><w:name w:val=\"footer\"/><w:basedOn "
    "w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name w:val=\"Normal "
    "Table\"/><w:tblPr>"
    "<w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/><w:left "
    "w:w=\"70\" w:type=\"dxa\"/>"
    "<w:bottom w:w=\"0\" w:type=\"dxa\"/><w:right w:w=\"70\" "
    "w:type=\"dxa\"/></w:tblCellMar></w:tblPr></w:style>";

}  // namespace

QString WordprocessingXml::paragraph(const QList<Run>& runs, const QString& align, int halfPoints) {
  QString xml = "<w:p>" + paragraphProperties(align, halfPoints);
  for (const Run& run : runs) xml += runXml(run);
  return xml + "</w:p>";
}

QString WordprocessingXml::paragraph(const QString& text, const QString& align, int halfPoints) {
  if (text.isEmpty()) return "<w:p>" + paragraphProperties(align, halfPoints) + "</w:p>";
  return paragraph(QList<Run>{Run{text, false, halfPoints}}, align, halfPoints);
}

QString WordprocessingXml::bookmark(const QString& name, const QString& innerRuns) {
  const int id = m_nextId++;
  return QStringLiteral(
             "<w:bookmarkStart w:id=\"%1\" w:name=\"%2\"/>%3<w:bookmarkEnd w:id=\"%1\"/>")
      .arg(id)
      .arg(name, innerRuns);
}

QString WordprocessingXml::bookmarkStart(const QString& name) {
  m_openId = m_nextId++;
  return QStringLiteral("<w:bookmarkStart w:id=\"%1\" w:name=\"%2\"/>").arg(m_openId).arg(name);
}

QString WordprocessingXml::bookmarkEnd() {
  return QStringLiteral("<w:bookmarkEnd w:id=\"%1\"/>").arg(m_openId);
}

QString WordprocessingXml::labelled(const QString& label, const QString& name, bool bold) {
  QString props = bold ? QStringLiteral("<w:rPr><w:b/><w:bCs/></w:rPr>") : QString();
  QString xml = "<w:p>";
  if (!label.isEmpty()) xml += runXml(Run{label, false, 0});
  // The empty run carries the formatting the filled text takes.
  return xml + bookmark(name, "<w:r>" + props + "</w:r>") + "</w:p>";
}

QString WordprocessingXml::anchor(const QString& name) {
  return "<w:p>" + bookmark(name) + "</w:p>";
}

QString WordprocessingXml::spacer() {
  return "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" w:lineRule=\"exact\"/>"
         "<w:rPr><w:sz w:val=\"2\"/><w:szCs w:val=\"2\"/></w:rPr></w:pPr></w:p>";
}

QString WordprocessingXml::field(const QString& instruction, const QString& result) {
  return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText "
         "xml:space=\"preserve\"> " +
         instruction +
         " </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" +
         result + "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

QString WordprocessingXml::row(const QList<Cell>& cells, bool repeatAsHeader) {
  QString xml = "<w:tr>";
  if (repeatAsHeader) xml += "<w:trPr><w:tblHeader/></w:trPr>";
  for (const Cell& cell : cells) {
    xml += QStringLiteral("<w:tc><w:tcPr><w:tcW w:w=\"%1\" w:type=\"dxa\"/>").arg(cell.width);
    if (!cell.shading.isEmpty())
      xml += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + cell.shading + "\"/>";
    xml += "</w:tcPr>" + (cell.content.isEmpty() ? QStringLiteral("<w:p/>") : cell.content) +
           "</w:tc>";
  }
  return xml + "</w:tr>";
}

QString WordprocessingXml::table(const QList<int>& widths, const QStringList& rows, bool borders) {
  int total = 0;
  for (int w : widths) total += w;
  QString xml = QStringLiteral("<w:tbl><w:tblPr><w:tblW w:w=\"%1\" w:type=\"dxa\"/>").arg(total);
  if (borders) {
    xml += "<w:tblBorders>";
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
      xml += QStringLiteral("<w:%1 w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"808080\"/>")
                 .arg(side);
    xml += "</w:tblBorders>";
  }
  xml += "<w:tblLayout w:type=\"fixed\"/><w:tblLook w:val=\"0000\"/></w:tblPr><w:tblGrid>";
  for (int w : widths) xml += QStringLiteral("<w:gridCol w:w=\"%1\"/>").arg(w);
  return xml + "</w:tblGrid>" + rows.join(QString()) + "</w:tbl>";
}

ooxml::Package WordprocessingXml::package(const QString& body, const QString& defaultHeader,
                                          const QString& footer, bool isTemplate, bool landscape) {
  ooxml::Package p = ooxml::Package::create();
  const QString main = kWordTypes + (isTemplate ? "template.main+xml" : "document.main+xml");
  p.write("[Content_Types].xml",
          (kDeclaration +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/word/document.xml\" ContentType=\"" +
           main +
           "\"/>"
           "<Override PartName=\"/word/styles.xml\" ContentType=\"" +
           kWordTypes +
           "styles+xml\"/>"
           "<Override PartName=\"/word/settings.xml\" ContentType=\"" +
           kWordTypes +
           "settings+xml\"/>"
           "<Override PartName=\"/word/header1.xml\" ContentType=\"" +
           kWordTypes +
           "header+xml\"/>"
           "<Override PartName=\"/word/header2.xml\" ContentType=\"" +
           kWordTypes +
           "header+xml\"/>"
           "<Override PartName=\"/word/footer1.xml\" ContentType=\"" +
           kWordTypes +
           "footer+xml\"/>"
           "<Override PartName=\"/docProps/app.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
           "</Types>")
              .toUtf8());
  p.write("_rels/.rels",
          (kDeclaration +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"" +
           kRelNs +
           "officeDocument\" Target=\"word/document.xml\"/>"
           "<Relationship Id=\"rId2\" "
           "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
           "extended-properties\" Target=\"docProps/app.xml\"/>"
           "</Relationships>")
              .toUtf8());
  p.write("docProps/app.xml",
          (kDeclaration +
           "<Properties "
           "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
           "<Application>Tarovent</Application></Properties>")
              .toUtf8());
  p.write("word/_rels/document.xml.rels",
          (kDeclaration +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"" +
           kRelNs +
           "styles\" Target=\"styles.xml\"/>"
           "<Relationship Id=\"rId2\" Type=\"" +
           kRelNs +
           "settings\" Target=\"settings.xml\"/>"
           "<Relationship Id=\"rId3\" Type=\"" +
           kRelNs +
           "header\" Target=\"header1.xml\"/>"
           "<Relationship Id=\"rId4\" Type=\"" +
           kRelNs +
           "header\" Target=\"header2.xml\"/>"
           "<Relationship Id=\"rId5\" Type=\"" +
           kRelNs +
           "footer\" Target=\"footer1.xml\"/>"
           "</Relationships>")
              .toUtf8());
  p.write("word/styles.xml",
          (kDeclaration + "<w:styles " + kNamespaces + ">" + kStyles + "</w:styles>").toUtf8());
  p.write("word/settings.xml",
          (kDeclaration + "<w:settings " + kNamespaces +
           "><w:defaultTabStop w:val=\"708\"/><w:characterSpacingControl w:val=\"doNotCompress\"/>"
           "<w:compat><w:compatSetting w:name=\"compatibilityMode\" "
           "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"15\"/></w:compat>"
           "</w:settings>")
              .toUtf8());
  // The first page has an empty header; the following pages repeat the quote number.
  p.write("word/header1.xml",
          (kDeclaration + "<w:hdr " + kNamespaces + ">" + defaultHeader + "</w:hdr>").toUtf8());
  p.write("word/header2.xml",
          (kDeclaration + "<w:hdr " + kNamespaces + "><w:p/></w:hdr>").toUtf8());
  p.write("word/footer1.xml",
          (kDeclaration + "<w:ftr " + kNamespaces + ">" + footer + "</w:ftr>").toUtf8());
  const QString section =
      QStringLiteral(
          "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId3\"/><w:headerReference "
          "w:type=\"first\" r:id=\"rId4\"/>"
          "<w:footerReference w:type=\"default\" r:id=\"rId5\"/><w:footerReference "
          "w:type=\"first\" r:id=\"rId5\"/>") +
      QString(landscape ? "<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/>"
                        : "<w:pgSz w:w=\"11906\" w:h=\"16838\"/>") +
      "<w:pgMar w:top=\"1134\" w:right=\"1134\" w:bottom=\"1134\" w:left=\"1134\" "
      "w:header=\"567\" w:footer=\"567\" w:gutter=\"0\"/><w:titlePg/></w:sectPr>";
  p.write("word/document.xml", (kDeclaration + "<w:document " + kNamespaces + "><w:body>" + body +
                                section + "</w:body></w:document>")
                                   .toUtf8());
  return p;
}

}  // namespace tarovent::templates
