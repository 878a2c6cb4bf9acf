#pragma once

#include <QString>
#include <optional>

#include "DocumentLinks.h"

namespace tarovent::db {
class Workspace;
}

namespace tarovent::documents {

// What the viewer is started on: "data folder,project,key" (the folder may itself hold commas:
// the last two separate the project and the key).
struct ViewerTarget {
  QString dataFolder, project, key;
};
std::optional<ViewerTarget> parseViewerArgument(const QString& argument);

// A project of TPROJ: the database, table or saved query and fields of its records.
struct Project {
  QString name, folder, database, table, keyField, field2, field3;
};
// The project of that name; none when TPROJ does not hold it. Throws db::DbError.
std::optional<Project> readProject(db::Database& base, const QString& name);

// A record of a project as the viewer names it: its key and its two shown fields.
struct RecordCaption {
  QString key, field2, field3;
};
// The record of `key`, read through the project's table or saved query; none when there is no
// such record. Throws db::DbError (the project's database or fields at fault).
std::optional<RecordCaption> readRecord(db::Workspace& ws, const Project& project,
                                        const QString& key);

// Where the viewer keeps the files it attaches: a folder of the project under the data folder.
QString documentsFolder(const QString& dataFolder, const QString& project);

// Attaches a copy of `source` to the record: the file is copied (never moved) into the project's
// documents folder, under its own name or, when taken, the name with " (2)", " (3)"... before
// its extension, then recorded in TPROJ_DETAIL. Gives the attachment, or none with `error` set
// (a French sentence) when the file cannot be read or copied. Throws db::DbError.
std::optional<AttachedDocument> attachCopy(db::Database& base, const QString& dataFolder,
                                           const QString& project, const QString& key,
                                           const QString& source, QString* error);
// Takes the attachment off the record; the file stays where it is. Throws db::DbError.
void detach(db::Database& base, const QString& project, const QString& key,
            const AttachedDocument& document);

// How the viewer shows a file.
enum class Preview { Picture, Pdf, Program, Other };
Preview previewOf(const QString& path);

}  // namespace tarovent::documents
