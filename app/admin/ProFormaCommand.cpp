// proforma DIR QUOTE --vat RATE [--with-text] [--answers ...]: the pro-forma invoice of a quote,
// as the FACPROF window makes it; the messages shown, then the invoice's path on the last line.
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "core/ProcessState.h"
#include "install/DemoRecalc.h"
#include "install/Installer.h"
#include "reports/ProForma.h"

using namespace tarovent;

int runProFormaCommand(const QStringList& argsIn) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = argsIn;
  QStringList positional, answers;
  QString vat;
  bool withText = false;
  bool vatGiven = false;
  while (!args.isEmpty()) {
    const QString a = args.takeFirst();
    if (a == "--vat" && !args.isEmpty()) {
      vat = args.takeFirst();
      vatGiven = true;
    } else if (a == "--with-text") {
      withText = true;
    } else if (a == "--answers" && !args.isEmpty()) {
      answers = args.takeFirst().split(',', Qt::SkipEmptyParts);
    } else if (a.startsWith("--")) {
      positional.clear();
      break;
    } else {
      positional << a;
    }
  }
  if (positional.size() != 2 || !vatGiven) {
    err << "Utilisation : tarovent-admin proforma DOSSIER DEVIS --vat TAUX [--with-text] "
           "[--answers oui,non,...]\n";
    return 2;
  }
  admin::AnsweringFunnel funnel(out, answers);
  core::ProcessState state(funnel);
  state.workingFolder = install::familyLayout(positional[0]).workingFolder;
  if (!install::openFamilyForRecalculation(state)) {
    err << "La famille " << positional[0] << " ne peut pas être ouverte.\n";
    return 1;
  }
  // Without a window, several templates resolve to the first by name.
  reports::ProForma proForma(state,
                             [&out](const QStringList& templates, const QString&, const QString&) {
                               out << "Modèle retenu : " << templates.first() << '\n';
                               return templates.first();
                             });
  const reports::ProForma::Outcome outcome = proForma.make({positional[1], vat, withText});
  out.flush();
  if (outcome != reports::ProForma::Outcome::Made &&
      outcome != reports::ProForma::Outcome::KeptExisting)
    return 1;
  out << proForma.invoicePath() << '\n';
  return 0;
}
