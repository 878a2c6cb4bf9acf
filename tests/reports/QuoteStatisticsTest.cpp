#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QRadioButton>

#include "../composition/FamilyFixture.h"
#include "core/ReportChoice.h"
#include "install/ReportFiles.h"
#include "platform/db/RowReader.h"
#include "platform/report/Report.h"
#include "reports/FRENTA.h"
#include "reports/QuoteStatistics.h"
#include "ui/FormAccessKeys.h"
#include "ui/UiTestSupport.h"

namespace tarovent::reports {
namespace {

TEST(QuoteStatisticsRules, ConditionKeysAndLabels) {
  QuoteCriteria c;
  EXPECT_EQ(quoteCondition(c),
            "where TDEV_DATE >= #01/01/1900# AND TDEV_DATE <= #12/31/2100# ");
  c.from = QDate(2025, 3, 1);
  c.client = "C1";
  c.rep = "J'D";
  c.user2 = "  ";
  EXPECT_EQ(quoteCondition(c),
            "where TDEV_DATE >= #03/01/2025# AND TDEV_DATE <= #12/31/2100# AND TDOS_CLIENT = "
            "'C1' AND TDOS_CAL = 'J''D' ");
  EXPECT_EQ(quoteKey("A", "42"), "A00042");
  EXPECT_EQ(quoteKey("AB", " 123456 "), "AB23456");
  EXPECT_EQ(QuoteStatistics::reportParameters(c).value("PERIODE"), "Depuis le 01/03/2025");
  EXPECT_EQ(QuoteStatistics::reportParameters(c).value("CRITERES"),
            "Client : C1 ; Commercial : J'D");
  EXPECT_EQ(choiceLabel(QuoteChoice::Won), "Devis aboutis");
}

// Dossiers of companies AB and A: AB 1 with versions of March and September 2025, AB 2 of June
// 2025 for a client of category IND, A 42 of January 2026, AB 3 without a version. A 42's
// quote became a current affair, AB 2's an archived one.
class QuoteStatisticsTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TSOC (TSOC_CODE, TSOC_LIB) VALUES ('AB', 'Atelier Bernard')",
             "INSERT INTO TSOC (TSOC_CODE, TSOC_LIB) VALUES ('A', 'Annexe')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL, "
             "TDOS_RESUME) VALUES ('AB', 1, 'C1', 'T1', 'JD', 'Portail')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL, "
             "TDOS_RESUME) VALUES ('AB', 2, 'C2', 'T1', 'MA', 'Clôture')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE) "
             "VALUES ('AB', 3, 'C1', 'T1')",
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL, "
             "TDOS_RESUME) VALUES ('A', 42, 'C1', 'T2', 'JD', 'Escalier')",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_MONTANT) "
             "VALUES ('AB', 1, 0, #03/01/2025#, 100)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_MONTANT) "
             "VALUES ('AB', 1, 1, #09/01/2025#, 150)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_MONTANT) "
             "VALUES ('AB', 2, 0, #06/15/2025#, 1234.5)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE, TDEV_MONTANT) "
             "VALUES ('A', 42, 0, #01/20/2026#, 80)",
         })
      m_state->mainDb().Execute(QString::fromUtf8(sql));
    for (const char* sql : {
             "INSERT INTO TCLI (TCLI_CODE, TCLI_RS, TCLI_Categ) VALUES ('C1', 'Aubry', 'PAR')",
             "INSERT INTO TCLI (TCLI_CODE, TCLI_RS, TCLI_Categ) VALUES ('C2', 'Berthier', 'IND')",
             "INSERT INTO TCAL (TCAL_CODE, TCAL_NOM) VALUES ('JD', 'Jean Dupont')",
             "INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NUMDEV, TAFF_DATCREA) "
             "VALUES ('AF-1', 'ZZ00001/00', #02/01/2026#)",
             "INSERT INTO TAFF (TAFF_NUMAFF, TAFF_NUMDEV, TAFF_DATCREA) "
             "VALUES ('AF-42', 'a00042/00', #02/03/2026#)",
             "INSERT INTO TAFS (TAFS_NUMAFF, TAFS_NUMDEV, TAFS_DATCREA) "
             "VALUES ('AS-2', 'AB00002/00', #07/01/2025#)",
             // Also archived: the current affair is the one taken.
             "INSERT INTO TAFS (TAFS_NUMAFF, TAFS_NUMDEV, TAFS_DATCREA) "
             "VALUES ('AS-42', 'A00042/01', #01/05/2026#)",
         })
      commercial().Execute(QString::fromUtf8(sql));
  }
  db::Database& commercial() { return m_state->base(core::entry::Commercial).db; }

  // TMP_RENTA, one row a line: SOC|NUMDOSS|NUMDEV|DATDEV|MONTANT|CLIENT|NUMAFF|DATAFF.
  QStringList rows() {
    QStringList lines;
    m_state->localDb.forEachRow(
        // By dossier: the table's own order is the file's, not the server's (a row changed
        // there goes to its end).
        "select * from TMP_RENTA order by SOC, NUMDOSS, NUMDEV", [&lines](const db::RowReader& r) {
          lines << QStringList{r.text("SOC"),
                               r.text("NUMDOSS"),
                               r.text("NUMDEV"),
                               r.value("DATDEV").toDate().toString("dd/MM/yyyy"),
                               QString::number(r.number("MONTANT")),
                               r.text("CLIENT"),
                               r.text("NUMAFF"),
                               r.value("DATAFF").toDate().toString("dd/MM/yyyy")}
                       .join('|');
        });
    return lines;
  }
  QuoteStatistics::Outcome fill(const QuoteCriteria& c) {
    QuoteStatistics s(*m_state);
    s.loadAffairs();
    return s.fill(c);
  }
};

