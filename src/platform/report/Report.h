#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <memory>

#include "ReportDefinition.h"

class QPainter;
class QPrinter;

namespace tarovent::db {
class Database;
}

namespace tarovent::report {

class ReportLayout;

// A report file put to work: read it, give it parameters and a selection formula, start it on
// a database, then lay its pages out (one at a time or all) and paint them: on screen, on a
// printer, into a PDF file.
//
//   report::Report r(path);                       // throws ReportError
//   r.setSelectionFormula("{RImpVis.TVIS_NumLig} = 12");
//   r.setParameter("PERIODE", "du 01/01/2025 au 31/12/2025");
//   r.start(database);                            // throws ReportError
//   r.writePdf(file);
class Report {
 public:
  // Reads the report file; throws ReportError naming the file and the line.
  explicit Report(const QString& path);
  ~Report();
  Report(Report&&) noexcept;
  Report& operator=(Report&&) noexcept;

  const ReportDefinition& definition() const;
  QString path() const;

  // A value for the {name} placeholders of the report's texts.
  void setParameter(const QString& name, const QString& value);
  // Restricts the rows further: both this formula and the file's own must hold. Checked by
  // start().
  void setSelectionFormula(const QString& formula);
  // The decimal separator of numbers (the workstation's by default).
  void setDecimalSeparator(QChar separator);

  // Opens the report's data source in `db` and checks every field it names. Throws ReportError
  // (a missing source or field, a selection formula that does not parse, a database error).
  // Starting again reads the data anew.
  void start(db::Database& db);
  bool started() const;

  // Lays out the next page; false when every page is laid out. Database errors while reading
  // throw ReportError.
  bool layoutPage();
  void layoutAll();
  bool complete() const;
  // Pages laid out so far (all of them once complete()).
  int pageCount() const;
  // Detail rows laid out so far.
  long rowCount() const;
  const ReportLayout& layout() const;

  // Page size in points.
  QSizeF pageSize() const;
  // Paints a page laid out already on a device holding one whole sheet (see paintPage).
  void paintPage(QPainter& painter, int index) const;
  // The page as an image at `dpi` dots per inch, white paper.
  QImage pageImage(int index, double dpi) const;
  // Lays every page out and writes them to a PDF file, replacing it only once complete; false
  // with `error` set (French) when the file cannot be written.
  bool writePdf(const QString& file, QString* error = nullptr);
  // Lays every page out and prints pages `from` to `to` (1-based, 0 for all) on `printer`, set up
  // with the report's paper and orientation. Returns the number of pages printed.
  int print(QPrinter& printer, int from = 0, int to = 0);

 private:
  struct State;
  std::unique_ptr<State> m;
};

}  // namespace tarovent::report
