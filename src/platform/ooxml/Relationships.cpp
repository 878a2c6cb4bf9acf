#include "platform/ooxml/Relationships.h"

#include <QStringList>
#include <cstring>

#include "platform/ooxml/XmlPart.h"

namespace tarovent::ooxml {

Relationships::Relationships(const QString& sourcePart, const QByteArray& relsXml)
    : m_source(sourcePart) {
  pugi::xml_document doc;
  parseXml(doc, relsXml, relsPartFor(sourcePart));
  for (pugi::xml_node node : doc.document_element().children()) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    if (std::strcmp(colon ? colon + 1 : name, "Relationship") != 0) continue;
    Relationship rel;
    rel.id = QString::fromUtf8(node.attribute("Id").value());
    rel.type = QString::fromUtf8(node.attribute("Type").value());
    rel.target = QString::fromUtf8(node.attribute("Target").value());
    rel.external = QString::fromUtf8(node.attribute("TargetMode").value())
                       .compare("External", Qt::CaseInsensitive) == 0;
    m_items.push_back(rel);
  }
}

const Relationship* Relationships::byId(const QString& id) const {
  for (const Relationship& rel : m_items)
    if (rel.id == id) return &rel;
  return nullptr;
}

const Relationship* Relationships::firstOfType(const QString& shortType) const {
  for (const Relationship& rel : m_items)
    if (rel.type.endsWith(QLatin1Char('/') + shortType)) return &rel;
  return nullptr;
}

QString Relationships::resolve(const Relationship& rel) const {
  if (rel.external) return {};
  return resolveTarget(m_source, rel.target);
}

QString Relationships::relsPartFor(const QString& sourcePart) {
  if (sourcePart.isEmpty()) return QStringLiteral("_rels/.rels");
  const qsizetype slash = sourcePart.lastIndexOf(QLatin1Char('/'));
  return sourcePart.left(slash + 1) + QStringLiteral("_rels/") + sourcePart.mid(slash + 1) +
         QStringLiteral(".rels");
}

QString Relationships::resolveTarget(const QString& sourcePart, const QString& target) {
  QStringList parts;
  QString path = target;
  if (!path.startsWith(QLatin1Char('/'))) {
    const qsizetype slash = sourcePart.lastIndexOf(QLatin1Char('/'));
    path = sourcePart.left(slash + 1) + path;
  }
  for (const QString& piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    if (piece == QLatin1String(".")) continue;
    if (piece == QLatin1String("..")) {
      if (!parts.isEmpty()) parts.removeLast();
      continue;
    }
    parts << piece;
  }
  return parts.join(QLatin1Char('/'));
}

}  // namespace tarovent::ooxml
