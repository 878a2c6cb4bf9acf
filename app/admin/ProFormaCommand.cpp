// proforma DIR QUOTE --vat RATE [--with-text] [--answers ...]: the pro-forma invoice of a quote,
// as the FACPROF window makes it; the messages shown, then the invoice's path on the last line.
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "QuoteOpening.h"
#include "core/ProcessState.h"
#include "reports/ProForma.h"

using namespace tarovent;

int runProFormaCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  const std::optional<admin::VerbArguments> a =
      admin::splitArguments(args, {{"--vat", 1}, {"--with-text", 0}, {"--answers", 1}});
  if (!a || a->positional.size() != 2 || !a->has("--vat")) {
    err << "Utilisation : tarovent-admin proforma DOSSIER DEVIS --vat TAUX [--with-text] "
           "[--answers oui,non,...]\n";
    return 2;
  }
  const QStringList& positional = a->positional;
  admin::AnsweringFunnel funnel(out, a->value("--answers").split(',', Qt::SkipEmptyParts));
  core::ProcessState state(funnel);
  if (!admin::openFamily(state, positional[0], err)) return 1;
  // Without a window, several templates resolve to the first by name.
  reports::ProForma proForma(state,
                             [&out](const QStringList& templates, const QString&, const QString&) {
                               out << "Modèle retenu : " << templates.first() << '\n';
                               return templates.first();
                             });
  const reports::ProForma::Outcome outcome =
      proForma.make({positional[1], a->value("--vat"), a->has("--with-text")});
  out.flush();
  if (outcome != reports::ProForma::Outcome::Made &&
      outcome != reports::ProForma::Outcome::KeptExisting)
    return 1;
  out << proForma.invoicePath() << '\n';
  return 0;
}
