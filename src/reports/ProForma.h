#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::ooxml {
class Package;
}

namespace tarovent::reports {

// The totals of a pro-forma invoice: the quote's gross, discount and net amounts, the VAT at the
// rate typed for the invoice, and the net and total converted at the fixed franc rate.
struct ProFormaTotals {
  double gross = 0, discount = 0, net = 0, rate = 0;
  double vat = 0, withTax = 0, netSecond = 0, withTaxSecond = 0;
};
inline constexpr double kFrancRate = 6.55957;
ProFormaTotals proFormaTotals(double gross, double discount, double net, double rate);
// Bookmark name -> text, with the invoice's formats and decimal separator.
QMap<QString, QString> totalBookmarks(const ProFormaTotals& t, QChar decimalSeparator);

// "00012_00.AB" -> "00012.AB.PRF": the first five and the last three characters of the number.
QString invoiceFileName(const QString& quoteNumber);

// The head of the invoice from the quote's head values: the client's non-empty address parts
// go to ADR1, ADR2... without a gap; NUMDEV is the quote number, DATFACT the date.
QMap<QString, QString> invoiceHead(const QMap<QString, QString>& quoteHead,
                                   const QString& quoteNumber, const QDate& date);

// Copies the quote's text, the blocks after the one holding DEBTEXTE (NUMDEV when there is
// none) and before the one holding FINTEXTE (the totals table when there is none), into the
// invoice after its DEBTEXTE paragraph, without the quote's bookmarks or pictures. Returns the
// number of blocks carried; 0 when either document lacks its marks.
int carryQuoteText(const ooxml::Package& quote, ooxml::Package& invoice);

// Choisir_Modele_Word: the templates of `folder` whose name begins with `prefix`.
QStringList wordTemplates(const QString& folder, const QString& prefix);

// Makes the pro-forma invoice of one quote: messages and questions through the process's
// funnel, the template chosen by `chooseTemplate` when there are several (empty: cancelled),
// the invoice shown through ProcessState::openDocument.
class ProForma {
 public:
  using TemplateChooser = std::function<QString(const QStringList& templates, const QString& folder,
                                                const QString& prefix)>;
  ProForma(core::ProcessState& state, TemplateChooser chooseTemplate);

  // Where the steps stopped.
  enum class Outcome { NoVat, NoDocument, NoTemplate, Cancelled, KeptExisting, Made, Failed };
  struct Request {
    QString quoteNumber;  // "00012_00.AB"
    QString vatText;      // the VAT box as typed
    bool withText = false;
  };
  Outcome make(const Request& request);
  // The invoice of the last run (kept or made).
  const QString& invoicePath() const { return m_invoice; }
  QString documentsFolder() const;

 private:
  core::ProcessState& m_state;
  TemplateChooser m_choose;
  QString m_invoice;
};

}  // namespace tarovent::reports
