#include "composition/WorkbookRows.h"

#include <set>

#include "platform/db/Database.h"
#include "platform/excel/Workbook.h"

namespace tarovent::composition {

namespace {

const QString kCodeName = QStringLiteral("CODART");

struct Columns {
  int code = 0, quantity = 0, supplier = 0, price = 0;
  std::vector<int> labels;  // LIBART1 first, then the LIBART2 … LIBART9 present
};

// The column of a name as seen from the sheet: its own name first, then the workbook's.
int namedColumn(const excel::Workbook& wb, int sheet, const QString& name) {
  const excel::DefinedName* n = wb.findName(name, sheet);
  const excel::RangeRef range = n ? n->range() : excel::RangeRef();
  return range.isValid() ? range.firstColumn : 0;
}

bool isCheckBoxName(const QString& name) {
  return name.startsWith(QLatin1String("CHK_"), Qt::CaseInsensitive);
}

}  // namespace

std::optional<Presentation> presentationFromLetter(const QString& letter) {
  static const QString letters = QStringLiteral("XMABC");
  const QString l = letter.trimmed().toUpper();
  if (l.size() != 1 || !letters.contains(l)) return std::nullopt;
  return Presentation(letters.indexOf(l));
}

QString presentationLetter(Presentation p) { return QString(QStringLiteral("XMABC").at(int(p))); }

QString presentationCaption(Presentation p) {
  switch (p) {
    case Presentation::X:
      return QStringLiteral("Pièces et main d'oeuvre seules (1 tableau)");
    case Presentation::M:
      return QStringLiteral("Pièces / main d'oeuvre multi-tableaux");
    case Presentation::A:
      return QStringLiteral("Par poste (1 import = 1 tableau), valorisé");
    case Presentation::B:
      return QStringLiteral("Par poste (1 import = 1 tableau), non valorisé");
    case Presentation::C:
      return QStringLiteral("Pièces / main d'oeuvre regroupés (texte + 2 tableaux)");
  }
  return {};
}

namespace {

// The first name ending in "CODART": its sheet is the nomenclature sheet, its cell the
// header of the code column.
const excel::DefinedName* codeName(const excel::Workbook& wb) {
  for (const excel::DefinedName& n : wb.names())
    if (n.name.endsWith(kCodeName, Qt::CaseInsensitive)) return &n;
  return nullptr;
}

}  // namespace

QString Trouver_Feuille_Nomenclature(const excel::Workbook& wb) {
  const excel::DefinedName* n = codeName(wb);
  if (!n) return {};
  const excel::RangeRef range = n->range();
  if (!range.sheet.isEmpty()) return range.sheet;
  if (n->localSheet >= 0 && n->localSheet < wb.sheetNames().size())
    return wb.sheetNames().at(n->localSheet);
  return {};
}

bool Case_Cochee(const excel::Workbook& wb, int sheet, int row) {
  const QString wanted = QStringLiteral("CHK_%1").arg(row, 3, 10, QLatin1Char('0'));
  for (const excel::CheckBox& box : wb.checkBoxes(sheet))
    if (box.name.compare(wanted, Qt::CaseInsensitive) == 0) return box.checked;
  return false;
}

QString rowsMessage(RowsOutcome outcome) {
  switch (outcome) {
    case RowsOutcome::Read:
      return {};
    case RowsOutcome::NoSheet:
      return QStringLiteral("Aucune feuille de nomenclature trouvée");
    case RowsOutcome::NoBaseColumns:
      return QStringLiteral("Les colonnes de bases (CODART, QTE, LIBART1) ") +
             QStringLiteral("ne sont pas identifiées dans votre modèle Excel");
  }
  return {};
}

ImportRows readImportRows(const excel::Workbook& wb, Presentation presentation) {
  ImportRows out;
  out.sheetName = Trouver_Feuille_Nomenclature(wb);
  out.sheet = out.sheetName.isEmpty() ? -1 : wb.sheetIndex(out.sheetName);
  if (out.sheet < 0) {
    out.outcome = RowsOutcome::NoSheet;
    return out;
  }
  const int sheet = out.sheet;
  out.sheetName = wb.sheetNames().at(sheet);
  Columns c;
  int headerRow = 0;
  const excel::RangeRef codeRange = codeName(wb)->range();
  if (codeRange.isValid()) {
    c.code = codeRange.firstColumn;
    headerRow = codeRange.firstRow;
  }
  c.quantity = namedColumn(wb, sheet, QStringLiteral("QTE"));
  const int label1 = namedColumn(wb, sheet, QStringLiteral("LIBART1"));
  if (c.code == 0 || c.quantity == 0 || label1 == 0) {
    out.outcome = RowsOutcome::NoBaseColumns;
    return out;
  }
  c.labels.push_back(label1);
  for (int i = 2; i <= 9; ++i)
    if (const int col = namedColumn(wb, sheet, QStringLiteral("LIBART%1").arg(i))) c.labels.push_back(col);
  c.supplier = namedColumn(wb, sheet, QStringLiteral("CODFOURN"));
  c.price = namedColumn(wb, sheet, QStringLiteral("PRIXACH"));
  out.hasSupplierColumn = c.supplier != 0;

  // Check boxes are read once: a sheet has them when one is named "CHK_".
  std::set<int> ticked;
  bool hasBoxes = false;
  for (const excel::CheckBox& box : wb.checkBoxes(sheet)) {
    if (!isCheckBoxName(box.name)) continue;
    hasBoxes = true;
    bool ok = false;
    const int row = box.name.mid(4).toInt(&ok);
    if (ok && box.checked && box.name.size() == 7) ticked.insert(row);
  }

  // Rows without code are text lines where the presentation has a place for text.
  const bool textLines = presentation == Presentation::M || presentation == Presentation::C;
  const int lastRow = wb.lastUsedCell(sheet).first;
  int block = 1;
  bool previousSelected = false;
  for (int row = headerRow + 1; row <= lastRow; ++row) {
    const bool selected = wb.cell(sheet, row, 1).displayText().trimmed() == QLatin1String("#") ||
                          (hasBoxes && ticked.count(row));
    if (!selected) {
      if (previousSelected) ++block;
      previousSelected = false;
      continue;
    }
    previousSelected = true;
    ImportRecord r;
    r.code = wb.cell(sheet, row, c.code).displayText().trimmed();
    if (r.code.isEmpty() && !textLines) continue;
    r.quantity = wb.cell(sheet, row, c.quantity).numericValue();
    if (r.quantity == 0 && !r.code.isEmpty()) continue;
    for (int col : c.labels) r.label += wb.cell(sheet, row, col).displayText();
    if (c.supplier) r.supplier = wb.cell(sheet, row, c.supplier).displayText().trimmed();
    if (c.price) r.purchasePrice = wb.cell(sheet, row, c.price).numericValue();
    r.block = block;
    out.records.push_back(r);
  }
  return out;
}

void storeImportRows(db::Database& local, const std::vector<ImportRecord>& records) {
  db::TransactionGuard g(local);
  local.Execute(QStringLiteral("delete * from TMP_TABLEAU;"));
  db::RowInserter rows(local, QStringLiteral("TMP_TABLEAU"),
                       {"TMP_NUM", "TMP_Numtab", "TMP_Codart", "TMP_Libelle", "TMP_Qte",
                        "TMP_CodFourn", "TMP_PDR"});
  int num = 0;
  for (const ImportRecord& r : records)
    rows.add({++num, r.block, r.code, r.label, r.quantity, r.supplier, r.purchasePrice});
  g.commit();
}

}  // namespace tarovent::composition
