#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

#include "ui/MessageFunnel.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::word {
class WordDocument;
}
namespace tarovent::articles {
class ArticleFiles;
}

namespace tarovent::composition {

// How the unit prices change before the amounts are computed (0: they do not).
struct Adjustment {
  int mode = 0;
  double materials = 0, unitComponents = 0, labour = 0, specialSupplies = 0;  // mode 1, %
  double forcedAmount = 0;                                                    // mode 3
  double majoration = 0;                                                      // mode 5, %
  QString materialsPrice = QStringLiteral("PV1");  // mode 4: PV1, PV2 or PDR
  QString labourPrice = QStringLiteral("PV");      // mode 4: PV or PDR
};

// The adjustment window's choice made into an adjustment: option 0 (percentages by family),
// 1 (one percentage for all), 2 (cost prices), 3 (forced amount), 4 (base prices), 5
// (majoration). Blank percentages count as 0. Nothing, after its message, for a blank forced
// amount.
std::optional<Adjustment> Valider_Ajustement(int option, const QStringList& percents,
                                             const QString& amount, ui::MessageFunnel& messages);

// One line row of the document as the recalculation reads it.
struct WorkLine {
  int num = 0;
  int table = 0;  // 1 = first line table
  int docTable = 0;
  int row = 0;
  QString code;
  QString supplier;
  QString type;  // A, F, N, M or empty
  int level = 0;
  double qty = 0;
  QString unit;
  double pdr = 0, pubrut = 0, pcrem = 0, punet = 0, mtbrut = 0, mtnet = 0, mtrem = 0;
  double mtpdr = 0, poids = 0, poidstot = 0;
  QString txtva;
  double basePrice1 = 0, basePrice2 = 0;  // base selling prices found by the walk
  bool baseKnown = false;
  bool afterTotals = false;
};

// `Calcul_Ligne`: net price and amounts of a line from its quantity, prices and discount.
void Calcul_Ligne(WorkLine& l);

// `Ajuster_Prorata` for modes 1 and 3; returns the net total of the lines taken.
double Ajuster_Prorata(QVector<WorkLine>& lines, int lastTable, bool withOptions,
                       const Adjustment& a, bool& valuationZero);

struct RecalcOptions {
  bool fromQuote = false;  // opened from a quote version (else a quote-type template)
  QString vatField;        // the VAT rate of the quote version, as typed
  Adjustment adjustment;
  QChar decimalSeparator = QLatin1Char(',');
};

struct RecalcResult {
  bool completed = false;
  QMap<QString, QString> bookmarks;  // total bookmarks written, with their text
  double costMaterials = 0, costLabour = 0, hours = 0;
  double netTotal = 0, margin = 0;
  QString marginPercent;  // empty when the total cost is 0
};

// `Recalcul_Document`: recomputes every line of the line tables, rewrites their computed cells
// and writes the totals. Questions and messages go through the state's funnel.
RecalcResult Recalcul_Document(core::ProcessState& state, articles::ArticleFiles& files,
                               word::WordDocument& doc, const RecalcOptions& options);

// "Majoration du Total HT Net": `percentText` is what the user typed when asked for the
// percentage (empty: nothing changes). VAT is a fixed 20 % here. False when the document
// lacks the bookmarks it needs (message shown) or nothing was changed.
bool Majoration_Total(word::WordDocument& doc, ui::MessageFunnel& messages,
                      const QString& percentText, QChar decimalSeparator);

// Whether a type letter's descriptive texts go under the designation, and hidden or not.
struct DescriptionRule {
  bool text1 = false, text2 = false;
  bool hide1 = false, hide2 = false;
};

// "Maj des désignations": rewrites the designation cell of every stock article line with the
// article's current designation and descriptive texts; amounts are untouched. Returns the
// number of lines rewritten, -1 when the tables could not be located (message shown).
int Maj_Designations(core::ProcessState& state, articles::ArticleFiles& files,
                     word::WordDocument& doc, const QMap<QString, DescriptionRule>& rules);

}  // namespace tarovent::composition
