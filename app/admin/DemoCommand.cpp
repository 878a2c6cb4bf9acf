#include <QElapsedTimer>
#include <QTextStream>
#include <stdexcept>

#include "AdminCommand.h"
#include "install/DemoFamily.h"

using namespace tarovent;

int runDemoCommand(const QStringList& args) {
  QTextStream err(stderr);
  QStringList rest = args;
  install::DemoSize size = install::DemoSize::Small;
  bool sizeOk = true;
  if (const int at = rest.indexOf("--size"); at >= 0) {
    const QString value = rest.value(at + 1);
    if (value == "large")
      size = install::DemoSize::Large;
    else if (value != "small")
      sizeOk = false;
    rest.remove(at, std::min<qsizetype>(2, rest.size() - at));
  }
  QString server;
  if (!takeServerOption(rest, QStringLiteral("--server"), &server) || !sizeOk ||
      rest.size() != 1) {
    err << "Utilisation : tarovent-admin demo DOSSIER [--size small|large] [--server URL]\n";
    return 2;
  }
  try {
    QElapsedTimer timer;
    timer.start();
    const auto s = install::buildDemoFamily(rest.first(), size);
    QTextStream(stdout) << "Famille de démonstration créée dans " << s.layout.root << " en "
                        << QString::number(timer.elapsed() / 1000.0, 'f', 1)
                        << " s : " << s.companies << " sociétés, " << s.clients << " clients, "
                        << s.articles << " articles dont " << s.manufactured << " fabriqués, "
                        << s.tariffLines << " lignes de tarif, " << s.dossiers << " dossiers, "
                        << s.versions << " versions, " << s.documents << " documents.\n";
    return server.isEmpty() ? 0 : copyFamilyToServer(s.layout.root, server);
  } catch (const std::exception& e) {
    err << QString::fromStdString(e.what()) << '\n';
    return 1;
  }
}
