#include "ClientTestSupport.h"
#include "clients/FCAT.h"
#include "ui/DataControl.h"

namespace tarovent::clients {
namespace {

using tarovent::test::pressKey;
using tarovent::test::typeText;
using ui::Answer;

class Fcat : public test::ClientWindowTest {
 protected:
  void SetUp() override {
    ClientWindowTest::SetUp();
    open<FCAT>();
  }
};

TEST_F(Fcat, CategoriesAreAddedRenamedAndDeletedAsRecords) {
  click("Cmd_ADD");
  typeText(get("CTX_TCAT_CODE"), "REV");
  pressKey(get("CTX_TCAT_CODE"), Qt::Key_Return);
  typeText(get("CTX_TCAT_LIBELLE"), "Revendeur");
  pressKey(get("CTX_TCAT_LIBELLE"), Qt::Key_F10);
  EXPECT_EQ(scalar("select TCAT_LIBELLE from TCAT where TCAT_CODE = 'REV'"), "Revendeur");
  EXPECT_EQ(focused(), "Cmd_ADD");

  click("Cmd_ADD");
  typeText(get("CTX_TCAT_LIBELLE"), "Sans code");
  click("Cmd_Update");
  m_messages.script({Answer::Yes});
  click("Cmd_Annul");
  click("Cmd_Delete");
  EXPECT_EQ(m_messages.texts(),
            (QStringList{QString::fromUtf8("Le code de la catégorie est obligatoire"),
                         "Confirmer la suppression"}));
  EXPECT_EQ(scalar("select count(*) from TCAT"), "2");
}

TEST_F(Fcat, ADuplicateCodeShowsTheCategoriesSource) {
  click("Cmd_ADD");
  typeText(get("CTX_TCAT_CODE"), "PRO");
  click("Cmd_Update");
  const QString said = m_messages.texts().join('|');
  EXPECT_TRUE(said.startsWith(QString::fromUtf8("Catégories : ")) && said.contains("   Err. n° "))
      << said.toStdString();
}

}  // namespace
}  // namespace tarovent::clients
