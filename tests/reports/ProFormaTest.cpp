#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTableWidget>

#include "core/ProcessState.h"
#include "dossiers/DossierTestSupport.h"
#include "install/templates/TemplateBuilder.h"
#include "platform/ooxml/Package.h"
#include "platform/word/MiniDocx.h"
#include "platform/word/WordDocument.h"
#include "reports/FACPROF.h"
#include "reports/ProForma.h"
#include "ui/UiTestSupport.h"

namespace tarovent::reports {
namespace {

using ui::Answer;

TEST(ProFormaRules, TotalsNamesAndHead) {
  const ProFormaTotals t = proFormaTotals(250.00, 23.03, 226.97, 20);
  EXPECT_EQ(QList<double>({t.vat, t.withTax, t.netSecond, t.withTaxSecond}),
            QList<double>({45.39, 272.36, 34.60, 41.52}));
  // Half up on the third decimal: 0.125 % of 100 is 0.125.
  EXPECT_DOUBLE_EQ(proFormaTotals(0, 0, 100, 0.125).vat, 0.13);

  EXPECT_EQ(invoiceFileName("00012_00.AB"), "00012.AB.PRF");
  EXPECT_EQ(invoiceFileName("00012_03.ABC"), "00012ABC.PRF");

  // The address lines move up over the blank ones (ADR1..ADR4 of the quote, then written).
  const std::pair<QString, QString> cases[] = {
      {"1 rue Haute||BP 7|75001 Paris", "1 rue Haute|BP 7|75001 Paris|"},
      {"|||75001 Paris", "75001 Paris|||"},
      {"a|b|c|d", "a|b|c|d"},
  };
  for (const auto& [parts, written] : cases) {
    QMap<QString, QString> quote{{"RS", "Aubry"}, {"CODCLI", "C1"}};
    for (int i = 0; i < 4; ++i)
      quote[QStringLiteral("ADR%1").arg(i + 1)] = parts.section('|', i, i);
    const QMap<QString, QString> head = invoiceHead(quote, "00005_00.AB", QDate(2026, 12, 6));
    EXPECT_EQ(QStringList({head["ADR1"], head["ADR2"], head["ADR3"], head["ADR4"]}).join('|'),
              written);
    EXPECT_EQ(head.value("NUMDEV") + " " + head.value("DATFACT"), "00005_00.AB 06/12/2026");
    EXPECT_FALSE(head.contains("CODCLI"));
  }
}

// Regression: a run holding only a space was dropped, so words ran together in the invoice.
TEST(ProFormaRules, TheQuotesTextKeepsItsSpaces) {
  const QString words =
      "<w:p><w:r><w:t>Portail</w:t></w:r><w:r><w:t xml:space=\"preserve\"> </w:t></w:r>"
      "<w:r><w:t>coulissant</w:t></w:r></w:p>";
  const ooxml::Package quote = fixtures::MiniDocx{fixtures::marked("DEBTEXTE", "", 1) + words +
                                                  fixtures::marked("FINTEXTE", "", 2)}
                                   .package();
  ooxml::Package invoice = fixtures::MiniDocx{fixtures::marked("DEBTEXTE", "", 1)}.package();
  ASSERT_EQ(carryQuoteText(quote, invoice), 1);
  const QString xml = QString::fromUtf8(invoice.read(invoice.mainPart()));
  EXPECT_TRUE(xml.contains("<w:t xml:space=\"preserve\"> </w:t>")) << xml.toStdString();
}

// Quote AB 5 version 0 of client C1 (representative MA), its document with totals and one line,
// the FACPROF template in the documents folder.
class ProFormaTest : public dossiers::test::MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CAL, "
             "TDOS_CONTACT) VALUES ('AB', 5, 'C1', 'A1', 'MA', 'Luc')",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 0, #01/10/2026#)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 1, #01/12/2026#)",
             "UPDATE TCLI SET TCLI_ADR1 = '1 rue Haute', TCLI_ADR2 = '', TCLI_ADR3 = 'BP 7', "
             "TCLI_CODP = '75001', TCLI_VILLE = 'Paris' WHERE TCLI_CODE = 'C1'",
         })
      m_db.Execute(QString::fromUtf8(sql));
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_state->base(core::entry::Main).folder = m_dir.path() + '/';
    m_state->base(core::entry::Main).file = "TAROVENT.MDB";
    m_state->base(core::entry::Main).db = m_db;
    m_state->config.salesRep = "MA";
    m_state->openDocument = [this](const QString& path) {
      m_opened << path;
      return true;
    };
    QDir(m_dir.path()).mkdir("DOC_TAROVENT");
    templates::buildProFormaTemplate(path("FACPROF.dotx"));
    templates::buildQuoteTemplate(path("A1.dotx"), templates::QuoteTemplateKind::Standard);
    word::WordDocument quote = word::WordDocument::fromTemplate(path("A1.dotx"));
    quote.setBookmarkText("NUMDEV", "00005_00.AB");
    quote.setBookmarkText("SMTBRUT", "250,00");
    quote.setBookmarkText("SMTREM", "23,03");
    quote.setBookmarkText("SMTNET", "226,97");
    quote.setCellText({3, 1, 2}, "Portail coulissant");
    quote.saveAs(document("00005_00.AB"));
  }
  QString document(const QString& name) { return m_dir.filePath("DOC_TAROVENT/" + name); }
  ProForma::Outcome make(const QString& vat, bool withText, const QString& number = "00005_00.AB") {
    ProForma p(*m_state, [this](const QStringList& t, const QString&, const QString&) {
      m_offered = t;
      return m_choice;
    });
    return p.make({number, vat, withText});
  }
  word::WordDocument invoice() {
    return word::WordDocument::open(document("00005.AB.PRF"), word::OpenMode::ReadOnly);
  }
  QByteArray bytes() {
    QFile f(document("00005.AB.PRF"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  std::unique_ptr<core::ProcessState> m_state;
  QStringList m_opened, m_offered;
  QString m_choice;
};

// Every stop says its message and writes nothing.
TEST_F(ProFormaTest, StopsWithTheirMessages) {
  const struct {
    QString vat, number;
    ProForma::Outcome outcome;
    QString message;
  } cases[] = {
      {"", "00005_00.AB", ProForma::Outcome::NoVat, "Saisir un taux de T.V.A."},
      {"12abc", "00005_00.AB", ProForma::Outcome::NoVat, "Saisir un taux de T.V.A."},
      {"1 234,50", "00005_00.AB", ProForma::Outcome::NoVat, "Saisir un taux de T.V.A."},
      {"-5,5", "00005_00.AB", ProForma::Outcome::NoVat, "Saisir un taux de T.V.A."},
      {"20", "00005_01.AB", ProForma::Outcome::NoDocument, "Texte du devis introuvable."},
      {"20", "00005_00.AB", ProForma::Outcome::NoTemplate,
       "Le modèle WORD <FACPROF> est introuvable."},
  };
  for (const auto& c : cases) {
    m_messages.clear();
    if (c.outcome == ProForma::Outcome::NoTemplate) QFile::remove(path("FACPROF.dotx"));
    EXPECT_EQ(make(c.vat, false, c.number), c.outcome);
    EXPECT_EQ(m_messages.texts(), QStringList{c.message});
  }
  EXPECT_FALSE(QFile::exists(document("00005.AB.PRF")));
  EXPECT_TRUE(m_opened.isEmpty());
}

// The invoice: head and totals written, the quote's text carried only when asked, without its
// bookmarks; then "Yes" to the question keeps it untouched whatever the rate, "No" remakes it.
TEST_F(ProFormaTest, MakesKeepsAndRemakesTheInvoice) {
  ASSERT_EQ(make("20", true), ProForma::Outcome::Made);
  EXPECT_EQ(m_opened, QStringList{document("00005.AB.PRF")});
  const QMap<QString, QString> expected{{"STTC", "272,36"},           {"DEVISE", "41,52"},
                                        {"STXTVA", "20,00%"},         {"ADR3", "75001 Paris"},
                                        {"NUMDEV_P1", "00005_00.AB"}, {"CONTACT", "Luc"}};
  word::WordDocument made = invoice();
  for (auto it = expected.cbegin(); it != expected.cend(); ++it)
    EXPECT_EQ(made.bookmarkText(it.key()).trimmed(), it.value()) << it.key().toStdString();
  EXPECT_TRUE(made.bodyText().contains("Portail coulissant"));
  EXPECT_FALSE(made.hasBookmark("CODART"));
  const QByteArray before = bytes();
  m_messages.script({Answer::Yes});
  m_opened.clear();
  EXPECT_EQ(make("5,5", false), ProForma::Outcome::KeptExisting);
  EXPECT_EQ(m_messages.texts().last(),
            "Cette facture existe déjà. Voulez-vous conserver le texte existant ?");
  EXPECT_EQ(bytes(), before);
  m_messages.script({Answer::No});
  EXPECT_EQ(make("5,5", false), ProForma::Outcome::Made);
  EXPECT_EQ(invoice().bookmarkText("SMTTVA").trimmed(), "12,48");
  EXPECT_FALSE(invoice().bodyText().contains("Portail coulissant"));
}

// The invoice carries the quote's lines: its totals take the quote's decimal separator, whatever
// the workstation's.
TEST_F(ProFormaTest, TheTotalsAreWrittenAsTheQuoteWritesItsNumbers) {
  const QLocale saved;
  for (const QLocale& workstation : {QLocale::c(), QLocale(QLocale::French, QLocale::France),
                                     QLocale(QLocale::English, QLocale::UnitedStates)}) {
    for (const QString sep : {",", "."}) {
      SCOPED_TRACE((workstation.name() + " " + sep).toStdString());
      QLocale::setDefault(workstation);
      word::WordDocument quote = word::WordDocument::open(document("00005_00.AB"));
      quote.setBookmarkText("SMTBRUT", "250" + sep + "00");
      quote.setBookmarkText("SMTREM", "23" + sep + "03");
      quote.setBookmarkText("SMTNET", "226" + sep + "97");
      quote.setCellText({3, 1, 3}, "2" + sep + "00");
      quote.save();
      m_messages.script({Answer::No});  // made again
      ASSERT_EQ(make("20", true), ProForma::Outcome::Made);
      const word::WordDocument made = invoice();
      EXPECT_EQ(made.bookmarkText("STTC").trimmed(), "272" + sep + "36");
      EXPECT_EQ(made.bookmarkText("SHTNET").trimmed(), "226" + sep + "97");
      EXPECT_EQ(made.bookmarkText("STXTVA").trimmed(), "20" + sep + "00%");
    }
  }
  QLocale::setDefault(saved);
}

TEST_F(ProFormaTest, SeveralTemplatesAreChosen) {
  QFile::copy(path("FACPROF.dotx"), path("FACPROF_EXPORT.dotx"));
  m_choice.clear();
  EXPECT_EQ(make("20", false), ProForma::Outcome::Cancelled);
  EXPECT_EQ(m_offered, QStringList({path("FACPROF.dotx"), path("FACPROF_EXPORT.dotx")}));
  m_choice = path("FACPROF_EXPORT.dotx");
  EXPECT_EQ(make("20", false), ProForma::Outcome::Made);
}

TEST_F(ProFormaTest, WindowListsTheRepresentativesQuotesWithTheirMarks) {
  std::unique_ptr<FACPROF> w(FACPROF::create(*m_state));
  ASSERT_TRUE(w);
  auto* list = w->findChild<QTableWidget*>("DBG_Devis");
  EXPECT_EQ(tarovent::test::keyboardFaults(w.get()), QStringList());
  ASSERT_EQ(list->rowCount(), 2);
  const int first = list->item(0, 0)->text() == "00005_00.AB" ? 0 : 1;
  EXPECT_EQ(list->item(1 - first, 0)->text(), "00005_01.AB");
  EXPECT_EQ(list->item(first, 3)->text(), "X");  // its text exists, the other's does not
  EXPECT_EQ(list->item(1 - first, 3)->text(), "");
  w->makeInvoice();  // nothing selected
  EXPECT_EQ(m_messages.beeps(), 1);
  list->selectRow(first);
  w->makeInvoice();
  EXPECT_EQ(list->item(first, 4)->text(), "X");

  // The row framed when the list takes the focus is the one the button takes.
  std::unique_ptr<FACPROF> shown(FACPROF::create(*m_state));
  auto* framed = shown->findChild<QTableWidget*>("DBG_Devis");
  shown->show();
  QApplication::setActiveWindow(shown.get());
  framed->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_GE(framed->currentRow(), 0);
  EXPECT_EQ(framed->selectedItems().size(), 5);
  EXPECT_EQ(framed->selectedItems().first()->row(), framed->currentRow());

  m_state->config.salesRep = "JD";
  EXPECT_FALSE(FACPROF::create(*m_state));
  EXPECT_EQ(m_messages.texts().last(), "Aucun devis n'a été trouvé ...");
}

}  // namespace
}  // namespace tarovent::reports
