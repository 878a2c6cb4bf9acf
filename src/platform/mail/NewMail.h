#pragma once

#include <QString>
#include <QStringList>

namespace tarovent::mail {

// A mail for the user to complete and send himself: the program never sends it.
struct NewMail {
  QString to;
  QString subject;
  QStringList attachments;  // file paths
};

// How a new mail reached the user.
enum class MailOutcome {
  Composer,     // the workstation's mail composer shows it
  DraftOpened,  // an .eml draft was written and opened with the workstation's program
  Failed,       // neither: `draft` names the draft when one could be written
};

struct MailResult {
  MailOutcome outcome = MailOutcome::Failed;
  QString draft;   // path of the .eml draft, when one was written
  QString detail;  // why it failed (a file that cannot be read, a folder not writable)
};

// Opens new mails on the workstation. Windows reach it through the process state; tests give a
// recording one.
class MailOpener {
 public:
  virtual ~MailOpener() = default;
  virtual MailResult open(const NewMail& mail) = 0;
};

// Records the mails it is asked to open, opens nothing.
class RecordingMailOpener : public MailOpener {
 public:
  MailResult open(const NewMail& mail) override {
    m_mails.append(mail);
    return m_result;
  }
  const QList<NewMail>& mails() const { return m_mails; }
  void setResult(const MailResult& r) { m_result = r; }

 private:
  QList<NewMail> m_mails;
  MailResult m_result{MailOutcome::Composer, {}, {}};
};

}  // namespace tarovent::mail
