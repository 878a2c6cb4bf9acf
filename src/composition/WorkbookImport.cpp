#include "composition/WorkbookImport.h"

#include <QSet>
#include <cmath>
#include <optional>

#include "articles/ArticleFiles.h"
#include "composition/CompositionSession.h"
#include "composition/Explosion.h"
#include "composition/LineEntry.h"
#include "composition/QuoteRows.h"
#include "composition/TableLocator.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/excel/Workbook.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"
#include "ui/BusyCursor.h"

namespace tarovent::composition {

namespace {

const QString kQuantity = QStringLiteral("CTX_QTE");

bool isLabour(const QString& code) {
  return code.startsWith(QLatin1String("MO*"), Qt::CaseInsensitive);
}

double round2(double value) { return std::floor(value * 100 + 0.5) / 100; }

word::CharFormat hiddenFormat(bool hidden) {
  word::CharFormat f;
  f.hidden = hidden;
  return f;
}

// Turns imported rows into quote lines and writes them; one per import.
class LineMaker {
 public:
  LineMaker(CompositionSession& session, const ImportRows& rows, bool grouped)
      : m_s(session), m_msg(session.state().messages()), m_rows(rows), m_grouped(grouped) {
    m_options.lines.printPrice = session.printOptions().printPrice;
    m_options.lines.printQuantity = session.printOptions().printQuantity;
    m_options.lines.quantityDecimals = session.state().Nb_Decimales;
    m_options.lines.decimalSeparator = session.decimalSeparator();
    m_options.pricing = session.pricing();
    m_options.type = session.typeOptions();
    m_options.rules =
        descriptionRules([&](const QString& field) { return session.typeOptions().flag(field); });
    m_options.insert = false;
  }

  // The line of a coded record; none, after its message, for an unknown section.
  std::optional<EntryLine> make(const ImportRecord& r) {
    articles::ArticleFiles& files = m_s.files();
    if (isLabour(r.code)) {
      const QString section = r.code.mid(3);
      if (!files.Chercher_Section(section)) {
        m_msg.show(m_msg.tr(QStringLiteral("ATTENTION : la section ")) + r.code +
                       m_msg.tr(m_grouped ? QStringLiteral(" n'est pas connue dans DAVRISET")
                                          : QStringLiteral(" n'est pas connue")),
                   ui::Icon::Warning);
        return std::nullopt;
      }
      const db::Recordset& s = files.sections();
      EntryLine l = lineFromSection(s, m_options.pricing);
      l.code = QStringLiteral("MO*") + section;
      l.quantity = r.quantity;
      l.weight = 0;
      l.costPrice = s.value("TSEC_CoutHRevient").isNull() ? 0 : s.number("TSEC_CoutHRevient");
      l.unitPrice =
          m_options.pricing.tarMo == QLatin1String("R") ? l.costPrice : s.number("TSEC_COUTHVENTE");
      return l;
    }
    if (files.ensureStock() && files.Trouver_Article(r.code)) {
      LineEntry entry(m_s);
      if (!entry.pick(EntrySource::Stock, r.code)) return std::nullopt;
      entry.setText(QStringLiteral("CTX_TPRO_LIB"), r.label);
      return priced(entry, r);
    }
    if (m_rows.hasSupplierColumn && !r.supplier.isEmpty() && tariffExists(r)) {
      LineEntry entry(m_s);
      if (!entry.pick(EntrySource::Tariffs, r.code, r.supplier)) return std::nullopt;
      std::optional<EntryLine> l = priced(entry, r);
      if (l && m_grouped) {
        l->unitPrice = m_tariff.number("TTRF_PrixVen");
        l->costPrice = m_tariff.number("TTRF_PUnit");
      }
      return l;
    }
    EntryLine l;
    l.code = r.code;
    l.designation = r.label;
    l.quantity = r.quantity;
    l.supplier = r.supplier.trimmed();
    l.costPrice = l.unitPrice = round2(r.purchasePrice);
    l.hasAltPrice = false;
    m_purchasePrices = true;
    return l;
  }

