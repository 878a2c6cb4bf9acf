#include "DocumentLinks.h"

#include <QFileInfo>

#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/JetType.h"
#include "platform/db/Recordset.h"
#include "platform/os/Desktop.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::documents {

QString viewerFileName() {
#ifdef Q_OS_WIN
  return QStringLiteral("tarovent-docs.exe");
#else
  return QStringLiteral("tarovent-docs");
#endif
}

void ensureDossierQuery(db::Database& main) {
  if (!main.hasQueryDef(kDossierQuery)) main.CreateQueryDef(kDossierQuery, kDossierQuerySql);
}

QString dossierKey(const QString& company, long number) {
  return company + ("00000" + QString::number(number)).right(5);
}

QString missingConfiguration(const db::Workspace& ws, const QString& dataFolder,
                             const QString& programFolder,
                             const std::function<QString(const QString&)>& translate) {
  const bool base = ws.exists(dataFolder + kDocumentBase);
  const bool viewer = QFileInfo::exists(programFolder + viewerFileName());
  if (base && viewer) return {};
  QString text = '\n' + translate(QStringLiteral(
                            "Configuration de la gestion des liens documentaires incomplète ..."));
  if (!base)
    text += '\n' + translate(QStringLiteral("- Base de données <")) + dataFolder + kDocumentBase +
            translate(QStringLiteral("> introuvable"));
  if (!viewer)
    text += '\n' + translate(QStringLiteral("- Visionneuse ")) + viewerFileName() +
            translate(QStringLiteral(" manquante"));
  return text + '\n' +
         translate(QStringLiteral("Contacter FERNAVISK pour finaliser sa mise en oeuvre ...")) +
         '\n';
}

bool registerDossierProject(db::Database& base, const QString& dataFolder) {
  db::Recordset rs =
      base.OpenRecordset("select * from TPROJ where PROJET = " + db::quoteText(kDossierProject),
                         db::RecordsetType::Dynaset);
  if (!rs.EOF_()) return false;
  rs.AddNew();
  rs.setValue(QStringLiteral("PROJET"), kDossierProject);
  rs.setValue(QStringLiteral("PATHBASE"), dataFolder);
  rs.setValue(QStringLiteral("NOMBASE"), QStringLiteral("TAROVENT.MDB"));
  rs.setValue(QStringLiteral("NomTable"), kDossierQuery);
  rs.setValue(QStringLiteral("Nomchamp"), QStringLiteral("NUMDEV"));
  rs.setValue(QStringLiteral("Nomchamp2"), QStringLiteral("TDOS_CLIENT"));
  rs.setValue(QStringLiteral("Nomchamp3"), QStringLiteral("TDOS_RESUME"));
  rs.Update();
  return true;
}

QString viewerArgument(const QString& dataFolder, const QString& project, const QString& key) {
  return dataFolder + ',' + project + ',' + key;
}

QStringList viewerCommandLine(const QString& server, const QString& argument) {
  if (server.isEmpty()) return {argument};
  return {QStringLiteral("--server"), server, argument};
}

ViewerCommand readViewerCommandLine(const QStringList& arguments) {
  ViewerCommand c;
  QStringList rest = arguments;
  if (rest.value(0) == u"--server" && rest.size() >= 2) {
    c.server = rest[1];
    rest = rest.mid(2);
  }
  c.argument = rest.join(u' ');
  return c;
}

bool openDocumentBase(db::Workspace& ws, const QString& dataFolder, db::Database& base,
                      QString* why) {
  const QString path = dataFolder + kDocumentBase;
  try {
    if (!ws.exists(path)) {
      *why = QStringLiteral("Base de données <") + path + QStringLiteral("> introuvable");
      return false;
    }
    base = ws.OpenDatabase(path);
    return true;
  } catch (const db::DbError& e) {
    *why = e.description() + QStringLiteral("   Err. n° ") + QString::number(e.number());
    return false;
  }
}

bool showDossierDocuments(core::ProcessState& state, const QString& company, long number) {
  auto& m = state.messages();
  const QString dataFolder = state.base(core::entry::Main).folder;
  try {
    ensureDossierQuery(state.mainDb());
    const QString key = dossierKey(company, number);
    const QString missing =
        missingConfiguration(state.workspace, dataFolder, state.programFolder,
                             [&state](const QString& s) { return state.Traduire(s); });
    if (!missing.isEmpty()) {
      m.show(missing, ui::Icon::Warning);
      return false;
    }
    {
      db::Database base = state.workspace.OpenDatabase(dataFolder + kDocumentBase);
      registerDossierProject(base, dataFolder);
      base.Close();
    }
    const QString viewer = state.programFolder + viewerFileName();
    if (!state.desktop ||
        !state.desktop->start(viewer,
                              viewerCommandLine(state.workspace.server(),
                                                viewerArgument(dataFolder, kDossierProject, key)))) {
      m.show(m.tr(QStringLiteral("La visionneuse n'a pas pu être lancée : ")) + viewer,
             ui::Icon::Warning);
      return false;
    }
    return true;
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return false;
  }
}

QList<AttachedDocument> attachedDocuments(db::Database& base, const QString& project,
                                          const QString& key) {
  QList<AttachedDocument> documents;
  db::Recordset rs =
      base.OpenRecordset("select * from TPROJ_DETAIL where PROJET=" + db::quoteText(project) +
                             " and VALCHAMP=" + db::quoteText(key),
                         db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
  for (; !rs.EOF_(); rs.MoveNext())
    documents << AttachedDocument{rs.text("PATHDOC"), rs.text("NOMDOC")};
  return documents;
}

}  // namespace tarovent::documents
