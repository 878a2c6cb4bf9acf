// Rewrites the numbers of a 2,000-line quote and saves it, against the same work done plainly
// (every entry read, the main part parsed and serialized with pugixml, every entry written
// back). Prints both, interleaved medians of 9 runs, and the ratio.

#include <zip.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/PackageFloor.h"
#include "composition/ColumnMap.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "install/templates/WordprocessingXml.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

constexpr int kRows = 2000;
const QStringList kCodes{"CODART", "LIBART", "QTE",    "PUBRUT", "PCREM",
                         "PUNET",  "MTNET",  "MTBRUT", "MTREM",  "POIDSTOT"};
const QStringList kNumeric{"QTE",   "PUBRUT", "PCREM", "PUNET",
                           "MTNET", "MTBRUT", "MTREM", "POIDSTOT"};

QString cell(const QString& text, const QString& align) {
  return "<w:tc><w:tcPr><w:tcW w:w=\"960\" w:type=\"dxa\"/></w:tcPr><w:p><w:pPr><w:jc w:val=\"" +
         align +
         "\"/><w:rPr><w:sz w:val=\"16\"/></w:rPr></w:pPr><w:r><w:rPr><w:rFonts w:ascii=\"Arial\" "
         "w:hAnsi=\"Arial\"/>"
         "<w:sz w:val=\"16\"/><w:szCs w:val=\"16\"/></w:rPr><w:t xml:space=\"preserve\">" +
         text + "</w:t></w:r></w:p></w:tc>";
}

QString table(const QStringList& rows) {
  QString grid;
  for (int i = 0; i < kCodes.size(); ++i) grid += "<w:gridCol w:w=\"960\"/>";
  return "<w:tbl><w:tblPr><w:tblW w:w=\"9600\" w:type=\"dxa\"/><w:tblLayout "
         "w:type=\"fixed\"/></w:tblPr><w:tblGrid>" +
         grid + "</w:tblGrid>" + rows.join(QString()) + "</w:tbl>";
}

// A quote as the composition leaves it: a header table, one line table, a totals paragraph.
void writeQuote(const QString& path) {
  QString header = "<w:tr>";
  int id = 1;
  for (const QString& code : kCodes) {
    header +=
        "<w:tc><w:tcPr><w:tcW w:w=\"960\" w:type=\"dxa\"/></w:tcPr><w:p><w:bookmarkStart w:id=\"" +
        QString::number(id) + "\" w:name=\"" + code + "\"/><w:r><w:t>" + code +
        "</w:t></w:r><w:bookmarkEnd w:id=\"" + QString::number(id) + "\"/></w:p></w:tc>";
    ++id;
  }
  header += "</w:tr>";
  QStringList rows;
  for (int r = 0; r < kRows; ++r) {
    QString row = "<w:tr><w:trPr><w:cantSplit/></w:trPr>";
    row += cell(QString(r % 4 == 0 ? "" : "   ") + QString("ART%1").arg(r), "left");
    row += cell(QString("Article de démonstration numéro %1, acier galvanisé").arg(r), "left");
    for (int c = 2; c < kCodes.size(); ++c)
      row += cell(composition::formatMasked(r * 1.5 + c, "# ### ##0.00", ','), "right");
    rows << row + "</w:tr>";
  }
  const QString body =
      "<w:p><w:r><w:t>Devis</w:t></w:r></w:p>" + table({header}) +
      "<w:p><w:pPr><w:rPr><w:sz w:val=\"2\"/></w:rPr></w:pPr></w:p>" + table(rows) +
      "<w:p><w:bookmarkStart w:id=\"90\" "
      "w:name=\"SMTNET\"/><w:r><w:t>0,00</w:t></w:r><w:bookmarkEnd w:id=\"90\"/></w:p>";
  templates::WordprocessingXml::package(body, "<w:p/>", "<w:p/>", false, false).saveAs(path);
}

// Load, locate the tables, rewrite 8 numbers per row, save.
void rewrite(const QString& in, const QString& out) {
  word::WordDocument doc = word::WordDocument::open(in);
  const composition::TableLayout layout =
      *composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation).layout;
  const composition::ColumnMap columns = composition::ColumnMap::read(doc, layout.headerTable);
  std::vector<int> numeric;
  for (const QString& code : kNumeric) numeric.push_back(columns.column(code));
  word::CharFormat visible;
  visible.hidden = false;
  const int t = layout.firstLineTable;
  const int rows = doc.rowCount(t);
  for (int r = 1; r <= rows; ++r) {
    for (size_t i = 0; i < numeric.size(); ++i) {
      const double value = composition::round2(r * 2.25 + double(i));
      doc.setCellText({t, r, numeric[i]},
                      composition::formatMasked(value, composition::kPriceMask, ','), visible);
    }
  }
  doc.saveAs(out);
}

}  // namespace

int main() {
  QTemporaryDir dir;
  const QString quote = qEnvironmentVariableIsSet("BENCH_KEEP") ? qEnvironmentVariable("BENCH_KEEP")
                                                                : dir.filePath("quote.docx");
  writeQuote(quote);
  const bench::Timings t = bench::interleaved(
      9, [&] { bench::plainRewrite(quote, dir.filePath("plain.docx")); },
      [&] { rewrite(quote, dir.filePath("rewritten.docx")); });
  std::printf("quote: %d rows x %lld columns, %lld bytes\n", kRows,
              static_cast<long long>(kCodes.size()), static_cast<long long>(QFile(quote).size()));
  bench::printTimings(t, "load, rewrite 8 cells per row, save durably", 2);
  return 0;
}
