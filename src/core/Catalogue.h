#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "EngineModules.h"
#include "ProcessState.h"
#include "platform/db/Recordset.h"

namespace tarovent::core {

class ProcessState;

// Locates the family's databases through the catalogue DBPATH.MDB and opens them.
class Catalogue {
 public:
  explicit Catalogue(ProcessState& state) : m_s(state) {}

  // The family folder: the parent of the working folder.
  QString familyFolder() const;

  // Fills Table_Bases; false when the program must end (message shown).
  bool Lire_Catalogue();
  // Checks the engine modules, opens the listed databases, rebuilds BDLOC.MDB and loads the
  // translations. `fatal` is set when the program must end.
  bool Ouvrir_Bases(bool& fatal);
  // Opens the stock tables on demand; false (message shown) when they cannot be used.
  bool Ouvrir_Stock();
  // Entry `n` read from the catalogue alone, for a database the start-up leaves aside (the
  // purchasing one): its folder and file when the catalogue names it and the file is there, an
  // entry not present otherwise. Nothing is shown; db::DbError when the catalogue is unreadable.
  BaseEntry lookUp(int n) const;

  // The bases each workstation keeps for itself, on a server schemas of their own: the file
  // name's schema -> this workstation's (user, machine and working folder).
  static QHash<QString, QString> workstationBases(const QString& workingFolder);

  // Modules checked by Ouvrir_Bases; tests replace them.
  void setEngineModules(QList<EngineModule> modules) {
    m_modules = std::move(modules);
    m_modulesSet = true;
  }

 private:
  // Takes the working folder for this process; false (message shown) when another instance
  // holds it or the folder cannot be written.
  bool lockWorkingFolder(const QString& workBase);
  // When milostar.ini names a server, the family's databases are opened there from now on.
  void useFamilyServer();
  // False when some of the work base could not be removed (file protected or held).
  bool removeWorkBase(const QString& path);
  // Says once at start that the family's files lie on a network share, and what to do instead.
  void noticeNetworkShare();
  // Looks entry `n` up in the catalogue table Lire_Catalogue holds open and checks its file;
  // false when the folder is set and the file is missing (message shown).
  bool Controle_Base(int n, QString& folder, QString& file);

  ProcessState& m_s;
  db::Recordset* m_tpath = nullptr;
  QList<EngineModule> m_modules;
  bool m_modulesSet = false;
};

}  // namespace tarovent::core
