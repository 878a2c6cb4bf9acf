#include "EmlDraft.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QUrl>
#include <QUuid>

namespace tarovent::mail {
namespace {

bool plainAscii(const QString& s) {
  for (QChar c : s)
    if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
  return true;
}

// Base64 in lines of 76 characters.
QByteArray base64Lines(const QByteArray& data) {
  const QByteArray b64 = data.toBase64();
  QByteArray out;
  out.reserve(b64.size() + b64.size() / 76 * 2 + 2);
  for (qsizetype i = 0; i < b64.size(); i += 76) out += b64.mid(i, 76) + "\r\n";
  return out;
}

QByteArray contentType(const QString& file) {
  const QString ext = QFileInfo(file).suffix().toLower();
  if (ext == "pdf") return "application/pdf";
  if (ext == "docx")
    return "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
  if (ext == "xlsx") return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
  if (ext == "txt") return "text/plain";
  return "application/octet-stream";
}

// The file-name parameters of an attachment: plain when ASCII, else RFC 2231.
QByteArray fileNameParameter(const QString& key, const QString& name) {
  if (plainAscii(name) && !name.contains('"') && !name.contains('\\'))
    return key.toLatin1() + "=\"" + name.toLatin1() + '"';
  return key.toLatin1() + "*=UTF-8''" + QUrl::toPercentEncoding(name);
}

QByteArray rfc5322Date(const QDateTime& date) {
  const QDateTime utc = date.toUTC();
  return QLocale::c().toString(utc, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")).toLatin1() +
         " +0000";
}

}  // namespace

QByteArray encodeHeaderWords(const QString& text) {
  if (plainAscii(text)) return text.toLatin1();
  // 39 bytes of UTF-8 make a word of 64 characters, so that even the first line, after
  // "Subject: ", stays under 78. A character is never cut between two words.
  QList<QByteArray> words;
  QByteArray chunk;
  const QList<uint> codes = text.toUcs4();
  for (uint code : codes) {
    const QByteArray bytes =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1).toUtf8();
    if (chunk.size() + bytes.size() > 39) {
      words << chunk;
      chunk.clear();
    }
    chunk += bytes;
  }
  if (!chunk.isEmpty()) words << chunk;
  QByteArray out;
  for (const QByteArray& w : words) {
    if (!out.isEmpty()) out += "\r\n ";
    out += "=?UTF-8?B?" + w.toBase64() + "?=";
  }
  return out;
}

bool emlDraft(const NewMail& mail, const QDateTime& date, QByteArray* out, QString* error) {
  QList<QByteArray> parts;
  for (const QString& path : mail.attachments) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
      if (error) *error = path;
      return false;
    }
    const QString name = QFileInfo(path).fileName();
    QByteArray part = "Content-Type: " + contentType(path) + "; " +
                      fileNameParameter("name", name) +
                      "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; " +
                      fileNameParameter("filename", name) + "\r\n\r\n";
    part += base64Lines(f.readAll());
    parts << part;
  }

  QByteArray head;
  if (!mail.to.trimmed().isEmpty()) head += "To: " + encodeHeaderWords(mail.to.trimmed()) + "\r\n";
  head += "Subject: " + encodeHeaderWords(mail.subject) + "\r\n";
  head += "Date: " + rfc5322Date(date) + "\r\n";
  head += "X-Unsent: 1\r\nMIME-Version: 1.0\r\n";
  const QByteArray text =
      "Content-Type: text/plain; charset=UTF-8\r\n"
      "Content-Transfer-Encoding: 7bit\r\n\r\n";
  if (parts.isEmpty()) {
    *out = head + text + "\r\n";
    return true;
  }
  const QByteArray boundary = "=_" + QUuid::createUuid().toByteArray(QUuid::Id128);
  head += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  head += "--" + boundary + "\r\n" + text + "\r\n";
  for (const QByteArray& part : parts) head += "--" + boundary + "\r\n" + part;
  head += "--" + boundary + "--\r\n";
  *out = head;
  return true;
}

QString writeEmlDraft(const NewMail& mail, const QString& fallbackFolder, QString* error) {
  QByteArray bytes;
  QString unreadable;
  if (!emlDraft(mail, QDateTime::currentDateTimeUtc(), &bytes, &unreadable)) {
    if (error) *error = unreadable;
    return {};
  }
  QString folder = fallbackFolder;
  QString base = QStringLiteral("Nouveau message");
  if (!mail.attachments.isEmpty()) {
    const QFileInfo first(mail.attachments.first());
    folder = first.absolutePath();
    base = first.completeBaseName();
  }
  QDir dir(folder);
  QString path = dir.filePath(base + ".eml");
  // The draft of a document replaces the one an earlier try left beside it; new messages
  // without attachment each get their own.
  if (mail.attachments.isEmpty())
    for (int n = 2; QFileInfo::exists(path); ++n)
      path = dir.filePath(QStringLiteral("%1 (%2).eml").arg(base).arg(n));
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
    if (error) *error = folder;
    return {};
  }
  return path;
}

}  // namespace tarovent::mail
