#include "platform/word/StyleSheet.h"

#include "platform/ooxml/XmlPart.h"
#include "platform/word/WordXml.h"

namespace tarovent::word {

namespace {

std::optional<bool> toggleValue(pugi::xml_node rPr, const char* local) {
  const pugi::xml_node node = xml::firstChild(rPr, local);
  if (!node) return std::nullopt;
  const char* value = xml::attr(node, "val").value();
  return !(std::strcmp(value, "0") == 0 || std::strcmp(value, "false") == 0 ||
           std::strcmp(value, "off") == 0);
}

}  // namespace

StyleSheet::StyleSheet(const QByteArray& stylesXml) {
  pugi::xml_document doc;
  ooxml::parseXml(doc, stylesXml, QStringLiteral("word/styles.xml"));
  const pugi::xml_node root = doc.document_element();
  const pugi::xml_node defaults =
      xml::firstChild(xml::firstChild(root, "docDefaults"), "rPrDefault");
  m_defaultVanish = toggleValue(xml::firstChild(defaults, "rPr"), "vanish").value_or(false);
  m_hidesText = m_defaultVanish;
  for (pugi::xml_node style = root.first_child(); style; style = style.next_sibling()) {
    if (!xml::is(style, "style")) continue;
    const QString id = QString::fromUtf8(xml::attr(style, "styleId").value());
    Style entry;
    entry.basedOn = QString::fromUtf8(xml::attr(xml::firstChild(style, "basedOn"), "val").value());
    entry.vanish = toggleValue(xml::firstChild(style, "rPr"), "vanish");
    m_styles.insert(id, entry);
    m_hidesText = m_hidesText || entry.vanish.value_or(false);
    const char* isDefault = xml::attr(style, "default").value();
    if (std::strcmp(xml::attr(style, "type").value(), "paragraph") == 0 &&
        (std::strcmp(isDefault, "1") == 0 || std::strcmp(isDefault, "true") == 0))
      m_defaultParagraphStyle = id;
  }
}

std::optional<bool> StyleSheet::chainVanish(QString id) const {
  for (int depth = 0; depth < 32 && !id.isEmpty(); ++depth) {
    const auto it = m_styles.constFind(id);
    if (it == m_styles.constEnd()) return std::nullopt;
    if (it->vanish) return it->vanish;
    id = it->basedOn;
  }
  return std::nullopt;
}

bool StyleSheet::hidden(const QString& paragraphStyle, const QString& characterStyle) const {
  if (auto v = chainVanish(characterStyle)) return *v;
  if (auto v = chainVanish(paragraphStyle.isEmpty() ? m_defaultParagraphStyle : paragraphStyle))
    return *v;
  return m_defaultVanish;
}

}  // namespace tarovent::word
