#include "SystemMailOpener.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

#include "EmlDraft.h"

namespace tarovent::mail {

SystemMailOpener::SystemMailOpener(QString workingFolder, ProgramRunner run)
    : m_workingFolder(std::move(workingFolder)), m_run(std::move(run)) {}

QStringList SystemMailOpener::xdgEmailArguments(const NewMail& mail) {
  QStringList args;
  if (!mail.subject.isEmpty()) args << "--subject" << mail.subject;
  for (const QString& file : mail.attachments) args << "--attach" << file;
  if (!mail.to.trimmed().isEmpty()) args << mail.to.trimmed();
  return args;
}

MailResult SystemMailOpener::open(const NewMail& mail) {
  MailResult result;
  if (m_run(QStringLiteral("xdg-email"), xdgEmailArguments(mail))) {
    result.outcome = MailOutcome::Composer;
    return result;
  }
  result.draft = writeEmlDraft(mail, m_workingFolder, &result.detail);
  if (result.draft.isEmpty()) return result;
  if (m_run(QStringLiteral("xdg-open"), {result.draft})) result.outcome = MailOutcome::DraftOpened;
  return result;
}

bool SystemMailOpener::runProgram(const QString& program, const QStringList& args) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return false;
  auto* process = new QProcess(QCoreApplication::instance());
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process->start(program, args);
  if (!process->waitForStarted(5000)) {
    delete process;
    return false;
  }
  // Some composers keep the launcher waiting while they are open: still running after a
  // while counts as shown, and the process is left to end by itself.
  if (!process->waitForFinished(8000)) {
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
  }
  const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
  delete process;
  return ok;
}

}  // namespace tarovent::mail
