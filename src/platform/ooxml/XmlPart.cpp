#include "platform/ooxml/XmlPart.h"

#include <algorithm>

#include "platform/ooxml/OoxmlError.h"

namespace tarovent::ooxml {

namespace {

class ByteArrayWriter : public pugi::xml_writer {
 public:
  explicit ByteArrayWriter(QByteArray& out) : m_out(out) {}
  void write(const void* data, size_t size) override {
    m_out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
  }

 private:
  QByteArray& m_out;
};

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration |
                                   pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_doctype;

void check(const pugi::xml_document& doc, const pugi::xml_parse_result& result,
           const QString& partName) {
  if (!result)
    throw OoxmlError(QStringLiteral("La partie %1 n'est pas du XML valide (%2 à l'octet %3)")
                         .arg(partName, QString::fromUtf8(result.description()))
                         .arg(result.offset));
  for (pugi::xml_node child : doc.children()) {
    if (child.type() == pugi::node_doctype)
      throw OoxmlError(
          QStringLiteral("La partie %1 contient une déclaration DOCTYPE, refusée").arg(partName));
  }
  if (!doc.document_element())
    throw OoxmlError(QStringLiteral("La partie %1 ne contient aucun élément").arg(partName));
}

}  // namespace

void parseXml(pugi::xml_document& doc, const QByteArray& data, const QString& partName) {
  check(doc,
        doc.load_buffer(data.constData(), static_cast<size_t>(data.size()), kParseOptions,
                        pugi::encoding_auto),
        partName);
}

void parseXmlInPlace(pugi::xml_document& doc, QByteArray& data, const QString& partName) {
  check(doc,
        doc.load_buffer_inplace(data.data(), static_cast<size_t>(data.size()), kParseOptions,
                                pugi::encoding_auto),
        partName);
}

QByteArray serializeXml(const pugi::xml_document& doc, qsizetype sizeHint) {
  QByteArray out;
  out.reserve(std::max<qsizetype>(sizeHint + sizeHint / 8, 1 << 16));
  ByteArrayWriter writer(out);
  doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return out;
}

}  // namespace tarovent::ooxml
