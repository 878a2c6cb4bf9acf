#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <utility>

#include "QuoteVersions.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::dossiers {

// The pages the user asked for: the whole document, or the range typed in the two page boxes.
struct PdfPages {
  bool range = false;
  QString first, last;
  // The range as exported: an empty first box gives page 1, an empty last box page 99.
  std::pair<int, int> numbers() const;
};

// The PDF beside a document: the file name in upper case with its last "." turned into "_",
// then ".PDF" ("00012_00.AB" gives "00012_00_AB.PDF"); the folder stays as it is. The result
// never names the document itself, whatever the case of the company code.
QString pdfPathFor(const QString& documentPath);

// A mail the program opened, as TMP_MAIL keeps it.
struct MailEntry {
  long number = 0;
  QDateTime date;
  QString to, subject, attachment;
};

// Sends a quote version to the client's contact: the PDF export of its document and a new mail
// with the PDF attached, displayed for the user to send. Each mail opened is kept in TMP_MAIL,
// the list the mail list window shows.
class QuoteMailing {
 public:
  enum class Outcome {
    NoVersion,     // beeped
    NoDocument,    // said so; the caller focuses the composition button
    Busy,          // an export is already running: beeped
    ExportFailed,  // said why
    MailFailed,    // the PDF exists, the mail could not be opened: said why
    Mailed,
  };
  explicit QuoteMailing(core::ProcessState& state);

  // Exports the version's document (sequence < 0: none) with the waiting messages shown and the
  // event loop turning, then opens the mail to `to` (possibly empty).
  Outcome exportAndMail(const DossierKey& dossier, int sequence, const QString& to,
                        const PdfPages& pages);
  // A new mail to `to` with an empty subject; nothing when `to` is empty.
  bool newMail(const QString& to);
  // Opens again a mail of the list, with its attachment when the file is still there.
  bool reopen(const MailEntry& entry);
  // The mails opened for `to` (case ignored), latest first; and forgetting one of them.
  QList<MailEntry> mailsTo(const QString& to);
  void forget(long number);
  // The PDF of the last export that succeeded.
  const QString& lastPdf() const { return m_lastPdf; }

 private:
  bool openMail(const QString& to, const QString& subject, const QString& attachment);
  void record(const QString& to, const QString& subject, const QString& attachment);

  core::ProcessState& m_state;
  QString m_lastPdf;
  bool m_running = false;
};

}  // namespace tarovent::dossiers
