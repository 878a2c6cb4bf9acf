#include "platform/ooxml/Package.h"

#include <zip.h>

#include <QFile>
#include <algorithm>
#include <cstring>
#include <pugixml.hpp>
#include <vector>

#include "platform/ooxml/DurableFile.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"

namespace tarovent::ooxml {

namespace {

const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");

struct ArchiveCloser {
  void operator()(zip_t* archive) const {
    if (archive) zip_discard(archive);
  }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;

QString zipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  const QString text = QString::fromUtf8(zip_error_strerror(&error));
  zip_error_fini(&error);
  return text;
}

QString openFailure(const QString& what, int code) {
  switch (code) {
    case ZIP_ER_NOENT:
      return QStringLiteral("Le fichier %1 n'existe pas").arg(what);
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
      return QStringLiteral("Le fichier %1 n'est pas un document Office (archive zip illisible)")
          .arg(what);
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
      return QStringLiteral("Le fichier %1 ne peut pas être lu").arg(what);
    default:
      return QStringLiteral("Le fichier %1 ne peut pas être ouvert (%2)")
          .arg(what, zipErrorText(code));
  }
}

}  // namespace

struct Package::Impl {
  struct Entry {
    QString name;
    qint64 sourceIndex = -1;  // index in the source archive while the part is untouched
    qint64 size = 0;
    QByteArray data;                      // content once written
    zip_int32_t method = ZIP_CM_DEFLATE;  // compression of the untouched entry
    bool folder = false;                  // a folder entry: kept, but not a part
  };

  QString origin;          // file name or "(mémoire)", for messages
  QByteArray sourceBytes;  // keeps an in-memory archive alive
  ArchivePtr source;
  std::vector<Entry> entries;
  bool modified = false;
  PackageLimits limits;

  mutable std::unique_ptr<pugi::xml_document> contentTypes;

  Entry* find(const QString& name) {
    for (Entry& e : entries)
      if (!e.folder && e.name == name) return &e;
    return nullptr;
  }
  const Entry* find(const QString& name) const { return const_cast<Impl*>(this)->find(name); }

  void load(zip_t* archive) {
    source.reset(archive);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count <= 0)
      throw OoxmlError(
          QStringLiteral("Le fichier %1 n'est pas un document Office (archive vide)").arg(origin));
    if (count > limits.maxEntries)
      throw OoxmlError(
          QStringLiteral("Le fichier %1 contient trop de parties (%2)").arg(origin).arg(count));
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
      zip_stat_t st;
      zip_stat_init(&st);
      if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
        throw OoxmlError(QStringLiteral("Le fichier %1 a une entrée illisible").arg(origin));
      const QString name = QString::fromUtf8(st.name);
      const zip_int32_t method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : ZIP_CM_STORE;
      if (name.endsWith(QLatin1Char('/'))) {
        entries.push_back({name, i, 0, {}, method, true});
        continue;
      }
      const qint64 size = (st.valid & ZIP_STAT_SIZE) ? qint64(st.size) : 0;
      if (size > limits.maxEntrySize || size < 0)
        throw OoxmlError(QStringLiteral("La partie %1 de %2 est trop volumineuse (%3 octets)")
                             .arg(name, origin)
                             .arg(size));
      const qint64 packed = (st.valid & ZIP_STAT_COMP_SIZE) ? qint64(st.comp_size) : size;
      if (size > limits.ratioFloor && size > limits.maxRatio * std::max<qint64>(packed, 1))
        throw OoxmlError(
            QStringLiteral("Le fichier %1 est refusé : sa partie %2 passerait de %3 à %4 octets "
                           "une fois décompressée, ce qu'aucun document ne fait (archive piégée)")
                .arg(origin, name)
                .arg(packed)
                .arg(size));
      total += size;
      if (total > limits.maxTotalSize)
        throw OoxmlError(
            QStringLiteral("Le fichier %1 est trop volumineux une fois décompressé").arg(origin));
      entries.push_back({name, i, size, {}, method, false});
    }
  }

  QByteArray readSource(const Entry& e) const {
    zip_file_t* file = zip_fopen_index(source.get(), zip_uint64_t(e.sourceIndex), 0);
    if (!file)
      throw OoxmlError(QStringLiteral("La partie %1 de %2 ne peut pas être lue (%3)")
                           .arg(e.name, origin, QString::fromUtf8(zip_strerror(source.get()))));
    // One byte of room beyond the declared size detects an entry that lies about it.
    QByteArray out(qsizetype(e.size + 1), Qt::Uninitialized);
    qint64 done = 0;
    bool failed = false;
    while (done < out.size()) {
      const zip_int64_t n = zip_fread(file, out.data() + done, zip_uint64_t(out.size() - done));
      if (n < 0) failed = true;
      if (n <= 0) break;
      done += n;
    }
    zip_fclose(file);
    if (failed || done != e.size)
      throw OoxmlError(QStringLiteral("La partie %1 de %2 est endommagée").arg(e.name, origin));
    out.resize(qsizetype(done));
    return out;
  }

  pugi::xml_document& types() const {
    if (!contentTypes) {
      auto doc = std::make_unique<pugi::xml_document>();
      const Entry* e = find(kContentTypesPart);
      if (!e)
        throw OoxmlError(
            QStringLiteral("Le fichier %1 n'a pas de partie [Content_Types].xml").arg(origin));
      parseXml(*doc, e->sourceIndex >= 0 ? readSource(*e) : e->data, kContentTypesPart);
      contentTypes = std::move(doc);
    }
    return *contentTypes;
  }
};

