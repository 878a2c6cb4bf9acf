#include "ProForma.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <pugixml.hpp>

#include "composition/HeadBookmarks.h"
#include "composition/NumberFormat.h"
#include "composition/Totals.h"
#include "core/DocumentNames.h"
#include "core/InputHelpers.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "core/QuoteContext.h"
#include "platform/db/DbError.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/Package.h"
#include "platform/ooxml/XmlPart.h"
#include "platform/word/WordDocument.h"

namespace tarovent::reports {

namespace {

const char* kPrefix = "FACPROF";

// The local name of an element, whatever its prefix.
bool named(pugi::xml_node n, const char* local) {
  const char* name = n.name();
  const char* colon = std::strchr(name, ':');
  return std::strcmp(colon ? colon + 1 : name, local) == 0;
}

pugi::xml_node findBookmarkStart(pugi::xml_node root, const QString& name) {
  const std::string wanted = name.toStdString();
  pugi::xml_node found;
  struct Walker : pugi::xml_tree_walker {
    const std::string* wanted;
    pugi::xml_node* found;
    bool for_each(pugi::xml_node& n) override {
      if (named(n, "bookmarkStart")) {
        for (pugi::xml_attribute a : n.attributes()) {
          const char* an = a.name();
          const char* colon = std::strchr(an, ':');
          if (std::strcmp(colon ? colon + 1 : an, "name") == 0 && *wanted == a.value()) {
            *found = n;
            return false;
          }
        }
      }
      return true;
    }
  } walker;
  walker.wanted = &wanted;
  walker.found = &found;
  root.traverse(walker);
  return found;
}

// The child of the body that holds `node`.
pugi::xml_node blockOf(pugi::xml_node body, pugi::xml_node node) {
  while (node && node.parent() != body) node = node.parent();
  return node;
}

// Removes bookmarks, pictures and embedded objects (their relationships belong to the quote),
// and section breaks (the invoice keeps its own layout).
void cleanCopy(pugi::xml_node node) {
  std::vector<pugi::xml_node> doomed;
  struct Walker : pugi::xml_tree_walker {
    std::vector<pugi::xml_node>* doomed;
    bool for_each(pugi::xml_node& n) override {
      for (const char* local :
           {"bookmarkStart", "bookmarkEnd", "drawing", "pict", "object", "sectPr",
            "commentRangeStart", "commentRangeEnd", "commentReference"})
        if (named(n, local)) doomed->push_back(n);
      if (named(n, "hyperlink")) n.remove_attribute("r:id");
      return true;
    }
  } walker;
  walker.doomed = &doomed;
  node.traverse(walker);
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) it->parent().remove_child(*it);
}

// Parsed as the document engine does: the spaces of a run that holds nothing else are text.
bool parse(const ooxml::Package& p, pugi::xml_document& doc) {
  try {
    ooxml::parseXml(doc, p.read(p.mainPart()), p.mainPart());
  } catch (const ooxml::OoxmlError&) {
    return false;
  }
  return true;
}

// "00012_00.AB" -> company AB, dossier 12, version 0.
bool splitNumber(const QString& number, core::QuoteContext* quote) {
  const qsizetype dot = number.indexOf('.');
  if (dot != 8 || number.size() < 10 || number[5] != '_') return false;
  bool ok1 = false, ok2 = false;
  quote->dossier = number.left(5).toLong(&ok1);
  quote->sequence = QString::number(number.mid(6, 2).toInt(&ok2));
  quote->company = number.mid(dot + 1);
  quote->documentName = number;
  return ok1 && ok2;
}

}  // namespace

ProFormaTotals proFormaTotals(double gross, double discount, double net, double rate) {
  using composition::round2;
  ProFormaTotals t{gross, discount, net, rate};
  t.vat = round2(rate / 100.0 * net);
  t.withTax = round2(net + t.vat);
  t.netSecond = round2(net / kFrancRate);
  t.withTaxSecond = round2(t.withTax / kFrancRate);
  return t;
}

QMap<QString, QString> totalBookmarks(const ProFormaTotals& t, QChar sep) {
  const auto put = [sep](double value, const QString& mask) {
    return composition::formatMasked(value, mask, sep);
  };
  const QString amount = QStringLiteral("## ### ##0.00");
  const QString price = QStringLiteral("# ### ##0.00");
  return {{"SHTBRUT", put(t.gross, amount)},
          {"SREM", put(t.discount, price)},
          {"SHTNET", put(t.net, amount)},
          {"SMTREM", put(t.discount, amount)},
          {"STXTVA", put(t.rate, QStringLiteral("#0.00")) + '%'},
          {"SMTTVA", put(t.vat, price)},
          {"STTC", put(t.withTax, amount)},
          {"DEVISEHT", put(t.netSecond, amount)},
          {"DEVISE", put(t.withTaxSecond, amount)}};
}

