#include <gtest/gtest.h>

#include "core/ConfigFile.h"
#include "core/Paths.h"

namespace tarovent::core {
namespace {

TEST(ConfigFileTest, BothSpellingsAndUpperCaseCompare) {
  const Configuration c = readConfiguration(
      {"  mire = off ", "devcal =JD", "Site = A 1", "calendrier = 2", "DEVSOC=01"});
  EXPECT_FALSE(c.startPicture);
  EXPECT_EQ(c.salesRep + '|' + c.site + '|' + c.defaultCompany, "JD|A1|01");  // spaces removed
  EXPECT_EQ(c.calendar, 2);
  EXPECT_TRUE(readConfiguration({"MIRE=ON"}).startPicture);
}

TEST(ConfigFileTest, StartPictureValuesMustBeQuoted) {
  EXPECT_EQ(readConfiguration({"MIRETARO=C:\\IMG\\taro.bmp"}).startPictureFile, "");
  EXPECT_EQ(readConfiguration({"MIRETARO=\"C:\\IMG\\taro.bmp\""}).startPictureFile,
            "C:\\IMG\\taro.bmp");
  EXPECT_EQ(readConfiguration({"MIRETARO =\""}).startPictureFile, "");
  const Configuration c = readConfiguration({"MIRECORV=\"corv.bmp\"", "MIREPALU=palu.bmp"});
  EXPECT_EQ(c.siblingPictures,
            (QMap<QString, QString>{{"MIRECORV", "corv.bmp"}, {"MIREPALU", ""}}));
}

TEST(ConfigFileTest, SecondPassStopsAtTheFirstEmptyLine) {
  const Configuration c =
      readConfiguration({"DEVSOC=01", "LANGUE=1", "   ", "DEVSOC=02", "DEVCAL=MM", "LANGUE=2"});
  EXPECT_EQ(c.defaultCompany + c.salesRep, "01MM");  // the first pass reads every line
  EXPECT_EQ(c.language, 1);
}

TEST(ConfigFileTest, LastOccurrenceWinsAndEmptyValuesAreIgnored) {
  const Configuration c =
      readConfiguration({"DEVCAL=A", "DEVCAL=B", "DEVCAL=", "DEVSOC=X", "DEVSOC =Y", "LANGUE = 2,5",
                         "CHARSET=238", "FONT = Arial CE"});
  EXPECT_EQ(c.salesRep + '|' + c.defaultCompany + '|' + c.font, "B|Y|Arial CE");
  EXPECT_EQ(c.language, 2);
  EXPECT_EQ(c.charset, 238);
  EXPECT_EQ(readConfiguration({}).language, 0);
}

TEST(PathsTest, FoldersCutAtAnySeparator) {
  EXPECT_EQ(folderOf("C:\\APPS\\PRODUIT"), "C:\\APPS\\");
  EXPECT_EQ(folderOf("/srv/fam/TAROVENT"), "/srv/fam/");
  EXPECT_EQ(folderOf("D:file.mdb"), "D:");
  EXPECT_EQ(configurationPath("/srv/fam/TAROVENT/"), "/srv/fam/milostar.ini");
  EXPECT_EQ(configurationPath("C:\\APPS\\PRODUIT"), "C:\\APPS\\milostar.ini");
  EXPECT_EQ(withSeparator("C:\\MODELES"), "C:\\MODELES/");
  EXPECT_EQ(withSeparator("D:"), "D:");
  EXPECT_EQ(withSeparator(""), "");
  EXPECT_EQ(lastFolderName("C:\\DATA\\SOCIETE1\\"), "SOCIETE1");
  EXPECT_EQ(lastFolderName("/srv/fam/DONNEES/"), "DONNEES");
}

}  // namespace
}  // namespace tarovent::core
