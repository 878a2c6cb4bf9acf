#include "install/templates/TemplateBuilder.h"

#include <QHash>

#include "install/templates/WordprocessingXml.h"

namespace tarovent::templates {

namespace {

using Xml = WordprocessingXml;

constexpr int kPortraitWidth = 9638;  // A4 less 2 cm margins, in twips
constexpr int kLandscapeWidth = 14570;
constexpr int kSmall = 16;  // half-points of the line tables

struct ColumnSpec {
  QString caption;
  int width;
  QString align;
};

const QHash<QString, ColumnSpec>& columnSpecs() {
  static const QHash<QString, ColumnSpec> specs{{"CODART", {"Code", 1250, "left"}},
                                                {"LIBART", {"Désignation", 0, "left"}},
                                                {"QTE", {"Qté", 950, "right"}},
                                                {"UNITE", {"Unité", 650, "center"}},
                                                {"PUBRUT", {"P.U. brut", 1000, "right"}},
                                                {"PCREM", {"Rem. %", 700, "right"}},
                                                {"PUNET", {"P.U. net", 1000, "right"}},
                                                {"MTNET", {"Montant HT", 1250, "right"}},
                                                {"TXTVA", {"TVA %", 650, "right"}},
                                                {"POIDS", {"Poids", 850, "right"}},
                                                {"PDR", {"P. revient", 1000, "right"}},
                                                {"MTPDR", {"Mt revient", 1250, "right"}},
                                                {"POIDSTOT", {"Poids total", 1000, "right"}}};
  return specs;
}

// Widths of the columns: numbers get what their masks need, the designation the rest.
QList<int> columnWidths(const QStringList& codes, int textWidth) {
  QList<int> widths;
  int used = 0;
  for (const QString& code : codes) {
    widths << columnSpecs().value(code).width;
    used += widths.last();
  }
  widths[int(codes.indexOf("LIBART"))] = textWidth - used;
  return widths;
}

QString headerRow(Xml& xml, const QStringList& codes, const QList<int>& widths) {
  QList<Xml::Cell> cells;
  for (int i = 0; i < codes.size(); ++i) {
    const ColumnSpec column = columnSpecs().value(codes[i]);
    const QString runs = QStringLiteral(
                             "<w:r><w:rPr><w:b/><w:bCs/><w:sz w:val=\"%1\"/><w:szCs "
                             "w:val=\"%1\"/></w:rPr><w:t>%2</w:t></w:r>")
                             .arg(kSmall)
                             .arg(column.caption.toHtmlEscaped());
    cells.append({"<w:p><w:pPr><w:jc w:val=\"" + column.align + "\"/></w:pPr>" +
                      xml.bookmark(codes[i], runs) + "</w:p>",
                  widths[i], "D9E2F3"});
  }
  return Xml::row(cells, true);
}

// One empty line row; `bookmark`, when given, marks its first cell (the grouped import's
// tables are found through it, and the line written there keeps it).
QString emptyLineRow(Xml& xml, const QStringList& codes, const QList<int>& widths,
                     const QString& bookmark = {}) {
  QList<Xml::Cell> cells;
  for (int i = 0; i < codes.size(); ++i) {
    const ColumnSpec column = columnSpecs().value(codes[i]);
    QString run =
        QStringLiteral("<w:r><w:rPr><w:sz w:val=\"%1\"/><w:szCs w:val=\"%1\"/></w:rPr></w:r>")
            .arg(kSmall);
    if (i == 0 && !bookmark.isEmpty()) run = xml.bookmark(bookmark, run);
    cells.append(
        {QStringLiteral("<w:p><w:pPr><w:jc w:val=\"%1\"/><w:rPr><w:sz w:val=\"%2\"/><w:szCs "
                        "w:val=\"%2\"/></w:rPr></w:pPr>")
                 .arg(column.align)
                 .arg(kSmall) +
             run + "</w:p>",
         widths[i],
         {}});
  }
  return Xml::row(cells);
}

// The text zone of a grouped quote: ZTXT spans it, and the texts typed at WTXT, in the last
// paragraph, land inside it one after the other.
QString textZone(Xml& xml) {
  // One statement a piece: the ends must follow their start.
  QString zone = "<w:p>" + xml.bookmarkStart("ZTXT");
  zone += R"(<w:r><w:rPr><w:b/><w:bCs/></w:rPr><w:t>Description des travaux</w:t></w:r></w:p>)";
  zone += "<w:p>" + xml.bookmark("WTXT");
  zone += xml.bookmarkEnd();
  return zone + "</w:p>";
}

// The line tables under the header: one, or for a grouped quote the labour table and, after a
// gap, the parts table.
QString lineTablesOf(Xml& xml, QuoteTemplateKind kind, const QStringList& codes,
                     const QList<int>& widths) {
  if (kind != QuoteTemplateKind::Grouped)
    return Xml::table(widths, {emptyLineRow(xml, codes, widths)}, true);
  return Xml::table(widths, {emptyLineRow(xml, codes, widths, "WMDO")}, true) +
         Xml::paragraph(QString()) +
         Xml::table(widths, {emptyLineRow(xml, codes, widths, "WPIE")}, true);
}

// A right-aligned table of labelled amounts, each in its bookmark; the net and the total with
// tax stand out.
QString amountsTable(Xml& xml, const QList<QPair<QString, QString>>& lines) {
  QStringList rows;
  for (const auto& [label, name] : lines) {
    const bool strong = name == QLatin1String("STTC") || name == QLatin1String("SMTNET");
    const QString props = strong ? QStringLiteral("<w:rPr><w:b/><w:bCs/></w:rPr>") : QString();
    rows << Xml::row({{Xml::paragraph(QList<Xml::Run>{{label, strong, 0}}, "right"), 2800, {}},
                      {"<w:p><w:pPr><w:jc w:val=\"right\"/></w:pPr>" +
                           xml.bookmark(name, "<w:r>" + props + "</w:r>") + "</w:p>",
                       1600, strong ? "D9E2F3" : QString()}});
  }
  // Right-aligned under the amounts.
  QString table = Xml::table({2800, 1600}, rows, true);
  table.replace("w:type=\"dxa\"/><w:tblBorders>",
                "w:type=\"dxa\"/><w:jc w:val=\"right\"/><w:tblBorders>");
  return table;
}

QString totalsTable(Xml& xml, QuoteTemplateKind kind) {
  QList<QPair<QString, QString>> lines{
      {"Total brut HT", "SMTBRUT"}, {"Remise", "SMTREM"}, {"Total net HT", "SMTNET"}};
  if (kind == QuoteTemplateKind::WithVat) {
    lines << QPair<QString, QString>{"TVA taux 1 (%)", "STXTVA1"}
          << QPair<QString, QString>{"Montant TVA 1", "SMTTVA1"}
          << QPair<QString, QString>{"TVA taux 2 (%)", "STXTVA2"}
          << QPair<QString, QString>{"Montant TVA 2", "SMTTVA2"};
  } else {
    lines << QPair<QString, QString>{"TVA (%)", "STXTVA"}
          << QPair<QString, QString>{"Montant TVA", "SMTTVA"};
  }
  lines << QPair<QString, QString>{"Total TTC", "STTC"}
        << QPair<QString, QString>{"Contre-valeur", "DEVISE"};
  if (kind == QuoteTemplateKind::WithWeightsAndCosts) {
    lines << QPair<QString, QString>{"Majoration (%)", "PCPLUS"}
          << QPair<QString, QString>{"Majoration", "MTPLUS"}
          << QPair<QString, QString>{"Net après majoration", "SMTNETPLUS"}
          << QPair<QString, QString>{"Revient matières", "SPDRMAT"}
          << QPair<QString, QString>{"Revient main d'oeuvre", "SPDRMO"}
          << QPair<QString, QString>{"Revient total", "SPDRTOT"}
          << QPair<QString, QString>{"Marge", "SMARGE"}
          << QPair<QString, QString>{"Marge (%)", "SPCMARGE"}
          << QPair<QString, QString>{"Poids total", "SPOIDS"};
  }
  return amountsTable(xml, lines);
}

// The running head of the following pages: "label" then the number and the date bookmarks.
QString runningHead(Xml& xml, const QString& label, const QString& number, const QString& date) {
  return "<w:p><w:pPr><w:pStyle w:val=\"Header\"/><w:jc w:val=\"right\"/></w:pPr><w:r><w:t "
         "xml:space=\"preserve\">" +
         label.toHtmlEscaped() + "</w:t></w:r>" + xml.bookmark(number, "<w:r></w:r>") +
         "<w:r><w:t xml:space=\"preserve\"> du </w:t></w:r>" + xml.bookmark(date, "<w:r></w:r>") +
         "</w:p>";
}

QString headOfDocument(Xml& xml, int textWidth) {
  const int half = textWidth / 2;
  auto left = [&](const QString& label, const QString& name) { return xml.labelled(label, name); };
  QString ours = xml.labelled("", "SOCIETE", true) +
                 Xml::paragraph(QList<Xml::Run>{{"DEVIS", true, 32}}) +
                 xml.labelled("N° ", "NUMDEV", true) + left("Date : ", "DATDEV") +
                 left("Client n° ", "CODCLI") + left("Affaire suivie par ", "COMMERCIAL") +
                 left("", "NOMCAL") + left("Tél. ", "TELCAL") + left("Courriel : ", "MAILCAL") +
                 left("Travaux : ", "STYPTRAV") + left("Votre référence : ", "CM");
  // The address line by line; ADR holds the same lines joined, for templates of one box.
  QString client = xml.labelled("", "RS", true) + left("", "ADR1") + left("", "ADR2") +
                   left("", "ADR3") + left("", "ADR4") + left("", "PAYS") +
                   Xml::paragraph(QString()) + left("À l'attention de ", "CONTACT") +
                   left("Tél. ", "TEL") + left("Fax ", "FAX") + left("Portable ", "PORTABLE") +
                   left("Courriel : ", "EMAIL") + left("TVA intracom. : ", "TVAINTRA");
  QString head =
      Xml::table({half, half}, {Xml::row({{ours, half, {}}, {client, half, {}}})}, false);
  head += Xml::paragraph(QString());
  head += left("Véhicule : ", "TYPVEH") + left("Immatriculation : ", "IMMAT") +
          left("Identification : ", "COMPLIDENT") + left("Opération : ", "OPERATION") +
          left("", "DEVUSER") + left("", "CLIUSER1") + left("", "CLIUSER2");
  return head + Xml::paragraph(QString());
}

}  // namespace

QStringList templateColumns(QuoteTemplateKind kind) {
  switch (kind) {
    case QuoteTemplateKind::Standard:
    case QuoteTemplateKind::Grouped:
      break;
    case QuoteTemplateKind::WithVat:
      return {"CODART", "LIBART", "QTE", "UNITE", "PUBRUT", "PCREM", "PUNET", "MTNET", "TXTVA"};
    case QuoteTemplateKind::WithWeightsAndCosts:
      return {"CODART", "LIBART", "QTE",   "UNITE", "POIDS", "PDR",
              "PUBRUT", "PCREM",  "PUNET", "MTNET", "MTPDR", "POIDSTOT"};
  }
  return {"CODART", "LIBART", "QTE", "UNITE", "PUBRUT", "PCREM", "PUNET", "MTNET"};
}

QStringList headBookmarks() {
  return {"SOCIETE",    "NUMDEV",    "DATDEV",   "CODCLI",   "COMMERCIAL", "NOMCAL",
          "TELCAL",     "MAILCAL",   "STYPTRAV", "RS",       "ADR1",       "ADR2",
          "ADR3",       "ADR4",      "PAYS",     "CM",       "CONTACT",    "TEL",
          "FAX",        "PORTABLE",  "EMAIL",    "TVAINTRA", "TYPVEH",     "IMMAT",
          "COMPLIDENT", "OPERATION", "DEVUSER",  "CLIUSER1", "CLIUSER2",   "SCOND"};
}

void buildEmptyTemplate(const QString& path) {
  Xml::package(Xml::paragraph(QString()), "<w:p/>", "<w:p/>", true, false).saveAs(path);
}

void buildQuoteTemplate(const QString& path, QuoteTemplateKind kind) {
  Xml xml;
  const QStringList codes = templateColumns(kind);
  const bool landscape = kind == QuoteTemplateKind::WithWeightsAndCosts;
  const int textWidth = landscape ? kLandscapeWidth : kPortraitWidth;
  const QList<int> widths = columnWidths(codes, textWidth);
  QString body = headOfDocument(xml, textWidth);
  if (kind == QuoteTemplateKind::Grouped) body += textZone(xml) + Xml::paragraph(QString());
  body += Xml::table(widths, {headerRow(xml, codes, widths)}, true);
  body += Xml::spacer();
  body += lineTablesOf(xml, kind, codes, widths);
  body += xml.anchor("DESCRTHT");
  body += Xml::paragraph(QString());
  body += totalsTable(xml, kind);
  body += Xml::paragraph(QString());
  body += xml.anchor("DESCRHT");
  body += Xml::paragraph(QList<Xml::Run>{{"Options", true, 0}});
  body += xml.anchor("OPTIONS");
  body += Xml::paragraph(QString());
  // The calculation sheet of a grouped quote gives the time it needs.
  if (kind == QuoteTemplateKind::Grouped) body += xml.labelled("Délai de réalisation : ", "DELAI");
  body += xml.labelled("Conditions de paiement : ", "SCOND");
  body += Xml::paragraph("Bon pour accord, date et signature :");

  const QString header = runningHead(xml, "Devis n° ", "NUMDEV_P2", "DATDEV_P2");
  const QString footer =
      "<w:p><w:pPr><w:pStyle w:val=\"Footer\"/><w:jc w:val=\"center\"/></w:pPr>"
      "<w:r><w:t xml:space=\"preserve\">Page </w:t></w:r>" +
      Xml::field("PAGE", "1") + "<w:r><w:t xml:space=\"preserve\"> / </w:t></w:r>" +
      Xml::field("NUMPAGES", "1") + "</w:p>";
  Xml::package(body, header, footer, true, landscape).saveAs(path);
}

void buildProFormaTemplate(const QString& path) {
  Xml xml;
  const int half = kPortraitWidth / 2;
  const auto line = [&](const QString& label, const QString& name) {
    return xml.labelled(label, name);
  };
  const QString ours = Xml::paragraph(QList<Xml::Run>{{"FACTURE PRO FORMA", true, 32}}) +
                       xml.labelled("Devis n° ", "NUMDEV", true) + line("Date : ", "DATFACT") +
                       line("Affaire suivie par ", "COMMERCIAL") + line("Travaux : ", "STYPTRAV") +
                       line("", "CLIUSER1") + line("", "CLIUSER2");
  const QString client = xml.labelled("", "RS", true) + line("", "ADR1") + line("", "ADR2") +
                         line("", "ADR3") + line("", "ADR4") + Xml::paragraph(QString()) +
                         line("À l'attention de ", "CONTACT") + line("Tél. ", "TEL") +
                         line("Fax ", "FAX") + line("TVA intracom. : ", "TVAINTRA");
  QString body =
      Xml::table({half, half}, {Xml::row({{ours, half, {}}, {client, half, {}}})}, false);
  body += Xml::paragraph(QString());
  body += xml.anchor("DEBTEXTE");
  body += xml.anchor("FINTEXTE");
  const QList<QPair<QString, QString>> totals = {
      {"Total brut HT", "SHTBRUT"},    {"Remise", "SMTREM"},      {"Total net HT", "SHTNET"},
      {"Taux de TVA", "STXTVA"},       {"Montant TVA", "SMTTVA"}, {"Total TTC", "STTC"},
      {"Net HT en euros", "DEVISEHT"}, {"TTC en euros", "DEVISE"}};
  body += Xml::paragraph(QString()) + amountsTable(xml, totals);
  const QString header =
      runningHead(xml, "Facture pro forma, devis n° ", "NUMDEV_P1", "DATFACT_P1");
  Xml::package(body, header, "<w:p/>", true, false).saveAs(path);
}

}  // namespace tarovent::templates