QString invoiceFileName(const QString& quoteNumber) {
  return quoteNumber.left(5) + quoteNumber.right(3) + QStringLiteral(".PRF");
}

QMap<QString, QString> invoiceHead(const QMap<QString, QString>& quoteHead,
                                   const QString& quoteNumber, const QDate& date) {
  QMap<QString, QString> head;
  for (const char* name : {"RS", "CONTACT", "TEL", "FAX", "TVAINTRA", "STYPTRAV", "CLIUSER1",
                           "CLIUSER2", "COMMERCIAL"})
    head[name] = quoteHead.value(name);
  int n = 0;
  for (const char* part : {"ADR1", "ADR2", "ADR3", "ADR4"}) {
    const QString line = quoteHead.value(part);
    if (!line.trimmed().isEmpty()) head[QStringLiteral("ADR%1").arg(++n)] = line;
  }
  while (n < 4) head[QStringLiteral("ADR%1").arg(++n)] = QString();
  head["NUMDEV"] = quoteNumber;
  head["DATFACT"] = date.toString(QStringLiteral("dd/MM/yyyy"));
  return head;
}

int carryQuoteText(const ooxml::Package& quote, ooxml::Package& invoice) {
  pugi::xml_document from, to;
  if (!parse(quote, from) || !parse(invoice, to)) return 0;
  const pugi::xml_node fromBody =
      from.document_element().find_child([](pugi::xml_node n) { return named(n, "body"); });
  pugi::xml_node toBody =
      to.document_element().find_child([](pugi::xml_node n) { return named(n, "body"); });
  pugi::xml_node start = findBookmarkStart(fromBody, QStringLiteral("DEBTEXTE"));
  if (!start) start = findBookmarkStart(fromBody, QStringLiteral("NUMDEV"));
  pugi::xml_node end = findBookmarkStart(fromBody, QStringLiteral("FINTEXTE"));
  if (!end) end = findBookmarkStart(fromBody, QStringLiteral("SMTBRUT"));
  const pugi::xml_node at = findBookmarkStart(toBody, QStringLiteral("DEBTEXTE"));
  if (!start || !end || !at) return 0;
  const pugi::xml_node first = blockOf(fromBody, start).next_sibling();
  const pugi::xml_node last = blockOf(fromBody, end);
  pugi::xml_node after = blockOf(toBody, at);
  int carried = 0;
  for (pugi::xml_node n = first; n && n != last; n = n.next_sibling()) {
    if (named(n, "sectPr")) break;
    after = toBody.insert_copy_after(n, after);
    cleanCopy(after);
    ++carried;
  }
  if (carried) invoice.write(invoice.mainPart(), ooxml::serializeXml(to));
  return carried;
}

QStringList wordTemplates(const QString& folder, const QString& prefix) {
  QStringList found;
  const QDir dir(folder);
  for (const QString& name :
       dir.entryList({prefix + QStringLiteral("*.dot"), prefix + QStringLiteral("*.dotx"),
                      prefix + QStringLiteral("*.dotm")},
                     QDir::Files, QDir::Name))
    found << dir.filePath(name);
  return found;
}

ProForma::ProForma(core::ProcessState& state, TemplateChooser chooseTemplate)
    : m_state(state), m_choose(std::move(chooseTemplate)) {}

QString ProForma::documentsFolder() const {
  return core::withSeparator(core::localPath(m_state.base(core::entry::Main).folder));
}

