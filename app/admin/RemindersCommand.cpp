// reminders DIR [--rep CODE]: the reminder list as the reminders window shows it, one row a
// line, its cells separated by tabs.
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "clients/Reminders.h"
#include "core/ProcessState.h"
#include "install/DemoRecalc.h"
#include "install/Installer.h"

using namespace tarovent;

int runRemindersCommand(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList rest = args;
  QString rep;
  const int at = rest.indexOf(QStringLiteral("--rep"));
  if (at >= 0) {
    if (at + 1 >= rest.size()) rest.clear();
    rep = rest.value(at + 1);
    rest.remove(at, std::min<qsizetype>(2, rest.size() - at));
  }
  if (rest.size() != 1 || rest.first().startsWith(QStringLiteral("--"))) {
    err << "Utilisation : tarovent-admin reminders DOSSIER [--rep CODE]\n";
    return 2;
  }
  admin::PrintingFunnel funnel(out);
  core::ProcessState state(funnel);
  state.workingFolder = install::familyLayout(rest.first()).workingFolder;
  if (!install::openFamilyForRecalculation(state)) {
    err << "La famille " << rest.first() << " ne peut pas être ouverte.\n";
    return 1;
  }
  core::BaseEntry& commercial = state.base(core::entry::Commercial);
  db::Database& clients = commercial.open() ? commercial.db : state.mainDb();
  for (const QStringList& row : clients::reminderRows(state.mainDb(), clients, rep))
    out << row.join('\t') << '\n';
  return 0;
}
