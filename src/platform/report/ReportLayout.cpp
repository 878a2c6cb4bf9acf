#include "ReportLayout.h"

#include <QPageSize>
#include <QRegularExpression>

#include "FieldFormat.h"
#include "platform/db/JetFunctions.h"

namespace tarovent::report {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

const QRegularExpression& placeholder() {
  static const QRegularExpression re(QStringLiteral("\\{([^{}]+)\\}"));
  return re;
}

}  // namespace

QString ReportLayout::substitute(
    const QString& text, const std::function<std::optional<QString>(const QString&)>& value) {
  if (!text.contains('{')) return text;
  QString out;
  qsizetype last = 0;
  auto it = placeholder().globalMatch(text);
  while (it.hasNext()) {
    const auto m = it.next();
    out += QStringView(text).mid(last, m.capturedStart() - last);
    const std::optional<QString> v = value(m.captured(1).trimmed());
    out += v ? *v : m.captured(0);
    last = m.capturedEnd();
  }
  out += QStringView(text).mid(last);
  return out;
}

QStringList ReportLayout::fieldsRead(const ReportDefinition& def) {
  QStringList fields;
  for (const Column& c : def.columns) fields << c.field;
  for (const Group& g : def.groups) fields << g.field;
  return fields;
}

QStringList ReportLayout::fieldsNamed(const ReportDefinition& def) {
  QStringList names;
  for (const Group& g : def.groups)
    for (const QString& t : {g.header, g.footer}) {
      auto it = placeholder().globalMatch(t);
      while (it.hasNext()) names << it.next().captured(1).trimmed();
    }
  return names;
}

ReportLayout::ReportLayout(const ReportDefinition& def, ReportData& data,
                           QHash<QString, QString> names, QChar decimalSeparator)
    : m_def(def), m_data(data), m_separator(decimalSeparator) {
  for (auto it = names.cbegin(); it != names.cend(); ++it) m_names.insert(it.key().toLower(), *it);
  m_pageSize = QPageSize(def.page.size).size(QPageSize::Point);
  if (def.page.orientation == QPageLayout::Landscape) m_pageSize.transpose();
  const double fs = def.fontSize;
  m_contentTop = def.page.top * kPointsPerMm + (def.header.isEmpty() ? 0 : fs * 2.6);
  m_contentBottom =
      m_pageSize.height() - def.page.bottom * kPointsPerMm - (def.footer.isEmpty() ? 0 : fs * 2.6);
  double x = def.page.left * kPointsPerMm;
  for (const Column& c : def.columns) {
    m_lefts << x;
    m_widths << c.width * kPointsPerMm;
    x += m_widths.last();
    m_columnSlots << data.slot(c.field);
  }
  for (const Group& g : def.groups) m_groupSlots << data.slot(g.field);
  m_acc.resize(def.groups.size() + 1);
  for (auto& level : m_acc) level.resize(def.columns.size());
  m_groupRows.resize(def.groups.size());
  m_groupCounts.resize(def.groups.size());
}

double ReportLayout::bandHeight(BandKind kind, int index) const {
  const double fs = m_def.fontSize;
  switch (kind) {
    case BandKind::Heading:
      return m_def.headings.at(index).size * 1.6;
    case BandKind::ColumnTitles:
      return fs * 2.1;
    case BandKind::GroupHeader:
      return fs * 2.2;
    case BandKind::Detail:
      return fs * 1.55;
    case BandKind::GroupFooter:
      return fs * 2.0;
    case BandKind::GrandTotal:
      return fs * 2.4;
  }
  return fs;
}

bool ReportLayout::sameGroupValue(const QVariant& a, const QVariant& b) const {
  if (isEmptyValue(a) || isEmptyValue(b)) return isEmptyValue(a) && isEmptyValue(b);
  if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
    return db::jetCompare(a.toString(), b.toString()) == 0;
  return a == b;
}

QString ReportLayout::groupText(const QString& text, const QVector<QVariant>& row,
                                long count) const {
  return substitute(text, [&](const QString& name) -> std::optional<QString> {
    if (name.compare(QLatin1String("count"), Qt::CaseInsensitive) == 0)
      return QString::number(count);
    const int slot = m_data.slot(name);
    if (slot >= 0) {
      QString mask;
      for (const Column& c : m_def.columns)
        if (c.field.compare(name, Qt::CaseInsensitive) == 0) mask = c.format;
      return formatValue(row.value(slot), mask, m_separator);
    }
    auto it = m_names.constFind(name.toLower());
    if (it != m_names.cend()) return *it;
    return std::nullopt;
  });
}

QStringList ReportLayout::totals(const QVector<Accumulator>& acc) const {
  QStringList cells;
  for (int i = 0; i < m_def.columns.size(); ++i) {
    const Column& c = m_def.columns[i];
    const Accumulator& a = acc[i];
    switch (c.total) {
      case Total::None:
        cells << QString();
        break;
      case Total::Count:
        cells << QString::number(a.values);
        break;
      case Total::Sum:
        cells << formatValue(a.sum, isDateMask(c.format) ? QString() : c.format, m_separator);
        break;
      case Total::Average:
        cells << (a.numbers == 0
                      ? QString()
                      : formatValue(a.sum / double(a.numbers),
                                    isDateMask(c.format) ? QString() : c.format, m_separator));
        break;
    }
  }
  return cells;
}

