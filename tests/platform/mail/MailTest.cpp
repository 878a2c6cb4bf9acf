#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/mail/EmlDraft.h"
#include "platform/mail/SystemMailOpener.h"

namespace tarovent::mail {
namespace {

// Parses a draft with Python's email package and prints what a mail program reads of it.
QString parsedByPython(const QString& eml) {
  const char* script = R"(
import sys, email, hashlib
from email import policy
m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=policy.default)
print('to=' + str(m['To'] or ''))
print('subject=' + str(m['Subject']))
print('unsent=' + str(m['X-Unsent']))
print('date=' + ('yes' if m['Date'] is not None and m['Date'].datetime is not None else 'no'))
parts = list(m.iter_attachments())
print('attachments=%d' % len(parts))
for p in parts:
    print('name=' + p.get_filename())
    print('type=' + p.get_content_type())
    print('sha=' + hashlib.sha256(p.get_payload(decode=True)).hexdigest())
print('defects=%d' % (len(m.defects) + sum(len(p.defects) for p in m.walk())))
)";
  QProcess python;
  python.start("python3", {"-c", QString::fromUtf8(script), eml});
  if (!python.waitForFinished(30000)) return "python3 did not answer";
  return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError());
}

QString sha256(const QByteArray& bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

class Mail : public ::testing::Test {
 protected:
  QString file(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QTemporaryDir m_dir;
};

TEST_F(Mail, DraftReadsBackWithRecipientAccentedSubjectAndTheAttachmentsBytes) {
  QByteArray pdf("%PDF-1.4\n");
  for (int i = 0; i < 5000; ++i) pdf.append(static_cast<char>(i * 7 % 256));  // every byte value
  const QString attachment = file(QString::fromUtf8("Devis été.PDF"), pdf);
  const QString subject = QString::fromUtf8(
      "Devis n° 00012_00.AB — réception des pièces détachées à l'atelier "
      "d'Océane, œuvre complète");
  QString error;
  const QString eml = writeEmlDraft({"contact@oceane.fr", subject, {attachment}}, {}, &error);
  ASSERT_FALSE(eml.isEmpty()) << error.toStdString();
  EXPECT_EQ(QFileInfo(eml).absolutePath(), QFileInfo(attachment).absolutePath());
  const QStringList lines = parsedByPython(eml).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines,
            (QStringList{"to=contact@oceane.fr", "subject=" + subject, "unsent=1", "date=yes",
                         "attachments=1", QString::fromUtf8("name=Devis été.PDF"),
                         "type=application/pdf", "sha=" + sha256(pdf), "defects=0"}));

  // Header lines stay within the 78 characters mail programs expect.
  QFile f(eml);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  for (const QByteArray& line : f.readAll().split('\n')) EXPECT_LE(line.size(), 78) << line.data();
}

TEST_F(Mail, DraftWithoutAttachmentOrRecipientGoesToTheWorkingFolderUnderAFreeName) {
  QString error;
  const QString first = writeEmlDraft({{}, {}, {}}, m_dir.path(), &error);
  const QString second = writeEmlDraft({"a@b.fr", "Relance", {}}, m_dir.path(), &error);
  EXPECT_EQ(first, m_dir.filePath("Nouveau message.eml"));
  EXPECT_EQ(second, m_dir.filePath("Nouveau message (2).eml"));
  const QStringList lines = parsedByPython(first).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines,
            (QStringList{"to=", "subject=", "unsent=1", "date=yes", "attachments=0", "defects=0"}));
  EXPECT_TRUE(parsedByPython(second).startsWith("to=a@b.fr\nsubject=Relance\n"));
}

// Regression: each try at mailing a quote left one more draft beside it.
TEST_F(Mail, TheDraftOfADocumentReplacesTheOneAnEarlierTryLeft) {
  const QString attachment = file("00012_00_AB.PDF", "%PDF-1.4\n");
  QString error;
  const QString first = writeEmlDraft({"a@b.fr", "Devis", {attachment}}, {}, &error);
  const QString second = writeEmlDraft({"c@d.fr", "Devis", {attachment}}, {}, &error);
  EXPECT_EQ(first, m_dir.filePath("00012_00_AB.eml"));
  EXPECT_EQ(second, first);
  EXPECT_EQ(QDir(m_dir.path()).entryList({"*.eml"}, QDir::Files).size(), 1);
  EXPECT_TRUE(parsedByPython(second).startsWith("to=c@d.fr\n"));
}

