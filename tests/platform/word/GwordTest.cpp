#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/word/GWORD.h"
#include "platform/word/MiniDocx.h"

using namespace tarovent;
using namespace tarovent::fixtures;
using word::CellRef;
using word::GWORD;

namespace {

class Gword : public ::testing::Test {
 protected:
  void SetUp() override {
    MiniDocx shape{
        marked("RS", "", 1) +
        table({{"<w:p><w:bookmarkStart w:id=\"2\" w:name=\"CODART\"/><w:r><w:t>Code</w:t></w:r>"
                "<w:bookmarkEnd w:id=\"2\"/></w:p>",
                "Désignation"},
               {"", ""}})};
    shape.isTemplate = true;
    shape.package().saveAs(dir.filePath("DEV.dotx"));
  }
  QTemporaryDir dir;
};

TEST_F(Gword, NewDocumentTriesTheTemplateExtensionsInOrder) {
  GWORD word;
  EXPECT_FALSE(word.W_FichierNouveau(dir.filePath("ABSENT")));
  EXPECT_TRUE(word.lastError().contains("ABSENT"));
  QFile::copy(dir.filePath("DEV.dotx"), dir.filePath("DEV.dot"));  // OOXML under the old name
  ASSERT_TRUE(word.W_FichierNouveau(dir.filePath("DEV")));
  EXPECT_TRUE(word.W_EstDocModifie());
  EXPECT_FALSE(word.document()->isTemplate());
  EXPECT_FALSE(word.W_FichierEnregistrer());  // no name yet
  EXPECT_FALSE(word.lastError().isEmpty());
  ASSERT_TRUE(word.W_FichierEnregistrerSous(dir.filePath("00001_00.AB")));
  EXPECT_FALSE(word.W_EstDocModifie());
}

TEST_F(Gword, CursorMovesTypesAndAddsRows) {
  GWORD word;
  ASSERT_TRUE(word.W_FichierOuvrir(dir.filePath("DEV.dotx")));
  EXPECT_FALSE(word.W_Existe_Tableau());
  EXPECT_TRUE(word.W_EditionAtteindre("RS"));
  EXPECT_FALSE(word.W_Existe_Tableau());  // the bookmark is outside the tables
  EXPECT_TRUE(word.W_EcritSignet("RS", "Client"));
  ASSERT_TRUE(word.W_EditionAtteindre("CODART"));
  EXPECT_EQ(word.W_TABLEAU_NBCOL(), 2);
  EXPECT_EQ(word.W_LitTexte(), "Code");
  ASSERT_TRUE(word.W_CelluleSuiv());
  ASSERT_TRUE(word.W_CelluleSuiv());
  EXPECT_EQ(word.cursor(), (CellRef{1, 2, 1}));
  word.W_Masque(true);
  ASSERT_TRUE(word.W_Insertion("MO*SOUD"));
  word.W_Masque(false);
  EXPECT_TRUE(word.document()->isCellHidden({1, 2, 1}));
  EXPECT_TRUE(word.document()->showHiddenText());
  ASSERT_TRUE(word.W_TABLEAU_ADDLIGNE());
  EXPECT_EQ(word.cursor(), (CellRef{1, 3, 1}));
  ASSERT_TRUE(word.W_Insertion("VIS6"));
  EXPECT_FALSE(word.document()->isCellHidden({1, 3, 1}));
  ASSERT_TRUE(word.W_CellulePrec());
  EXPECT_EQ(word.cursor(), (CellRef{1, 2, 2}));
  ASSERT_TRUE(word.W_EditionSignet("WPOS"));
  EXPECT_TRUE(word.W_Existe_Signet("WPOS"));
  EXPECT_TRUE(word.W_TableauInsererLigne());
  EXPECT_EQ(word.cursor(), (CellRef{1, 2, 1}));
  EXPECT_TRUE(word.W_TableauSupprimerCellules());
  EXPECT_EQ(word.document()->rowCount(1), 3);
  EXPECT_TRUE(word.W_Signet_SUPPRIME("WPOS"));
  EXPECT_FALSE(word.W_Signet_SUPPRIME("WPOS"));
  EXPECT_TRUE(word.W_FichierEnregistrerSous(dir.filePath("d.docx")));
  word.W_FichierFermer();
  EXPECT_FALSE(word.W_EstDocModifie());
  ASSERT_TRUE(word.W_FichierOuvrirRO(dir.filePath("d.docx")));
  EXPECT_EQ(word.W_LitSignet("RS"), "Client");
  EXPECT_FALSE(word.W_FichierEnregistrer());
}

}  // namespace
