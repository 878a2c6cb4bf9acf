#pragma once

#include <QByteArray>
#include <QString>
#include <pugixml.hpp>

namespace tarovent::ooxml {

// Parses a part with the options that keep it faithful (declaration, every whitespace
// character, comments and processing instructions). A document type declaration is refused:
// packages come from outside and entities are never expanded. Throws OoxmlError.
void parseXml(pugi::xml_document& doc, const QByteArray& data, const QString& partName);
// The same without copying: the document points into data, which must outlive it.
void parseXmlInPlace(pugi::xml_document& doc, QByteArray& data, const QString& partName);

// Serialises a part parsed by parseXml without adding or reindenting anything.
// sizeHint is the expected size, to grow the output once.
QByteArray serializeXml(const pugi::xml_document& doc, qsizetype sizeHint = 0);

}  // namespace tarovent::ooxml
