#include "Attachments.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "platform/db/Database.h"
#include "platform/db/JetType.h"
#include "platform/db/Recordset.h"
#include "platform/os/Desktop.h"

namespace tarovent::documents {

std::optional<ViewerTarget> parseViewerArgument(const QString& argument) {
  const int second = int(argument.lastIndexOf(','));
  if (second <= 0) return std::nullopt;
  const int first = int(argument.lastIndexOf(',', second - 1));
  if (first <= 0) return std::nullopt;
  ViewerTarget t{argument.left(first).trimmed(),
                 argument.mid(first + 1, second - first - 1).trimmed(),
                 argument.mid(second + 1).trimmed()};
  if (t.dataFolder.isEmpty() || t.project.isEmpty() || t.key.isEmpty()) return std::nullopt;
  if (!t.dataFolder.endsWith('/') && !t.dataFolder.endsWith('\\')) t.dataFolder += '/';
  return t;
}

std::optional<Project> readProject(db::Database& base, const QString& name) {
  db::Recordset rs = base.OpenRecordset("select * from TPROJ where PROJET = " + db::quoteText(name),
                                        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (rs.EOF_()) return std::nullopt;
  return Project{rs.text("PROJET"),   rs.text("PATHBASE"), rs.text("NOMBASE"),
                 rs.text("NomTable"), rs.text("Nomchamp"), rs.text("Nomchamp2"),
                 rs.text("Nomchamp3")};
}

std::optional<RecordCaption> readRecord(db::Workspace& ws, const Project& project,
                                        const QString& key) {
  QString folder = project.folder;
  if (!folder.isEmpty() && !folder.endsWith('/') && !folder.endsWith('\\')) folder += '/';
  db::Database records = ws.OpenDatabase(folder + project.database, true);
  const auto field = [](const QString& name) { return '[' + name + ']'; };
  QStringList fields = {field(project.keyField)};
  for (const QString& f : {project.field2, project.field3})
    if (!f.isEmpty()) fields << field(f);
  db::Recordset rs =
      records.OpenRecordset("select " + fields.join(", ") + " from " + field(project.table) +
                                " where " + field(project.keyField) + " = " + db::quoteText(key),
                            db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  if (rs.EOF_()) return std::nullopt;
  RecordCaption c{rs.value(0).toString(), {}, {}};
  int i = 1;
  if (!project.field2.isEmpty()) c.field2 = rs.value(i++).toString();
  if (!project.field3.isEmpty()) c.field3 = rs.value(i).toString();
  return c;
}

QString documentsFolder(const QString& dataFolder, const QString& project) {
  return dataFolder + QStringLiteral("DOCUMENTS/") + project + '/';
}

std::optional<AttachedDocument> attachCopy(db::Database& base, const QString& dataFolder,
                                           const QString& project, const QString& key,
                                           const QString& source, QString* error) {
  const QFileInfo from(source);
  if (!from.isFile() || !from.isReadable()) {
    *error = QStringLiteral("Le fichier %1 ne peut pas être lu.").arg(source);
    return std::nullopt;
  }
  const QString folder = documentsFolder(dataFolder, project);
  if (!QDir().mkpath(folder)) {
    *error = QStringLiteral("Le dossier %1 ne peut pas être créé.").arg(folder);
    return std::nullopt;
  }
  QString name = from.fileName();
  const QString stem = from.completeBaseName(), suffix = from.suffix();
  for (int n = 2; QFileInfo::exists(folder + name); ++n)
    name = stem + QStringLiteral(" (%1)").arg(n) + (suffix.isEmpty() ? QString() : '.' + suffix);
  if (!QFile::copy(source, folder + name)) {
    *error = QStringLiteral("La copie de %1 dans %2 a échoué.").arg(source, folder);
    return std::nullopt;
  }
  db::Recordset rs = base.OpenRecordset(QStringLiteral("TPROJ_DETAIL"), db::RecordsetType::Table);
  rs.AddNew();
  rs.setValue(QStringLiteral("PROJET"), project);
  rs.setValue(QStringLiteral("VALCHAMP"), key);
  rs.setValue(QStringLiteral("PATHDOC"), folder);
  rs.setValue(QStringLiteral("NOMDOC"), name);
  try {
    rs.Update();
  } catch (...) {
    QFile::remove(folder + name);  // our own copy, never the user's file
    throw;
  }
  return AttachedDocument{folder, name};
}

void detach(db::Database& base, const QString& project, const QString& key,
            const AttachedDocument& document) {
  base.Execute("DELETE FROM TPROJ_DETAIL WHERE PROJET = " + db::quoteText(project) +
               " AND VALCHAMP = " + db::quoteText(key) + " AND PATHDOC = " +
               db::quoteText(document.folder) + " AND NOMDOC = " + db::quoteText(document.name));
}

Preview previewOf(const QString& path) {
  if (os::isProgramFile(path)) return Preview::Program;
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("pdf")) return Preview::Pdf;
  if (QImageReader::supportedImageFormats().contains(suffix.toLatin1())) return Preview::Picture;
  if (suffix == QLatin1String("jpg")) return Preview::Picture;
  return Preview::Other;
}

}  // namespace tarovent::documents
