#pragma once

#include <QString>

namespace tarovent::core {

class ProcessState;

// What the start-up sequence asks of the main window; the command-line check leaves them all
// as they are.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  virtual void placeMainWindow() {}
  virtual void openHelp() {}
  virtual void translateMainMenu() {}
  virtual void hideMenuEntry(const QString& /*name*/) {}
  virtual void setCaption(const QString& /*caption*/) {}
  virtual void showHome() {}
};

enum class StartupResult { Continue, End };

// The program's version as the database records it: major.minor ("9.5").
QString programVersion();
// The main menu caption with version, data folder, sales representative and company.
QString mainCaption(const QString& base, const QString& dataFolderName, const QString& salesRep);

// Mark-documentation-seen: sets TPAR_DOCINIT in the parameters record, so that the help no
// longer opens at start. False (nothing changed) when the record cannot be written.
bool Marquer_Documentation_Vue(ProcessState& state);

// Runs the start-up sequence from the configuration file to the documents folder. The working
// folder of `state` must be set. End means the program must stop (its message has been shown).
StartupResult runStartup(ProcessState& state, StartupHost& host);

}  // namespace tarovent::core