TEST_F(Mail, AMissingAttachmentWritesNoDraftAndNamesTheFile) {
  QString error;
  const QString missing = m_dir.filePath("absent.pdf");
  EXPECT_TRUE(writeEmlDraft({"x@y.fr", "S", {missing}}, m_dir.path(), &error).isEmpty());
  EXPECT_EQ(error, missing);
  EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(Mail, LongSubjectsAreCutIntoWordsNeverInsideACharacter) {
  const QString subject = QString(40, QChar(0xE9)) + QString::fromUtf8("€") + QString(30, 'a');
  const QByteArray encoded = encodeHeaderWords(subject);
  QString decoded;
  for (const QByteArray& word : encoded.split('\n')) {
    const QByteArray w = word.trimmed();
    ASSERT_TRUE(w.startsWith("=?UTF-8?B?") && w.endsWith("?=")) << w.data();
    EXPECT_LE(w.size(), 75);
    const QByteArray bytes = QByteArray::fromBase64(w.mid(10, w.size() - 12));
    const QString piece = QString::fromUtf8(bytes);
    EXPECT_FALSE(piece.contains(QChar::ReplacementCharacter));
    decoded += piece;
  }
  EXPECT_EQ(decoded, subject);
  EXPECT_EQ(encodeHeaderWords("Devis 12"), "Devis 12");
}

// The opener with programs that answer as the test says.
struct Programs {
  bool composer = true;
  bool opener = true;
  QList<QStringList> calls;
  ProgramRunner runner() {
    return [this](const QString& program, const QStringList& args) {
      calls.append(QStringList{program} + args);
      return program == "xdg-email" ? composer : opener;
    };
  }
};

TEST_F(Mail, TheComposerIsTriedFirstWithRecipientSubjectAndAttachment) {
  Programs p;
  SystemMailOpener opener(m_dir.path(), p.runner());
  const MailResult r = opener.open({"a@b.fr", QString::fromUtf8("Devis n° 1"), {"/x/1.PDF"}});
  EXPECT_EQ(r.outcome, MailOutcome::Composer);
  ASSERT_EQ(p.calls.size(), 1);
  EXPECT_EQ(p.calls[0], (QStringList{"xdg-email", "--subject", QString::fromUtf8("Devis n° 1"),
                                     "--attach", "/x/1.PDF", "a@b.fr"}));
  EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
  // An empty subject and recipient are left out rather than passed empty.
  p.calls.clear();
  opener.open({{}, {}, {}});
  EXPECT_EQ(p.calls[0], QStringList{"xdg-email"});
}

TEST_F(Mail, WithoutComposerTheDraftIsWrittenAndOpened) {
  Programs p;
  p.composer = false;
  SystemMailOpener opener(m_dir.path(), p.runner());
  const MailResult r = opener.open({"a@b.fr", "Bonjour", {}});
  EXPECT_EQ(r.outcome, MailOutcome::DraftOpened);
  EXPECT_EQ(r.draft, m_dir.filePath("Nouveau message.eml"));
  ASSERT_EQ(p.calls.size(), 2);
  EXPECT_EQ(p.calls[1], (QStringList{"xdg-open", r.draft}));

  // Nothing opens it: a failure, the draft kept for the message.
  p.opener = false;
  const MailResult failed = opener.open({"a@b.fr", "Bonjour", {}});
  EXPECT_EQ(failed.outcome, MailOutcome::Failed);
  EXPECT_TRUE(QFileInfo::exists(failed.draft));
}

TEST_F(Mail, AFolderThatCannotBeWrittenFailsWithoutOpeningAnything) {
  Programs p;
  p.composer = false;
  SystemMailOpener opener(m_dir.filePath("absent/folder"), p.runner());
  const MailResult r = opener.open({"a@b.fr", "Bonjour", {}});
  EXPECT_EQ(r.outcome, MailOutcome::Failed);
  EXPECT_TRUE(r.draft.isEmpty());
  EXPECT_EQ(r.detail, m_dir.filePath("absent/folder"));
  EXPECT_EQ(p.calls.size(), 1);
}

TEST_F(Mail, AMissingProgramIsAFailureNotAHang) {
  EXPECT_FALSE(SystemMailOpener::runProgram("tarovent-no-such-program", {}));
  EXPECT_FALSE(SystemMailOpener::runProgram("false", {}));
  EXPECT_TRUE(SystemMailOpener::runProgram("true", {}));
}

}  // namespace
}  // namespace tarovent::mail
