#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QStackedWidget>

#include "DocumentTestSupport.h"
#include "documents/Attachments.h"
#include "documents/DocumentViewer.h"

namespace tarovent::documents {
namespace {

TEST(ViewerArgument, TheLastTwoCommasSeparateProjectAndKey) {
  const auto t = parseViewerArgument("/srv/Données, 2026/DATA/,ZORVANE,AB00042");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->dataFolder, QString::fromUtf8("/srv/Données, 2026/DATA/"));
  EXPECT_EQ(t->project, "ZORVANE");
  EXPECT_EQ(t->key, "AB00042");
  EXPECT_EQ(parseViewerArgument("/srv/DATA,QUILMORA,A1")->dataFolder, "/srv/DATA/");
  for (const char* bad : {"", "/srv/DATA", "/srv/DATA,ZORVANE", ",ZORVANE,AB1", "/d,,AB1", "/d,P,"})
    EXPECT_FALSE(parseViewerArgument(QString::fromLatin1(bad))) << bad;
}

// Dossier AB 42 of client C1, the dossier project registered, three attachments: a picture, a
// PDF and a program; the files live in the data folder's PIECES folder.
class Viewer : public test::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    m_db.Execute(
        "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_RESUME) VALUES "
        "('AB', 42, 'C1', 'Portail coulissant')");
    ensureDossierQuery(m_db);
    m_base = withBase();
    registerDossierProject(m_base, dataFolder());
    QDir(m_dir.path()).mkpath("PIECES");
    picture(path("PIECES/plan.png"));
    pdf(path("PIECES/devis.pdf"));
    ASSERT_TRUE(dossiers::test::writeFile(path("PIECES/setup.exe"), "MZ"));
    for (const char* name : {"plan.png", "devis.pdf", "setup.exe"})
      m_base.Execute("INSERT INTO TPROJ_DETAIL VALUES ('ZORVANE', 'AB00042', '" + path("PIECES/") +
                     "', '" + name + "')");
  }
  void TearDown() override {
    m_viewer.reset();
    DocumentTest::TearDown();
  }
  static void pdf(const QString& file) {
    QPdfWriter writer(file);
    QPainter p(&writer);
    p.drawText(200, 200, "Devis");
  }
  DocumentViewer* open(const QString& key = "AB00042") {
    m_viewer = std::make_unique<DocumentViewer>(m_base, ViewerTarget{dataFolder(), "ZORVANE", key},
                                                m_messages, *m_desktop);
    m_viewer->resize(1100, 720);
    m_viewer->show();
    m_viewer->load();
    QApplication::processEvents();
    return m_viewer.get();
  }
  template <typename T = QWidget>
  T* at(const char* name) {
    return tarovent::test::child<T>(m_viewer.get(), name);
  }
  // Shows the document of that name in the list.
  void choose(const QString& name) {
    auto* list = at<QListWidget>("BXL_Documents");
    const auto found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->setCurrentItem(found.first());
  }
  long attachments() {
    db::Recordset rs = m_base.OpenRecordset("select count(*) from TPROJ_DETAIL");
    return long(rs.value(0).toLongLong());
  }

  db::Database m_base;
  std::unique_ptr<DocumentViewer> m_viewer;
};

TEST_F(Viewer, NamesTheRecordThroughItsProjectAndShowsPicturesAndPdfsInside) {
  DocumentViewer* v = open();
  EXPECT_EQ(at<QLabel>("CTL_Enregistrement")->text(),
            "ZORVANE  -  AB00042  -  C1  -  Portail coulissant");
  EXPECT_EQ(at<QListWidget>("BXL_Documents")->count(), 3);
  choose("plan.png");
  EXPECT_FALSE(at<QLabel>("IMG_Document")->pixmap().isNull());
  choose("devis.pdf");
  EXPECT_TRUE(at("PDF_Document")->isVisible());
  choose("setup.exe");
  EXPECT_EQ(v->documents().size(), 3);
  EXPECT_EQ(at<QLabel>("CTL_Message")->text(),
            QString::fromUtf8("Ce fichier est un programme : il n'est jamais lancé."));
}

TEST_F(Viewer, OpensWithTheDesktopButNeverAProgramAndSaysAMovedFileIsMissing) {
  DocumentViewer* v = open();
  choose("devis.pdf");
  v->openSelected();
  EXPECT_EQ(m_desktop->opened, QStringList{path("PIECES/devis.pdf")});
  choose("setup.exe");
  v->openSelected();
  EXPECT_EQ(m_desktop->opened.size(), 1);
  EXPECT_TRUE(m_desktop->started.isEmpty());
  QFile::remove(path("PIECES/plan.png"));
  choose("plan.png");
  EXPECT_EQ(at<QLabel>("CTL_Message")->text(), "Fichier introuvable ...");
  EXPECT_TRUE(at<QLabel>("CTL_NomDocument")->text().endsWith("plan.png"));
}

TEST_F(Viewer, AddsCopiesUnderFreeNamesAndRemovesAttachmentsKeepingTheFiles) {
  DocumentViewer* v = open();
  picture(path("photo.png"));
  v->setFileChooser([this] {
    return QStringList{path("photo.png"), path("photo.png"), path("absent.png")};
  });
  v->addFiles();
  EXPECT_TRUE(QFileInfo::exists(path("photo.png")));  // copied, never moved
  const QString folder = documentsFolder(dataFolder(), "ZORVANE");
  EXPECT_TRUE(QFileInfo::exists(folder + "photo.png"));
  EXPECT_TRUE(QFileInfo::exists(folder + "photo (2).png"));
  EXPECT_EQ(attachments(), 5);
  EXPECT_EQ(m_messages.texts().size(), 1);  // the absent file
  EXPECT_EQ(at<QListWidget>("BXL_Documents")->currentItem()->text(), "photo (2).png");

  m_messages.clear();
  m_messages.script({ui::Answer::No});
  v->removeSelected();
  EXPECT_EQ(attachments(), 5);
  m_messages.script({ui::Answer::Yes});
  v->removeSelected();
  EXPECT_EQ(attachments(), 4);
  EXPECT_TRUE(QFileInfo::exists(folder + "photo (2).png"));
  EXPECT_EQ(v->documents().size(), 4);
}

TEST_F(Viewer, AnUnknownProjectOrRecordIsSaid) {
  open("AB00099");
  EXPECT_TRUE(at<QLabel>("CTL_Enregistrement")->text().contains("(enregistrement introuvable)"));
  EXPECT_EQ(at<QListWidget>("BXL_Documents")->count(), 0);
  m_viewer = std::make_unique<DocumentViewer>(m_base, ViewerTarget{dataFolder(), "AUTRE", "X"},
                                              m_messages, *m_desktop);
  EXPECT_FALSE(m_viewer->load());
  EXPECT_FALSE(at<QPushButton>("Cmd_Ajouter")->isEnabled());
}

}  // namespace
}  // namespace tarovent::documents
