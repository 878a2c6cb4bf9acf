#pragma once

#include <QStringList>
#include <functional>

#include "NewMail.h"

namespace tarovent::mail {

// Starts a program with its arguments; true when it did its work. The real one waits a while
// for the program and counts one still running as working (a composer stays open).
using ProgramRunner = std::function<bool(const QString& program, const QStringList& args)>;

// Opens the workstation's mail composer through xdg-email; when that fails, writes an .eml draft
// and opens it with the workstation's program for such files (xdg-open).
class SystemMailOpener : public MailOpener {
 public:
  // `workingFolder` holds the drafts of mails without attachment.
  explicit SystemMailOpener(QString workingFolder, ProgramRunner run = runProgram);
  MailResult open(const NewMail& mail) override;

  // The real runner: false when the program is missing, fails, or exits non-zero.
  static bool runProgram(const QString& program, const QStringList& args);
  // The arguments xdg-email takes for a mail.
  static QStringList xdgEmailArguments(const NewMail& mail);

 private:
  QString m_workingFolder;
  ProgramRunner m_run;
};

}  // namespace tarovent::mail
