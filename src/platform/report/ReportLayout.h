#pragma once

#include <QHash>
#include <QList>
#include <QSizeF>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <deque>
#include <functional>
#include <optional>

#include "ReportData.h"
#include "ReportDefinition.h"

namespace tarovent::report {

enum class BandKind { Heading, ColumnTitles, GroupHeader, Detail, GroupFooter, GrandTotal };

// One strip of a page. Positions and sizes are in points from the page's top left corner.
struct Band {
  BandKind kind = BandKind::Detail;
  double top = 0, height = 0;
  int index = 0;      // the heading's or the group's number
  QString text;       // headings, group headers, total labels
  QStringList cells;  // one per column: details and totals
};

struct Page {
  QList<Band> bands;
};

// Cuts the rows of a report into pages, one page at a time, so that the first page can be
// shown while the rest is still to be read. Group headers open each group (and a new page when
// the group asks for it), group footers and the grand total close them with the totals of their
// columns; a group header never stays alone at the bottom of a page; the column titles head
// every page.
class ReportLayout {
 public:
  // `names` give the {placeholders} that are not fields (title, date, parameters).
  ReportLayout(const ReportDefinition& def, ReportData& data, QHash<QString, QString> names,
               QChar decimalSeparator);

  // Lays out the next page; false when every page was already laid out.
  bool layoutPage();
  void layoutAll();
  bool complete() const { return m_complete; }
  int pageCount() const { return int(m_pages.size()); }
  const Page& page(int index) const { return m_pages.at(index); }
  // Detail rows laid out so far.
  long rowCount() const { return m_rows; }

  // The page in points, as laid out.
  QSizeF pageSize() const { return m_pageSize; }
  // Left edge and width of each column, in points.
  const QList<double>& columnLefts() const { return m_lefts; }
  const QList<double>& columnWidths() const { return m_widths; }
  double contentTop() const { return m_contentTop; }
  double contentBottom() const { return m_contentBottom; }
  // Heights of the bands, in points.
  double bandHeight(BandKind kind, int index = 0) const;

  // The fields a report reads for its columns and groups, and those its group texts may name.
  static QStringList fieldsRead(const ReportDefinition& def);
  static QStringList fieldsNamed(const ReportDefinition& def);
  // Replaces each {name} of `text` by what `value` gives (unknown names stay as written).
  static QString substitute(const QString& text,
                            const std::function<std::optional<QString>(const QString&)>& value);

 private:
  struct Accumulator {
    double sum = 0;
    long values = 0;  // non-empty values
    long numbers = 0;
  };
  struct Event {
    BandKind kind;
    int index = 0;
    QString text;
    QStringList cells;
    bool newPage = false;
  };

  bool produce();
  void groupFooter(int level);
  QStringList totals(const QVector<Accumulator>& acc) const;
  QString groupText(const QString& text, const QVector<QVariant>& row, long count) const;
  bool sameGroupValue(const QVariant& a, const QVariant& b) const;
  Band place(const Event& e, double top) const;

  const ReportDefinition& m_def;
  ReportData& m_data;
  QHash<QString, QString> m_names;
  QChar m_separator;
  QSizeF m_pageSize;
  double m_contentTop = 0, m_contentBottom = 0;
  QList<double> m_lefts, m_widths;
  QVector<int> m_columnSlots, m_groupSlots;

  std::deque<Event> m_pending;
  QList<Page> m_pages;
  bool m_dataDone = false;
  bool m_complete = false;
  bool m_started = false;
  long m_rows = 0;
  long m_produced = 0;  // detail rows read and kept
  QVector<QVariant> m_row;
  QVector<QVector<QVariant>> m_groupRows;  // the first row of each open group
  QVector<long> m_groupCounts;
  QVector<QVector<Accumulator>> m_acc;  // per group level, then the grand total
};

}  // namespace tarovent::report
