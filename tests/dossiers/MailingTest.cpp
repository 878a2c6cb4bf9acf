#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>

#include "VersionTestSupport.h"
#include "WindowTestSupport.h"
#include "core/DocumentPreview.h"
#include "dossiers/FDEV.h"
#include "dossiers/MailList.h"
#include "dossiers/QuoteMailing.h"
#include "platform/mail/NewMail.h"
#include "platform/os/FakePdfConverter.h"
#include "ui/UiTestSupport.h"

namespace tarovent::dossiers {
namespace {

using core::DocumentPreview;
using os::FakePdfConverter;

TEST(PdfNames, ThePdfIsBesideTheDocumentAndNeverTheDocument) {
  const struct {
    QString document, pdf;
  } cases[] = {
      {"/data/Doc/DOC_TAROVENT/00012_00.AB", "/data/Doc/DOC_TAROVENT/00012_00_AB.PDF"},
      {"/data/Doc/00012_00.ab", "/data/Doc/00012_00_AB.PDF"},  // the folder keeps its case
      {"/data/00012_00.PDF", "/data/00012_00_PDF.PDF"},
  };
  for (const auto& c : cases) EXPECT_EQ(pdfPathFor(c.document), c.pdf);
  const struct {
    PdfPages pages;
    std::pair<int, int> numbers;
  } ranges[] = {
      {{true, "", ""}, {1, 99}},
      {{true, "3", ""}, {3, 99}},
      {{true, " 2 ", "4"}, {2, 4}},
      {{true, "0", "x"}, {1, 99}},
  };
  for (const auto& r : ranges)
    EXPECT_EQ(r.pages.numbers(), r.numbers) << r.pages.first.toStdString();
}

// Dossier AB 5 of client C1, contact Luc (luc@aubry.fr), versions 0 and 2 in the workspace, with
// the fake converter and a recording mail opener; the export's windows registered.
class MailingTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    for (const char* sql : {
             "INSERT INTO TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CONTACT) "
             "VALUES ('AB', 5, 'C1', 'A1', 'Luc')",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 0, #01/10/2026#)",
             "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE) "
             "VALUES ('AB', 5, 2, #03/15/2026#)",
             "INSERT INTO TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, "
             "TCLI_Contact_Nom, TCLI_CONTACT_mail) VALUES ('C1', 1, 'Luc', 'luc@aubry.fr')",
         })
      m_db.Execute(QString::fromUtf8(sql));
    QDir(m_dir.path()).mkdir("DOC_TAROVENT");
    m_state->pdfConverter = std::make_unique<FakePdfConverter>();
    auto recording = std::make_unique<mail::RecordingMailOpener>();
    m_mails = recording.get();
    m_state->mail = std::move(recording);
    registerStub("FRM_OptPDF");
    registerStub("FMAILS");
  }
  QString document(const QString& name) { return m_dir.filePath("DOC_TAROVENT/" + name); }
  FakePdfConverter& fake() { return static_cast<FakePdfConverter&>(*m_state->pdfConverter); }
  QString pdfText() {
    QFile f(document("00005_02_AB.PDF"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }

  mail::RecordingMailOpener* m_mails = nullptr;
};

// The options panel, then the export with the mail to the contact: an empty range is pages 1 to
// 99, a second export overwrites, a document marked read-only exports as any other.
TEST_F(MailingTest, PanelExportAndMail) {
  ASSERT_TRUE(test::writeFile(document("00005_02.AB"), "texte", test::kReadOnly));
  open<FDEV>();
  click("CTL_MailPDF");
  EXPECT_FALSE(get("CTX_PagePDF_0")->isEnabled());
  click("OPT_PagePDF_1");
  EXPECT_TRUE(get("CTX_PagePDF_0")->isEnabled());
  click("CMD_OKPDF");
  EXPECT_TRUE(pdfText().contains("pages 1-99")) << pdfText().toStdString();
  // The empty boxes are filled back with the pages they stood for; the panel hides the list.
  EXPECT_EQ(get<QLineEdit>("CTX_PagePDF_0")->text() + '-' + get<QLineEdit>("CTX_PagePDF_1")->text(),
            "1-99");
  EXPECT_TRUE(get("FRM_OptPDF")->autoFillBackground());
  ASSERT_EQ(m_mails->mails().size(), 1);
  const mail::NewMail& sent = m_mails->mails().first();
  EXPECT_EQ(sent.to + ' ' + sent.subject, "luc@aubry.fr Devis n° 00005_02.AB");
  EXPECT_EQ(sent.attachments, QStringList{document("00005_02_AB.PDF")});

  // Reopening the panel chooses the whole document again (cancelling: see the keys' test).
  click("CTL_MailPDF");
  EXPECT_TRUE(get<QRadioButton>("OPT_PagePDF_0")->isChecked());
  click("CMD_AnnulPDF");
  click("Cmd_MailPDF");
  EXPECT_TRUE(pdfText().contains("pages all"));
  EXPECT_EQ(m_mails->mails().size(), 2);
  EXPECT_FALSE(QFile::permissions(document("00005_02.AB")) & QFileDevice::WriteOwner);
}

// The panel is a frame of the workspace, not a dialog, yet is used by keys as one: Escape
// cancels, Enter goes on to OK and presses it, Enter on Annuler cancels; each time the keyboard
// goes back to the button that opened the panel.
TEST_F(MailingTest, ThePanelAnswersEnterAndEscape) {
  ASSERT_TRUE(test::writeFile(document("00005_02.AB"), "texte"));
  open<FDEV>();
  const auto press = [](int key) { tarovent::test::pressKey(QApplication::focusWidget(), key); };
  const auto openPanel = [&] {
    get("CTL_MailPDF")->setFocus();
    click("CTL_MailPDF");
    ASSERT_EQ(focused(), "OPT_PagePDF_0");
  };
  openPanel();
  press(Qt::Key_Escape);
  EXPECT_FALSE(get("FRM_OptPDF")->isVisible());
  EXPECT_EQ(focused(), "CTL_MailPDF");
  EXPECT_TRUE(fake().jobs().isEmpty());

  // Enter on the option chosen at opening goes on to OK (the page boxes are disabled), then
  // presses it: the whole document.
  openPanel();
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "CMD_OKPDF");
  press(Qt::Key_Return);
  EXPECT_FALSE(get("FRM_OptPDF")->isVisible());
  EXPECT_EQ(focused(), "CTL_MailPDF");
  ASSERT_EQ(fake().jobs().size(), 1);
  EXPECT_TRUE(pdfText().contains("pages all")) << pdfText().toStdString();

  // In the page boxes Enter goes on to the next control, as everywhere in the forms: OK last.
  openPanel();
  click("OPT_PagePDF_1");
  get("CTX_PagePDF_0")->setFocus();
  tarovent::test::typeText(get("CTX_PagePDF_0"), "2");
  press(Qt::Key_Enter);
  press(Qt::Key_Return);
  EXPECT_EQ(focused(), "CMD_OKPDF");
  press(Qt::Key_Return);
  EXPECT_FALSE(get("FRM_OptPDF")->isVisible());
  ASSERT_EQ(fake().jobs().size(), 2);
  EXPECT_TRUE(pdfText().contains("pages 2-99")) << pdfText().toStdString();

  openPanel();
  get("CMD_AnnulPDF")->setFocus();
  press(Qt::Key_Return);
  EXPECT_FALSE(get("FRM_OptPDF")->isVisible());
  EXPECT_EQ(fake().jobs().size(), 2);
  EXPECT_EQ(focused(), "CTL_MailPDF");
}

// A missing document, then a failed export: each says why, and no mail opens.
TEST_F(MailingTest, MissingDocumentOrFailedExportOpensNoMail) {
  open<FDEV>();
  click("Cmd_MailPDF");
  EXPECT_TRUE(fake().jobs().isEmpty());
  ASSERT_TRUE(test::writeFile(document("00005_02.AB"), "texte"));
  fake().setBehaviour(FakePdfConverter::Behaviour::Fail, "LibreOffice en panne");
  click("Cmd_MailPDF");
  EXPECT_EQ(m_messages.texts(),
            (QStringList{"Le texte du devis est introuvable.", "LibreOffice en panne"}));
  EXPECT_TRUE(m_mails->mails().isEmpty());
}

// Regression: "Le mail n'a pas pu être préparé." was said, without a reason, although the mail
// was ready in its draft; where it was, the user was not told.
TEST_F(MailingTest, ADraftNoProgramCouldOpenIsReadyAndTheUserIsToldWhere) {
  ASSERT_TRUE(test::writeFile(document("00005_02.AB"), "texte"));
  const QString draft = document("00005_02_AB.eml");
  m_mails->setResult({mail::MailOutcome::Failed, draft, {}});
  open<FDEV>();
  m_messages.clear();
  click("Cmd_MailPDF");
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_EQ(m_messages.texts()[0],
            "Aucune messagerie n'a pu être lancée sur ce poste. Le mail est prêt dans le fichier "
            ":\n" +
                draft + "\nOuvrez-le avec votre messagerie pour l'envoyer.");
  // Without a draft either, the reason is given.
  m_mails->setResult({mail::MailOutcome::Failed, {}, {}});
  m_messages.clear();
  click("Cmd_MailPDF");
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Le mail n'a pas pu être préparé.\nAucune messagerie n'a pu être lancée et "
                        "le brouillon n'a pas pu être écrit."});
}