  // Writes the line at the end of the cursor's table; the cursor goes to its row.
  void write(const EntryLine& line, TableCursor& cursor) {
    ExplosionOptions o = m_options;
    o.discountPercent = discountOf(line);
    cursor.row = writeEntryLine(m_s.document(), m_s.columns(), cursor, line, o, nullptr);
    ++m_lines;
    // Hours of the lines written only: a section without a table to go to adds none.
    if (isLabour(line.code)) m_hours += line.quantity;
  }

  int lines() const { return m_lines; }
  double hours() const { return m_hours; }
  // Tells once that the prices of rows written from their own cells are purchase prices.
  void finish() {
    if (m_purchasePrices)
      m_msg.show(m_msg.tr(QStringLiteral("Attention !! Les prix des articles importés du classeur "
                                         "Excel sont des prix d'achat fournisseur.")),
                 ui::Icon::Information);
  }

 private:
  std::optional<EntryLine> priced(LineEntry& entry, const ImportRecord& r) {
    entry.setText(
        kQuantity,
        QString::number(r.quantity, 'g', 15).replace(QLatin1Char('.'), m_s.decimalSeparator()));
    entry.leave(kQuantity);
    EntryLine l = entry.line();
    l.quantity = r.quantity;
    return l;
  }

  bool tariffExists(const ImportRecord& r) {
    core::BaseEntry& tariffs = m_s.state().base(core::entry::Tariffs);
    if (!tariffs.open()) return false;
    m_tariff = tariffs.db.OpenRecordset(
        "select * from TTRF where TTRF_CODFOURN =" + db::sqlLiteral(r.supplier) +
        " and TTRF_REFFOURN =" + db::sqlLiteral(r.code));
    return !m_tariff.EOF_();
  }

  double discountOf(const EntryLine& line) {
    if (!m_discounts.isOpen() && line.type == QLatin1String("A")) {
      core::BaseEntry& commercial = m_s.state().base(core::entry::Commercial);
      try {
        if (commercial.open()) {
          m_discounts =
              commercial.db.OpenRecordset(QStringLiteral("TREMI"), db::RecordsetType::Table);
          m_discounts.setIndex(QStringLiteral("PrimaryKey"));
        }
      } catch (const db::DbError&) {
        m_discounts = {};
      }
    }
    return lineDiscount(line, m_options.pricing, &m_discounts, m_msg);
  }

