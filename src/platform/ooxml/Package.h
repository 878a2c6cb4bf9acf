#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/ooxml/Relationships.h"

namespace tarovent::ooxml {

// Bounds applied to packages that come from outside, checked before anything is inflated.
// An entry that inflates more than maxRatio times its compressed size is refused once it is
// past ratioFloor bytes: real parts compress 3 to 20 times, zip bombs thousands of times.
struct PackageLimits {
  qint64 maxEntrySize = qint64(256) << 20;
  qint64 maxTotalSize = qint64(1) << 30;
  int maxEntries = 10000;
  qint64 maxRatio = 100;
  qint64 ratioFloor = qint64(1) << 20;
};

// An Office Open XML package (a zip archive of parts). Parts are read on demand; a part that
// is never written is copied to the saved file byte for byte, compressed data and method
// included, and folder entries of the archive are kept (they are not parts).
// Part names are zip entry names, without a leading slash ("word/document.xml").
class Package {
 public:
  // Deflate level of the parts we write, the usual level of word processors.
  static constexpr int kCompressionLevel = 6;

  // Throws OoxmlError when the file cannot be read, is not a zip archive or breaks the limits.
  static Package open(const QString& path, const PackageLimits& limits = {});
  static Package fromData(const QByteArray& data, const PackageLimits& limits = {});
  // A package with no part at all.
  static Package create();

  Package(Package&&) noexcept;
  Package& operator=(Package&&) noexcept;
  ~Package();

  QStringList partNames() const;  // in archive order
  bool contains(const QString& part) const;
  QByteArray read(const QString& part) const;  // throws OoxmlError when missing or too large
  void write(const QString& part, const QByteArray& data);  // replaces, or adds at the end
  void remove(const QString& part);
  bool isModified() const;

  // Content type of a part from [Content_Types].xml (override, else default by extension).
  QString contentType(const QString& part) const;
  void setContentType(const QString& part, const QString& type);

  // The relationships of a part ("" for the package-level ones).
  Relationships relationships(const QString& part) const;
  // The part the officeDocument relationship points to; empty when there is none.
  QString mainPart() const;

  // Writes the package to path durably (temporary file, fsync, rename). Throws OoxmlError.
  void saveAs(const QString& path) const;

 private:
  struct Impl;
  explicit Package(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> d;
};

}  // namespace tarovent::ooxml