// The plain mail goes to the contact without subject; the list window gets the address and
// shows what was opened for it, latest first, and opens it again with its attachment.
TEST_F(MailingTest, MailsToTheContactAndTheirList) {
  ASSERT_TRUE(test::writeFile(document("00005_02.AB"), "texte"));
  test::RecordingOpener opener;
  m_state->opener = &opener;
  open<FDEV>();
  click("CMD_Mail");
  click("Cmd_MailPDF");
  EXPECT_TRUE(m_mails->mails().value(0).attachments.isEmpty());
  click("CMD_Mails");
  EXPECT_EQ(opener.opened, QStringList{"FMAILS"});
  EXPECT_EQ(m_state->mailListAddress, "luc@aubry.fr");

  MailList list(*m_state);
  auto* table = list.findChild<QTableWidget*>("DBG_Mails");
  EXPECT_EQ(tarovent::test::keyboardFaults(&list), QStringList());
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 2)->text(), "00005_02_AB.PDF");
  list.reopen();
  ASSERT_EQ(m_mails->mails().size(), 3);
  EXPECT_EQ(m_mails->mails()[2].attachments, m_mails->mails()[1].attachments);
  m_messages.script({ui::Answer::Yes});
  list.forget();
  EXPECT_EQ(table->rowCount(), 2);

  // Without an address: no mail, no list.
  m_state->mailListAddress.clear();
  m_db.Execute("UPDATE TCLI_CONTACT SET TCLI_CONTACT_mail = Null");
  opener.opened.clear();
  open<FDEV>();
  click("CMD_Mail");
  click("CMD_Mails");
  EXPECT_EQ(m_mails->mails().size(), 3);
  EXPECT_TRUE(opener.opened.isEmpty());
}

