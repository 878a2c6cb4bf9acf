#include "platform/ooxml/XmlPart.h"

#include <algorithm>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

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

// How many bytes of data are '<' and how many '=', in one pass over every large part opened,
// sixteen bytes at a time where the processor has SSE2 (every x86-64 one does).
struct MarkupCount {
  qint64 opens = 0, equals = 0;
};

MarkupCount countMarkup(const char* data, qint64 size) {
  MarkupCount count;
  qint64 i = 0;
#if defined(__SSE2__) && defined(__x86_64__)
  const __m128i open = _mm_set1_epi8('<'), equal = _mm_set1_epi8('=');
  const __m128i zero = _mm_setzero_si128();
  const auto sum = [&](__m128i bytes) {
    const __m128i halves = _mm_sad_epu8(bytes, zero);
    return qint64(_mm_cvtsi128_si64(halves) +
                  _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves)));
  };
  while (size - i >= 16) {
    // A byte counter holds 255 hits: the lanes are summed before they could wrap.
    const qint64 blocks = std::min<qint64>((size - i) / 16, 255);
    __m128i opens = zero, equals = zero;
    for (qint64 k = 0; k < blocks; ++k, i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      opens = _mm_sub_epi8(opens, _mm_cmpeq_epi8(v, open));  // a hit compares as -1
      equals = _mm_sub_epi8(equals, _mm_cmpeq_epi8(v, equal));
    }
    count.opens += sum(opens);
    count.equals += sum(equals);
  }
#endif
  for (; i < size; ++i) {
    count.opens += data[i] == '<';
    count.equals += data[i] == '=';
  }
  return count;
}

// pugixml spends about 64 bytes per node (element or text) and 40 per attribute; every node
// costs at most one '<' and every attribute one '='. Real parts come to 2 to 8 times their
// size that way; a part made of tiny elements, as a crafted file is, to 16 times and more.
// Past 1 MiB such a part is refused before parsing, so that an open document stays within a
// small multiple of its size.
void checkDensity(const char* data, qint64 size, const QString& partName) {
  if (size <= (qint64(1) << 20)) return;
  const auto [opens, equals] = countMarkup(data, size);
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