TEST_F(QuoteStatisticsTest, WithoutCriteriaEveryDossierWithAVersionAndItsAffair) {
  ASSERT_EQ(fill({}), QuoteStatistics::Outcome::Filled);
  EXPECT_EQ(rows(), (QStringList{"A|42|0|20/01/2026|80|C1|AF-42|03/02/2026",
                                 "AB|1|1|01/09/2025|150|C1||",
                                 "AB|2|0|15/06/2025|1234.5|C2|AS-2|01/07/2025"}));
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(QuoteStatisticsTest, PeriodTakesTheLastVersionInsideIt) {
  QuoteCriteria c;
  c.from = QDate(2025, 1, 1);
  c.to = QDate(2025, 6, 30);
  ASSERT_EQ(fill(c), QuoteStatistics::Outcome::Filled);
  EXPECT_EQ(rows(), (QStringList{"AB|1|0|01/03/2025|100|C1||",
                                 "AB|2|0|15/06/2025|1234.5|C2|AS-2|01/07/2025"}));
}

TEST_F(QuoteStatisticsTest, ChoicesKeepWonOrLostQuotes) {
  QuoteCriteria c;
  c.choice = QuoteChoice::Won;
  ASSERT_EQ(fill(c), QuoteStatistics::Outcome::Filled);
  // Only "Tous les devis" writes the affairs in.
  EXPECT_EQ(rows(), (QStringList{"A|42|0|20/01/2026|80|C1||", "AB|2|0|15/06/2025|1234.5|C2||"}));
  c.choice = QuoteChoice::NotWon;
  ASSERT_EQ(fill(c), QuoteStatistics::Outcome::Filled);
  EXPECT_EQ(rows(), QStringList{"AB|1|1|01/09/2025|150|C1||"});
  // Without the commercial database nothing is won.
  m_state->base(core::entry::Commercial).folder.clear();
  c.choice = QuoteChoice::Won;
  ASSERT_EQ(fill(c), QuoteStatistics::Outcome::Filled);
  EXPECT_TRUE(rows().isEmpty());
}

TEST_F(QuoteStatisticsTest, CriteriaFilterVersionsBeforeGrouping) {
  QuoteCriteria c;
  c.category = "ind";
  ASSERT_EQ(fill(c), QuoteStatistics::Outcome::Filled);
  EXPECT_EQ(rows(), QStringList{"AB|2|0|15/06/2025|1234.5|C2|AS-2|01/07/2025"});
  c = {};
  c.rep = "JD";
  c.type = "T2";
  ASSERT_EQ(fill(c), QuoteStatistics::Outcome::Filled);
  EXPECT_EQ(rows(), QStringList{"A|42|0|20/01/2026|80|C1|AF-42|03/02/2026"});
}

TEST_F(QuoteStatisticsTest, StopsOnDatesOutOfOrderAndOnAnEmptyResult) {
  ASSERT_EQ(fill({}), QuoteStatistics::Outcome::Filled);
  QuoteCriteria c;
  c.from = QDate(2025, 6, 2);
  c.to = QDate(2025, 6, 1);
  EXPECT_EQ(fill(c), QuoteStatistics::Outcome::DatesOutOfOrder);
  EXPECT_EQ(rows().size(), 3);  // left as the last print left it
  c.to = QDate(2025, 6, 2);
  EXPECT_EQ(fill(c), QuoteStatistics::Outcome::NoQuote);
  c = {};
  c.client = "O'Brien";  // an apostrophe is data, not SQL
  EXPECT_EQ(fill(c), QuoteStatistics::Outcome::NoQuote);
  EXPECT_EQ(m_messages.texts(), (QStringList{"Dates dans le désordre", "Aucun devis à traiter",
                                             "Aucun devis à traiter"}));
}

TEST_F(QuoteStatisticsTest, DemoReportPrintsRowsTotalsAndPageNumbers) {
  if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext absent";
  ASSERT_EQ(fill({}), QuoteStatistics::Outcome::Filled);
  const QStringList files = core::reportFiles(m_layout.workingFolder, "IMPRENTA");
  ASSERT_EQ(files.size(), 2);
  report::Report r(files.first());
  r.setDecimalSeparator(',');
  QuoteCriteria c;
  const QHash<QString, QString> parameters = QuoteStatistics::reportParameters(c);
  for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) r.setParameter(it.key(), *it);
  r.start(m_state->localDb);
  const QString pdf = m_dir.filePath("renta.pdf");
  ASSERT_TRUE(r.writePdf(pdf));
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(p.waitForFinished(20000));
  const QString text = QString::fromUtf8(p.readAllStandardOutput());
  for (const char* expected :
       {"Statistiques des devis", "Toutes dates - Tous les devis", "Société AB", "00042",
        "Escalier", "AF-42", "1 234,50", "Total société AB : 2 devis", "1 384,50",
        "Total général : 3 devis", "1 464,50", "Page 1 / 1"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                              << text.toStdString();
}

TEST_F(QuoteStatisticsTest, ShippedVisitReportReadsTheVisitQuery) {
  db::Database& com = commercial();
  com.CreateQueryDef("RimpVis", QString::fromLatin1(install::kVisitReportQuery));
  com.Execute("INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_Resume) "
              "VALUES ('C1', #03/02/2026#, 'Réglage presse')");
  com.Execute("INSERT INTO TVIS (TVIS_CodCli, TVIS_DatePrev, TVIS_Resume) "
              "VALUES ('C2', #03/01/2026#, 'Devis portail')");
  report::Report r(m_layout.workingFolder + "IMPVISIT.RPT");
  r.start(com);
  r.layoutAll();
  EXPECT_EQ(r.rowCount(), 2);
  r.setSelectionFormula("{RImpVis.TVIS_NumLig}= 1");
  r.start(com);
  r.layoutAll();
  EXPECT_EQ(r.rowCount(), 1);
}

TEST_F(QuoteStatisticsTest, WindowPrintsOrStopsWithTheFocusOnTheStartDate) {
  FRENTA* w = FRENTA::create(*m_state);
  ASSERT_NE(w, nullptr);
  std::unique_ptr<FRENTA> owner(w);
  QList<QuoteCriteria> shown;
  w->setReportShower([&shown](const QuoteCriteria& c) { shown << c; });
  tarovent::test::showActive(w);
  auto* from = tarovent::test::child<QLineEdit>(w, "CTX_DatDeb");
  auto* to = tarovent::test::child<QLineEdit>(w, "CTX_DatFin");
  from->setText("1/7/25");
  to->setText("30/06/2025");
  tarovent::test::child<QAbstractButton>(w, "Cmd_Imprimer")->click();
  EXPECT_TRUE(shown.isEmpty());
  EXPECT_EQ(m_messages.texts(), QStringList{"Dates dans le désordre"});
  EXPECT_EQ(QApplication::focusWidget(), from);
  EXPECT_EQ(from->text(), "01/07/2025");
  to->setText("");
  tarovent::test::child<QRadioButton>(w, "OPT_Aboutis")->setChecked(true);
  tarovent::test::child<QComboBox>(w, "CTX_Client")->setEditText("C1");
  tarovent::test::child<QAbstractButton>(w, "Cmd_Imprimer")->click();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0].from, QDate(2025, 7, 1));
  EXPECT_EQ(shown[0].client, "C1");
  EXPECT_EQ(shown[0].choice, QuoteChoice::Won);
  EXPECT_EQ(rows(), QStringList{"A|42|0|20/01/2026|80|C1||"});
  // A typed date that is not one stops the print with the box selected.
  m_messages.clear();
  to->setText("32/13/2025");
  tarovent::test::child<QAbstractButton>(w, "Cmd_Imprimer")->click();
  EXPECT_EQ(m_messages.texts(), QStringList{"Date incorrecte : 32/13/2025"});
  EXPECT_EQ(shown.size(), 1);
}

