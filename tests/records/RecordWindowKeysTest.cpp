#include <QAbstractButton>
#include <QComboBox>
#include <QListView>
#include <QTimer>

#include "RecordKeys.h"
#include "ui/FormNavigation.h"

namespace tarovent::test {
namespace {

using ui::Answer;

// A record window of the usual pattern: where its code, a text and a number are typed, which
// letters reach them, and where they are stored.
struct Window {
  const char* entry;
  const char* table;
  const char* codeField;
  const char* textField;
  const char* numberField;  // nullptr: none
  bool decimals;
  char add, text, number, remove;  // access keys
  QList<Answer> removal;           // the answers that delete
  int base = core::entry::Main;
};

class RecordWindowKeys : public RecordKeys, public ::testing::WithParamInterface<Window> {
 protected:
  QVariant stored(const char* field) {
    const Window& w = GetParam();
    return scalar(
        QStringLiteral("select %1 from %2 where %3 = 'ZK1'")
            .arg(QLatin1String(field), QLatin1String(w.table), QLatin1String(w.codeField)),
        w.base);
  }
  QMdiSubWindow* sub() { return m_menu->workArea()->activeSubWindow(); }
};

// Add, change, leave with a pending change by every way out, delete: with the keyboard, each
// result read in the base.
TEST_P(RecordWindowKeys, AddChangeLeaveAndDeleteByKeys) {
  const Window& w = GetParam();
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  QWidget* window = open(w.entry);
  ASSERT_TRUE(window);
  alt(w.add);
  typeText(focused(), "ZK1");
  alt(w.text);
  typeText(focused(), "Étoile d'été");
  if (w.numberField) {
    alt(w.number);
    typeText(focused(), w.decimals ? "12.5" : "12");
  }
  key(Qt::Key_F10);
  ASSERT_EQ(stored(w.textField).toString(), "Étoile d'été") << said().toStdString();
  if (w.numberField) {
    EXPECT_DOUBLE_EQ(stored(w.numberField).toDouble(), w.decimals ? 12.5 : 12);
    if (w.decimals) {
      alt(w.number);
      retype("0,95");
      key(Qt::Key_F10);
      EXPECT_DOUBLE_EQ(stored(w.numberField).toDouble(), 0.95);
    }
  }

  // A pending change survives Esc, Quitter, the close box and the program's Quitter when the
  // user does not let it go.
  alt(w.text);
  retype("Changé");
  m_messages.clear();
  m_messages.setFallback(Answer::Cancel);
  key(Qt::Key_Escape);
  alt('q');
  EXPECT_FALSE(closeBox(window));
  EXPECT_FALSE(m_menu->close());
  QApplication::processEvents();
  EXPECT_TRUE(m_menu->isVisible());
  ASSERT_TRUE(isOpen(window->objectName().toLatin1().constData())) << said().toStdString();
  EXPECT_EQ(stored(w.textField).toString(), "Étoile d'été");
  EXPECT_TRUE(ui::hasPendingChanges(window));
  // Saved when the user says so on leaving.
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(closeBox(window)) << said().toStdString();
  QApplication::processEvents();
  EXPECT_EQ(stored(w.textField).toString(), "Changé");

  window = open(w.entry);
  auto* data = window->findChild<ui::DataControl*>();
  ASSERT_TRUE(data);
  goTo(data, QStringLiteral("%1 = 'ZK1'").arg(QLatin1String(w.codeField)));
  m_messages.setFallback(Answer::Ok);
  m_messages.script(w.removal);
  window->findChild<QWidget*>(QStringLiteral("Cmd_Update"))->setFocus();
  alt(w.remove);
  EXPECT_EQ(scalar(QStringLiteral("select count(*) from %1 where %2 = 'ZK1'")
                       .arg(QLatin1String(w.table), QLatin1String(w.codeField)),
                   w.base)
                .toInt(),
            0)
      << said().toStdString();
}

// The client file by keys: accents and apostrophes, a discount typed with a point, a change
// kept through the program's Quitter until the user says, a deletion.
TEST_F(RecordKeys, AClientByKeys) {
  ASSERT_TRUE(m_state->base(core::entry::Commercial).open());
  const auto stored = [this](const char* field) {
    return scalar(QStringLiteral("select %1 from TCLI where TCLI_CODE = 'ZK1'").arg(field),
                  core::entry::Commercial);
  };
  QWidget* window = open("M_CLIDEV");
  ASSERT_TRUE(window);
  alt('a');
  typeText(focused(), "ZK1");
  alt('r');
  typeText(focused(), "L'Étoile d'Été");
  alt('d');
  typeText(focused(), "1 rue de l'Église");
  alt('p');
  typeText(focused(), "75001");
  alt('i');
  typeText(focused(), "Évry");
  alt('g');
  key(Qt::Key_Down);  // the first category
  child<QLineEdit>(window, "CTX_TCLI_PCRemise")->setFocus();
  typeText(focused(), "12.5");
  key(Qt::Key_F10);
  ASSERT_EQ(stored("TCLI_RS").toString(), "L'Étoile d'Été") << said().toStdString();
  EXPECT_EQ(stored("TCLI_VILLE").toString(), "Évry");
  EXPECT_DOUBLE_EQ(stored("TCLI_PCRemise").toDouble(), 12.5);

  alt('r');
  retype("Étoile");
  m_messages.script({Answer::Cancel});
  EXPECT_FALSE(m_menu->close());
  EXPECT_EQ(stored("TCLI_RS").toString(), "L'Étoile d'Été");
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(m_menu->workArea()->activeSubWindow()->close()) << said().toStdString();
  EXPECT_EQ(stored("TCLI_RS").toString(), "Étoile");

  window = open("M_CLIDEV");
  auto* data = child<ui::DataControl>(window, "DBD_Cli");
  goTo(data, "TCLI_CODE = 'ZK1'");
  m_messages.script({Answer::Yes});
  child<QWidget>(window, "Cmd_Update")->setFocus();
  alt('s');
  EXPECT_TRUE(stored("TCLI_RS").isNull()) << said().toStdString();
}

// The custom fields by keys: a label with an apostrophe and accents, its length; a change left
// by Esc is asked about and dropped on No.
TEST_F(RecordKeys, CustomFieldsByKeys) {
  const auto stored = [this] { return scalar("select TPAR_LIBUSER3 from TPAR").toString(); };
  QWidget* window = open("M_PERSO");
  ASSERT_TRUE(window);
  const auto box = [window](const char* name) {
    return static_cast<QLineEdit*>(ui::indexedControl(window, QString::fromLatin1(name), 3));
  };
  box("CTX_USER_LIB")->setFocus();
  retype("Réf. d'été");
  key(Qt::Key_F10);
  EXPECT_EQ(stored(), "Réf. d'été") << said().toStdString();

  box("CTX_USER_LIB")->setFocus();
  retype("Autre");
  m_messages.script({Answer::Cancel});
  key(Qt::Key_Escape);
  EXPECT_TRUE(isOpen("FPERSO"));
  EXPECT_EQ(box("CTX_USER_LIB")->text(), "Autre");
  m_messages.script({Answer::No});
  EXPECT_TRUE(m_menu->workArea()->activeSubWindow()->close()) << said().toStdString();
  EXPECT_EQ(stored(), "Réf. d'été");
}

// A macro by keys: its window chosen by caption, its keys; the name of a saved macro stays.
TEST_F(RecordKeys, AMacroByKeys) {
  QWidget* window = open("M_MACROS");
  ASSERT_TRUE(window);
  const auto stored = [this](const char* field) {
    return scalar(
        QStringLiteral("select %1 from TMACRO where TMACRO_NomMacro = 'Saisie d''été'").arg(field),
        core::entry::Main);
  };
  alt('a');
  typeText(focused(), "Saisie d'été");
  auto* windows = child<QComboBox>(window, "DBC_Fenetres");
  windows->setFocus();
  for (int i = 0; i < windows->count() && windows->currentText() != "Sociétés"; ++i)
    key(Qt::Key_Down);
  EXPECT_EQ(child<QLineEdit>(window, "CTX_Form")->text(), "FSOC");
  alt('t');
  typeText(focused(), "abc");
  key(Qt::Key_F10);
  EXPECT_EQ(stored("TMACRO_Form").toString(), "FSOC") << said().toStdString();
  EXPECT_EQ(stored("TMACRO_Detail").toString(), "abc");

  // A change of its keys survives Esc, Quitter, the close box and the program's Quitter until
  // the user lets it go; saved on Oui when the window closes.
  alt('m');
  alt('t');
  retype("def");
  m_messages.clear();
  m_messages.setFallback(Answer::Cancel);
  key(Qt::Key_Escape);
  alt('q');
  EXPECT_FALSE(closeBox(window));
  EXPECT_FALSE(m_menu->close());
  QApplication::processEvents();
  ASSERT_TRUE(isOpen("FMACRO")) << said().toStdString();
  EXPECT_EQ(stored("TMACRO_Detail").toString(), "abc");
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(closeBox(window)) << said().toStdString();
  QApplication::processEvents();
  EXPECT_EQ(stored("TMACRO_Detail").toString(), "def");

  // Deleted once the user says so.
  window = open("M_MACROS");
  auto* list = child<QListView>(window, "BXL_Macros");
  const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                     "Saisie d'été", 1, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  list->setFocus();
  list->setCurrentIndex(found.first());
  QApplication::processEvents();
  m_messages.setFallback(Answer::Ok);
  m_messages.script({Answer::Yes});
  alt('s');
  EXPECT_TRUE(stored("TMACRO_Form").isNull()) << said().toStdString();
}

// The general parameters by keys, a dialog of their own: the coefficient typed with a point and
// the rate with a comma, a label with an apostrophe and accents; Esc and the close box with a
// change keep it on Annuler; saved on Oui, and the program uses the new currency at once.
TEST_F(RecordKeys, TheGeneralParametersByKeys) {
  const auto stored = [this](const char* field) {
    return scalar(QStringLiteral("select %1 from TPAR").arg(field));
  };
  bool ran = false;
  QTimer::singleShot(0, m_menu.get(), [&] {
    QWidget* window = QApplication::activeModalWidget();
    ASSERT_TRUE(window);
    ASSERT_EQ(window->objectName(), "FPARGDEV");
    settle();
    alt('c');
    EXPECT_EQ(focusedName(), "CTX_PAR_COEFFDEV");
    retype("0.95");
    alt('t');
    EXPECT_EQ(focusedName(), "CTX_PAR_TxTVADef");
    retype("5,5");
    alt('s');
    EXPECT_EQ(focusedName(), "CTX_PAR_LIBDEV2");
    retype("Franc d'Été");
    m_messages.script({Answer::Cancel});
    key(Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    m_messages.script({Answer::Cancel});
    EXPECT_FALSE(window->close());
    EXPECT_EQ(stored("TPAR_LIBDEV2").toString(), m_state->params.libDev2);
    m_messages.script({Answer::Yes});
    key(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible()) << said().toStdString();
    ran = true;
  });
  m_menu->menuEntry("M_PARAM")->trigger();
  QApplication::processEvents();
  ASSERT_TRUE(ran);
  EXPECT_DOUBLE_EQ(stored("TPAR_COEFFDEV").toDouble(), 0.95);
  EXPECT_DOUBLE_EQ(stored("TPAR_TxTVADef").toDouble(), 5.5);
  EXPECT_EQ(stored("TPAR_LIBDEV2").toString(), "Franc d'Été");
  EXPECT_DOUBLE_EQ(m_state->params.coeffDev, 0.95);
  EXPECT_EQ(m_state->params.libDev2, "Franc d'Été");
}

INSTANTIATE_TEST_SUITE_P(Windows, RecordWindowKeys,
                         ::testing::Values(Window{"M_TABL_SOCI",
                                                  "TSOC",
                                                  "TSOC_CODE",
                                                  "TSOC_LIB",
                                                  "TSOC_NSEQ",
                                                  false,
                                                  'a',
                                                  'o',
                                                  'd',
                                                  's',
                                                  {Answer::Yes}},
                                           Window{"M_TABL_PRO",
                                                  "TPRO",
                                                  "TPRO_Code",
                                                  "TPRO_LIB",
                                                  "TPRO_PU",
                                                  true,
                                                  'n',
                                                  'd',
                                                  'p',
                                                  's',
                                                  {Answer::Yes}},
                                           Window{"M_TABL_TYPE",
                                                  "TTYP",
                                                  "TTYP_CODE",
                                                  "TTYP_LIB",
                                                  nullptr,
                                                  false,
                                                  'n',
                                                  'l',
                                                  0,
                                                  's',
                                                  {Answer::Yes, Answer::Yes}},
                                           Window{"M_CLI_CAT",
                                                  "TCAT",
                                                  "TCAT_CODE",
                                                  "TCAT_LIBELLE",
                                                  nullptr,
                                                  false,
                                                  'a',
                                                  'l',
                                                  0,
                                                  's',
                                                  {Answer::Yes},
                                                  core::entry::Commercial}),
                         [](const ::testing::TestParamInfo<Window>& info) {
                           return std::string(info.param.table);
                         });

}  // namespace
}  // namespace tarovent::test
