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
