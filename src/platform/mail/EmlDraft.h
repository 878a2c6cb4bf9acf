#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "NewMail.h"

namespace tarovent::mail {

// The text of an unsent message (RFC 5322 with MIME parts, "X-Unsent: 1" so that mail programs
// open it as a draft to complete): recipient, subject encoded when it is not plain ASCII, an
// empty text part and each attachment in base64. Lines end with CRLF. False when an attachment
// cannot be read (`error` names it).
bool emlDraft(const NewMail& mail, const QDateTime& date, QByteArray* out, QString* error);

// Writes the draft beside the first attachment (in `fallbackFolder` without one), under a name
// no other file has. Returns its path, empty on failure (`error` says why).
QString writeEmlDraft(const NewMail& mail, const QString& fallbackFolder, QString* error);

// A header value as RFC 2047 encoded words when it holds anything but printable ASCII.
QByteArray encodeHeaderWords(const QString& text);

}  // namespace tarovent::mail
