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

// pugixml spends about 64 bytes per node (element or text) and 40 per attribute. Real parts
// cost 2 to 9 times their size that way; a part made of tiny elements, as a crafted file is,
// would cost 16 times and more. Past 1 MiB such a part is refused before parsing, so that an
// open document stays within a small multiple of its size.
void checkDensity(const char* data, qint64 size, const QString& partName) {
  if (size <= (qint64(1) << 20)) return;
  qint64 elements = 0, texts = 0, attributes = 0;
  for (qint64 i = 0; i + 1 < size; ++i) {
    const char c = data[i], next = data[i + 1];
    if (c == '<' && next != '/' && next != '?' && next != '!')
      ++elements;
    else if (c == '>' && next != '<')
      ++texts;
    else if (c == '=' && next == '"')
      ++attributes;
  }
  const qint64 estimate = 64 * (elements + texts) + 40 * attributes;
  if (estimate > 12 * size)
    throw OoxmlError(QStringLiteral("La partie %1 est refusée : ses %2 éléments pour %3 octets "
                                    "demanderaient trop de mémoire (fichier piégé)")
                         .arg(partName)
                         .arg(elements)
                         .arg(size));
}

}  // namespace

void parseXml(pugi::xml_document& doc, const QByteArray& data, const QString& partName) {
  checkDensity(data.constData(), data.size(), partName);
  check(doc,
        doc.load_buffer(data.constData(), static_cast<size_t>(data.size()), kParseOptions,
                        pugi::encoding_auto),
        partName);
}

void parseXmlInPlace(pugi::xml_document& doc, QByteArray& data, const QString& partName) {
  checkDensity(data.constData(), data.size(), partName);
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
