#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>

#include "../composition/EntryFixture.h"
#include "composition/EntryPanel.h"
#include "composition/FCOMPO.h"
#include "composition/QuoteView.h"
#include "dossiers/QuoteVersions.h"
#include "guard/SentVersions.h"
#include "ui/UiTestSupport.h"

namespace tarovent::guard::test {
namespace {

QByteArray bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Version 0 of dossier 12 and its document, the composition closed.
class SentVersionTest : public fixtures::EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    if (HasFatalFailure()) return;
    auto session = openQuote();
    ASSERT_TRUE(session);
    path = session->documentPath();
    session->close();
    session.reset();
    m_state->compositionOrigin = "FDEV";
    m_messages.clear();
  }
  std::optional<Sending> sending() { return SentVersions(m_state->mainDb()).firstSending(key); }
  dossiers::HandOver prepare() {
    dossiers::QuoteVersions versions(*m_state);
    return versions.prepareComposition({"AB", 12, "DEV", "C1"}, 0, "V", "V");
  }

  const QuoteKey key{"AB", 12, 0};
  QString path;
};

// Mailed, the version opens read-only with when and how it left; nothing done in it is
// saved, and the file stays as it was sent.
TEST_F(SentVersionTest, ASentVersionOpensReadOnlyAndCannotBeSaved) {
  SentVersions(m_state->mainDb())
      .mark(key, "export PDF et mail", QDateTime(QDate(2026, 3, 20), QTime(9, 30)));
  SentVersions(m_state->mainDb()).mark(key, "facture pro forma");  // a later sending
  std::unique_ptr<composition::FCOMPO> window(composition::FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->session().isReadOnly());
  const auto* banner = window->findChild<QLabel*>("CTL_VersionEnvoyee");
  ASSERT_NE(banner, nullptr);
  EXPECT_TRUE(banner->text().startsWith(
      "Devis 00012_00.AB envoyé le 20/03/2026 à 09:30 (export PDF et mail) : cette version est "
      "figée"))
      << banner->text().toStdString();

  const QByteArray before = bytes(path);
  ASSERT_TRUE(window->session().recalculate());
  ASSERT_TRUE(window->session().document().isModified());
  m_messages.clear();
  EXPECT_FALSE(window->save());
  EXPECT_EQ(m_messages.texts(), QStringList{banner->text()});
  // Closing says the changes are dropped, and drops them.
  m_messages.script({ui::Answer::Ok});
  EXPECT_TRUE(window->closeComposition());
  EXPECT_TRUE(m_messages.texts().last().startsWith("Le document est en lecture seule"));
  EXPECT_EQ(bytes(path), before);
}

// Nothing typed in a sent version is lost at its saving: the keys and commands that would change
// it are refused as they come, with the reason; what only shows it still runs.
TEST_F(SentVersionTest, ASentVersionRefusesChangesAsTheyAreTyped) {
  SentVersions(m_state->mainDb())
      .mark(key, "export PDF", QDateTime(QDate(2026, 3, 20), QTime(9, 30)));
  std::unique_ptr<composition::FCOMPO> window(composition::FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  window->resize(1280, 800);
  tarovent::test::showActive(window.get());
  QTableView& grid = window->view().grid();
  ASSERT_EQ(QApplication::focusWidget(), &grid);
  const auto press = [](int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& t = {}) {
    tarovent::test::pressKey(QApplication::focusWidget(), k, mods, t);
  };
  const auto status = [&] { return window->findChild<QStatusBar*>()->currentMessage(); };
  const int rows = grid.model()->rowCount();
  const QString refused =
      "Version envoyée : elle se consulte sans se modifier. Créez une nouvelle "
      "version pour la faire évoluer.";

  // Delete, a code typed and Enter on a line: the document stays as it left.
  press(Qt::Key_Home);
  for (const auto& [k, text] : {std::pair{int(Qt::Key_Delete), QString()},
                                {int(Qt::Key_V), QString("v")},
                                {int(Qt::Key_Return), QString()}}) {
    window->findChild<QStatusBar*>()->clearMessage();
    press(k, Qt::NoModifier, text);
    EXPECT_EQ(status(), refused) << k;
    EXPECT_EQ(QApplication::focusWidget(), &grid) << k;
  }
  EXPECT_EQ(grid.model()->rowCount(), rows);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_FALSE(window->entryPanel().isEnabled());
  EXPECT_EQ(window->entryPanel().findChild<QLineEdit*>("CTX_CODART")->text(), "");

  // The commands that change the lines, tables or prices cannot be run, from a key or a menu.
  press(Qt::Key_F9);
  press(Qt::Key_F2);
  press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(window->session().document().isModified());
  EXPECT_EQ(grid.model()->rowCount(), rows);
  for (const char* name : {"M_Totalisation", "M_ModifLigne", "M_Ajout_Tab", "M_ReAjustements",
                           "M_Majoration", "M_SourceStock", "M_TexteLibre", "M_Import_Classeur"})
    EXPECT_FALSE(window->findChild<QAction*>(name)->isEnabled()) << name;
  for (const char* name : {"Cmd_Recalcul", "Cmd_Masque", "Cmd_Tableaux", "FRM_Options"})
    EXPECT_FALSE(window->findChild<QWidget*>(name)->isEnabled()) << name;
  // Saving stays, to say why nothing is written; so do the preview, the check and closing.
  for (const char* name : {"M_Enregistrer", "M_Apercu", "M_Controle", "M_Fermer"})
    EXPECT_TRUE(window->findChild<QAction*>(name)->isEnabled()) << name;
}

// The workspace opens a sent version as it is, without offering to replace its text; a version
// never sent is asked about as before, and deleting a version forgets its sendings.
TEST_F(SentVersionTest, TheWorkspaceKeepsASentTextAndForgetsADeletedVersion) {
  m_messages.script({ui::Answer::Cancel});
  EXPECT_EQ(prepare(), dossiers::HandOver::Stopped);
  EXPECT_EQ(m_messages.texts(), QStringList{"Voulez-vous conserver le texte existant ?"});

  ASSERT_TRUE(markSentDocument(*m_state, path, "export PDF"));
  EXPECT_FALSE(markSentDocument(*m_state, m_dir.filePath("autre.docx"), "export PDF"));
  m_messages.clear();
  EXPECT_EQ(prepare(), dossiers::HandOver::Ready);
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  EXPECT_FALSE(m_state->quote.newText);
  ASSERT_TRUE(sending());
  EXPECT_EQ(sending()->how, "export PDF");

  dossiers::QuoteVersions(*m_state).deleteVersion({"AB", 12, "DEV", "C1"}, 0);
  EXPECT_FALSE(sending());
}

// An older base without the sendings' table: nothing is frozen, nothing fails.
TEST_F(SentVersionTest, ABaseWithoutTheTableFreezesNothing) {
  m_state->mainDb().Execute("DROP TABLE TENVOI");
  EXPECT_FALSE(markSentDocument(*m_state, path, "export PDF"));
  EXPECT_FALSE(sendingOfVersion(*m_state, key));
  std::unique_ptr<composition::FCOMPO> window(composition::FCOMPO::create(*m_state));
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->session().isReadOnly());
  EXPECT_EQ(window->findChild<QLabel*>("CTL_VersionEnvoyee"), nullptr);
  // Composed as ever: a character typed in the document starts a line.
  tarovent::test::showActive(window.get());
  tarovent::test::pressKey(QApplication::focusWidget(), Qt::Key_V, Qt::NoModifier, "v");
  EXPECT_EQ(QApplication::focusWidget()->objectName(), "CTX_CODART");
}

}  // namespace
}  // namespace tarovent::guard::test
