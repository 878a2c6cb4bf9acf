#include "platform/ooxml/XmlPart.h"

#include <algorithm>
#include <cstring>

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

// How many bytes of data equal c, eight at a time: this runs over every large part opened.
qint64 countByte(const char* data, qint64 size, char c) {
  constexpr quint64 kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  const quint64 pattern = 0x0101010101010101ULL * quint8(c);
  qint64 count = 0, i = 0;
  for (; i + 8 <= size; i += 8) {
    quint64 word;
    std::memcpy(&word, data + i, 8);
    const quint64 x = word ^ pattern;  // zero bytes where c was
    // 0x80 in each such byte; summed bytewise by a multiply, since the build targets processors
    // without a popcount instruction and the library call costs more than the loop.
    const quint64 hits = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7;
    count += qint64((hits * 0x0101010101010101ULL) >> 56);
  }
  for (; i < size; ++i) count += data[i] == c;
  return count;
}

// pugixml spends about 64 bytes per node (element or text) and 40 per attribute; every node
// costs at most one '<' and every attribute one '='. Real parts come to 2 to 8 times their
// size that way; a part made of tiny elements, as a crafted file is, to 16 times and more.
// Past 1 MiB such a part is refused before parsing, so that an open document stays within a
// small multiple of its size.
void checkDensity(const char* data, qint64 size, const QString& partName) {
  if (size <= (qint64(1) << 20)) return;
  const qint64 opens = countByte(data, size, '<');
  const qint64 equals = countByte(data, size, '=');
  if (64 * opens + 40 * equals > 12 * size)
    throw OoxmlError(QStringLiteral("La partie %1 est refusée : ses %2 balises pour %3 octets "
                                    "demanderaient trop de mémoire (fichier piégé)")
                         .arg(partName)
                         .arg(opens)
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
