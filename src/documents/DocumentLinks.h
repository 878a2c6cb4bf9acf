#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tarovent::db {
class Database;
class Workspace;
}
namespace tarovent::core {
class ProcessState;
}

namespace tarovent::documents {

// The document base of the family, in the data folder, and its projects of this program.
inline const QString kDocumentBase = QStringLiteral("BASEDOC.MDB");
inline const QString kDossierProject = QStringLiteral("ZORVANE");
inline const QString kArticleProject = QStringLiteral("QUILMORA");
// The saved query of the main database that lists the dossiers under their document key.
inline const QString kDossierQuery = QStringLiteral("RDOS");
inline const QString kDossierQuerySql = QStringLiteral(
    "SELECT [TDOS_SOC] & Right('00000' & [TDOS_NUMDOSS],5) AS NUMDEV, TDOS.* FROM TDOS;");

// The document viewer's program file, in the program's folder.
QString viewerFileName();

// Creates the saved query RDOS in the main database when it is missing. Throws db::DbError.
void ensureDossierQuery(db::Database& main);
// A dossier's key in the document base: the company code and the number on five digits.
QString dossierKey(const QString& company, long number);

// What is missing for the document links, as the message tells it (each fixed piece through
// `translate`); empty when the base and the viewer are both there. The base is looked for
// where `ws` keeps its databases: files, or the family's server.
QString missingConfiguration(const db::Workspace& ws, const QString& dataFolder,
                             const QString& programFolder,
                             const std::function<QString(const QString&)>& translate);

// Registers the dossier project in TPROJ unless it is there already; true when a row was
// added. Throws db::DbError.
bool registerDossierProject(db::Database& base, const QString& dataFolder);

// The viewer's one argument: data folder, project and key separated by commas.
QString viewerArgument(const QString& dataFolder, const QString& project, const QString& key);
// The viewer's command line: "--server WORDS" before the argument when the family's bases are
// on a server (`server`: its connection words, empty for files).
QStringList viewerCommandLine(const QString& server, const QString& argument);
// What a viewer's command line names: the server (empty: files) and its one argument, which
// may have been split at its spaces.
struct ViewerCommand {
  QString server;
  QString argument;
};
ViewerCommand readViewerCommandLine(const QStringList& arguments);
// The document base of `dataFolder` opened in `ws`, read and write. False, with the reason in
// French in `why`, when it is missing or cannot be opened.
bool openDocumentBase(db::Workspace& ws, const QString& dataFolder, db::Database& base,
                      QString* why);

// The images button of the dossier workspace: the RDOS query, the configuration check (its
// message when incomplete), the project registered once, then the viewer started on the
// dossier. Messages go through the state's funnel; false when the viewer was not started.
bool showDossierDocuments(core::ProcessState& state, const QString& company, long number);

// A document attached to a record: its folder (with its separator) and file name.
struct AttachedDocument {
  QString folder, name;
  QString path() const { return folder + name; }
};
// The documents of a project's record, in the base's order. Throws db::DbError.
QList<AttachedDocument> attachedDocuments(db::Database& base, const QString& project,
                                          const QString& key);

}  // namespace tarovent::documents
