#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace tarovent::ooxml {

struct Relationship {
  QString id;
  QString type;    // full relationship type URI
  QString target;  // as written in the part
  bool external = false;
};

// The relationships of one part (its _rels/NAME.rels entry).
class Relationships {
 public:
  Relationships() = default;
  // sourcePart is the zip entry name of the owning part, "" for the package itself.
  Relationships(const QString& sourcePart, const QByteArray& relsXml);

  const std::vector<Relationship>& all() const { return m_items; }
  const Relationship* byId(const QString& id) const;
  // First relationship whose type ends with "/" + shortType (e.g. "officeDocument", "header").
  const Relationship* firstOfType(const QString& shortType) const;
  // Zip entry name a relative target points to; empty for external targets.
  QString resolve(const Relationship& rel) const;

  // Name of the .rels entry that belongs to a part.
  static QString relsPartFor(const QString& sourcePart);
  // Resolves a target written relative to sourcePart's folder into a zip entry name.
  static QString resolveTarget(const QString& sourcePart, const QString& target);

 private:
  QString m_source;
  std::vector<Relationship> m_items;
};

}  // namespace tarovent::ooxml
