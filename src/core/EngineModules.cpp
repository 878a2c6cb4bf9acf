#include "EngineModules.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "platform/db/Database.h"

namespace tarovent::core {

void splitVersion(const QString& full, QString& version, QString& build) {
  const QStringList parts = full.split('.');
  version = parts.value(0, "0") + '.' + parts.value(1, "0");
  build = parts.value(2, "0") + '.' + parts.value(3, "0");
}

QList<EngineModule> loadedEngineModules() {
  QList<EngineModule> modules;
  const db::EngineLibrary engine = db::engineLibrary();
  EngineModule sqlite;
  sqlite.path = engine.path;
  splitVersion(engine.builtVersion, sqlite.expectedVersion, sqlite.expectedBuild);
  splitVersion(engine.loadedVersion, sqlite.foundVersion, sqlite.foundBuild);
  modules << sqlite;

  EngineModule layer;
  layer.path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                            : QStringLiteral("/proc/self/exe");
  splitVersion(QStringLiteral(TAROVENT_PROGRAM_VERSION), layer.expectedVersion,
               layer.expectedBuild);
  splitVersion(db::layerVersion(), layer.foundVersion, layer.foundBuild);
  modules << layer;
  return modules;
}

bool checkEngineModules(const QList<EngineModule>& modules, const QString& logPath,
                        ui::MessageFunnel& messages) {
  QFile log(logPath);
  const bool logged = log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
  QTextStream out(&log);
  if (logged) {
    out << QStringLiteral("Contrôle des Version de modules pour l'accès aux bases de données\n");
    out << QString(66, '-') << "\n \n";
  }
  for (const EngineModule& m : modules) {
    if (m.foundVersion.isEmpty()) continue;
    if (m.foundVersion != m.expectedVersion) {
      if (logged) log.close();
      messages.show(messages.tr("Le module d'accès aux données ") + m.path +
                        messages.tr(" n'a pas la bonne version") + "\n" +
                        messages.tr(" Version attendue ") + m.expectedVersion +
                        messages.tr("     Version rencontrée ") + m.foundVersion + "\n" +
                        messages.tr(" Le programme ne peut continuer sous peine d'endommager "
                                    "gravement vos données"),
                    ui::Icon::Critical);
      return false;
    }
    if (m.foundBuild != m.expectedBuild && logged)
      out << m.path << " : version " << m.foundVersion << '.' << m.foundBuild << " au lieu de "
          << m.expectedVersion << '.' << m.expectedBuild << '\n';
  }
  if (logged) out << QString(81, '-') << '\n';
  return true;
}

}  // namespace tarovent::core
