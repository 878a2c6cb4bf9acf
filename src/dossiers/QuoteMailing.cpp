#include "QuoteMailing.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "DocumentNames.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/os/PdfConverter.h"
#include "ui/BusyCursor.h"

namespace tarovent::dossiers {

std::pair<int, int> PdfPages::numbers() const {
  const auto page = [](const QString& box, int empty) {
    bool ok = false;
    const int n = box.trimmed().toInt(&ok);
    return box.trimmed().isEmpty() || !ok || n < 1 ? empty : n;
  };
  return {page(first, 1), page(last, 99)};
}

QString pdfPathFor(const QString& documentPath) {
  const QFileInfo doc(documentPath);
  QString name = doc.fileName().toUpper();
  const qsizetype dot = name.lastIndexOf('.');
  if (dot >= 0) name[dot] = '_';
  return QDir(doc.absolutePath()).filePath(name + QStringLiteral(".PDF"));
}

QuoteMailing::QuoteMailing(core::ProcessState& state) : m_state(state) {}

QuoteMailing::Outcome QuoteMailing::exportAndMail(const DossierKey& dossier, int sequence,
                                                  const QString& to, const PdfPages& pages) {
  ui::MessageFunnel& messages = m_state.messages();
  if (!dossier.present() || sequence < 0) {
    messages.beep();
    return Outcome::NoVersion;
  }
  if (m_running) {
    messages.beep();
    return Outcome::Busy;
  }
  const QuoteVersions versions(m_state);
  const QString document = versions.documentPath(dossier, sequence);
  if (!QFileInfo(document).isFile()) {
    messages.beep();
    messages.show(m_state.Traduire(QStringLiteral("Le texte du devis est introuvable.")),
                  ui::Icon::Warning);
    return Outcome::NoDocument;
  }
  if (!m_state.pdfConverter) {
    messages.show(os::libreOfficeMissingMessage(), ui::Icon::Warning);
    return Outcome::ExportFailed;
  }
  m_running = true;
  const QString pdf = pdfPathFor(document);
  os::PdfJob job{document, pdf, 0, 0};
  if (pages.range) std::tie(job.firstPage, job.lastPage) = pages.numbers();
  os::PdfOutcome converted;
  {
    ui::BusyCursor busy;
    m_state.showWaiting(m_state.Traduire(QStringLiteral("Génération du fichier PDF en cours ...")));
    converted = os::convertAndWait(*m_state.pdfConverter, job);
    m_state.showWaiting({});
  }
  m_running = false;
  if (!converted.ok) {
    messages.show(converted.message, ui::Icon::Critical);
    return Outcome::ExportFailed;
  }
  m_lastPdf = pdf;
  const QString subject = m_state.Traduire(QStringLiteral("Devis n° ")) +
                          Nom_Document(dossier.company, dossier.number, sequence);
  ui::BusyCursor busy;
  m_state.showWaiting(m_state.Traduire(QStringLiteral("Préparation du mail en cours ...")));
  const bool opened = openMail(to, subject, pdf);
  m_state.showWaiting({});
  return opened ? Outcome::Mailed : Outcome::MailFailed;
}

bool QuoteMailing::newMail(const QString& to) {
  if (to.trimmed().isEmpty()) return false;
  return openMail(to.trimmed(), {}, {});
}

bool QuoteMailing::reopen(const MailEntry& entry) {
  const bool attached = !entry.attachment.isEmpty() && QFileInfo(entry.attachment).isFile();
  return openMail(entry.to, entry.subject, attached ? entry.attachment : QString());
}

QList<MailEntry> QuoteMailing::mailsTo(const QString& to) {
  QList<MailEntry> list;
  db::Database& db = m_state.mainDb();
  if (!db.isOpen() || !db.hasTable(QStringLiteral("TMP_MAIL"))) return list;
  db::Recordset rs =
      db.OpenRecordset(QStringLiteral("SELECT * FROM TMP_MAIL WHERE TMAIL_ADRESSE = %1 "
                                      "ORDER BY TMAIL_DATE DESC, TMAIL_NUM DESC")
                           .arg(db::sqlLiteral(to.trimmed())),
                       db::RecordsetType::Snapshot);
  for (; !rs.EOF_(); rs.MoveNext())
    list.append({long(rs.number(QStringLiteral("TMAIL_NUM"))),
                 rs.value(QStringLiteral("TMAIL_DATE")).toDateTime(),
                 rs.text(QStringLiteral("TMAIL_ADRESSE")), rs.text(QStringLiteral("TMAIL_SUJET")),
                 rs.text(QStringLiteral("TMAIL_NAME"))});
  return list;
}

void QuoteMailing::forget(long number) {
  m_state.mainDb().Execute(QStringLiteral("DELETE FROM TMP_MAIL WHERE TMAIL_NUM = %1").arg(number));
}

bool QuoteMailing::openMail(const QString& to, const QString& subject, const QString& attachment) {
  if (!m_state.mail) return false;
  mail::NewMail mail{to.trimmed(), subject, {}};
  if (!attachment.isEmpty()) mail.attachments << attachment;
  const mail::MailResult r = m_state.mail->open(mail);
  // What follows is said over the window, not under the waiting message.
  m_state.showWaiting({});
  if (r.outcome == mail::MailOutcome::Failed && !r.draft.isEmpty()) {
    // No program could show it, but the mail is ready: the user sends it from his own.
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Aucune messagerie n'a pu être lancée sur ce poste. Le "
                                        "mail est prêt dans le fichier :")) +
            '\n' + r.draft + '\n' +
            m_state.Traduire(QStringLiteral("Ouvrez-le avec votre messagerie pour l'envoyer.")),
        ui::Icon::Information);
  } else if (r.outcome == mail::MailOutcome::Failed) {
    QString text = m_state.Traduire(QStringLiteral("Le mail n'a pas pu être préparé."));
    text += '\n' + (r.detail.isEmpty()
                        ? m_state.Traduire(QStringLiteral("Aucune messagerie n'a pu être lancée "
                                                          "et le brouillon n'a pas pu être écrit."))
                        : r.detail);
    m_state.messages().show(text, ui::Icon::Warning);
    return false;
  }
  record(to.trimmed(), subject, attachment);
  return true;
}

void QuoteMailing::record(const QString& to, const QString& subject, const QString& attachment) {
  // The list is a convenience: a database that refuses the row does not undo the mail.
  try {
    db::Database& db = m_state.mainDb();
    if (!db.isOpen() || !db.hasTable(QStringLiteral("TMP_MAIL"))) return;
    db::Recordset rs =
        db.OpenRecordset(QStringLiteral("SELECT * FROM TMP_MAIL"), db::RecordsetType::Dynaset);
    long next = 1;
    db::Recordset top = db.OpenRecordset(QStringLiteral("SELECT Max(TMAIL_NUM) AS N FROM TMP_MAIL"),
                                         db::RecordsetType::Snapshot);
    if (!top.EOF_()) next = long(top.number(QStringLiteral("N"))) + 1;
    rs.AddNew();
    rs.setValue(QStringLiteral("TMAIL_NUM"), qlonglong(next));
    rs.setValue(QStringLiteral("TMAIL_DATE"), QDateTime::currentDateTime());
    rs.setValue(QStringLiteral("TMAIL_ADRESSE"), to.left(255));
    rs.setValue(QStringLiteral("TMAIL_SUJET"), subject.left(255));
    rs.setValue(QStringLiteral("TMAIL_NAME"), attachment.left(255));
    rs.Update();
  } catch (const db::DbError&) {
  }
}

}  // namespace tarovent::dossiers
