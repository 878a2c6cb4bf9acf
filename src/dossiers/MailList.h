#pragma once

#include <QWidget>

#include "QuoteMailing.h"

class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::dossiers {

// FMAILS: the mails the program opened for the contact address the dossier workspace handed
// over (ProcessState::mailListAddress), latest first. A new mail, the same mail again with its
// attachment, the attachment opened, a line forgotten.
class MailList : public QWidget {
  Q_OBJECT
 public:
  explicit MailList(core::ProcessState& state, QWidget* parent = nullptr);
  void reload();
  void newMail();
  void reopen();
  void openAttachment();
  void forget();

 private:
  const MailEntry* current() const;

  core::ProcessState& m_state;
  QuoteMailing m_mailing;
  QString m_address;
  QList<MailEntry> m_entries;
  QTableWidget* m_table;
};

}  // namespace tarovent::dossiers
