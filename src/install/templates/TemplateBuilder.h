#pragma once

#include <QString>
#include <QStringList>

namespace tarovent::templates {

// The quote-type templates of a new installation and of the demo.
enum class QuoteTemplateKind {
  Standard,            // code, designation, quantity, unit, prices, discount, net amount
  WithVat,             // the same with a VAT-rate column and two VAT totals
  WithWeightsAndCosts,  // weights, cost prices and margins
  // The standard columns; above them a text zone (ZTXT, texts typed at WTXT), under them a
  // labour table (WMDO) and a parts table (WPIE): the grouped import of a calculation sheet.
  Grouped
};

// Column codes of a kind's header row, in order.
QStringList templateColumns(QuoteTemplateKind kind);

// Head-of-document bookmarks every quote template carries.
QStringList headBookmarks();

// Writes the empty template VIDE.dotx (one empty paragraph). Throws ooxml::OoxmlError.
void buildEmptyTemplate(const QString& path);

// Writes a quote template: head bookmarks, the header table with the column bookmarks, an
// empty line table (two for Grouped), the totals table, NUMDEV_P2/DATDEV_P2 in the header of the following
// pages, DESCRHT, DESCRTHT and OPTIONS. Throws ooxml::OoxmlError.
void buildQuoteTemplate(const QString& path, QuoteTemplateKind kind);

// Writes the pro-forma invoice template FACPROF.dotx: the client's head, DEBTEXTE and FINTEXTE
// around the place of the quote's text, the totals with VAT and in the second currency, and
// NUMDEV_P1/DATFACT_P1 in the running head. Throws ooxml::OoxmlError.
void buildProFormaTemplate(const QString& path);

}  // namespace tarovent::templates