Package::Package(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Package::Package(Package&&) noexcept = default;
Package& Package::operator=(Package&&) noexcept = default;
Package::~Package() = default;

Package Package::open(const QString& path, const PackageLimits& limits) {
  auto impl = std::make_unique<Impl>();
  impl->origin = path;
  impl->limits = limits;
  int code = 0;
  zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
  if (!archive) throw OoxmlError(openFailure(path, code));
  impl->load(archive);
  return Package(std::move(impl));
}

Package Package::fromData(const QByteArray& data, const PackageLimits& limits) {
  auto impl = std::make_unique<Impl>();
  impl->origin = QStringLiteral("(mémoire)");
  impl->limits = limits;
  impl->sourceBytes = data;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(impl->sourceBytes.constData(),
                                               zip_uint64_t(impl->sourceBytes.size()), 0, &error);
  zip_t* archive = src ? zip_open_from_source(src, ZIP_RDONLY, &error) : nullptr;
  if (!archive) {
    const int code = zip_error_code_zip(&error);
    if (src) zip_source_free(src);
    zip_error_fini(&error);
    throw OoxmlError(openFailure(impl->origin, code));
  }
  zip_error_fini(&error);
  impl->load(archive);
  return Package(std::move(impl));
}

Package Package::create() {
  auto impl = std::make_unique<Impl>();
  impl->origin = QStringLiteral("(nouveau)");
  impl->modified = true;
  return Package(std::move(impl));
}

QStringList Package::partNames() const {
  QStringList names;
  for (const auto& e : d->entries)
    if (!e.folder) names << e.name;
  return names;
}

bool Package::contains(const QString& part) const { return d->find(part) != nullptr; }

QByteArray Package::read(const QString& part) const {
  if (part == kContentTypesPart && d->contentTypes) return serializeXml(*d->contentTypes);
  const Impl::Entry* e = d->find(part);
  if (!e) throw OoxmlError(QStringLiteral("La partie %1 est absente de %2").arg(part, d->origin));
  return e->sourceIndex >= 0 ? d->readSource(*e) : e->data;
}

void Package::write(const QString& part, const QByteArray& data) {
  Impl::Entry* e = d->find(part);
  if (!e) {
    d->entries.push_back({part, -1, 0, {}});
    e = &d->entries.back();
  }
  e->sourceIndex = -1;
  e->data = data;
  e->size = data.size();
  d->modified = true;
  if (part == kContentTypesPart) d->contentTypes.reset();
}

void Package::remove(const QString& part) {
  for (auto it = d->entries.begin(); it != d->entries.end(); ++it) {
    if (!it->folder && it->name == part) {
      d->entries.erase(it);
      d->modified = true;
      return;
    }
  }
}

bool Package::isModified() const { return d->modified; }

QString Package::contentType(const QString& part) const {
  const pugi::xml_node root = d->types().document_element();
  const QByteArray slashed = "/" + part.toUtf8();
  for (pugi::xml_node node : root.children()) {
    if (std::strcmp(node.name(), "Override") == 0 &&
        qstricmp(node.attribute("PartName").value(), slashed.constData()) == 0)
      return QString::fromUtf8(node.attribute("ContentType").value());
  }
  const QByteArray ext = part.mid(part.lastIndexOf(QLatin1Char('.')) + 1).toUtf8();
  for (pugi::xml_node node : root.children()) {
    if (std::strcmp(node.name(), "Default") == 0 &&
        qstricmp(node.attribute("Extension").value(), ext.constData()) == 0)
      return QString::fromUtf8(node.attribute("ContentType").value());
  }
  return {};
}

void Package::setContentType(const QString& part, const QString& type) {
  pugi::xml_document& doc = d->types();
  pugi::xml_node root = doc.document_element();
  const QByteArray slashed = "/" + part.toUtf8();
  pugi::xml_node target;
  for (pugi::xml_node node : root.children("Override")) {
    if (qstricmp(node.attribute("PartName").value(), slashed.constData()) == 0) target = node;
  }
  if (!target) {
    target = root.append_child("Override");
    target.append_attribute("PartName") = slashed.constData();
    target.append_attribute("ContentType");
  }
  target.attribute("ContentType") = type.toUtf8().constData();
  const QByteArray bytes = serializeXml(doc);
  auto keep = std::move(d->contentTypes);
  write(kContentTypesPart, bytes);
  d->contentTypes = std::move(keep);
}

Relationships Package::relationships(const QString& part) const {
  const QString rels = Relationships::relsPartFor(part);
  if (!contains(rels)) return Relationships();
  return Relationships(part, read(rels));
}

QString Package::mainPart() const {
  const Relationships rels = relationships(QString());
  const Relationship* rel = rels.firstOfType(QStringLiteral("officeDocument"));
  return rel ? rels.resolve(*rel) : QString();
}

void Package::saveAs(const QString& path) const {
  // The archive is made in memory and written in one go into the file that replaces the old
  // one: libzip writing to a path makes a temporary file of its own and renames it, a second
  // file created for every save.
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  ArchivePtr out(buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr);
  if (!out) {
    if (buffer) zip_source_free(buffer);
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    throw OoxmlError(openFailure(path, code));
  }
  zip_error_fini(&error);
  // The archive owns the buffer; this reference keeps it readable after the archive closes.
  zip_source_keep(buffer);
  const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> kept(buffer, zip_source_free);
  auto fail = [&](const QString& part) {
    throw OoxmlError(QStringLiteral("Impossible d'écrire la partie %1 : %2")
                         .arg(part, QString::fromUtf8(zip_strerror(out.get()))));
  };
  for (const Impl::Entry& e : d->entries) {
    zip_source_t* src = nullptr;
    if (e.sourceIndex >= 0)
      src = zip_source_zip(out.get(), d->source.get(), zip_uint64_t(e.sourceIndex), 0, 0, -1);
    else
      src = zip_source_buffer(out.get(), e.data.constData(), zip_uint64_t(e.data.size()), 0);
    if (!src) fail(e.name);
    const zip_int64_t index =
        zip_file_add(out.get(), e.name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(src);
      fail(e.name);
    }
    // Parts we write are compressed at the usual level: the maximum that libzip would
    // pick costs three times the time for a few percent. An
    // untouched entry keeps its method, so that libzip copies its bytes as they are.
    if (e.sourceIndex < 0)
      zip_set_file_compression(out.get(), zip_uint64_t(index), ZIP_CM_DEFLATE,
                               zip_uint32_t(Package::kCompressionLevel));
    else
      zip_set_file_compression(out.get(), zip_uint64_t(index), e.method, 0);
  }
  if (zip_close(out.get()) != 0) fail(path);
  out.release();

  const QString unreadable =
      QStringLiteral("Impossible d'écrire %1 : archive incomplète").arg(path);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_source_stat(buffer, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
      zip_source_open(buffer) != 0)
    throw OoxmlError(unreadable);
  QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
  qsizetype got = 0;
  while (got < bytes.size()) {
    const zip_int64_t n =
        zip_source_read(buffer, bytes.data() + got, zip_uint64_t(bytes.size() - got));
    if (n <= 0) break;
    got += qsizetype(n);
  }
  zip_source_close(buffer);
  if (got != bytes.size()) throw OoxmlError(unreadable);

  replaceFileDurably(path, [&](const QString& tempPath) {
    QFile file(tempPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size())
      throw OoxmlError(QStringLiteral("Impossible d'écrire %1 : %2").arg(path, file.errorString()));
  });
}

}  // namespace tarovent::ooxml
