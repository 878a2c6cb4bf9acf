#pragma once

#include <QStringList>

// Each verb of tarovent-admin is one function: it receives the arguments that follow the verb,
// prints what it has to say and returns the process exit status.
int runSqlCommand(const QStringList& args);
int runInitCommand(const QStringList& args);
int runCheckCommand(const QStringList& args);
int runRecalcCommand(const QStringList& args);
int runDocCommand(const QStringList& args);
int runDemoCommand(const QStringList& args);
int runDossierCommand(const QStringList& args);
int runComposeCommand(const QStringList& args);
int runProFormaCommand(const QStringList& args);
int runReportCommand(const QStringList& args);
int runImportCommand(const QStringList& args);
int runGuardCommand(const QStringList& args);
int runCompareCommand(const QStringList& args);
int runIndexCommand(const QStringList& args);
int runMigrateCommand(const QStringList& args);

// Copies the family in `root` into the server and names it in milostar.ini, printing the
// tables' counts; 0 when every count matched (nothing is written otherwise).
int copyFamilyToServer(const QString& root, const QString& conninfo);
// Takes `option` and its value out of `args`; false when the value is missing.
bool takeServerOption(QStringList& args, const QString& option, QString* url);
int runRemindersCommand(const QStringList& args);