  CompositionSession& m_s;
  ui::MessageFunnel& m_msg;
  const ImportRows& m_rows;
  bool m_grouped;
  ExplosionOptions m_options;
  db::Recordset m_discounts;
  db::Recordset m_tariff;
  int m_lines = 0;
  double m_hours = 0;
  bool m_purchasePrices = false;
};

// The cursor's table when it is a line table; none, after the message, otherwise.
std::optional<TableCursor> lineTableCursor(CompositionSession& s) {
  ui::MessageFunnel& m = s.state().messages();
  word::WordDocument& doc = s.document();
  const TableCursor c = s.cursor();
  const LocateResult located = Reperer_Tableaux(doc, LocatePurpose::Recalculation);
  if (!located.layout) {
    m.show(m.tr(located.message), ui::Icon::Warning);
    return std::nullopt;
  }
  if (!c.isValid() || c.table > doc.tableCount() ||
      currentTableKind(doc, *located.layout, c.table) != TableKind::Line) {
    m.show(m.tr(QStringLiteral("Le curseur doit être positionné dans un tableau.")),
           ui::Icon::Warning);
    return std::nullopt;
  }
  return c;
}

bool tableIsBlank(const word::WordDocument& doc, int table) {
  if (doc.rowCount(table) != 1) return false;
  for (int c = 1; c <= doc.cellCount(table, 1); ++c)
    if (!doc.cellText({table, 1, c}).trimmed().isEmpty()) return false;
  return true;
}

// A new line table after the cursor's one; the cursor goes into it.
bool newTableAfter(CompositionSession& s, TableCursor& cursor) {
  if (!s.setCursor(cursor.table, cursor.row) || !s.newTable()) return false;
  cursor = s.cursor();
  return true;
}

QList<word::TextPiece> paragraph(const QString& text) { return {{text, {}}}; }

// "X" and "M".
bool writeTables(CompositionSession& s, const ImportRows& rows, bool multi, LineMaker& maker) {
  std::optional<TableCursor> start = lineTableCursor(s);
  if (!start) return false;
  TableCursor cursor = *start;
  word::WordDocument& doc = s.document();
  if (!multi) {
    for (const ImportRecord& r : rows.records)
      if (auto line = maker.make(r)) maker.write(*line, cursor);
    s.setCursor(cursor.table, cursor.row);
    return true;
  }
  // Blocks holding nothing but text are left out.
  QSet<int> coded;
  for (const ImportRecord& r : rows.records)
    if (!r.code.isEmpty()) coded.insert(r.block);
  // Text read before a table's first line stands above the table, text read after it below.
  QStringList pendingText;
  int block = 0;
  bool reuse = tableIsBlank(doc, cursor.table);
  int written = 0;  // lines in the block's table
  for (const ImportRecord& r : rows.records) {
    if (!coded.contains(r.block)) continue;
    if (r.block != block) {
      block = r.block;
      if (!reuse && !newTableAfter(s, cursor)) return false;
      reuse = false;
      written = 0;
      if (!pendingText.isEmpty())
        doc.insertParagraphsBeforeTable(cursor.table, paragraph(pendingText.join('\r')));
      pendingText.clear();
    }
    if (r.code.isEmpty()) {
      if (written == 0)
        doc.insertParagraphsBeforeTable(cursor.table, paragraph(r.label));
      else
        pendingText << r.label;
    } else if (auto line = maker.make(r)) {
      maker.write(*line, cursor);
      ++written;
    }
  }
  if (!pendingText.isEmpty())
    doc.insertParagraphsAfterTable(cursor.table, paragraph(pendingText.join('\r')));
  s.setCursor(cursor.table, cursor.row);
  return true;
}

// "A" and "B": one new table titled with the sheet's name.
bool writePost(CompositionSession& s, const ImportRows& rows, bool priced, LineMaker& maker) {
  std::optional<TableCursor> start = lineTableCursor(s);
  if (!start) return false;
  TableCursor cursor = *start;
  if (!newTableAfter(s, cursor)) return false;
  word::WordDocument& doc = s.document();
  const int table = cursor.table;
  doc.insertParagraphsBeforeTable(table, paragraph(rows.sheetName));
  const int before = maker.lines();
  for (const ImportRecord& r : rows.records)
    if (auto line = maker.make(r)) maker.write(*line, cursor);
  if (!priced) {
    for (const char* code : {"PCREM", "PUNET", "PUBRUT", "MTBRUT", "MTNET", "MTPDR", "PDR"}) {
      const int column = s.columns().column(QString::fromLatin1(code));
      if (column == 0) continue;
      for (int row = 1; row <= doc.rowCount(table); ++row)
        if (column <= doc.cellCount(table, row))
          doc.formatCell({table, row, column}, hiddenFormat(true));
    }
    doc.setShowHiddenText(true);
  }
  s.setCursor(cursor.table, cursor.row);
  if (maker.lines() - before >= 2) return s.subTotal();
  return true;
}

// "C": labour lines into the table at WMDO, parts into the one at WPIE, text at WTXT.
bool writeGrouped(CompositionSession& s, const ImportRows& rows, LineMaker& maker) {
  word::WordDocument& doc = s.document();
  ui::MessageFunnel& m = s.state().messages();
  QSet<QString> missing;
  const auto tableAt = [&](const QString& bookmark) -> std::optional<TableCursor> {
    const std::optional<word::CellRef> cell = doc.bookmarkCell(bookmark);
    if (!cell) return std::nullopt;
    return TableCursor{cell->table, cell->row};
  };
  const auto tellMissing = [&](const QString& bookmark) {
    if (missing.contains(bookmark)) return;
    missing.insert(bookmark);
    m.show(m.tr(QStringLiteral("Le signet ")) + bookmark +
               m.tr(QStringLiteral(" est absent du document : ses lignes ne sont pas importées")),
           ui::Icon::Warning);
  };
  const QString labourMark = QStringLiteral("WMDO"), partsMark = QStringLiteral("WPIE"),
                textMark = QStringLiteral("WTXT");
  std::optional<TableCursor> labour = tableAt(labourMark), parts = tableAt(partsMark);
  for (const ImportRecord& r : rows.records) {
    if (r.code.isEmpty()) {
      if (!doc.insertParagraphsAt(textMark, paragraph(r.label))) tellMissing(textMark);
      continue;
    }
    const bool isSection = isLabour(r.code);
    std::optional<TableCursor>& target = isSection ? labour : parts;
    std::optional<EntryLine> line = maker.make(r);
    if (!line) continue;
    if (!target) {
      tellMissing(isSection ? labourMark : partsMark);
      continue;
    }
    maker.write(*line, *target);
  }
  return true;
}

}  // namespace

void transferMasks(CompositionSession& session, const excel::Workbook& workbook) {
  word::WordDocument& doc = session.document();
  for (int sheet = 0; sheet < workbook.sheetNames().size(); ++sheet) {
    for (const excel::CheckBox& box : workbook.checkBoxes(sheet)) {
      if (!box.name.startsWith(QLatin1String("MSK_"), Qt::CaseInsensitive)) continue;
      const QString bookmark = box.name.mid(4);
      if (!bookmark.isEmpty() && doc.hasBookmark(bookmark))
        doc.formatBookmark(bookmark, hiddenFormat(!box.checked));
    }
  }
}

void transferNamedCells(CompositionSession& session, const excel::Workbook& workbook) {
  static const QStringList reserved = {"CODART", "LIBART", "QTE", "CODFOURN", "PRIXACH"};
  static const QStringList booleans = {"VRAI", "TRUE", "FAUX", "FALSE"};
  word::WordDocument& doc = session.document();
  for (const excel::DefinedName& name : workbook.names()) {
    if (name.localSheet >= 0 || reserved.contains(name.name, Qt::CaseInsensitive) ||
        !doc.hasBookmark(name.name))
      continue;
    const excel::RangeRef range = name.range();
    // Only a single cell has a value a bookmark can take.
    if (!range.isValid() || range.firstRow != range.lastRow ||
        range.firstColumn != range.lastColumn)
      continue;
    const QString value = workbook.namedValue(name.name).displayText(workbook.date1904());
    if (booleans.contains(value.trimmed().toUpper())) continue;
    if (value.isEmpty()) {
      if (!doc.bookmarkText(name.name).isEmpty()) doc.setBookmarkText(name.name, QString());
      continue;
    }
    doc.setBookmarkText(name.name, value);
  }
}

ImportResult Importer_Classeur(CompositionSession& session, const excel::Workbook& workbook,
                               Presentation presentation) {
  ImportResult result;
  core::ProcessState& state = session.state();
  ui::MessageFunnel& m = state.messages();
  ui::BusyCursor busy;
  try {
    const ImportRows rows = readImportRows(workbook, presentation);
    if (rows.outcome != RowsOutcome::Read) {
      m.show(m.tr(rowsMessage(rows.outcome)), ui::Icon::Warning);
      return result;
    }
    if (state.localDb.isOpen()) storeImportRows(state.localDb, rows.records);
    LineMaker maker(session, rows, presentation == Presentation::C);
    bool written = false;
    switch (presentation) {
      case Presentation::X:
      case Presentation::M:
        written = writeTables(session, rows, presentation == Presentation::M, maker);
        break;
      case Presentation::A:
      case Presentation::B:
        written = writePost(session, rows, presentation == Presentation::A, maker);
        break;
      case Presentation::C:
        written = writeGrouped(session, rows, maker);
        break;
    }
    result.lines = maker.lines();
    result.hours = maker.hours();
    if (!written && result.lines == 0) return result;
    maker.finish();
    transferMasks(session, workbook);
    transferNamedCells(session, workbook);
    result.completed = written;
  } catch (const db::DbError& e) {
    m.show(e.description() + m.tr(QStringLiteral("   Err. n° ")) + QString::number(e.number()),
           ui::Icon::Critical);
  } catch (const ooxml::OoxmlError& e) {
    m.show(e.message(), ui::Icon::Critical);
  }
  if (DocumentChanges* changes = session.changeListener()) changes->documentReset();
  return result;
}

}  // namespace tarovent::composition
