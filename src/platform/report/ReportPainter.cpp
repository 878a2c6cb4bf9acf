#include "ReportPainter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace tarovent::report {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
const QColor kTitleShade(232, 234, 238);
const QColor kRowShade(246, 247, 249);
const QColor kGroupShade(240, 243, 248);

Qt::Alignment qtAlign(Align a) {
  switch (a) {
    case Align::Center:
      return Qt::AlignHCenter;
    case Align::Right:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

// Draws in points on a device whatever its resolution.
class Sheet {
 public:
  explicit Sheet(QPainter& p) : m_p(p) {
    const QPaintDevice* d = p.device();
    m_kx = d->logicalDpiX() / 72.0;
    m_ky = d->logicalDpiY() / 72.0;
  }
  QRectF rect(double x, double y, double w, double h) const {
    return QRectF(x * m_kx, y * m_ky, w * m_kx, h * m_ky);
  }
  void font(const QString& family, double size, bool bold) {
    QFont f(family);
    f.setPointSizeF(size);
    f.setBold(bold);
    m_p.setFont(f);
  }
  void text(double x, double y, double w, double h, Qt::Alignment align, const QString& t,
            double padding = 2) {
    const QRectF r = rect(x + padding, y, std::max(0.0, w - 2 * padding), h);
    const QString shown =
        QFontMetricsF(m_p.font(), m_p.device()).elidedText(t, Qt::ElideRight, r.width());
    m_p.drawText(r, int(align | Qt::AlignVCenter), shown);
  }
  void line(double x1, double y1, double x2, double y2, double width = 0.5) {
    m_p.setPen(QPen(Qt::black, width * m_kx));
    m_p.drawLine(QPointF(x1 * m_kx, y1 * m_ky), QPointF(x2 * m_kx, y2 * m_ky));
    m_p.setPen(Qt::black);
  }
  void fill(double x, double y, double w, double h, const QColor& c) {
    m_p.fillRect(rect(x, y, w, h), c);
  }

 private:
  QPainter& m_p;
  double m_kx, m_ky;
};

void textLine(Sheet& s, const TextLine& line, double left, double width, double y, double h,
              const std::function<QString(const QString&)>& fill) {
  s.text(left, y, width, h, Qt::AlignLeft, fill(line.left), 0);
  s.text(left, y, width, h, Qt::AlignHCenter, fill(line.center), 0);
  s.text(left, y, width, h, Qt::AlignRight, fill(line.right), 0);
}

}  // namespace

void paintPage(QPainter& painter, const ReportDefinition& def, const ReportLayout& layout,
               int index, int pages, const QHash<QString, QString>& names) {
  Sheet s(painter);
  painter.save();
  painter.setPen(Qt::black);
  const QSizeF page = layout.pageSize();
  const double left = def.page.left * kPointsPerMm;
  const double width = page.width() - left - def.page.right * kPointsPerMm;
  const double fs = def.fontSize;
  const auto fill = [&](const QString& text) {
    return ReportLayout::substitute(text, [&](const QString& name) -> std::optional<QString> {
      const QString key = name.toLower();
      if (key == QLatin1String("page")) return QString::number(index + 1);
      if (key == QLatin1String("pages"))
        return pages > 0 ? QString::number(pages) : QStringLiteral("…");
      auto it = names.constFind(key);
      if (it != names.cend()) return *it;
      return std::nullopt;
    });
  };

  if (!def.header.isEmpty()) {
    const double top = def.page.top * kPointsPerMm;
    s.font(def.fontFamily, fs, false);
    textLine(s, def.header, left, width, top, fs * 1.6, fill);
    s.line(left, top + fs * 1.9, left + width, top + fs * 1.9, 0.4);
  }
  if (!def.footer.isEmpty()) {
    const double bottom = page.height() - def.page.bottom * kPointsPerMm;
    s.font(def.fontFamily, fs - 0.5, false);
    s.line(left, bottom - fs * 2.0, left + width, bottom - fs * 2.0, 0.4);
    textLine(s, def.footer, left, width, bottom - fs * 1.7, fs * 1.7, fill);
  }

  const QList<double>& lefts = layout.columnLefts();
  const QList<double>& widths = layout.columnWidths();
  const double tableWidth = lefts.isEmpty() ? 0 : lefts.last() + widths.last() - left;
  int detail = 0;
  for (const Band& b : layout.page(index).bands) {
    switch (b.kind) {
      case BandKind::Heading: {
        const Heading& h = def.headings.at(b.index);
        s.font(def.fontFamily, h.size, h.bold);
        s.text(left, b.top, width, b.height, qtAlign(h.align), fill(b.text), 0);
        break;
      }
      case BandKind::ColumnTitles:
        s.fill(left, b.top, tableWidth, b.height, kTitleShade);
        s.font(def.fontFamily, fs, true);
        for (int i = 0; i < b.cells.size(); ++i)
          s.text(lefts[i], b.top, widths[i], b.height, qtAlign(def.columns[i].align), b.cells[i]);
        s.line(left, b.top + b.height, left + tableWidth, b.top + b.height, 0.6);
        detail = 0;
        break;
      case BandKind::GroupHeader: {
        const double indent = b.index * 6;
        s.fill(left + indent, b.top + b.height * 0.15, tableWidth - indent, b.height * 0.8,
               kGroupShade);
        s.font(def.fontFamily, fs + 0.5, true);
        s.text(left + indent, b.top + b.height * 0.15, tableWidth - indent, b.height * 0.8,
               Qt::AlignLeft, b.text);
        detail = 0;
        break;
      }
      case BandKind::Detail:
        if (detail++ % 2 == 1) s.fill(left, b.top, tableWidth, b.height, kRowShade);
        s.font(def.fontFamily, fs, false);
        for (int i = 0; i < b.cells.size(); ++i)
          s.text(lefts[i], b.top, widths[i], b.height, qtAlign(def.columns[i].align), b.cells[i]);
        break;
      case BandKind::GroupFooter:
      case BandKind::GrandTotal: {
        const bool grand = b.kind == BandKind::GrandTotal;
        int first = 0;  // the label runs up to the first column with a total
        while (first < b.cells.size() && def.columns[first].total == Total::None) ++first;
        const double labelWidth = first < lefts.size() ? lefts[first] - left : tableWidth;
        s.line(left, b.top + 1, left + tableWidth, b.top + 1, grand ? 0.9 : 0.5);
        if (grand) s.line(left, b.top + 2.6, left + tableWidth, b.top + 2.6, 0.5);
        s.font(def.fontFamily, fs, true);
        s.text(left, b.top + 2, std::max(labelWidth, widths.value(0)), b.height - 2, Qt::AlignLeft,
               b.text);
        for (int i = first; i < b.cells.size(); ++i)
          s.text(lefts[i], b.top + 2, widths[i], b.height - 2, qtAlign(def.columns[i].align),
                 b.cells[i]);
        detail = 0;
        break;
      }
    }
  }
  painter.restore();
}

}  // namespace tarovent::report
