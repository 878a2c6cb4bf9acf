#include "GridPrint.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QHeaderView>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableView>

#include "ui/RecordsetModel.h"

namespace tarovent::core {

namespace {

constexpr double kScreenDpi = 96.0;

void drawCell(QPainter& p, const QRectF& cell, const QString& text, Qt::Alignment align) {
  p.drawRect(cell);
  const QRectF inside = cell.adjusted(4, 1, -4, -1);
  const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, int(inside.width()));
  p.drawText(inside, int(align | Qt::AlignVCenter), shown);
}

QString cellText(const QAbstractItemModel* model, int row, int column) {
  const QModelIndex i = model->index(row, column);
  const QVariant check = model->data(i, Qt::CheckStateRole);
  if (check.isValid()) return check.toInt() == Qt::Checked ? QStringLiteral("X") : QString();
  return model->data(i, Qt::DisplayRole).toString();
}

Qt::Alignment horizontal(const QAbstractItemModel* model, int row, int column) {
  const QVariant a = model->data(model->index(row, column), Qt::TextAlignmentRole);
  const auto align = a.isValid() ? Qt::Alignment(a.toInt()) : Qt::Alignment(Qt::AlignLeft);
  return align & Qt::AlignHorizontal_Mask;
}

// What the printout is titled: the caption of the window holding the grid.
QString printTitle(const QTableView* grid) {
  for (const QWidget* w = grid; w; w = w->parentWidget())
    if (!w->windowTitle().isEmpty()) return w->windowTitle();
  return grid->toolTip();
}

}  // namespace

void PreviewGridPrinter::print(QTableView* grid) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintPreviewDialog preview(&printer, grid->window());
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, grid,
                   [grid](QPrinter* p) { printGrid(grid, *p); });
  preview.exec();
}

int printGrid(QTableView* grid, QPrinter& printer) {
  printer.setPageOrientation(QPageLayout::Landscape);
  const QAbstractItemModel* model = grid->model();
  if (!model) return 0;
  QList<int> columns;
  QList<double> widths;
  double total = 0;
  const auto* records = qobject_cast<const ui::RecordsetModel*>(model);
  for (int c = 0; c < model->columnCount(); ++c) {
    if (grid->isColumnHidden(c) || (records && records->column(c).command)) continue;
    columns << c;
    widths << std::max(grid->columnWidth(c), 20);
    total += widths.last();
  }
  QPainter p;
  if (!p.begin(&printer)) return 0;
  // Work in screen pixels, shrunk when the columns are wider than the page.
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  double scale = printer.resolution() / kScreenDpi;
  if (total * scale > page.width()) scale = page.width() / total;
  p.scale(scale, scale);
  const double pageHeight = page.height() / scale;
  // Pixel sizes: the painter counts in screen pixels, whatever the printer's resolution.
  QFont font = grid->font();
  font.setPixelSize(12);
  QFont bold = font;
  bold.setBold(true);
  p.setPen(QPen(Qt::black, 0));
  p.setBrush(Qt::NoBrush);
  p.setFont(font);
  const double rowHeight = p.fontMetrics().height() + 6;

  // Each page: the title and the date above, the headers, the rows, its number below.
  const double band = rowHeight * 1.5;
  const int perPage = std::max(1, int((pageHeight - 2 * band) / rowHeight) - 1);
  const int pages = std::max(1, (model->rowCount() + perPage - 1) / perPage);
  const QString title = printTitle(grid);
  const QString today = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
  double y = 0;
  const auto startPage = [&](int page) {
    const double width = total;
    p.setFont(bold);
    p.drawText(QRectF(0, 0, width, rowHeight), int(Qt::AlignLeft | Qt::AlignVCenter), title);
    p.setFont(font);
    p.drawText(QRectF(0, 0, width, rowHeight), int(Qt::AlignRight | Qt::AlignVCenter), today);
    p.drawText(QRectF(0, pageHeight - rowHeight, width, rowHeight), int(Qt::AlignCenter),
               QStringLiteral("Page %1 / %2").arg(page).arg(pages));
    y = band;
    p.setFont(bold);
    double x = 0;
    for (int i = 0; i < columns.size(); ++i) {
      const QString text = model->headerData(columns[i], Qt::Horizontal).toString();
      drawCell(p, QRectF(x, y, widths[i], rowHeight), text, Qt::AlignLeft);
      x += widths[i];
    }
    p.setFont(font);
    y += rowHeight;
  };
  startPage(1);
  for (int r = 0; r < model->rowCount(); ++r) {
    if (r > 0 && r % perPage == 0) {
      printer.newPage();
      startPage(r / perPage + 1);
    }
    double x = 0;
    for (int i = 0; i < columns.size(); ++i) {
      drawCell(p, QRectF(x, y, widths[i], rowHeight), cellText(model, r, columns[i]),
               horizontal(model, r, columns[i]));
      x += widths[i];
    }
    y += rowHeight;
  }
  p.end();
  return pages;
}

}  // namespace tarovent::core
