#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <stdexcept>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "core/ProcessState.h"
#include "core/Startup.h"
#include "install/Installer.h"

using namespace tarovent;

using admin::PrintingFunnel;

int runInitCommand(const QStringList& args) {
  QTextStream err(stderr);
  QStringList rest = args;
  const bool siblings = rest.removeAll("--siblings") > 0;
  QString server;
  if (!takeServerOption(rest, QStringLiteral("--server"), &server) || rest.size() != 1) {
    err << "Utilisation : tarovent-admin init DOSSIER [--siblings] [--server URL]\n";
    return 2;
  }
  try {
    const auto layout = install::initFamily(rest.first(), siblings);
    QTextStream(stdout) << "Installation créée dans " << layout.root << '\n';
    return server.isEmpty() ? 0 : copyFamilyToServer(layout.root, server);
  } catch (const std::exception& e) {
    err << QString::fromStdString(e.what()) << '\n';
    return 1;
  }
}

int runCheckCommand(const QStringList& args) {
  QTextStream out(stdout);
  if (args.size() != 1) {
    QTextStream(stderr) << "Utilisation : tarovent-admin check DOSSIER\n";
    return 2;
  }
  const auto layout = install::familyLayout(args.first());
  if (!QFileInfo(layout.workingFolder).isDir()) {
    QTextStream(stderr) << "Dossier de travail " << layout.workingFolder << " introuvable.\n";
    return 1;
  }
  PrintingFunnel funnel(out);
  core::ProcessState state(funnel);
  state.workingFolder = layout.workingFolder;
  state.programFolder = QCoreApplication::applicationDirPath() + '/';
  core::StartupHost host;
  const QFileInfo catalogue(layout.root + "DBPATH.MDB");
  if (catalogue.isFile() && (!catalogue.isWritable() || !QFileInfo(layout.root).isWritable()))
    out << "Le catalogue des bases de données " << catalogue.filePath()
        << " est en lecture seule : il est lu sans être modifié.\n";
  const auto result = core::runStartup(state, host);
  const bool ok = result == core::StartupResult::Continue;
  out << (ok ? "OK" : "FIN") << '\n';
  return ok ? 0 : 1;
}
