#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include "AdminCommand.h"
#include "platform/db/DbError.h"

namespace {

struct Verb {
  std::function<int(const QStringList&)> run;
  const char* usage;
};

const std::map<QString, Verb>& verbs() {
  static const std::map<QString, Verb> table = {
      {"doc",
       {runDocCommand,
        "doc inspect FICHIER   structure d'un document en JSON\n"
        "  tarovent-admin doc pdf FICHIER [--pages PREMIERE-DERNIERE]   exporte le document en "
        "PDF"}},
      {"init",
       {runInitCommand,
        "init DOSSIER [--siblings] [--server URL]   crée une installation vide (ses bases "
        "sur le serveur PostgreSQL URL)"}},
      {"demo",
       {runDemoCommand,
        "demo DOSSIER [--size small|large] [--server URL]   crée une famille de démonstration"}},
      {"migrate",
       {runMigrateCommand,
        "migrate DOSSIER --to URL   copie les bases d'une famille sur un serveur PostgreSQL"}},
      {"compose",
       {runComposeCommand,
        "compose DOSSIER FICHIER [--type CODE | --quote NUMDOSS NSEQ] --script SCRIPT   "
        "exécute des commandes de composition"}},
      {"import",
       {runImportCommand,
        "import DOSSIER DEVIS CLASSEUR --sheet FEUILLE --presentation X|M|A|B|C "
        "[--cursor TABLEAU LIGNE] [--answers oui,non,...]   importe les lignes d'un classeur"}},
      {"check", {runCheckCommand, "check DOSSIER   contrôles du démarrage, sans fenêtre"}},
      {"compare",
       {runCompareCommand,
        "compare DOSSIER DEVIS1 DEVIS2   lignes ajoutées (+), retirées (-), modifiées (~) et "
        "totaux nets"}},
      {"guard",
       {runGuardCommand,
        "guard DOSSIER DEVIS   lignes vendues sous leur prix de revient ou leur prix plancher, "
        "taux de marge sous le seuil"}},
      {"index", {runIndexCommand, "index DOSSIER   reconstruit la mémoire des prix des clients"}},
      {"dossier",
       {runDossierCommand,
        "dossier new DOSSIER --company CODE --client CODE --type CODE [--summary TEXTE] "
        "[--contact NOM] [--rep CODE]   crée un dossier\n"
        "  tarovent-admin dossier renumber DOSSIER   relève les compteurs de dossiers"}},
      {"proforma",
       {runProFormaCommand,
        "proforma DOSSIER DEVIS --vat TAUX [--with-text] [--answers oui,non,...]   facture "
        "pro forma d'un devis (00012_00.AB)"}},
      {"report",
       {runReportCommand,
        "report DOSSIER FRENTA [--from JJ/MM/AAAA] [--to JJ/MM/AAAA] [--client C] "
        "[--category C] [--rep C] [--type T] [--user1 V] [--user2 V] [--won|--lost|--all] "
        "[--pdf FICHIER]   statistiques des devis\n"
        "  tarovent-admin report DOSSIER FLSTAFF --from JJ/MM/AAAA --to JJ/MM/AAAA "
        "[--work-type T]   prix de revient comparés des affaires terminées"}},
      {"reminders",
       {runRemindersCommand,
        "reminders DOSSIER [--rep CODE]   liste des relances échues, une par ligne"}},
      {"sql",
       {runSqlCommand, "sql [--create] FICHIER INSTRUCTION...   exécute du SQL Jet sur une base"}},
  };
  return table;
}

int usage() {
  QTextStream err(stderr);
  err << "Utilisation : tarovent-admin VERBE ARGUMENTS...\n";
  for (const auto& [name, verb] : verbs()) err << "  tarovent-admin " << verb.usage << "\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Reports paint their pages with fonts: a GUI application, on no screen.
  const bool painting = argc > 1 && QByteArray(argv[1]) == "report";
  if (painting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app = painting
                                              ? std::make_unique<QGuiApplication>(argc, argv)
                                              : std::make_unique<QCoreApplication>(argc, argv);
  QStringList args = app->arguments().mid(1);
  if (args.isEmpty()) return usage();
  const QString verb = args.takeFirst();
  auto it = verbs().find(verb);
  if (it == verbs().end()) return usage();
  try {
    return it->second.run(args);
  } catch (const tarovent::db::DbError& e) {
    QTextStream(stderr) << "Erreur de la base de données : " << e.description() << "   Err. n° "
                        << e.number() << "\n";
  } catch (const std::exception& e) {
    QTextStream(stderr) << "Erreur : " << QString::fromLocal8Bit(e.what()) << "\n";
  }
  return 1;
}
