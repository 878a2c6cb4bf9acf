#include "Report.h"

#include <QDateTime>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include "ReportData.h"
#include "ReportError.h"
#include "ReportLayout.h"
#include "ReportPainter.h"
#include "ReportReader.h"
#include "platform/db/DbError.h"

namespace tarovent::report {

struct Report::State {
  ReportDefinition def;
  QHash<QString, QString> parameters;  // by lower-case name
  QString formula;
  QChar separator;
  std::unique_ptr<ReportData> data;
  std::unique_ptr<ReportLayout> layout;
  QHash<QString, QString> names;  // parameters with title, date and time

  ReportLayout& requireLayout() const {
    if (!layout)
      throw ReportError(def.file, 0,
                        QStringLiteral("le modèle n'est pas encore lié à ses données"));
    return *layout;
  }
  // Runs a step that reads the database, its errors told as the report's.
  template <typename F>
  auto reading(F f) -> decltype(f()) {
    try {
      return f();
    } catch (const db::DbError& e) {
      throw ReportError(
          def.file, def.sourceLine,
          QStringLiteral("lecture de « %1 » impossible : %2").arg(def.source, e.description()));
    }
  }
};

Report::Report(const QString& path) : m(std::make_unique<State>()) {
  m->def = readReport(path);
  const QString point = QLocale().decimalPoint();
  m->separator = point.isEmpty() ? QChar('.') : point.at(0);
}

Report::~Report() = default;
Report::Report(Report&&) noexcept = default;
Report& Report::operator=(Report&&) noexcept = default;

const ReportDefinition& Report::definition() const { return m->def; }
QString Report::path() const { return m->def.file; }

void Report::setParameter(const QString& name, const QString& value) {
  m->parameters.insert(name.toLower(), value);
}

void Report::setSelectionFormula(const QString& formula) { m->formula = formula; }
void Report::setDecimalSeparator(QChar separator) { m->separator = separator; }

void Report::start(db::Database& db) {
  m->layout.reset();
  m->data.reset();
  const auto parsed = [&](const QString& text, int line, const QString& what) {
    try {
      return SelectionFormula::parse(text);
    } catch (const FormulaError& e) {
      throw ReportError(m->def.file, line,
                        QStringLiteral("%1 « %2 », caractère %3 : %4")
                            .arg(what, text)
                            .arg(e.position())
                            .arg(e.message()));
    }
  };
  SelectionFormula own =
      parsed(m->def.selection, m->def.selectionLine, QStringLiteral("formule de sélection"));
  SelectionFormula given =
      parsed(m->formula, 0, QStringLiteral("formule de sélection donnée par le programme"));
  // A field of the program's formula missing from the source is the program's fault: line 0.
  const int line = given.isEmpty() ? m->def.selectionLine : 0;
  SelectionFormula formula = SelectionFormula::both(std::move(own), std::move(given));
  m->data = m->reading([&] {
    return std::make_unique<ReportData>(db, m->def, ReportLayout::fieldsRead(m->def),
                                        ReportLayout::fieldsNamed(m->def), std::move(formula),
                                        line);
  });
  const QDateTime now = QDateTime::currentDateTime();
  m->names = m->parameters;
  m->names.insert(QStringLiteral("title"), m->def.title);
  m->names.insert(QStringLiteral("date"), now.date().toString(QStringLiteral("dd/MM/yyyy")));
  m->names.insert(QStringLiteral("time"), now.time().toString(QStringLiteral("HH:mm")));
  m->layout = std::make_unique<ReportLayout>(m->def, *m->data, m->names, m->separator);
}

bool Report::started() const { return static_cast<bool>(m->layout); }

bool Report::layoutPage() {
  ReportLayout& l = m->requireLayout();
  return m->reading([&] { return l.layoutPage(); });
}

void Report::layoutAll() {
  ReportLayout& l = m->requireLayout();
  m->reading([&] {
    l.layoutAll();
    return true;
  });
}

bool Report::complete() const { return m->layout && m->layout->complete(); }
int Report::pageCount() const { return m->layout ? m->layout->pageCount() : 0; }
long Report::rowCount() const { return m->layout ? m->layout->rowCount() : 0; }
const ReportLayout& Report::layout() const { return m->requireLayout(); }

QSizeF Report::pageSize() const {
  QSizeF size = QPageSize(m->def.page.size).size(QPageSize::Point);
  if (m->def.page.orientation == QPageLayout::Landscape) size.transpose();
  return size;
}

void Report::paintPage(QPainter& painter, int index) const {
  const ReportLayout& l = m->requireLayout();
  report::paintPage(painter, m->def, l, index, l.complete() ? l.pageCount() : 0, m->names);
}

QImage Report::pageImage(int index, double dpi) const {
  const QSizeF points = pageSize();
  QImage image(qRound(points.width() * dpi / 72), qRound(points.height() * dpi / 72),
               QImage::Format_RGB32);
  image.setDotsPerMeterX(qRound(dpi / 0.0254));
  image.setDotsPerMeterY(qRound(dpi / 0.0254));
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  paintPage(p, index);
  return image;
}

bool Report::writePdf(const QString& file, QString* error) {
  layoutAll();
  QSaveFile out(file);
  const auto refuse = [&] {
    if (error)
      *error = QStringLiteral(
                   "Le fichier PDF %1 ne peut pas être écrit (dossier protégé, disque "
                   "plein ou fichier ouvert dans un autre programme).")
                   .arg(file);
    return false;
  };
  if (!out.open(QIODevice::WriteOnly)) return refuse();
  {
    QPdfWriter pdf(&out);
    pdf.setTitle(m->def.title);
    pdf.setCreator(QStringLiteral("Tarovent"));
    pdf.setPageLayout(
        QPageLayout(QPageSize(m->def.page.size), m->def.page.orientation, QMarginsF(0, 0, 0, 0)));
    pdf.setResolution(600);
    QPainter p;
    if (!p.begin(&pdf)) return refuse();
    for (int i = 0; i < pageCount(); ++i) {
      if (i > 0) pdf.newPage();
      paintPage(p, i);
    }
    p.end();
  }
  if (!out.commit()) return refuse();
  return true;
}

int Report::print(QPrinter& printer, int from, int to) {
  layoutAll();
  printer.setFullPage(true);
  printer.setPageLayout(
      QPageLayout(QPageSize(m->def.page.size), m->def.page.orientation, QMarginsF(0, 0, 0, 0)));
  if (!m->def.title.isEmpty()) printer.setDocName(m->def.title);
  const int first = from > 0 ? from - 1 : 0;
  const int last = to > 0 ? std::min(to, pageCount()) - 1 : pageCount() - 1;
  QPainter p;
  if (first > last || !p.begin(&printer)) return 0;
  int printed = 0;
  for (int i = first; i <= last; ++i) {
    if (printed > 0) printer.newPage();
    paintPage(p, i);
    ++printed;
  }
  p.end();
  return printed;
}

}  // namespace tarovent::report
