#pragma once

// Builds small .xlsx files from SpreadsheetML fragments, for tests.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/ooxml/Package.h"

namespace tarovent::fixtures {

struct MiniSheet {
  QString name;
  QString cells;   // children of sheetData
  QString after{};   // elements after sheetData (drawing, legacyDrawing, controls)
  QString rels{};    // Relationship elements of the sheet
};

struct MiniPart {
  QString name;
  QString contentType;
  QByteArray data;
};

struct MiniXlsx {
  std::vector<MiniSheet> sheets;
  QString names{};          // children of definedNames
  QStringList strings{};    // shared strings
  QString numFmts{};        // children of numFmts
  QString cellXfs{"<xf numFmtId=\"0\"/>"};  // children of cellXfs
  bool date1904 = false;
  bool isTemplate = false;
  bool calcChain = false;   // a calcChain part listing A1 of the first sheet
  std::vector<MiniPart> parts{};

  static constexpr const char* kMainNs =
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
  static constexpr const char* kRelNs =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

  ooxml::Package package() const {
    ooxml::Package p = ooxml::Package::create();
    const QString decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    QString types = decl +
                    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                    "<Default Extension=\"rels\" "
                    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                    "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.spreadsheetml." +
                    QString(isTemplate ? "template" : "sheet") + ".main+xml\"/>";
    QString wbRels = decl +
                     "<Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    QString sheetList;
    for (size_t i = 0; i < sheets.size(); ++i) {
      const QString n = QString::number(i + 1);
      const MiniSheet& s = sheets[i];
      types += "<Override PartName=\"/xl/worksheets/sheet" + n +
               ".xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
      wbRels += "<Relationship Id=\"rIdS" + n + "\" Type=\"" + kRelNs +
                "worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
      sheetList += "<sheet name=\"" + s.name.toHtmlEscaped() + "\" sheetId=\"" + n +
                   "\" r:id=\"rIdS" + n + "\"/>";
      p.write("xl/worksheets/sheet" + n + ".xml",
              (decl + "<worksheet " + kMainNs + "><sheetData>" + s.cells + "</sheetData>" +
               s.after + "</worksheet>")
                  .toUtf8());
      if (!s.rels.isEmpty())
        p.write("xl/worksheets/_rels/sheet" + n + ".xml.rels",
                (decl +
                 "<Relationships "
                 "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
                 s.rels + "</Relationships>")
                    .toUtf8());
    }
    if (!strings.isEmpty()) {
      QString sst = decl + "<sst " + kMainNs + ">";
      for (const QString& s : strings) sst += "<si><t xml:space=\"preserve\">" + s.toHtmlEscaped() + "</t></si>";
      p.write("xl/sharedStrings.xml", (sst + "</sst>").toUtf8());
      types += "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";
      wbRels += QString("<Relationship Id=\"rIdSst\" Type=\"") + kRelNs +
                "sharedStrings\" Target=\"sharedStrings.xml\"/>";
    }
    p.write("xl/styles.xml", (decl + "<styleSheet " + kMainNs + "><numFmts>" + numFmts +
                              "</numFmts><cellXfs>" + cellXfs + "</cellXfs></styleSheet>")
                                 .toUtf8());
    types += "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    wbRels += QString("<Relationship Id=\"rIdSty\" Type=\"") + kRelNs +
              "styles\" Target=\"styles.xml\"/>";
    if (calcChain) {
      p.write("xl/calcChain.xml",
              (decl + "<calcChain " + kMainNs + "><c r=\"A1\" i=\"1\"/></calcChain>").toUtf8());
      types += "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>";
      wbRels += QString("<Relationship Id=\"rIdCc\" Type=\"") + kRelNs +
                "calcChain\" Target=\"calcChain.xml\"/>";
    }
    for (const MiniPart& part : parts) {
      p.write(part.name, part.data);
      if (!part.contentType.isEmpty())
        types += "<Override PartName=\"/" + part.name + "\" ContentType=\"" + part.contentType +
                 "\"/>";
    }
    p.write("xl/workbook.xml",
            (decl + "<workbook " + kMainNs + "><workbookPr" +
             (date1904 ? " date1904=\"1\"" : "") + "/><sheets>" + sheetList + "</sheets>" +
             (names.isEmpty() ? QString() : "<definedNames>" + names + "</definedNames>") +
             "</workbook>")
                .toUtf8());
    p.write("xl/_rels/workbook.xml.rels", (wbRels + "</Relationships>").toUtf8());
    p.write("_rels/.rels",
            (decl +
             "<Relationships "
             "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId1\" Type=\"" +
             kRelNs + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>")
                .toUtf8());
    p.write("[Content_Types].xml", (types + "</Types>").toUtf8());
    return p;
  }

  void save(const QString& path) const { package().saveAs(path); }
};

// A cell element: text cells become inline strings, numbers stay numbers.
inline QString textCell(const QString& ref, const QString& text) {
  return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text.toHtmlEscaped() + "</t></is></c>";
}
inline QString numberCell(const QString& ref, double value) {
  return "<c r=\"" + ref + "\"><v>" + QString::number(value, 'g', 17) + "</v></c>";
}

}  // namespace tarovent::fixtures