// Regression: the dates and the custom fields had no access key, and an "&" in a custom field's
// label vanished into one.
TEST_F(QuoteStatisticsTest, EveryCriterionHasAnAccessKeyOfItsOwn) {
  m_state->mainDb().Execute(
      "update TPAR set TPAR_LIBUSER1 = 'Atelier', TPAR_LIBUSER2 = 'R&D client'");
  std::unique_ptr<FRENTA> w(FRENTA::create(*m_state));
  tarovent::test::showActive(w.get());
  EXPECT_EQ(tarovent::test::keyboardFaults(w.get()), QStringList());
  QStringList captions;
  for (QLabel* label : w->findChildren<QLabel*>())
    if (label->buddy()) {
      captions << label->text();
      EXPECT_FALSE(tarovent::test::accessKey(label->text()).isNull()) << label->text().toStdString();
    }
  EXPECT_TRUE(captions.contains("&R&&D client")) << captions.join('|').toStdString();
  // Alt+D reaches the start date, Alt+E and Alt+R the custom fields.
  const auto boxOf = [&](char letter) {
    auto* label = qobject_cast<QLabel*>(ui::FormAccessKeys::target(w.get(), QChar(letter)));
    return label ? label->buddy()->objectName() : QString();
  };
  EXPECT_EQ(boxOf('D'), "CTX_DatDeb");
  EXPECT_EQ(boxOf('A'), "CTX_DatFin");
  EXPECT_EQ(boxOf('E'), "CTX_User1");
  EXPECT_EQ(boxOf('R'), "CTX_User2");
}

TEST_F(QuoteStatisticsTest, UnknownRepresentativeSaidOnLeavingTheBox) {
  std::unique_ptr<FRENTA> w(FRENTA::create(*m_state));
  tarovent::test::showActive(w.get());
  auto* rep = tarovent::test::child<QComboBox>(w.get(), "CTX_Cal");
  rep->setFocus();
  rep->setEditText("XX");
  tarovent::test::child<QLineEdit>(w.get(), "CTX_User1")->setFocus();
  EXPECT_EQ(m_messages.texts(), QStringList{"Code commercial <XX> inconnu !!!"});
  m_messages.clear();
  rep->setFocus();
  rep->setEditText("jd");
  tarovent::test::child<QLineEdit>(w.get(), "CTX_User1")->setFocus();
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

}  // namespace
}  // namespace tarovent::reports
