#include "DemoWorkbooks.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <stdexcept>
#include <vector>

#include "platform/db/Database.h"
#include "platform/ooxml/Package.h"

namespace tarovent::install {

namespace {

// One row of a calculation sheet: "#" in column A selects it for the import; a row without
// code is a text line (presentations M and C); "MO*" and a section code is labour.
struct CalcLine {
  const char* mark;
  const char* code;
  const char* label;
  const char* label2;
  double quantity;
  const char* supplier;
  double price;
};

// A workbook-level named cell under the lines: the import writes its value into the quote's
// bookmark of the same name.
struct NamedCell {
  const char* name;
  const char* caption;
  const char* value;
};

struct CalcTemplate {
  const char* folder;  // "" for the root, else a sub-folder
  const char* file;
  const char* sheet;
  const char* title;
  std::vector<CalcLine> lines;
  std::vector<NamedCell> cells = {};
};

constexpr int kHeaderRow = 6;  // 0-based row 6 is the spreadsheet's row 7

// The articles, tariff references and sections are those of the demo's own files: VIS0001 is
// an article, HYD-10074 a tariff line of HYDRO, ACI-10111 one of ACIEST without article.
const CalcTemplate kTemplates[] = {
    {"",
     "PIECES_ET_MO",
     "Calcul",
     "Calcul de devis : pièces et main d'oeuvre",
     {{"#", "MO*DEBI", "Débit des profilés", "", 2, "", 0},
      {"#", "TUBE0003", "Tube carré", " 40x40", 12, "", 0},
      {"#", "VIS0002", "Vis H zinguée", "", 48, "", 0},
      {"#", "ECR0002", "Écrou frein", "", 48, "", 0},
      {"", "", "", "", 0, "", 0},
      {"#", "", "Assemblage et finition", "", 0, "", 0},
      {"#", "MO*SOUD", "Soudure du châssis", "", 6, "", 0},
      {"#", "PEIN0001", "Peinture de finition", "", 4, "", 0},
      {"#", "MO*PEIN", "Peinture", "", 2.5, "", 0},
      {"", "RON0004", "Rondelles (en réserve)", "", 0, "", 0},
      {"#", "", "Option non retenue", "", 0, "", 0}}},
    {"HYDRO",
     "CENTRALE_HYDRAULIQUE",
     "Centrale hydraulique",
     "Centrale hydraulique par poste",
     {{"#", "HYD-10074", "Pompe à engrenages", "", 1, "HYDRO", 0},
      {"#", "HYD-10518", "Distributeur 4/3", "", 2, "HYDRO", 0},
      {"#", "FLEX0002", "Flexible", " DN12", 6, "", 0},
      {"#", "FILT0001", "Filtre retour", "", 1, "", 0},
      {"#", "HUIL0001", "Huile HV46", "", 60, "", 0},
      {"#", "BLOC-2041", "Bloc foré sur plan", "", 1, "HYDRO", 385},
      {"#", "MO*HYDR", "Montage hydraulique", "", 8, "", 0},
      {"#", "MO*CTRL", "Essais sous pression", "", 1.5, "", 0}}},
    {"",
     "CHAUDRONNERIE_GROUPEE",
     "Chaudronnerie",
     "Chaudronnerie : texte, main d'oeuvre, pièces",
     {{"#", "", "Fourniture et façon d'un réservoir en tôle S235, soudé étanche, ", "", 0, "", 0},
      {"#", "", "peint RAL 5010 à l'extérieur.", "", 0, "", 0},
      {"#", "ACI-10111", "Tôle découpée laser", "", 4, "ACIEST", 0},
      {"#", "TOLE0002", "Tôle acier", " ép. 4", 3.5, "", 0},
      {"#", "ELEC0001", "Électrodes rutile", "", 5, "", 0},
      {"#", "MO*PLIA", "Pliage", "", 3, "", 0},
      {"#", "MO*SOUD", "Soudure", "", 10, "", 0},
      {"#", "MO*CTRL", "Contrôle d'étanchéité", "", 1, "", 0}},
     {{"DELAI", "Délai de réalisation", "4 semaines après commande"}}},
};

// The template that stands in a folder no supplier is named after: never listed.
const CalcTemplate kArchived = {"ANCIENS",
                                "ANCIEN_CALCUL",
                                "Calcul",
                                "Ancien calcul (2019)",
                                {{"#", "VIS0001", "Vis", "", 10, "", 0}}};

void check(lxw_error e, const QString& path) {
  if (e != LXW_NO_ERROR)
    throw std::runtime_error(QStringLiteral("Impossible d'écrire %1 : %2")
                                 .arg(path, QString::fromUtf8(lxw_strerror(e)))
                                 .toStdString());
}

// The calculation sheet: the header cells the program fills from the dossier, the named
// columns, the lines with their amounts and a total.
void writeWorkbook(const QString& path, const CalcTemplate& t) {
  const QByteArray file = QFile::encodeName(path);
  lxw_workbook* wb = workbook_new(file.constData());
  if (!wb)
    throw std::runtime_error(QStringLiteral("Impossible d'écrire %1.").arg(path).toStdString());
  lxw_worksheet* ws = workbook_add_worksheet(wb, t.sheet);
  lxw_format* title = workbook_add_format(wb);
  format_set_bold(title);
  format_set_font_size(title, 14);
  lxw_format* label = workbook_add_format(wb);
  format_set_bold(label);
  lxw_format* input = workbook_add_format(wb);
  format_set_bg_color(input, 0xFFF2CC);
  format_set_border(input, LXW_BORDER_THIN);
  lxw_format* date = workbook_add_format(wb);
  format_set_num_format(date, "dd/mm/yyyy");
  format_set_bg_color(date, 0xFFF2CC);
  format_set_border(date, LXW_BORDER_THIN);
  lxw_format* head = workbook_add_format(wb);
  format_set_bold(head);
  format_set_bg_color(head, 0xD9E2F3);
  format_set_border(head, LXW_BORDER_THIN);
  lxw_format* money = workbook_add_format(wb);
  format_set_num_format(money, "# ##0.00");
  lxw_format* total = workbook_add_format(wb);
  format_set_num_format(total, "# ##0.00");
  format_set_bold(total);
  format_set_top(total, LXW_BORDER_THIN);

  const QByteArray sheet = QByteArray("'") + t.sheet + "'!";
  const auto name = [&](const char* n, const char* cell) {
    check(workbook_define_name(wb, n, ("=" + sheet + cell).constData()), path);
  };
  // The header cells are the sheet's own names: the dossier's values written there must not
  // come back into the quote's bookmarks of the same names (NUMDEV, DATDEV, CODCLI...).
  const auto sheetName = [&](const char* n, const char* cell) {
    check(workbook_define_name(wb, (sheet + n).constData(), ("=" + sheet + cell).constData()),
          path);
  };
  worksheet_write_string(ws, 0, 0, t.title, title);
  const struct {
    int row, column;
    const char *caption, *name, *cell;
  } header[] = {{1, 0, "Devis n°", "NUMDEV", "$B$2"},  {1, 4, "Date", "DATDEV", "$F$2"},
                {2, 0, "Client", "CODCLI", "$B$3"},    {2, 2, nullptr, "CLIRS", "$C$3"},
                {3, 0, "Opération", "LIBOPE", "$B$4"}, {3, 4, "Commercial", "COMMERCIAL", "$F$4"},
                {4, 0, "Travaux", "STYPTRAV", "$B$5"}, {4, 4, "Ville", "CLIVILLE", "$F$5"}};
  for (const auto& h : header) {
    if (h.caption)
      worksheet_write_string(ws, lxw_row_t(h.row), lxw_col_t(h.column), h.caption, label);
    const int column = h.caption ? h.column + 1 : h.column;
    worksheet_write_blank(ws, lxw_row_t(h.row), lxw_col_t(column),
                          QByteArray(h.name) == "DATDEV" ? date : input);
    sheetName(h.name, h.cell);
  }

  const char* captions[] = {"#",   "Code",        "Désignation", "Complément",
                            "Qté", "Fournisseur", "Prix achat",  "Montant"};
  for (int c = 0; c < 8; ++c)
    worksheet_write_string(ws, kHeaderRow, lxw_col_t(c), captions[c], head);
  name("CODART", "$B$7");
  name("LIBART1", "$C$7");
  name("LIBART2", "$D$7");
  name("QTE", "$E$7");
  name("CODFOURN", "$F$7");
  name("PRIXACH", "$G$7");
  int row = kHeaderRow + 1;
  double sum = 0;
  for (const CalcLine& l : t.lines) {
    const lxw_row_t r = lxw_row_t(row);
    if (*l.mark) worksheet_write_string(ws, r, 0, l.mark, nullptr);
    if (*l.code) worksheet_write_string(ws, r, 1, l.code, nullptr);
    if (*l.label) worksheet_write_string(ws, r, 2, l.label, nullptr);
    if (*l.label2) worksheet_write_string(ws, r, 3, l.label2, nullptr);
    if (*l.code) worksheet_write_number(ws, r, 4, l.quantity, nullptr);
    if (*l.supplier) worksheet_write_string(ws, r, 5, l.supplier, nullptr);
    if (l.price != 0) worksheet_write_number(ws, r, 6, l.price, money);
    const QByteArray n = QByteArray::number(row + 1);
    if (*l.code)
      worksheet_write_formula_num(ws, r, 7, ("=E" + n + "*G" + n).constData(), money,
                                  l.quantity * l.price);
    sum += l.quantity * l.price;
    ++row;
  }
  const QByteArray last = QByteArray::number(row);
  worksheet_write_string(ws, lxw_row_t(row + 1), 6, "Total", label);
  worksheet_write_formula_num(ws, lxw_row_t(row + 1), 7, ("=SUM(H8:H" + last + ")").constData(),
                              total, sum);
  for (const NamedCell& c : t.cells) {
    row += 2;
    worksheet_write_string(ws, lxw_row_t(row + 1), 2, c.caption, label);
    worksheet_write_string(ws, lxw_row_t(row + 1), 3, c.value, input);
    name(c.name, ("$D$" + QByteArray::number(row + 2)).constData());
  }
  worksheet_set_column(ws, 0, 0, 3, nullptr);
  worksheet_set_column(ws, 1, 1, 13, nullptr);
  worksheet_set_column(ws, 2, 2, 42, nullptr);
  worksheet_set_column(ws, 3, 3, 14, nullptr);
  worksheet_set_column(ws, 4, 4, 8, nullptr);
  worksheet_set_column(ws, 5, 7, 13, nullptr);
  worksheet_freeze_panes(ws, kHeaderRow + 1, 0);
  check(workbook_close(wb), path);
}

// A workbook made a template: the same package with the template's content type.
void makeTemplate(const QString& workbook, const QString& templatePath) {
  ooxml::Package p = ooxml::Package::open(workbook);
  const QString part = QStringLiteral("xl/workbook.xml");
  p.setContentType(part, p.contentType(part).replace(QLatin1String("sheet.main"),
                                                     QLatin1String("template.main")));
  p.saveAs(templatePath);
  QFile::remove(workbook);
}

void writeTemplate(const QString& root, const CalcTemplate& t) {
  const QString folder = *t.folder ? root + QString::fromUtf8(t.folder) + '/' : root;
  if (!QDir().mkpath(folder))
    throw std::runtime_error(QStringLiteral("Impossible de créer %1.").arg(folder).toStdString());
  const QString base = folder + QString::fromUtf8(t.file);
  writeWorkbook(base + ".xlsx", t);
  makeTemplate(base + ".xlsx", base + ".xltx");
}

}  // namespace

void writeCalculationTemplates(db::Database& main, const QString& folder) {
  for (const CalcTemplate& t : kTemplates) writeTemplate(folder, t);
  writeTemplate(folder, kArchived);
  main.Execute(QStringLiteral("UPDATE TPAR SET TPAR_PATH_EXCEL = ") + db::sqlLiteral(folder) +
               QStringLiteral(", TPAR_NOMFICH_EXCEL = '*.XLT'"));
}

}  // namespace tarovent::install