ProForma::Outcome ProForma::make(const Request& request) {
  ui::MessageFunnel& messages = m_state.messages();
  const auto say = [&](const QString& text) {
    messages.show(m_state.Traduire(text), ui::Icon::Warning);
  };
  m_invoice.clear();
  bool vatOk = false;
  const double rate = core::Valeur_Numerique(request.vatText.trimmed(), &vatOk);
  // A rate is a percentage: "1 234,50" or "-20" is a slip of the keyboard, not a rate.
  if (request.vatText.trimmed().isEmpty() || !vatOk || rate < 0 || rate > 100) {
    messages.beep();
    say(QStringLiteral("Saisir un taux de T.V.A."));
    return Outcome::NoVat;
  }
  core::QuoteContext quote;
  const QString folder = documentsFolder();
  const QString document = core::Chemin_Document(folder, request.quoteNumber);
  if (!splitNumber(request.quoteNumber, &quote) || !QFileInfo(document).isFile()) {
    say(QStringLiteral("Texte du devis introuvable."));
    return Outcome::NoDocument;
  }
  const QString invoice = core::Chemin_Document(folder, invoiceFileName(request.quoteNumber));
  bool keep = false;
  if (QFileInfo::exists(invoice))
    keep =
        messages.ask(m_state.Traduire(QStringLiteral(
                         "Cette facture existe déjà. Voulez-vous conserver le texte existant ?")),
                     ui::Buttons::YesNo, 1, ui::Icon::Question) == ui::Answer::Yes;

  const QString prefix = QString::fromLatin1(kPrefix);
  const QStringList templates = wordTemplates(folder, prefix);
  QString chosen;
  if (templates.isEmpty()) {
    messages.show(m_state.Traduire(QStringLiteral("Le modèle WORD <")) + prefix +
                      m_state.Traduire(QStringLiteral("> est introuvable.")),
                  ui::Icon::Warning);
    return Outcome::NoTemplate;
  }
  chosen = templates.size() == 1 ? templates.first() : m_choose(templates, folder, prefix);
  if (chosen.isEmpty()) return Outcome::Cancelled;

  if (keep) {
    m_invoice = invoice;
    if (m_state.openDocument) m_state.openDocument(invoice);
    return Outcome::KeptExisting;
  }
  try {
    const word::WordDocument source = word::WordDocument::open(document, word::OpenMode::ReadOnly);
    const auto amount = [&source](const char* name) {
      if (!source.hasBookmark(QString::fromLatin1(name))) return 0.0;
      const auto cell = source.bookmarkCell(QString::fromLatin1(name));
      const QString text =
          cell ? source.cellText(*cell) : source.bookmarkText(QString::fromLatin1(name));
      return core::Valeur_Numerique(text.trimmed().remove(' ').remove(QChar(0x00A0)));
    };
    const ProFormaTotals totals =
        proFormaTotals(amount("SMTBRUT"), amount("SMTREM"), amount("SMTNET"), rate);
    const QMap<QString, QString> head =
        invoiceHead(composition::readHeadValues(m_state, quote).bookmarks, request.quoteNumber,
                    QDate::currentDate());

    // Made aside, then saved over the invoice in one step.
    QTemporaryDir work;
    const QString made = work.filePath(QStringLiteral("facture.docx"));
    word::WordDocument::fromTemplate(chosen).saveAs(made);
    if (request.withText) {
      ooxml::Package invoicePackage = ooxml::Package::open(made);
      if (carryQuoteText(ooxml::Package::open(document), invoicePackage) > 0)
        invoicePackage.saveAs(made + QStringLiteral(".2"));
      else
        QFile::copy(made, made + QStringLiteral(".2"));
    } else {
      QFile::copy(made, made + QStringLiteral(".2"));
    }
    word::WordDocument out = word::WordDocument::open(made + QStringLiteral(".2"));
    // The invoice carries the quote's lines: its totals are written the way they are.
    const QMap<QString, QString> values = totalBookmarks(
        totals,
        composition::documentDecimalSeparator(source, composition::workstationDecimalSeparator()));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
      if (out.hasBookmark(it.key())) out.setBookmarkText(it.key(), it.value());
    // The running head of the following pages carries the same values under "_P1".
    for (auto it = head.cbegin(); it != head.cend(); ++it) {
      for (const QString& name : {it.key(), it.key() + QStringLiteral("_P1")})
        if (out.hasBookmark(name)) out.setBookmarkText(name, it.value());
    }
    out.saveAs(invoice);
  } catch (const ooxml::OoxmlError& e) {
    say(QStringLiteral("La facture n'a pas pu être créée : ") + e.message());
    return Outcome::Failed;
  } catch (const db::DbError& e) {
    say(QStringLiteral("La facture n'a pas pu être créée : ") + e.description());
    return Outcome::Failed;
  }
  m_invoice = invoice;
  if (m_state.openDocument) m_state.openDocument(invoice);
  return Outcome::Made;
}

}  // namespace tarovent::reports
