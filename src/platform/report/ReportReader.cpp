#include "ReportReader.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSizeF>
#include <QXmlStreamReader>

#include "ReportError.h"

namespace tarovent::report {

namespace {

// A report file is a few kilobytes; anything much larger is not one.
constexpr qint64 kMaxFileSize = 1 << 20;
constexpr int kMaxColumns = 60;
constexpr int kMaxGroups = 6;

QString quoted(const QString& s) { return QStringLiteral("« %1 »").arg(s); }
QString decimal(double v) { return QString::number(v, 'f', 1).replace('.', ','); }

class Reader {
 public:
  Reader(const QByteArray& content, const QString& path) : m_xml(content), m_path(path) {
    m_def.file = path;
  }

  ReportDefinition read() {
    while (!m_xml.atEnd()) {
      m_xml.readNext();
      if (m_xml.isStartElement()) {
        if (m_xml.name() != QLatin1String("report"))
          fail(QStringLiteral("l'élément racine doit être <report>, pas <%1>")
                   .arg(m_xml.name().toString()));
        readRoot();
      }
    }
    if (m_xml.hasError()) xmlFault();
    if (!m_seenRoot) fail(QStringLiteral("aucun élément <report> dans le fichier"));
    check();
    return m_def;
  }

 private:
  [[noreturn]] void fail(const QString& message, int line = -1) {
    throw ReportError(m_path, line < 0 ? int(m_xml.lineNumber()) : line, message);
  }
  [[noreturn]] void xmlFault() {
    const int line = int(m_xml.lineNumber());
    switch (m_xml.error()) {
      case QXmlStreamReader::PrematureEndOfDocumentError:
        fail(QStringLiteral("le fichier s'arrête avant la fin d'un élément (balise fermante "
                            "manquante)"),
             line);
      case QXmlStreamReader::NotWellFormedError:
        fail(QStringLiteral("le texte n'est pas du XML bien formé (balise mal fermée, guillemet "
                            "manquant, ou « & » et « < » non écrits « &amp; » et « &lt; »)"),
             line);
      default:
        fail(QStringLiteral("le texte n'est pas du XML lisible"), line);
    }
  }

