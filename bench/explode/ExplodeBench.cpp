// Explodes a five-level bill of 2,000 links into a quote, against the same rows appended and
// filled plainly through the document engine (interleaved medians of 7 runs); then values an
// article whose four-level bill holds 5,110 links: the first call, the calls after it, and
// the first call after a write to the links.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "articles/ArticleFiles.h"
#include "articles/CostRollup.h"
#include "common/DeepBill.h"
#include "common/NewFamily.h"
#include "common/OpenFamily.h"
#include "common/PackageFloor.h"
#include "composition/ColumnMap.h"
#include "composition/Explosion.h"
#include "core/ProcessState.h"
#include "install/templates/WordprocessingXml.h"
#include "platform/db/Database.h"
#include "platform/word/WordDocument.h"

using namespace tarovent;

namespace {

const QStringList kCodes{"CODART", "LIBART", "QTE", "UNITE", "PDR", "PUBRUT", "PCREM", "MTNET"};

QString cell(const QString& inner) {
  return "<w:tc><w:tcPr><w:tcW w:w=\"1200\" w:type=\"dxa\"/></w:tcPr><w:p>" + inner +
         "</w:p></w:tc>";
}

// A header table with the column bookmarks and a line table of one empty row.
word::WordDocument emptyQuote() {
  QString header = "<w:tr>", empty = "<w:tr>", grid;
  int id = 1;
  for (const QString& code : kCodes) {
    header += cell("<w:bookmarkStart w:id=\"" + QString::number(id) + "\" w:name=\"" + code +
                   "\"/><w:r><w:t>" + code + "</w:t></w:r><w:bookmarkEnd w:id=\"" +
                   QString::number(id) + "\"/>");
    empty += cell({});
    grid += "<w:gridCol w:w=\"1200\"/>";
    ++id;
  }
  const auto table = [&](const QString& row) {
    return "<w:tbl><w:tblPr><w:tblW w:w=\"9600\" w:type=\"dxa\"/></w:tblPr><w:tblGrid>" + grid +
           "</w:tblGrid>" + row + "</w:tr></w:tbl>";
  };
  const QString body = table(header) + "<w:p/>" + table(empty) + "<w:p/>";
  return word::WordDocument::fromPackage(
      templates::WordprocessingXml::package(body, "<w:p/>", "<w:p/>", false, false));
}

}  // namespace

