#include <QTextStream>
#include <stdexcept>

#include "AdminCommand.h"
#include "install/ServerMigration.h"

using namespace tarovent;

int copyFamilyToServer(const QString& root, const QString& conninfo) {
  QTextStream out(stdout);
  const install::MigrationReport report = install::migrateFamily(root, conninfo);
  qint64 rows = 0;
  for (const install::CopiedTable& t : report.tables) {
    out << t.schema << '.' << t.table << " : " << t.source << " ligne(s) lue(s), " << t.copied
        << " sur le serveur" << (t.source == t.copied ? "" : "   <- ÉCART") << '\n';
    rows += t.copied;
  }
  if (!report.ok()) {
    QTextStream(stderr) << "Les comptes diffèrent : rien n'a été écrit sur le serveur.\n";
    return 1;
  }
  install::nameServer(root, conninfo);
  out << report.tables.size() << " tables, " << rows << " lignes, " << report.queries
      << " requêtes enregistrées et " << report.counters
      << " compteurs copiés ; milostar.ini nomme le serveur.\n";
  return 0;
}

// Takes "--server URL" (or `option`) out of `args`; false when the option lacks its value.
bool takeServerOption(QStringList& args, const QString& option, QString* url) {
  const qsizetype at = args.indexOf(option);
  if (at < 0) return true;
  if (at + 1 >= args.size()) return false;
  *url = args.at(at + 1);
  args.remove(at, 2);
  return true;
}

int runMigrateCommand(const QStringList& args) {
  QStringList rest = args;
  QString url;
  if (!takeServerOption(rest, QStringLiteral("--to"), &url) || url.isEmpty() || rest.size() != 1) {
    QTextStream(stderr) << "Utilisation : tarovent-admin migrate DOSSIER --to URL\n";
    return 2;
  }
  try {
    return copyFamilyToServer(rest.first(), url);
  } catch (const std::runtime_error& e) {
    QTextStream(stderr) << QString::fromStdString(e.what()) << '\n';
    return 1;
  }
}
