#include "DocumentTestSupport.h"
#include "documents/Attachments.h"
#include "documents/DocumentLinks.h"
#include "platform/db/PgCluster.h"

namespace tarovent::documents {
namespace {

class DocumentLinks : public test::DocumentTest {
 protected:
  QString translated(const QString& s) { return s; }
  QString missing() {
    return missingConfiguration(m_state->workspace, dataFolder(), m_state->programFolder,
                                [](const QString& s) { return s; });
  }
  long projects(db::Database& base) {
    db::Recordset rs = base.OpenRecordset("select count(*) from TPROJ");
    return long(rs.value(0).toLongLong());
  }
};

TEST_F(DocumentLinks, ADossierKeyIsItsCompanyAndFiveDigits) {
  EXPECT_EQ(dossierKey("AB", 42), "AB00042");
  EXPECT_EQ(dossierKey("AB", 123456), "AB23456");
  m_db.Execute("INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS) VALUES ('AB', 42)");
  ensureDossierQuery(m_db);
  ensureDossierQuery(m_db);  // made once, then left alone
  EXPECT_EQ(scalar("select NUMDEV from RDOS"), "AB00042");
}

TEST_F(DocumentLinks, TheConfigurationMessageListsWhatIsMissingLineByLine) {
  const QString head = "\nConfiguration de la gestion des liens documentaires incomplète ...";
  const QString tail = "\nContacter FERNAVISK pour finaliser sa mise en oeuvre ...\n";
  const QString base = "\n- Base de données <" + dataFolder() + "BASEDOC.MDB> introuvable";
  const QString viewer = "\n- Visionneuse tarovent-docs manquante";
  EXPECT_EQ(missing(), head + base + viewer + tail);
  withBase().Close();
  EXPECT_EQ(missing(), head + viewer + tail);
  withViewer();
  EXPECT_EQ(missing(), "");
  ASSERT_TRUE(db::Workspace().deleteDatabase(path("BASEDOC.MDB")));
  EXPECT_EQ(missing(), head + base + tail);
}

TEST_F(DocumentLinks, TheImagesButtonStartsTheViewerOnTheDossierAndRegistersOnce) {
  db::Database base = withBase();
  withViewer();
  ASSERT_TRUE(showDossierDocuments(*m_state, "AB", 42));
  ASSERT_TRUE(showDossierDocuments(*m_state, "AB", 42));
  EXPECT_EQ(projects(base), 1);
  db::Recordset rs = base.OpenRecordset("select * from TPROJ");
  EXPECT_EQ(rs.text("NomTable"), "RDOS");
  EXPECT_EQ(rs.text("PATHBASE"), dataFolder());
  ASSERT_EQ(m_desktop->started.size(), 2);
  EXPECT_EQ(m_desktop->started[0], QStringList({m_state->programFolder + "tarovent-docs",
                                                dataFolder() + ",ZORVANE,AB00042"}));
  EXPECT_TRUE(m_db.hasQueryDef("RDOS"));
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(DocumentLinks, AnIncompleteConfigurationSaysSoAndStartsNothing) {
  withBase().Close();
  EXPECT_FALSE(showDossierDocuments(*m_state, "AB", 42));
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].contains("Visionneuse tarovent-docs manquante"));
  EXPECT_FALSE(m_messages.texts()[0].contains("BASEDOC.MDB>"));
  EXPECT_TRUE(m_desktop->started.isEmpty());
  // The query is made before the check, as the viewer needs it.
  EXPECT_TRUE(m_db.hasQueryDef("RDOS"));
  withViewer();
  m_desktop->works = false;
  m_messages.clear();
  EXPECT_FALSE(showDossierDocuments(*m_state, "AB", 42));
  EXPECT_EQ(m_messages.texts().size(), 1);
}

TEST_F(DocumentLinks, AttachedDocumentsAreTheRecordsOwnInTheProject) {
  db::Database base = withBase();
  for (const char* sql : {"INSERT INTO TPROJ_DETAIL VALUES ('QUILMORA', 'A1', '/p/', 'a.png')",
                          "INSERT INTO TPROJ_DETAIL VALUES ('QUILMORA', 'A1', '/p/', 'b.png')",
                          "INSERT INTO TPROJ_DETAIL VALUES ('QUILMORA', 'A10', '/p/', 'c.png')",
                          "INSERT INTO TPROJ_DETAIL VALUES ('ZORVANE', 'A1', '/p/', 'd.png')"})
    base.Execute(sql);
  const QList<AttachedDocument> docs = attachedDocuments(base, kArticleProject, "A1");
  ASSERT_EQ(docs.size(), 2);
  EXPECT_EQ(docs[0].path(), "/p/a.png");
  EXPECT_TRUE(attachedDocuments(base, kArticleProject, "A'1").isEmpty());
}

// A family on a server keeps its document base there: the check looks for it there, the viewer
// is told the server, and opens the base it finds there.
TEST_F(DocumentLinks, OnAServerTheDocumentBaseIsTheServersOne) {
  db::test::PgCluster* cluster = nullptr;
  TAROVENT_REQUIRE_PG(cluster);
  const QString server = cluster->freshDatabase();
  m_state->workspace.setServer(server);
  withViewer();
  withBase().Close();  // a file of that name does not count
  EXPECT_TRUE(missing().contains("BASEDOC.MDB> introuvable")) << missing().toStdString();
  db::Database base = m_state->workspace.CreateDatabase(path("BASEDOC.MDB"));
  install::applySchema(base, install::documentBaseSchema());
  EXPECT_EQ(missing(), "");

  ASSERT_TRUE(showDossierDocuments(*m_state, "AB", 42));
  EXPECT_EQ(projects(base), 1);
  ASSERT_EQ(m_desktop->started.size(), 1);
  EXPECT_EQ(m_desktop->started[0],
            QStringList({m_state->programFolder + "tarovent-docs", "--server", server,
                         dataFolder() + ",ZORVANE,AB00042"}));

  // The viewer reads its command line back and opens the server's base.
  const ViewerCommand command = readViewerCommandLine(m_desktop->started[0].mid(1));
  EXPECT_EQ(command.server, server);
  const auto target = parseViewerArgument(command.argument);
  ASSERT_TRUE(target);
  db::Workspace viewer;
  viewer.setServer(command.server);
  db::Database opened;
  QString why;
  ASSERT_TRUE(openDocumentBase(viewer, target->dataFolder, opened, &why)) << why.toStdString();
  EXPECT_EQ(projects(opened), 1);
  // Without the server, only files count.
  ASSERT_TRUE(QFile::remove(path("BASEDOC.MDB")));
  db::Workspace files;
  EXPECT_FALSE(openDocumentBase(files, target->dataFolder, opened, &why));
  EXPECT_EQ(why, "Base de données <" + dataFolder() + "BASEDOC.MDB> introuvable");
}

TEST(ViewerCommandLine, AFolderSplitAtItsSpacesIsReadWhole) {
  const ViewerCommand files = readViewerCommandLine({"/srv/Données,", "2026/DATA/,ZORVANE,AB1"});
  EXPECT_EQ(files.server, "");
  EXPECT_EQ(files.argument, "/srv/Données, 2026/DATA/,ZORVANE,AB1");
  const ViewerCommand served =
      readViewerCommandLine(viewerCommandLine("host=srv dbname=atelier", "/d/,ZORVANE,AB1"));
  EXPECT_EQ(served.server, "host=srv dbname=atelier");
  EXPECT_EQ(served.argument, "/d/,ZORVANE,AB1");
}

TEST(ProgramFiles, AreKnownByTheirNameEndAndTheirRights) {
  for (const char* name : {"setup.exe", "SETUP.EXE", "x.Bat", "a.com", "b.Exe", "c.bAt", "d.cOm",
                           "/p/e.EXe", "run.sh", "go.desktop"})
    EXPECT_TRUE(os::isProgramFile(QString::fromLatin1(name))) << name;
  for (const char* name : {"plan.pdf", "photo.jpg", "exe.txt", "notes"})
    EXPECT_FALSE(os::isProgramFile(QString::fromLatin1(name))) << name;
}

}  // namespace
}  // namespace tarovent::documents