int main() {
  QTemporaryDir dir;
  bench::NewFamily family(dir.filePath("f"));
  core::ProcessState& state = family.state;
  bench::QuietFunnel& quiet = family.quiet;
  db::Database& stock = state.base(core::entry::Stock).db;
  db::Database& plan = state.base(core::entry::Planning).db;
  articles::ArticleFiles files(state);

  // Five levels: 4 x 4 x 4 x 4 sub-assemblies, each with one operation, and 6 or 7 bought
  // parts (50 codes in all) under each of the last.
  int links = 0;
  {
    db::TransactionGuard gs(stock);
    db::TransactionGuard gp(plan);
    plan.Execute("INSERT INTO TSEC VALUES ('ASM', 'Assemblage', 40, 60)");
    const auto art = [&](const QString& code, const char* type) {
      stock.Execute(
          "INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, TARTI_PMP, "
          "TARTI_PVU1, TARTI_UNST_LIB) VALUES ('" +
          code + "', 'Article " + code + "', '" + type + "', 2, 3, 'UN')");
      if (QLatin1String(type) == "F")
        plan.Execute(
            "INSERT INTO TGAM (TGAM_Codart, TGAM_Vargam, TGAM_Numope, TGAM_CodSec, "
            "TGAM_Libope, TGAM_TmpPrep, TGAM_TmpPie) VALUES ('" +
            code + "', '00', 10, 'ASM', 'Montage', 0.5, 0.1)");
    };
    const auto link = [&](const QString& p, const QString& c, int order) {
      stock.Execute(
          "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_FILS, TLIEN_VARFILS, "
          "TLIEN_NUMORD, TLIEN_QTEUNI) VALUES ('" +
          p + "', '00', '" + c + "', '00', " + QString::number(order) + ", 2)");
      ++links;
    };
    for (int i = 0; i < 50; ++i) art(QStringLiteral("PART%1").arg(i), "A");
    art("ROOT", "F");
    QStringList level{"ROOT"};
    for (int depth = 1; depth <= 4; ++depth) {
      QStringList next;
      for (const QString& parent : level)
        for (int k = 0; k < 4; ++k) {
          const QString code = parent + QStringLiteral("-%1").arg(k);
          art(code, "F");
          link(parent, code, k);
          next << code;
        }
      level = next;
    }
    int extra = 2000 - links - 6 * int(level.size());
    for (int i = 0; i < level.size(); ++i)
      for (int k = 0; k < (i < extra ? 7 : 6); ++k)
        link(level[i], QStringLiteral("PART%1").arg((i * 7 + k) % 50), k);
    gs.commit();
    gp.commit();
  }
  bench::openRoutings(state);

  composition::ExplosionOptions options;
  options.lines.quantityDecimals = 2;
  options.pricing.tarMat = "V";
  composition::EntryLine root;
  root.code = "ROOT";
  root.designation = "Article ROOT";
  root.type = "F";
  root.quantity = 1;
  root.unitPrice = 1000;

  // The rows of one explosion, as the plain writer types them again.
  QList<QStringList> written;
  int lines = 0;
  {
    word::WordDocument doc = emptyQuote();
    const composition::ColumnMap columns = composition::ColumnMap::read(doc, 1);
    composition::TableCursor cursor{2, 1};
    lines = composition::Eclater_Article(files, doc, columns, cursor, root, options, quiet).rows;
    for (int r = 1; r <= doc.rowCount(2); ++r) {
      QStringList row;
      for (int c = 1; c <= kCodes.size(); ++c) row << doc.cellText({2, r, c});
      written << row;
    }
  }
  const bench::Timings t = bench::interleaved(
      7,
      [&] {
        word::WordDocument doc = emptyQuote();
        for (int r = 0; r < written.size(); ++r) {
          const int row = r == 0 ? 1 : doc.appendRow(2);
          for (int c = 0; c < written[r].size(); ++c)
            doc.setCellText({2, row, c + 1}, written[r][c]);
        }
      },
      [&] {
        word::WordDocument doc = emptyQuote();
        const composition::ColumnMap columns = composition::ColumnMap::read(doc, 1);
        composition::TableCursor cursor{2, 1};
        composition::Eclater_Article(files, doc, columns, cursor, root, options, quiet);
      });
  std::printf("bill of materials: %d links on five levels; %d lines written (%d messages)\n", links,
              lines, quiet.shown);
  std::printf("plain rows appended and filled: %8.3f ms per line\n", t.floorMs / lines);
  std::printf("explosion:                      %8.3f ms per line\n", t.engineMs / lines);
  std::printf("ratio: %.2f wall, %.2f processor (target <= 3)\n", t.engineMs / t.floorMs,
              t.engineCpuMs / t.floorCpuMs);

  bench::addDeepBill(stock);
  const auto timed = [](const auto& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
  };
  std::vector<double> cold, warm;
  double cost = 0;
  for (int i = 0; i < 5; ++i) {
    // A write to the links: the next roll-up reads everything again.
    stock.Execute(QStringLiteral("UPDATE TLIEN SET TLIEN_QTEUNI = %1 WHERE TLIEN_PERE = "
                                 "'BENCHROOT' AND TLIEN_FILS = 'BN1-0'")
                      .arg(2 + i % 2));
    cold.push_back(timed([&] {
      const auto v = articles::Valoriser_Article(files, quiet, "BENCHROOT", "00");
      cost = v ? v->cout_matiere : -1;
    }));
    warm.push_back(timed([&] { articles::Valoriser_Article(files, quiet, "BENCHROOT", "00"); }));
  }
  std::printf(
      "Valoriser_Article, 5,110 links: %7.2f ms after a write, %7.3f ms again "
      "(materials cost %.2f; target < 20 ms)\n",
      bench::median(cold), bench::median(warm), cost);
  return 0;
}