// The preview converts in the background and again after each save; a missing text says so.
TEST_F(MailingTest, PreviewFollowsTheSavedDocument) {
  const QString doc = document("00005_02.AB");
  ASSERT_TRUE(test::writeFile(doc, "v1"));
  DocumentPreview preview(*m_state);
  int refreshed = 0;
  QObject::connect(&preview, &DocumentPreview::refreshed, [&refreshed] { ++refreshed; });
  const auto waitFor = [&refreshed](int count) {
    QElapsedTimer t;
    t.start();
    while (refreshed < count && t.elapsed() < 5000)
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    return refreshed >= count;
  };
  preview.showDocument(doc);
  ASSERT_TRUE(waitFor(1));
  // Saved the way word processors do: a new file renamed over the old one.
  ASSERT_TRUE(test::writeFile(doc + ".new", "v2"));
  QFile::remove(doc);
  QFile::rename(doc + ".new", doc);
  ASSERT_TRUE(waitFor(2));
  EXPECT_EQ(fake().jobs().size(), 2);

  preview.showDocument(document("00005_00.AB"));
  ASSERT_TRUE(waitFor(3));
  EXPECT_EQ(preview.status(), "Le texte du devis est introuvable.");
}

}  // namespace
}  // namespace tarovent::dossiers
