#pragma once

// A demo quote on disk for the on-screen document tests: levels, a labour line, a text line, a
// hidden row, a sub-total table and a second line table, head and totals filled.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "composition/ColumnMap.h"
#include "composition/LineWriter.h"
#include "composition/NumberFormat.h"
#include "composition/QuoteDocumentModel.h"
#include "composition/TableLocator.h"
#include "install/DemoDocuments.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/word/WordDocument.h"

namespace tarovent::composition::test {

inline QuoteLine line(const QString& code, int level, const QString& designation, double qty,
                      double price) {
  QuoteLine l;
  l.code = code;
  l.level = level;
  l.designation = designation;
  l.quantity = qty;
  l.unit = qty > 0 ? "U" : "";
  l.grossPrice = price;
  l.discountPercent = 0;
  Calcul_Ligne(l);
  return l;
}

class DemoQuoteFile {
 public:
  // `extra` plain article lines follow the demo lines in the first line table.
  explicit DemoQuoteFile(int extra = 0) {
    const QString dotx = m_dir.filePath("STD.dotx");
    templates::buildQuoteTemplate(dotx, templates::QuoteTemplateKind::Standard);
    install::DemoQuote q;
    q.fileName = "00012_00.AB";
    q.templatePath = dotx;
    q.head = {{"RS", "Serrurerie Marchal"},   {"NUMDEV", "00012_00.AB"},
              {"DATDEV", "06/12/2026"},       {"CODCLI", "MARCH01"},
              {"CONTACT", "M. Paul Marchal"}, {"ADR", "12 rue des Forges 54000 Nancy"},
              {"COMMERCIAL", "Claire Duval"}};
    q.lines = {line("PORT800", 0, "Portail coulissant 4 m", 1, 1850),
               line("RAIL4", 1, "Rail de guidage 4 m", 2, 95.5),
               line("VIS8", 2, "Vis inox M8", 24, 0.45),
               line("MO*SOUD", 0, "Soudure et montage", 6, 48),
               line("", 0, "Pose comprise, hors maçonnerie", 0, 0),
               line("PEINT", 0, "Peinture époxy RAL 7016", 1, 320)};
    for (int i = 0; i < extra; ++i)
      q.lines << line(QString("ART%1").arg(i, 4, 10, QChar('0')), i % 3 == 2 ? 1 : 0,
                      QString("Article de série n° %1").arg(i), i % 5 + 1, 10 + i % 40);
    install::writeDemoQuote(m_dir.path() + '/', q);
    path = m_dir.filePath(q.fileName);
    doc = std::make_unique<word::WordDocument>(word::WordDocument::open(path));
    layout = *Reperer_Tableaux(*doc, LocatePurpose::Recalculation).layout;
    columns = ColumnMap::read(*doc, layout.headerTable);
    lineTable = layout.firstLineTable;
  }

  // The painting line is hidden text, a sub-total closes the first table and a second line
  // table follows with two lines.
  void addStructure() {
    doc->setRowHidden(lineTable, 6, true);
    const int row = doc->appendRow(lineTable);
    doc->setCellText({lineTable, row, 1}, "*** Sous total");
    doc->setCellText({lineTable, row, columns.column("MTNET")}, "2 682,80");
    doc->addBookmark(QString("STOT%1").arg(doc->rowStart(lineTable, row)), {lineTable, row, 1});
    subTotalTable = doc->splitTable(lineTable, row);
    secondTable = doc->addTableAfter(subTotalTable, lineTable, 1);
    const LineWriter writer(columns, LineOptions{});
    writer.write(*doc, secondTable, 1, line("GRIL2", 0, "Grille de défense", 2, 210));
    writer.write(*doc, secondTable, doc->appendRow(secondTable),
                 line("SCEL", 1, "Scellement chimique", 8, 6.2));
    doc->setBookmarkText("SMTBRUT", "3 195,60");
    doc->setBookmarkText("SMTNET", "3 195,60");
    doc->setBookmarkText("STTC", "3 834,72");
  }

  std::unique_ptr<QuoteDocumentModel> model() const {
    return std::make_unique<QuoteDocumentModel>(*doc, layout, columns);
  }

  QString path;
  std::unique_ptr<word::WordDocument> doc;
  TableLayout layout;
  ColumnMap columns;
  int lineTable = 0;
  int subTotalTable = 0;
  int secondTable = 0;

 private:
  QTemporaryDir m_dir;
};

// What the grid shows of every row, with its cursor: a model kept up to date by notifications
// must show what a model built afresh shows.
inline QStringList snapshot(const QAbstractItemModel& model) {
  const auto& quote = static_cast<const QuoteDocumentModel&>(model);
  QStringList rows;
  for (int r = 0; r < model.rowCount(); ++r) {
    const TableCursor c = quote.cursorAt(r);
    QString text = QString("%1.%2 k%3 l%4 f%5 h%6 |")
                       .arg(c.table)
                       .arg(c.row)
                       .arg(model.index(r, 0).data(QuoteDocumentModel::KindRole).toInt())
                       .arg(model.index(r, 0).data(QuoteDocumentModel::LevelRole).toInt())
                       .arg(model.index(r, 0).data(QuoteDocumentModel::FirstOfTableRole).toInt())
                       .arg(model.index(r, 2).data(QuoteDocumentModel::HiddenRole).toInt());
    for (int col = 0; col < model.columnCount(); ++col)
      text += model.index(r, col).data().toString() + '|';
    rows << text;
  }
  return rows;
}

}  // namespace tarovent::composition::test
