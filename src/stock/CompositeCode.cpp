#include "stock/CompositeCode.h"

#include "platform/db/Recordset.h"
#include "ui/MessageFunnel.h"

namespace tarovent::stock {

namespace {

constexpr int kMaxSegments = 10;

std::optional<QString> refuse(ui::MessageFunnel& m, const QString& text) {
  m.show(text, ui::Icon::Warning);
  return std::nullopt;
}

std::optional<QString> checkNumber(const CodeSegment& s, QString v, ui::MessageFunnel& m) {
  for (const QChar c : v)
    if (!c.isDigit() && c != '.') return refuse(m, m.tr("Champ numérique (chiffres ou .)"));
  const qsizetype point = v.indexOf('.');
  if (s.decimals > 0) {
    // A whole number typed without its point means that number: 12 is 12.00.
    if (point < 0) v += '.';
    const qsizetype decimals = point < 0 ? 0 : v.size() - point - 1;
    if (decimals > s.decimals)
      return refuse(m, m.tr("Maximum ") + QString::number(s.decimals) + m.tr(" décimales"));
    v += QString(s.decimals - decimals, '0');
  } else if (point >= 0) {
    return refuse(m, m.tr("Un nombre entier est attendu"));
  }
  if (v.size() > s.length)
    return refuse(
        m, m.tr("Longueur limitée à ") + QString::number(s.length) + m.tr(" (chiffres ou .)"));
  return (QString(20, '0') + v).right(s.length);
}

}  // namespace

QVector<CodeSegment> familySegments(db::Recordset& details, const QString& family) {
  QVector<CodeSegment> segments;
  details.Seek(">=", family);
  for (; !details.NoMatch() && !details.EOF_() && segments.size() < kMaxSegments &&
         details.text("TFAM_DETAIL_CODE").compare(family, Qt::CaseInsensitive) == 0;
       details.MoveNext()) {
    CodeSegment s;
    const QString type = details.text("TFAM_DETAIL_TYPE").trimmed().toUpper();
    s.kind = type == "N"   ? CodeSegment::Kind::Number
             : type == "K" ? CodeSegment::Kind::Constant
                           : CodeSegment::Kind::Text;
    s.length = int(details.number("TFAM_DETAIL_LONG"));
    s.decimals = int(details.number("TFAM_DETAIL_NBRDEC"));
    s.title = details.text("TFAM_DETAIL_TITRE");
    segments << s;
  }
  return segments;
}

std::optional<QString> checkSegment(const CodeSegment& s, const QString& value,
                                    ui::MessageFunnel& m) {
  switch (s.kind) {
    case CodeSegment::Kind::Constant:
      return s.title;
    case CodeSegment::Kind::Text:
      if (value.trimmed().size() != s.length)
        return refuse(
            m, m.tr("Longueur obligatoire : ") + QString::number(s.length) + m.tr(" caractères"));
      return value.trimmed();
    case CodeSegment::Kind::Number:
      return checkNumber(s, value.trimmed(), m);
  }
  return std::nullopt;
}

QString composedCode(const QVector<QString>& values) {
  QString code;
  for (const QString& v : values) code += v.trimmed();
  return code;
}

}  // namespace tarovent::stock
