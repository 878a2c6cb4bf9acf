// dossier new DIR ... : creates a dossier as the workspace's first save does.
// dossier renumber DIR : brings the company counters up to the stored dossiers.
#include <QFileInfo>
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "core/Catalogue.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "dossiers/DossierCreation.h"
#include "dossiers/DossierNumbering.h"
#include "install/Installer.h"
#include "platform/db/DbError.h"

using namespace tarovent;

namespace {

// Opens the main database of the family in `root` and the one holding its clients; the
// workstation's own files are left alone, so that several commands can run at once.
bool openFamily(core::ProcessState& state, const QString& root, QTextStream& err) {
  state.workingFolder = install::familyLayout(root).workingFolder;
  if (!QFileInfo(state.workingFolder).isDir()) {
    err << "Dossier de travail " << state.workingFolder << " introuvable.\n";
    return false;
  }
  core::Catalogue catalogue(state);
  if (!catalogue.Lire_Catalogue()) return false;
  for (int n : {core::entry::Main, core::entry::Commercial}) {
    core::BaseEntry& b = state.base(n);
    if (!b.present()) continue;
    try {
      b.db = state.workspace.OpenDatabase(core::localPath(b.path()));
    } catch (const db::DbError& e) {
      err << "La base de données " << b.path() << " est inaccessible : " << e.description() << '\n';
      return false;
    }
  }
  if (!state.base(core::entry::Main).open()) {
    err << "La base de données principale est introuvable.\n";
    return false;
  }
  return true;
}

db::Database& clientDatabase(core::ProcessState& state) {
  core::BaseEntry& commercial = state.base(core::entry::Commercial);
  return commercial.open() ? commercial.db : state.mainDb();
}

int usage() {
  QTextStream(stderr)
      << "Utilisation : tarovent-admin dossier new DOSSIER --company CODE --client CODE --type "
         "CODE [--summary TEXTE] [--contact NOM] [--rep CODE]\n"
         "              tarovent-admin dossier renumber DOSSIER\n";
  return 2;
}

int newDossier(const QStringList& argsIn) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = argsIn;
  dossiers::NewDossier d;
  QStringList positional;
  while (!args.isEmpty()) {
    const QString a = args.takeFirst();
    QString* target = a == "--company"   ? &d.company
                      : a == "--client"  ? &d.client
                      : a == "--type"    ? &d.type
                      : a == "--summary" ? &d.summary
                      : a == "--contact" ? &d.contact
                      : a == "--rep"     ? &d.rep
                                         : nullptr;
    if (target) {
      if (args.isEmpty()) return usage();
      *target = args.takeFirst();
    } else if (a.startsWith("--")) {
      return usage();
    } else {
      positional << a;
    }
  }
  if (positional.size() != 1) return usage();
  admin::PrintingFunnel funnel(out);
  core::ProcessState state(funnel);
  if (!openFamily(state, positional.first(), err)) return 1;
  try {
    dossiers::DossierCreation creation(state.mainDb(), clientDatabase(state), funnel);
    const auto result = creation.create(d);
    if (!result.saved()) {
      out << result.refusal << '\n';
      return 1;
    }
    out << d.company.trimmed().toUpper() << ' '
        << QStringLiteral("%1").arg(result.number, 5, 10, QLatin1Char('0')) << '\n';
    return 0;
  } catch (const db::DbError& e) {
    out << e.description() << "   Err. n° " << e.number() << '\n';
    return 1;
  }
}

int renumber(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  if (args.size() != 1) return usage();
  admin::PrintingFunnel funnel(out);
  core::ProcessState state(funnel);
  if (!openFamily(state, args.first(), err)) return 1;
  try {
    const auto changes = dossiers::Recalcul_Numeros(state.mainDb());
    for (const auto& c : changes) out << c.company << ' ' << c.before << " -> " << c.after << '\n';
    if (changes.isEmpty()) out << "Aucun compteur à relever.\n";
    return 0;
  } catch (const db::DbError& e) {
    out << e.description() << "   Err. n° " << e.number() << '\n';
    return 1;
  }
}

}  // namespace

int runDossierCommand(const QStringList& argsIn) {
  QStringList args = argsIn;
  if (args.isEmpty()) return usage();
  const QString sub = args.takeFirst();
  if (sub == "new") return newDossier(args);
  if (sub == "renumber") return renumber(args);
  return usage();
}
