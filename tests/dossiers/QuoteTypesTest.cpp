#include <QDir>
#include <QFile>

#include "DossierTestSupport.h"
#include "dossiers/QuoteTypeDuplication.h"
#include "dossiers/QuoteTypeTemplates.h"
#include "dossiers/TariffModes.h"

namespace tarovent::dossiers {
namespace {

TEST(TariffModes, MaterialsInTwoSteps) {
  struct Case {
    QString letter;
    bool known, selling, second;
    QString back;
  };
  for (const Case& c : {Case{"R", true, false, false, "R"}, Case{"V", true, true, false, "V"},
                        Case{"p", true, true, true, "P"}, Case{"", false, false, false, ""},
                        Case{"X", false, false, false, ""}}) {
    const MaterialsChoice m = materialsChoice(c.letter);
    EXPECT_EQ(QList<bool>({m.known, m.sellingPrice, m.secondPrice}),
              QList<bool>({c.known, c.selling, c.second}))
        << qPrintable(c.letter);
    EXPECT_EQ(materialsLetter(m), c.back) << qPrintable(c.letter);
  }
  // A cost price ignores a second price left chosen.
  EXPECT_EQ(materialsLetter({false, true, true}), "R");
  EXPECT_TRUE(validLabourMode("v"));
  EXPECT_FALSE(validLabourMode("P"));
  EXPECT_FALSE(validMaterialsMode(" "));
}

class QuoteTypes : public test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    m_folder = m_dir.path() + '/';
    write("VIDE.dotx", "empty template");
    write("A1.dotx", "template of A1");
  }
  void write(const QString& name, const QByteArray& content) {
    ASSERT_TRUE(test::writeFile(m_folder + name, content));
  }
  QByteArray read(const QString& name) { return test::readFile(m_folder + name); }
  // Every field of a type but its code and label, as text.
  QStringList options(const QString& code) {
    db::Recordset rs = m_db.OpenRecordset("select * from TTYP where TTYP_CODE = '" + code + "'");
    QStringList out;
    if (rs.EOF_()) return out;
    for (int i = 0; i < rs.fieldCount(); ++i) {
      const QString name = rs.fieldName(i).toUpper();
      if (name != "TTYP_CODE" && name != "TTYP_LIB") out << name + '=' + rs.value(i).toString();
    }
    return out;
  }
  QString m_folder;
};

TEST_F(QuoteTypes, TemplatesAreLookedUpByExtensionAndReplacedByTheEmptyOne) {
  QuoteTypeTemplates t(m_dir.path());  // without the trailing separator
  EXPECT_EQ(t.templateFile("A1"), m_folder + "A1.dotx");
  EXPECT_EQ(t.templateFile("B2"), m_folder + "B2.dotx");  // the name a new one gets
  write("A1.dot", "older template");
  EXPECT_EQ(t.templateFile("A1"), m_folder + "A1.dot");

  QString error;
  ASSERT_TRUE(t.giveEmptyTemplate("A1", &error)) << qPrintable(error);
  EXPECT_EQ(read("A1.dotx"), "empty template");
  EXPECT_EQ(read("A1.dot"), "<none>");
  ASSERT_TRUE(t.giveEmptyTemplate("B2", &error));
  EXPECT_EQ(read("B2.dotx"), "empty template");

  EXPECT_TRUE(t.removeTemplate("B2"));
  EXPECT_FALSE(t.hasTemplate("B2"));
  ASSERT_TRUE(QFile::remove(m_folder + "VIDE.dotx"));
  EXPECT_FALSE(t.giveEmptyTemplate("C3", &error));
  EXPECT_EQ(error, "Le modèle vide VIDE.dotx est introuvable dans " + m_folder);
}

TEST_F(QuoteTypes, DuplicationCopiesEveryOptionAndTheTemplate) {
  m_db.Execute(
      "UPDATE TTYP SET TTYP_DART2F = True, TTYP_DTRF1_HT = True, TTYP_MASKHT2 = True, "
      "TTYP_LibEnTitre = True, TTYP_TitreCorps = 14, TTYP_TitreSouligne = True, "
      "TTYP_Desactive = True WHERE TTYP_CODE = 'A1'");
  const QStringList before = options("A1");
  QuoteTypeTemplates t(m_folder);
  QuoteTypeDuplication d(m_db, t, m_messages);
  EXPECT_EQ(d.duplicate("A1", " B2 ", "Copie"), "");
  EXPECT_EQ(options("B2"), before);
  EXPECT_EQ(scalar("select TTYP_LIB from TTYP where TTYP_CODE = 'B2'"), "Copie");
  EXPECT_EQ(read("B2.dotx"), "template of A1");
}

TEST_F(QuoteTypes, DuplicationRefusals) {
  QuoteTypeTemplates t(m_folder);
  QuoteTypeDuplication d(m_db, t, m_messages);
  EXPECT_EQ(d.sourceRefusal("OLD"), "Modèle OLD introuvable ...");
  EXPECT_EQ(d.duplicate("OLD", "B2", "x"), "Modèle OLD introuvable ...");
  EXPECT_EQ(d.duplicate("A1", "old", "x"), "Code modèle old déjà utilisé !!!");
  EXPECT_EQ(d.duplicate("A1", "  ", "x"), "Le nouveau code est obligatoire");
  EXPECT_EQ(scalar("select count(*) from TTYP"), "2");
  EXPECT_FALSE(t.hasTemplate("old"));
}

// Regression: a code such as "../X" created and deleted templates outside the documents folder.
TEST_F(QuoteTypes, CodesThatAreNotPlainFileNamesNameNoTemplate) {
  ASSERT_TRUE(QDir(m_folder).mkdir("docs"));
  ASSERT_TRUE(test::writeFile(m_folder + "docs/VIDE.dotx", "empty template"));
  ASSERT_TRUE(test::writeFile(m_folder + "docs/A1.dotx", "template of A1"));
  QuoteTypeTemplates t(m_folder + "docs");
  QString error;
  for (const QString code : {"../A1", "..", "a/b", "a\\b", "X*", ""}) {
    SCOPED_TRACE(code.toStdString());
    EXPECT_FALSE(QuoteTypeTemplates::usableCode(code));
    EXPECT_FALSE(t.hasTemplate(code));
    EXPECT_FALSE(t.giveEmptyTemplate(code, &error));
    EXPECT_TRUE(t.removeTemplate(code));
  }
  EXPECT_EQ(read("A1.dotx"), "template of A1");  // outside the folder: untouched
  EXPECT_FALSE(QFile::exists(m_folder + "X*.dotx"));
  EXPECT_TRUE(QuoteTypeTemplates::usableCode("DEV-2"));

  QuoteTypeDuplication d(m_db, t, m_messages);
  EXPECT_TRUE(d.duplicate("A1", "../B2", "x").startsWith("Le code ../B2 ne peut pas nommer"));
  EXPECT_EQ(scalar("select count(*) from TTYP"), "2");
  EXPECT_FALSE(QFile::exists(m_folder + "B2.dotx"));
}

}  // namespace
}  // namespace tarovent::dossiers
