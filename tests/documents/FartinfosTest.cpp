#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "DocumentTestSupport.h"
#include "documents/FARTINFOS.h"

namespace tarovent::documents {
namespace {

// Article A1 with three attachments: a picture, a picture moved away since, and a program.
class Fartinfos : public test::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    picture(path("vue1.png"));
    ASSERT_TRUE(dossiers::test::writeFile(path("outil.EXE"), "MZ"));
    m_docs = {{dataFolder(), "vue1.png"}, {dataFolder(), "vue2.png"}, {dataFolder(), "outil.EXE"}};
  }
  FARTINFOS* show(QList<AttachedDocument> docs) {
    auto* w = new FARTINFOS(*m_state, "A1", "Charnière", std::move(docs));
    m_window.reset(w);
    w->show();
    QApplication::processEvents();
    return w;
  }
  QLabel* label(const char* name) { return get<QLabel>(name); }

  QList<AttachedDocument> m_docs;
};

TEST_F(Fartinfos, ShowsTheCountAndTheFirstPicture) {
  show(m_docs);
  EXPECT_EQ(get<QGroupBox>("FRM_Article")->title(), QString::fromUtf8("A1 - Charnière"));
  EXPECT_EQ(label("CTL_NbPhotos")->text(), "3 Photo(s)");
  EXPECT_FALSE(label("IMG_Photo")->pixmap().isNull());
  EXPECT_EQ(label("IMG_Photo")->toolTip(), "vue1.png");
  EXPECT_EQ(label("CTL_NomPhoto")->text(), "vue1.png");
  EXPECT_FALSE(label("CTL_Message")->isVisible());
  click("Cmd_Ouvrir");
  EXPECT_EQ(m_desktop->opened, QStringList{path("vue1.png")});
}

TEST_F(Fartinfos, AMovedFileIsSaidMissingAndKeepsItsNameAndNextWrapsAround) {
  FARTINFOS* w = show(m_docs);
  click("Cmd_Suivante");
  EXPECT_EQ(w->current(), 1);
  EXPECT_TRUE(label("IMG_Photo")->pixmap().isNull());
  EXPECT_EQ(label("CTL_Message")->text(), "Fichier introuvable ...");
  EXPECT_TRUE(label("CTL_Message")->isVisible());
  EXPECT_EQ(label("CTL_NomPhoto")->text(), "vue2.png");
  EXPECT_TRUE(label("CTL_NomPhoto")->isVisible());
  click("Cmd_Ouvrir");  // nothing shown, nothing opened
  EXPECT_TRUE(m_desktop->opened.isEmpty());
  click("Cmd_Suivante");
  click("Cmd_Suivante");
  EXPECT_EQ(w->current(), 0);
}

TEST_F(Fartinfos, AProgramIsShownByItsNameButNeverLaunched) {
  FARTINFOS* w = show(m_docs);
  w->nextDocument();
  w->nextDocument();
  EXPECT_EQ(label("CTL_NomPhoto")->text(), "outil.EXE");
  w->openDocument();
  QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(label("IMG_Photo"), &dbl);
  EXPECT_TRUE(m_desktop->opened.isEmpty());
  EXPECT_TRUE(m_desktop->started.isEmpty());
  EXPECT_EQ(m_messages.beeps(), 2);
}

// A document that is no picture never leaves an empty frame without a word.
TEST_F(Fartinfos, ADocumentThatIsNoPictureSaysHowToSeeIt) {
  ASSERT_TRUE(dossiers::test::writeFile(path("fiche.pdf"), "%PDF-1.4"));
  FARTINFOS* w = show({{dataFolder(), "fiche.pdf"}, {dataFolder(), "outil.EXE"}});
  EXPECT_TRUE(label("IMG_Photo")->pixmap().isNull());
  EXPECT_TRUE(label("CTL_Message")->isVisible());
  EXPECT_EQ(label("CTL_Message")->text(),
            QString::fromUtf8("Pas d'aperçu : « Ouvrir » le montre avec le programme du poste"));
  EXPECT_EQ(label("CTL_NomPhoto")->text(), "fiche.pdf");
  w->openDocument();
  EXPECT_EQ(m_desktop->opened, QStringList{path("fiche.pdf")});
  w->nextDocument();
  EXPECT_TRUE(label("CTL_Message")->isVisible());
  EXPECT_EQ(label("CTL_Message")->text(),
            QString::fromUtf8("Ce fichier est un programme : il n'est jamais lancé."));
  EXPECT_EQ(label("CTL_NomPhoto")->text(), "outil.EXE");
  // Back to a picture: the message goes.
  show(m_docs);
  EXPECT_FALSE(label("CTL_Message")->isVisible());
}

TEST_F(Fartinfos, WithoutDocumentsItSaysSo) {
  show({});
  EXPECT_EQ(label("CTL_NbPhotos")->text(), "");
  EXPECT_EQ(label("CTL_Message")->text(), "Pas de photos ...");
  EXPECT_FALSE(label("CTL_NomPhoto")->isVisible());
}

TEST_F(Fartinfos, TheRegisteredWindowOpensOnlyOnAnArticleWithDocuments) {
  registerDocumentWindows(*m_state);
  const ui::WindowSpec* window = m_state->windows.find("FARTINFOS");
  ASSERT_NE(window, nullptr);
  m_state->pictureArticle = "A1";
  EXPECT_EQ(window->create(nullptr), nullptr);  // no document base
  db::Database base = withBase();
  EXPECT_EQ(window->create(nullptr), nullptr);  // no document for A1
  base.Execute("INSERT INTO TPROJ_DETAIL VALUES ('QUILMORA', 'A1', '" + dataFolder() +
               "', 'vue1.png')");
  base.Execute("INSERT INTO TPROJ_DETAIL VALUES ('ZORVANE', 'A2', '" + dataFolder() +
               "', 'vue1.png')");
  std::unique_ptr<QWidget> w(window->create(nullptr));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(tarovent::test::child<QLabel>(w.get(), "CTL_NbPhotos")->text(), "1 Photo(s)");
  m_state->pictureArticle = "A2";
  EXPECT_EQ(window->create(nullptr), nullptr);
  EXPECT_TRUE(static_cast<bool>(m_state->showDossierDocuments));
}

}  // namespace
}  // namespace tarovent::documents
