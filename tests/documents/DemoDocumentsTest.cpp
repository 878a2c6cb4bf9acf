#include <QApplication>
#include <QLabel>
#include <QListWidget>

#include "documents/DocumentViewer.h"
#include "documents/FARTINFOS.h"
#include "dossiers/DemoMenuTest.h"
#include "install/Installer.h"
#include "platform/os/Desktop.h"
#include "ui/FormNavigation.h"

namespace tarovent::documents {
namespace {

// The document links of the demo family, as the program shows them.
class DemoDocuments : public tarovent::test::DemoMenuTest {
 protected:
  DemoDocuments() : DemoMenuTest(registerDocumentWindows) {}
  QString dataFolder() const { return install::familyLayout(m_dir.filePath("demo")).dataFolder; }
  void save(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("TAROVENT_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    EXPECT_TRUE(ui::saveScreenshot(w, folder + '/' + name + ".png"));
  }
};

TEST_F(DemoDocuments, ThePicturesOfTheFirstArticleOneOfThemMoved) {
  db::Database base = m_state->workspace.OpenDatabase(dataFolder() + kDocumentBase, true);
  db::Recordset rs = base.OpenRecordset(
      "select VALCHAMP from TPROJ_DETAIL where PROJET = 'QUILMORA' and NOMDOC like '*-vue2.ppm'");
  ASSERT_FALSE(rs.EOF_());
  m_state->pictureArticle = rs.text("VALCHAMP");
  std::unique_ptr<QWidget> w(m_state->windows.find("FARTINFOS")->create(m_menu.get()));
  ASSERT_NE(w, nullptr);
  w->resize(640, 560);
  w->show();
  EXPECT_EQ(w->findChild<QLabel*>("CTL_NbPhotos")->text(), "2 Photo(s)");
  // The moved view sorts first.
  EXPECT_EQ(w->findChild<QLabel*>("CTL_Message")->text(), "Fichier introuvable ...");
  save(w.get(), "FARTINFOS-introuvable");
  static_cast<FARTINFOS*>(w.get())->nextDocument();
  EXPECT_FALSE(w->findChild<QLabel*>("IMG_Photo")->pixmap().isNull());
  EXPECT_FALSE(w->findChild<QLabel*>("CTL_Message")->isVisible());
  save(w.get(), "FARTINFOS");
}

TEST_F(DemoDocuments, TheViewerOnADossierWithAPictureAndAPlan) {
  db::Database base = m_state->workspace.OpenDatabase(dataFolder() + kDocumentBase);
  db::Recordset rs =
      base.OpenRecordset("select VALCHAMP from TPROJ_DETAIL where PROJET = 'ZORVANE'");
  ASSERT_FALSE(rs.EOF_());
  os::RecordingDesktop desktop;
  DocumentViewer viewer(base, {dataFolder(), "ZORVANE", rs.text("VALCHAMP")}, m_messages, desktop);
  viewer.resize(1280, 800);
  viewer.show();
  ASSERT_TRUE(viewer.load());
  auto* list = viewer.findChild<QListWidget*>("BXL_Documents");
  EXPECT_EQ(list->count(), 2);
  EXPECT_TRUE(
      viewer.findChild<QLabel*>("CTL_Enregistrement")->text().contains(rs.text("VALCHAMP")));
  save(&viewer, "tarovent-docs-photo");
  const auto plans = list->findItems("-plan.pdf", Qt::MatchEndsWith);
  ASSERT_EQ(plans.size(), 1);
  list->setCurrentItem(plans.first());
  save(&viewer, "tarovent-docs-pdf");
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
}

}  // namespace
}  // namespace tarovent::documents