  // The attributes of the current element, refused when one is not in `allowed`.
  QHash<QString, QString> attributes(const QStringList& allowed) {
    QHash<QString, QString> out;
    for (const QXmlStreamAttribute& a : m_xml.attributes()) {
      const QString name = a.name().toString();
      if (!allowed.contains(name))
        fail(QStringLiteral("attribut %1 inconnu dans <%2> (attributs permis : %3)")
                 .arg(quoted(name), m_xml.name().toString(), allowed.join(", ")));
      out.insert(name, a.value().toString());
    }
    return out;
  }
  double number(const QHash<QString, QString>& a, const QString& name, double fallback, double min,
                double max) {
    if (!a.contains(name)) return fallback;
    QString t = a.value(name).trimmed();
    t.replace(',', '.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || v < min || v > max)
      fail(
          QStringLiteral("%1 = %2 : nombre entre %3 et %4 attendu")
              .arg(name, quoted(a.value(name)))
              .arg(QString::number(min).replace('.', ','), QString::number(max).replace('.', ',')));
    return v;
  }
  bool flag(const QHash<QString, QString>& a, const QString& name, bool fallback) {
    if (!a.contains(name)) return fallback;
    const QString v = a.value(name).trimmed().toLower();
    if (v == "oui" || v == "yes" || v == "true" || v == "1") return true;
    if (v == "non" || v == "no" || v == "false" || v == "0") return false;
    fail(QStringLiteral("%1 = %2 : « oui » ou « non » attendu").arg(name, quoted(a.value(name))));
  }
  template <typename T>
  T choice(const QHash<QString, QString>& a, const QString& name, T fallback,
           const QList<QPair<QString, T>>& values) {
    if (!a.contains(name)) return fallback;
    const QString v = a.value(name).trimmed().toLower();
    QStringList names;
    for (const auto& [text, value] : values) {
      if (text == v) return value;
      names << text;
    }
    fail(QStringLiteral("%1 = %2 : valeur permise parmi %3")
             .arg(name, quoted(a.value(name)), names.join(", ")));
  }
  Align align(const QHash<QString, QString>& a, Align fallback) {
    return choice<Align>(a, "align", fallback,
                         {{"left", Align::Left},
                          {"center", Align::Center},
                          {"right", Align::Right},
                          {"gauche", Align::Left},
                          {"centre", Align::Center},
                          {"droite", Align::Right}});
  }
  QString required(const QHash<QString, QString>& a, const QString& name) {
    const QString v = a.value(name).trimmed();
    if (v.isEmpty())
      fail(QStringLiteral("<%1> demande l'attribut %2").arg(m_xml.name().toString(), quoted(name)));
    return v;
  }
  // The text inside the current element; no element may stand in it.
  QString text() {
    const QString element = m_xml.name().toString();
    const QString t = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (m_xml.hasError()) {
      if (m_xml.error() == QXmlStreamReader::UnexpectedElementError)
        fail(QStringLiteral("<%1> ne contient que du texte").arg(element));
      xmlFault();
    }
    return t;
  }
  void empty() {
    const QString element = m_xml.name().toString();
    while (m_xml.readNext() != QXmlStreamReader::EndElement) {
      if (m_xml.hasError()) xmlFault();
      if (m_xml.isStartElement() || (m_xml.isCharacters() && !m_xml.isWhitespace()))
        fail(QStringLiteral("<%1> ne contient rien : tout se dit dans ses attributs").arg(element));
    }
  }
  void once(const QString& element) {
    if (m_seen.contains(element)) fail(QStringLiteral("<%1> donné deux fois").arg(element));
    m_seen.insert(element);
  }

  void readRoot() {
    if (m_seenRoot) fail(QStringLiteral("un seul élément <report> par fichier"));
    m_seenRoot = true;
    const auto a = attributes({"title", "version"});
    m_def.title = a.value("title");
    if (a.contains("version") && a.value("version").trimmed() != "1")
      fail(QStringLiteral("version %1 inconnue : ce programme lit la version 1")
               .arg(quoted(a.value("version"))));
    while (m_xml.readNextStartElement()) {
      const QString e = m_xml.name().toString();
      if (e == "page") {
        once(e);
        readPage();
      } else if (e == "font") {
        once(e);
        const auto f = attributes({"family", "size"});
        if (f.contains("family")) m_def.fontFamily = f.value("family");
        m_def.fontSize = number(f, "size", m_def.fontSize, 4, 30);
        empty();
      } else if (e == "source") {
        once(e);
        m_def.sourceLine = int(m_xml.lineNumber());
        m_def.source = required(attributes({"name"}), "name");
        empty();
      } else if (e == "selection") {
        once(e);
        m_def.selectionLine = int(m_xml.lineNumber());
        attributes({});
        m_def.selection = text().trimmed();
      } else if (e == "sort") {
        const int line = int(m_xml.lineNumber());
        const auto s = attributes({"field", "order"});
        m_def.sort << SortKey{required(s, "field"),
                              choice<bool>(s, "order", false,
                                           {{"ascending", false},
                                            {"descending", true},
                                            {"croissant", false},
                                            {"decroissant", true},
                                            {"décroissant", true}}),
                              line};
        empty();
      } else if (e == "header" || e == "footer") {
        once(e);
        const auto l = attributes({"left", "center", "right"});
        (e == "header" ? m_def.header : m_def.footer) =
            TextLine{l.value("left"), l.value("center"), l.value("right")};
        empty();
      } else if (e == "heading") {
        Heading h;
        h.line = int(m_xml.lineNumber());
        const auto a2 = attributes({"size", "bold", "align"});
        h.size = number(a2, "size", h.size, 4, 40);
        h.bold = flag(a2, "bold", true);
        h.align = align(a2, Align::Left);
        h.text = text().trimmed();
        m_def.headings << h;
      } else if (e == "group") {
        readGroup();
      } else if (e == "columns") {
        once(e);
        readColumns();
      } else if (e == "total") {
        once(e);
        m_def.grandTotal = true;
        m_def.grandTotalLine = int(m_xml.lineNumber());
        m_def.grandTotalLabel = attributes({"label"}).value("label", QStringLiteral("Total"));
        empty();
      } else {
        fail(QStringLiteral("élément <%1> inconnu").arg(e));
      }
    }
    if (m_xml.hasError()) xmlFault();
  }

  void readPage() {
    const auto a = attributes({"size", "orientation", "margins"});
    m_def.page.size = choice<QPageSize::PageSizeId>(a, "size", QPageSize::A4,
                                                    {{"a3", QPageSize::A3},
                                                     {"a4", QPageSize::A4},
                                                     {"a5", QPageSize::A5},
                                                     {"letter", QPageSize::Letter},
                                                     {"legal", QPageSize::Legal}});
    m_def.page.orientation =
        choice<QPageLayout::Orientation>(a, "orientation", QPageLayout::Portrait,
                                         {{"portrait", QPageLayout::Portrait},
                                          {"landscape", QPageLayout::Landscape},
                                          {"paysage", QPageLayout::Landscape}});
    if (a.contains("margins")) {
      const QStringList parts = a.value("margins").split(' ', Qt::SkipEmptyParts);
      if (parts.size() != 1 && parts.size() != 4)
        fail(QStringLiteral("margins = %1 : une marge, ou quatre (haut droite bas gauche), en mm")
                 .arg(quoted(a.value("margins"))));
      QList<double> m;
      for (const QString& p : parts) m << number({{"margins", p}}, "margins", 0, 0, 60);
      if (m.size() == 1) m = {m[0], m[0], m[0], m[0]};
      m_def.page.top = m[0];
      m_def.page.right = m[1];
      m_def.page.bottom = m[2];
      m_def.page.left = m[3];
    }
    empty();
  }

  void readGroup() {
    if (m_def.groups.size() >= kMaxGroups)
      fail(QStringLiteral("%1 regroupements au plus").arg(kMaxGroups));
    Group g;
    g.line = int(m_xml.lineNumber());
    const auto a = attributes({"field", "header", "footer", "newpage"});
    g.field = required(a, "field");
    g.header = a.value("header");
    g.footer = a.value("footer");
    g.newPage = flag(a, "newpage", false);
    m_def.groups << g;
    empty();
  }

  void readColumns() {
    attributes({});
    while (m_xml.readNextStartElement()) {
      if (m_xml.name() != QLatin1String("column"))
        fail(QStringLiteral("<columns> ne contient que des <column>, pas <%1>")
                 .arg(m_xml.name().toString()));
      if (m_def.columns.size() >= kMaxColumns)
        fail(QStringLiteral("%1 colonnes au plus").arg(kMaxColumns));
      Column c;
      c.line = int(m_xml.lineNumber());
      const auto a = attributes({"field", "title", "width", "align", "format", "total"});
      c.field = required(a, "field");
      c.title = a.value("title", c.field);
      c.width = number(a, "width", c.width, 2, 400);
      c.align = align(a, Align::Left);
      c.format = a.value("format");
      c.total = choice<Total>(a, "total", Total::None,
                              {{"sum", Total::Sum},
                               {"count", Total::Count},
                               {"average", Total::Average},
                               {"somme", Total::Sum},
                               {"nombre", Total::Count},
                               {"moyenne", Total::Average}});
      m_def.columns << c;
      empty();
    }
    if (m_xml.hasError()) xmlFault();
  }

  void check() {
    if (m_def.source.isEmpty())
      fail(QStringLiteral("le modèle ne dit pas sa source de données (<source name=\"...\"/>)"), 0);
    if (m_def.columns.isEmpty())
      fail(QStringLiteral("le modèle n'a aucune colonne (<columns><column .../></columns>)"), 0);
    QPageSize size(m_def.page.size);
    QSizeF mm = size.size(QPageSize::Millimeter);
    if (m_def.page.orientation == QPageLayout::Landscape) mm.transpose();
    const double printable = mm.width() - m_def.page.left - m_def.page.right;
    double width = 0;
    for (const Column& c : m_def.columns) width += c.width;
    if (width > printable + 0.01)
      fail(QStringLiteral("les colonnes font %1 mm de large, la page n'en offre que %2 entre ses "
                          "marges")
               .arg(decimal(width), decimal(printable)),
           m_def.columns.last().line);
    if (mm.height() - m_def.page.top - m_def.page.bottom < 40)
      fail(QStringLiteral("les marges ne laissent pas de place pour le texte"), 0);
  }

  QXmlStreamReader m_xml;
  QString m_path;
  ReportDefinition m_def;
  QSet<QString> m_seen;
  bool m_seenRoot = false;
};

}  // namespace

ReportDefinition readReportText(const QByteArray& content, const QString& path) {
  return Reader(content, path).read();
}

ReportDefinition readReport(const QString& path) {
  QFile file(path);
  if (!file.exists()) throw ReportError(path, 0, QStringLiteral("fichier introuvable"));
  if (!file.open(QIODevice::ReadOnly))
    throw ReportError(path, 0,
                      QStringLiteral("lecture impossible : vérifiez les droits sur le fichier"));
  if (file.size() > kMaxFileSize)
    throw ReportError(path, 0,
                      QStringLiteral("fichier trop volumineux pour un modèle d'impression"));
  return readReportText(file.readAll(), path);
}

}  // namespace tarovent::report
