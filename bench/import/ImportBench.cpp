// The workbook import of the composition on a 2,000-row calculation sheet, presentation X, in a
// quote of the demo family. Two comparisons, runs interleaved, medians of 5:
// - reading: the workbook opened and its selected rows read, against a plain libzip + pugixml
//   read of the same sheet and its shared strings (target: within 3 times);
// - importing: the whole import into the quote, against the composition's own line entry of
//   the same 2,000 lines, appended one by one (target: within 2 times).
#include <xlsxwriter.h>
#include <zip.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "common/LargeDemo.h"
#include "common/OpenFamily.h"
#include "common/QuietFunnel.h"
#include "common/Timing.h"
#include "composition/CompositionSession.h"
#include "composition/LineEntry.h"
#include "composition/TableLocator.h"
#include "composition/WorkbookImport.h"
#include "composition/WorkbookRows.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/RowReader.h"
#include "platform/excel/Workbook.h"

using namespace tarovent;
using bench::median;
using bench::timed;

namespace {

constexpr int kRows = 2000;
constexpr int kRuns = 5;

struct Row {
  QString code, label;
  double quantity;
};

// The sheet of the demo's calculation templates, 2,000 selected article rows long.
void writeWorkbook(const QString& path, const QList<Row>& rows) {
  lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
  lxw_worksheet* ws = workbook_add_worksheet(wb, "Calcul");
  const char* captions[] = {"#", "Code", "Désignation", "Complément", "Qté"};
  for (int c = 0; c < 5; ++c) worksheet_write_string(ws, 0, lxw_col_t(c), captions[c], nullptr);
  workbook_define_name(wb, "CODART", "=Calcul!$B$1");
  workbook_define_name(wb, "LIBART1", "=Calcul!$C$1");
  workbook_define_name(wb, "LIBART2", "=Calcul!$D$1");
  workbook_define_name(wb, "QTE", "=Calcul!$E$1");
  for (int i = 0; i < rows.size(); ++i) {
    const lxw_row_t r = lxw_row_t(i + 1);
    worksheet_write_string(ws, r, 0, "#", nullptr);
    worksheet_write_string(ws, r, 1, rows[i].code.toUtf8().constData(), nullptr);
    worksheet_write_string(ws, r, 2, rows[i].label.toUtf8().constData(), nullptr);
    worksheet_write_string(ws, r, 3, QByteArray(" lot ").append(QByteArray::number(i)).constData(),
                           nullptr);
    worksheet_write_number(ws, r, 4, rows[i].quantity, nullptr);
  }
  if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("classeur non écrit");
}

std::string entry(zip_t* z, const char* name) {
  zip_stat_t st;
  if (zip_stat(z, name, 0, &st) != 0) return {};
  zip_file_t* f = zip_fopen(z, name, 0);
  std::string bytes(size_t(st.size), '\0');
  zip_fread(f, bytes.data(), st.size);
  zip_fclose(f);
  return bytes;
}

// The floor: the sheet and its shared strings inflated and parsed, every cell's text taken.
long plainRead(const QString& path) {
  int err = 0;
  zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
  std::string strings = entry(z, "xl/sharedStrings.xml"),
              sheet = entry(z, "xl/worksheets/sheet1.xml");
  zip_discard(z);
  pugi::xml_document sst, ws;
  sst.load_buffer_inplace(strings.data(), strings.size());
  ws.load_buffer_inplace(sheet.data(), sheet.size());
  std::vector<const char*> shared;
  for (pugi::xml_node si : sst.document_element().children("si"))
    shared.push_back(si.child("t").child_value());
  long chars = 0;
  for (pugi::xml_node row : ws.document_element().child("sheetData").children("row"))
    for (pugi::xml_node c : row.children("c")) {
      const char* v = c.child_value("v");
      if (std::string_view(c.attribute("t").value()) == "s") v = shared[size_t(atoi(v))];
      chars += long(strlen(v));
    }
  return chars;
}

struct Quote {
  std::unique_ptr<composition::CompositionSession> session;
  int table = 0;
};

Quote openQuote(core::ProcessState& state, const QString& source, const QString& work) {
  QFile::remove(work);
  QFile::copy(source, work);
  composition::OpenRequest request;
  request.documentPath = work;
  Quote q;
  q.session = composition::CompositionSession::open(state, request);
  if (!q.session) throw std::runtime_error("devis non ouvert");
  const auto located = composition::Reperer_Tableaux(q.session->document(),
                                                     composition::LocatePurpose::Recalculation);
  if (!located.layout) throw std::runtime_error("pas de tableau de lignes");
  q.table = located.layout->firstLineTable;
  q.session->setCursor(q.table, 1);
  return q;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  try {
    const install::FamilyLayout family = bench::largeDemo(
        QStringLiteral(TAROVENT_BENCH_FOLDER) + "/famille-demo", install::DemoSize::Small);
    bench::QuietFunnel quiet;
    core::ProcessState state(quiet);
    if (!bench::openFamily(state, family.workingFolder)) {
      fprintf(stderr, "La famille ne peut pas être ouverte.\n");
      return 1;
    }
    state.params.tarifMat = "V";
    state.params.tarifMo = "V";
    QList<Row> articles;
    state.base(core::entry::Stock)
        .db.forEachRow("select TARTI_CODART, TARTI_LIBART from TARTI order by TARTI_CODART",
                       [&](const db::RowReader& r) {
                         articles << Row{r.text("TARTI_CODART"), r.text("TARTI_LIBART"), 0};
                       });
    if (articles.isEmpty()) throw std::runtime_error("aucun article");
    QList<Row> rows;
    for (int i = 0; i < kRows; ++i) {
      Row r = articles[i % articles.size()];
      r.quantity = 1 + i % 9;
      rows << r;
    }
    QTemporaryDir dir;
    const QString workbook = dir.filePath("calcul.xlsx");
    writeWorkbook(workbook, rows);
    const QStringList documents =
        QDir(family.dataFolder + "DOC_TAROVENT").entryList({"*_00.AB"}, QDir::Files, QDir::Name);
    if (documents.isEmpty()) throw std::runtime_error("aucun devis AB");
    const QString source = family.dataFolder + "DOC_TAROVENT/" + documents.first();
    const QString work = dir.filePath("00001_00.AB");

    std::vector<double> plain, reading, importing, entering;
    long chars = 0;
    int read = 0, imported = 0, entered = 0;
    for (int run = 0; run < kRuns; ++run) {
      plain.push_back(timed([&] { chars = plainRead(workbook); }));
      reading.push_back(timed([&] {
        const excel::Workbook wb = excel::Workbook::open(workbook);
        read = int(composition::readImportRows(wb, composition::Presentation::X).records.size());
      }));
      {
        Quote q = openQuote(state, source, work);
        importing.push_back(timed([&] {
          const excel::Workbook wb = excel::Workbook::open(workbook);
          imported =
              composition::Importer_Classeur(*q.session, wb, composition::Presentation::X).lines;
        }));
        q.session->close();
      }
      {
        Quote q = openQuote(state, source, work);
        composition::LineEntry line(*q.session);
        entered = 0;
        entering.push_back(timed([&] {
          for (const Row& r : rows) {
            line.pick(composition::EntrySource::Stock, r.code);
            line.setText("CTX_TPRO_LIB", r.label + " lot");
            line.setText("CTX_QTE", QString::number(r.quantity));
            line.leave("CTX_QTE");
            if (line.append()) ++entered;
          }
        }));
        q.session->close();
      }
    }
    const double p = median(plain), r = median(reading), i = median(importing),
                 e = median(entering);
    printf("bench/import : feuille de %d lignes, présentation X, médianes de %d essais\n", kRows,
           kRuns);
    printf("  lecture libzip + pugixml (feuille et chaînes, %ld caractères) %9.1f ms\n", chars, p);
    printf(
        "  lecture du classeur et des lignes retenues (%d)             %9.1f ms   rapport %.2f "
        "(cible <= 3)\n",
        read, r, r / p);
    printf(
        "  import complet (%d lignes)                                  %9.1f ms   %.2f ms par "
        "ligne\n",
        imported, i, i / std::max(imported, 1));
    printf(
        "  saisie des mêmes lignes dans la composition (%d)           %9.1f ms   %.2f ms par "
        "ligne\n",
        entered, e, e / std::max(entered, 1));
    printf("  rapport import / saisie %.2f (cible <= 2)\n", i / e);
    return read == kRows && imported == kRows && entered == kRows ? 0 : 1;
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
  }
  return 1;
}