void ReportLayout::groupFooter(int level) {
  const Group& g = m_def.groups[level];
  if (!g.footer.isEmpty())
    m_pending.push_back({BandKind::GroupFooter, level,
                         groupText(g.footer, m_groupRows[level], m_groupCounts[level]),
                         totals(m_acc[level]), false});
  m_acc[level].fill(Accumulator());
  m_groupCounts[level] = 0;
}

bool ReportLayout::produce() {
  if (m_dataDone) return false;
  const int levels = int(m_def.groups.size());
  QVector<QVariant> row;
  if (!m_data.next(row)) {
    m_dataDone = true;
    if (m_started)
      for (int level = levels - 1; level >= 0; --level) groupFooter(level);
    if (m_def.grandTotal) {
      const QString label =
          substitute(m_def.grandTotalLabel, [&](const QString& name) -> std::optional<QString> {
            if (name.compare(QLatin1String("count"), Qt::CaseInsensitive) == 0)
              return QString::number(m_produced);
            auto it = m_names.constFind(name.toLower());
            if (it != m_names.cend()) return *it;
            return std::nullopt;
          });
      m_pending.push_back({BandKind::GrandTotal, 0, label, totals(m_acc[levels]), false});
    }
    return true;
  }
  int changed = levels;
  if (!m_started) {
    changed = 0;
  } else {
    for (int level = 0; level < levels; ++level)
      if (!sameGroupValue(m_row.value(m_groupSlots[level]), row.value(m_groupSlots[level]))) {
        changed = level;
        break;
      }
    for (int level = levels - 1; level >= changed; --level) groupFooter(level);
  }
  for (int level = changed; level < levels; ++level) {
    const Group& g = m_def.groups[level];
    m_groupRows[level] = row;
    if (!g.header.isEmpty() || g.newPage)
      m_pending.push_back(
          {BandKind::GroupHeader, level, groupText(g.header, row, 0), {}, g.newPage && m_started});
  }
  QStringList cells;
  for (int i = 0; i < m_def.columns.size(); ++i) {
    const QVariant v = row.value(m_columnSlots[i]);
    cells << formatValue(v, m_def.columns[i].format, m_separator);
    if (isEmptyValue(v)) continue;
    for (auto& level : m_acc) {
      Accumulator& a = level[i];
      ++a.values;
      if (isNumeric(v) || v.typeId() == QMetaType::Bool) {
        a.sum += v.typeId() == QMetaType::Bool ? (v.toBool() ? -1 : 0) : v.toDouble();
        ++a.numbers;
      }
    }
  }
  for (long& count : m_groupCounts) ++count;
  ++m_produced;
  m_pending.push_back({BandKind::Detail, 0, {}, cells, false});
  m_row = std::move(row);
  m_started = true;
  return true;
}

Band ReportLayout::place(const Event& e, double top) const {
  Band b;
  b.kind = e.kind;
  b.top = top;
  b.height = bandHeight(e.kind, e.index);
  b.index = e.index;
  b.text = e.text;
  b.cells = e.cells;
  return b;
}

bool ReportLayout::layoutPage() {
  if (m_complete) return false;
  Page page;
  double y = m_contentTop;
  if (m_pages.isEmpty())
    for (int i = 0; i < m_def.headings.size(); ++i) {
      Band b;
      b.kind = BandKind::Heading;
      b.index = i;
      b.top = y;
      b.height = bandHeight(BandKind::Heading, i);
      b.text = m_def.headings[i].text;
      page.bands << b;
      y += b.height;
    }
  Band titles;
  titles.kind = BandKind::ColumnTitles;
  titles.top = y;
  titles.height = bandHeight(BandKind::ColumnTitles);
  for (const Column& c : m_def.columns) titles.cells << c.title;
  page.bands << titles;
  y += titles.height;
  bool placed = false;
  for (;;) {
    while (m_pending.empty() && produce()) {
    }
    if (m_pending.empty()) break;
    // A group header needs the room of its first row too.
    while (m_pending.size() < 2 && m_pending.front().kind == BandKind::GroupHeader && produce()) {
    }
    const Event& e = m_pending.front();
    double need = bandHeight(e.kind, e.index);
    for (size_t i = 1; i < m_pending.size() && m_pending[i - 1].kind == BandKind::GroupHeader; ++i)
      need += bandHeight(m_pending[i].kind, m_pending[i].index);
    if (placed && (e.newPage || y + need > m_contentBottom)) break;
    page.bands << place(e, y);
    y += page.bands.last().height;
    if (e.kind == BandKind::Detail) ++m_rows;
    placed = true;
    m_pending.pop_front();
  }
  m_pages << page;
  while (m_pending.empty() && produce()) {
  }
  m_complete = m_pending.empty() && m_dataDone;
  return true;
}

void ReportLayout::layoutAll() {
  while (layoutPage()) {
  }
}

}  // namespace tarovent::report
