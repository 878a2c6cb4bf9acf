#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <QThread>

#include "FamilyFixture.h"
#include "QuoteDocs.h"
#include "composition/CompositionSession.h"
#include "composition/NumberFormat.h"
#include "composition/TableLocator.h"
#include "composition/Totals.h"
#include "core/DocumentNames.h"
#include "core/Occupancy.h"
#include "core/ProcessState.h"
#include "platform/db/Presence.h"
namespace tarovent::composition {
namespace {

using fixtures::QuoteDoc;
using ui::Answer;

const QStringList kCodes = {"CODART", "LIBART", "QTE",   "PUBRUT", "PCREM",
                            "PUNET",  "MTBRUT", "MTNET", "MTREM"};

// Two lines worth 26,97 and 200,00 net once recalculated.
QuoteDoc twoLines() {
  QuoteDoc q;
  q.codes = kCodes;
  q.lines = {{"X1", "Vis", "3", "9,99", "10", "", "", "", ""},
             {"X2", "Plaque", "2", "100.00", "", "", "", "", ""}};
  q.totals = fixtures::marked("SMTNET", "0", 900);
  return q;
}

class CompositionSessionTest : public fixtures::FamilyTest {
 protected:
  void SetUp() override {
    FamilyTest::SetUp();
    if (HasFatalFailure()) return;
    m_state->params.txTvaDef = 20;
    m_state->params.tarifMat = "V";
    m_state->params.tarifMo = "V";
    db::Database& main = m_state->mainDb();
    main.Execute(
        "insert into TTYP (TTYP_CODE, TTYP_LIB, TTYP_TARMAT, TTYP_TARMO, TTYP_DART1A, "
        "TTYP_TitreCorps) values ('DEV', 'Devis', 'P', 'R', True, 14)");
    main.Execute(
        "insert into TDOS (TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT, TDOS_TYPE, TDOS_CONTACT, "
        "TDOS_IMMAT) values ('AB', 12, 'C1', 'DEV', 'Jean', 'AA-123-BB')");
    for (int seq = 0; seq <= 2; ++seq)
      main.Execute(QStringLiteral("insert into TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, "
                                  "TDEV_DATE, TDEV_TXTVA, TDEV_TARMAT, TDEV_TARMO) values "
                                  "('AB', 12, %1, #03/15/2026#, 20, 'V', 'V')")
                       .arg(seq));
    db::Database& clients = m_state->base(core::entry::Commercial).db;
    clients.Execute(
        "insert into TCLI (TCLI_CODE, TCLI_RS, TCLI_ADR1, TCLI_CODP, TCLI_VILLE, TCLI_PAYS, "
        "TCLI_PCRemise, TCLI_TauxMDO, TCLI_TEL1) values ('C1', 'Client', '3 rue Haute', "
        "'69000', 'Lyon', 'FR', 5, 42, '0400')");
    clients.Execute("insert into TPAYS (TPAYS_CODE, TPAYS_LIBELLE) values ('FR', 'France')");
    clients.Execute(
        "insert into TCLI_CONTACT (TCLI_CONTACT_CodCli, TCLI_CONTACT_Num, TCLI_Contact_Nom, "
        "TCLI_CONTACT_Tel) values ('C1', 1, 'Jean', '0611')");
  }

  QString folder() const { return m_layout.dataFolder; }
  QString versionPath(int seq) const {
    return core::Chemin_Document(folder(), core::Nom_Document("AB", 12, seq));
  }
  static void save(QuoteDoc q, const QString& path, const QString& marker = {}) {
    if (!marker.isEmpty()) q.between = fixtures::para(marker);
    word::WordDocument doc = q.build();
    doc.setTemplate(path.endsWith(".dotx"));
    doc.saveAs(path);
  }
  void handOver(int seq, bool newText) {
    core::QuoteContext& q = m_state->quote;
    q.company = "AB";
    q.dossier = 12;
    q.sequence = QString::number(seq);
    q.documentName = core::Nom_Document("AB", 12, seq);
    q.templatePath = folder() + "DEV";
    q.tarMat = "V";
    q.tarMo = "V";
    q.newText = newText;
    q.clientCode = "C1";
  }
  std::unique_ptr<CompositionSession> openVersion(int seq, bool newText, bool keepMode = false) {
    if (!keepMode) handOver(seq, newText);
    OpenRequest r;
    r.origin = Origin::Dossier;
    auto s = CompositionSession::open(*m_state, r);
    if (s) s->setDecimalSeparator(',');
    return s;
  }
  static QByteArray bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  static bool holds(const QString& path, const QString& text) {
    return word::WordDocument::open(path).bodyText().contains(text);
  }
  // The first line table of the session's document.
  int lineTable(CompositionSession& s) {
    const auto layout = Reperer_Tableaux(s.document(), LocatePurpose::Recalculation).layout;
    return layout ? layout->firstLineTable : 0;
  }
};

TEST_F(CompositionSessionTest, SecondCompositionIsRefusedAndFirstUntouched) {
  save(twoLines(), versionPath(0));
  auto first = openVersion(0, false);
  ASSERT_TRUE(first);
  ASSERT_TRUE(first->setCursor(lineTable(*first), 1));
  m_messages.clear();
  EXPECT_FALSE(openVersion(0, false));
  EXPECT_EQ(m_messages.texts(),
            QStringList{"Une composition est déjà en cours, veuillez la terminer d'abord"});
  EXPECT_EQ(first->cursor(), (Cursor{lineTable(*first), 1}));
  // Once the first is closed, a new one opens.
  int closedCalls = 0;
  m_state->compositionClosed = [&] { ++closedCalls; };
  EXPECT_TRUE(first->close());
  EXPECT_EQ(closedCalls, 1);
  EXPECT_FALSE(m_state->compositionInProgress);
  EXPECT_TRUE(openVersion(0, false));
}

TEST_F(CompositionSessionTest, NewTextStartsFromLatestEarlierTextElseTemplate) {
  save(twoLines(), folder() + "DEV.dotx", "modèle du type");
  save(twoLines(), versionPath(0), "texte de la version 0");
  // Version 1 has no document: version 2 starts from version 0's text, and is saved on Yes.
  auto s = openVersion(2, true);
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->document().bodyText().contains("texte de la version 0"));
  EXPECT_FALSE(s->document().isTemplate());
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  m_messages.clear();
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(s->close());
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrer le document?"});
  EXPECT_TRUE(QFile::exists(versionPath(2)));
  // Version 0 always starts from the type's template; No saves nothing.
  QFile::remove(versionPath(0));
  s = openVersion(0, true);
  EXPECT_TRUE(s->document().bodyText().contains("modèle du type"));
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  m_messages.script({Answer::No});
  EXPECT_TRUE(s->close());
  EXPECT_FALSE(QFile::exists(versionPath(0)));
  // Regression: a new text left as it was made asked to be saved; it closes quietly, unsaved.
  s = openVersion(0, true);
  m_messages.clear();
  EXPECT_TRUE(s->close());
  EXPECT_EQ(m_messages.texts(), QStringList{});
  EXPECT_FALSE(QFile::exists(versionPath(0)));
  // Without the type's template, the empty one.
  QFile::remove(folder() + "DEV.dotx");
  s = openVersion(0, true);
  EXPECT_EQ(s->document().tableCount(), 0);
}

TEST_F(CompositionSessionTest, OpeningFillsTheHeadAndReadsTheClientAndType) {
  QuoteDoc q = twoLines();
  q.between = fixtures::marked("ADR", "?", 901) + fixtures::marked("PAYS", "?", 902) +
              fixtures::marked("NUMDEV", "?", 903) + fixtures::marked("DATDEV", "?", 904) +
              fixtures::marked("TEL", "?", 905) + fixtures::marked("IMMAT", "?", 906);
  save(q, versionPath(0));
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  // The telephone is the dossier's contact's, not the client's line.
  QStringList head;
  for (const char* b : {"PAYS", "DATDEV", "TEL", "IMMAT"}) head << s->document().bookmarkText(b);
  EXPECT_EQ(head.join('|'), "France|15/03/2026|0611|AA-123-BB");
  EXPECT_DOUBLE_EQ(s->client().labourRate, 42);
  EXPECT_EQ(s->vatField(), "20");
  EXPECT_TRUE(s->typeOptions().flag("TTYP_DART1A"));
  EXPECT_EQ(s->typeOptions().titleSize, 14);
}

// Regression: the payment terms and mode were printed as their codes ("30J CHQ"), and the
// issuing company not at all.
TEST_F(CompositionSessionTest, PaymentTermsAndTheCompanyAreWrittenByTheirNames) {
  m_state->base(core::entry::Commercial)
      .db.Execute(
          "update TCLI set TCLI_CondPaie = '30J', TCLI_ModPaie = 'CHQ' where TCLI_CODE = 'C1'");
  m_state->conditionsPaiementCodes = {"30J", ""};
  m_state->conditionsPaiementLabels = {"30 jours fin de mois", ""};
  m_state->modesReglementCodes = {"CHQ"};
  m_state->modesReglementLabels = {"Chèque"};
  QuoteDoc q = twoLines();
  q.between = fixtures::marked("SCOND", "?", 901) + fixtures::marked("SOCIETE", "?", 902);
  m_state->mainDb().Execute(
      "insert into TSOC (TSOC_CODE, TSOC_LIB) values ('AB', 'Ateliers Martin')");
  save(q, versionPath(0));
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->document().bookmarkText("SCOND"), "30 jours fin de mois - Chèque");
  // The issuing company is named too.
  EXPECT_EQ(s->document().bookmarkText("SOCIETE"), "Ateliers Martin");
}

TEST_F(CompositionSessionTest, ClosingAsksOnlyAfterAChange) {
  save(twoLines(), versionPath(0));
  const QByteArray before = bytes(versionPath(0));
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  m_messages.clear();
  EXPECT_TRUE(s->close());
  EXPECT_TRUE(m_messages.entries().isEmpty());
  EXPECT_EQ(bytes(versionPath(0)), before);

  s = openVersion(0, false);
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  m_messages.clear();
  m_messages.script({Answer::Cancel});
  EXPECT_FALSE(s->close());
  EXPECT_EQ(m_messages.texts(), QStringList{"Enregistrer le document?"});
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(s->close());
  EXPECT_EQ(word::WordDocument::open(versionPath(0)).tableCount(), 3);
}

TEST_F(CompositionSessionTest, TariffModesAreCheckedAndWrittenBack) {
  const QString mat = "Le mode de tarification matières n'est pas correctement initialisé";
  const QString mo = "Le mode de tarification main d'oeuvre n'est pas correctement initialisé";
  // The materials and labour modes handed over, then the messages.
  const std::pair<QString, QString> cases[] = {
      {"PR", ""}, {"XR", mat}, {"VP", mo}, {"", mat + "|" + mo}};
  save(twoLines(), versionPath(0));
  for (const auto& [modes, messages] : cases) {
    handOver(0, false);
    m_state->quote.tarMat = modes.left(1);
    m_state->quote.tarMo = modes.mid(1);
    m_messages.clear();
    auto s = openVersion(0, false, true);
    ASSERT_TRUE(s);
    EXPECT_EQ(m_messages.texts().join('|'), messages) << modes.toStdString();
    if (!messages.isEmpty()) continue;
    EXPECT_EQ(s->materialsMode(), "P");
    EXPECT_TRUE(s->setTariffModes("R", "V"));
    EXPECT_TRUE(s->close());
    db::Recordset v = m_state->mainDb().OpenRecordset(
        "select * from TDEV where TDEV_SOC='AB' and TDEV_NUMDOSS=12 and TDEV_NSEQ=0");
    EXPECT_EQ(v.text("TDEV_TARMAT") + v.text("TDEV_TARMO"), "RV");
    // The workspace writes the context's modes back after the close: they are the chosen ones.
    EXPECT_EQ(m_state->quote.tarMat + m_state->quote.tarMo, "RV");
  }
  // A template takes its type's modes.
  save(twoLines(), folder() + "DEV.dotx");
  OpenRequest r;
  r.typeCode = "DEV";
  m_messages.clear();
  auto s = CompositionSession::open(*m_state, r);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->materialsMode() + s->labourMode(), "PR");
  EXPECT_TRUE(m_messages.texts().isEmpty());
}

// Regression: a text the user agreed to replace could never be saved, the file being there.
TEST_F(CompositionSessionTest, AnAgreedReplacementIsSavedUnlessTheFileChangedMeanwhile) {
  save(twoLines(), folder() + "DEV.dotx", "modèle du type");
  save(twoLines(), versionPath(1), "ancien texte");
  auto s = openVersion(1, true);
  ASSERT_TRUE(s);
  m_messages.clear();
  EXPECT_TRUE(s->save()) << m_messages.texts().join('|').toStdString();
  EXPECT_FALSE(s->isNewText());
  EXPECT_FALSE(holds(versionPath(1), "ancien texte"));
  EXPECT_TRUE(s->close());

  // Rewritten by another program after the choice: that file is not replaced.
  s = openVersion(1, true);
  ASSERT_TRUE(s);
  QThread::msleep(20);
  save(twoLines(), versionPath(1), "écrit ailleurs");
  m_messages.clear();
  EXPECT_FALSE(s->save());
  EXPECT_TRUE(m_messages.texts().value(0).contains("existe déjà"));
  EXPECT_TRUE(holds(versionPath(1), "écrit ailleurs"));
  m_messages.script({Answer::No});
  EXPECT_TRUE(s->close());
}

// Regression: a lock left by a crashed word processor blocked every save for good.
TEST_F(CompositionSessionTest, ALockLeftByACrashIsRemovedWhenTheUserAgrees) {
  save(twoLines(), versionPath(0));
  const QString lock = QFileInfo(versionPath(0)).absolutePath() + "/.~lock." +
                       QFileInfo(versionPath(0)).fileName() + '#';
  const auto writeLock = [&](const QString& host) {
    QFile f(lock);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(("Jean Martin,jmartin," + host + ",07.12.2026 09:12,file:///home/jmartin;").toUtf8());
  };
  QList<QStringList> running = {{"/usr/bin/bash"}};
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  s->setRunningPrograms([&] { return running; });
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());

  // Another machine's lock, or this one's while LibreOffice runs: refused, nothing asked.
  writeLock("poste-compta");
  m_messages.clear();
  EXPECT_FALSE(s->save());
  writeLock(QSysInfo::machineHostName());
  running << QStringList{"/usr/lib/libreoffice/program/soffice.bin", "--writer"};
  EXPECT_FALSE(s->save());
  EXPECT_EQ(m_messages.entries().size(), 2);
  EXPECT_TRUE(m_messages.texts()[0].startsWith("Le document est ouvert dans le traitement"));

  // LibreOffice is gone: the user is asked; No keeps the lock, Yes removes it and saves.
  running.removeLast();
  m_messages.clear();
  m_messages.script({Answer::No});
  EXPECT_FALSE(s->save());
  EXPECT_TRUE(m_messages.texts()[0].startsWith("Le document est marqué ouvert par jmartin"));
  EXPECT_TRUE(QFile::exists(lock));
  m_messages.script({Answer::Yes});
  EXPECT_TRUE(s->save()) << m_messages.texts().join('|').toStdString();
  EXPECT_FALSE(QFile::exists(lock));
  EXPECT_EQ(word::WordDocument::open(versionPath(0)).tableCount(), 3);
}

// Regression: the save's rename replaced a document nobody was allowed to write.
TEST_F(CompositionSessionTest, AReadOnlyDocumentIsComposedButNeverSaved) {
  save(twoLines(), versionPath(0));
  const QByteArray before = bytes(versionPath(0));
  ASSERT_TRUE(QFile::setPermissions(
      versionPath(0), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
  m_messages.clear();
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->isReadOnly());
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].endsWith(
      " est en lecture seule : il peut être consulté et composé, mais pas enregistré."));
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  EXPECT_FALSE(s->save());
  m_messages.clear();
  m_messages.script({Answer::Cancel});
  EXPECT_FALSE(s->close());
  m_messages.script({Answer::Ok});
  EXPECT_TRUE(s->close());
  EXPECT_EQ(m_messages.texts().size(), 2);
  EXPECT_EQ(bytes(versionPath(0)), before);
}

TEST_F(CompositionSessionTest, DocumentChangedOnDiskIsNotOverwrittenSilently) {
  save(twoLines(), versionPath(0));
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  EXPECT_FALSE(s->changedOnDisk());
  // Another program saves the file meanwhile.
  QThread::msleep(20);
  save(twoLines(), versionPath(0), "écrit ailleurs");
  EXPECT_TRUE(s->changedOnDisk());
  m_messages.clear();
  m_messages.script({Answer::Yes});
  EXPECT_FALSE(s->close());
  EXPECT_TRUE(m_messages.texts().value(1).contains("modifié par un autre programme"));
  EXPECT_TRUE(holds(versionPath(0), "écrit ailleurs"));
}

// Two workstations on the same version: the second sees the first holding it, and a save over
// the other's newer save is refused, the file left as the other saved it; after reading the
// version again it goes through.
TEST_F(CompositionSessionTest, ASaveOverAnotherWorkstationsNewerSaveIsRefused) {
  save(twoLines(), versionPath(0));
  m_state->presence = std::make_unique<db::Presence>(m_state->mainDb(), "paul", "POSTE1");
  db::Workspace other;
  db::Presence anne(other.OpenDatabase(m_state->mainDb().Name()), "anne", "POSTE2");
  const QString quote = core::quoteItem("AB", 12, "0");
  anne.hold(quote);
  const qint64 anneSeen = anne.saveNumber(quote);
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->othersHolding(), "Ouvert aussi par anne sur le poste POSTE2.");
  EXPECT_EQ(anne.others(quote).size(), 1);
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  // anne saves first: her document and her save number.
  save(twoLines(), versionPath(0), "enregistré par anne");
  ASSERT_EQ(anne.claimSave(quote, anneSeen), 1);
  m_messages.clear();
  EXPECT_FALSE(s->save());
  ASSERT_EQ(m_messages.texts().size(), 1);
  EXPECT_TRUE(m_messages.texts()[0].contains("enregistré par anne sur le poste POSTE2"))
      << m_messages.texts()[0].toStdString();
  EXPECT_TRUE(holds(versionPath(0), "enregistré par anne"));
  // Read again, the version is anne's and may be saved; then anne's older number is refused.
  ASSERT_TRUE(s->reload());
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  EXPECT_TRUE(s->save());
  EXPECT_EQ(anne.claimSave(quote, 1), std::nullopt);
  // Closed, the version is no longer held by paul.
  EXPECT_EQ(anne.others(quote).size(), 1);
  EXPECT_TRUE(s->close());
  EXPECT_TRUE(anne.others(quote).isEmpty());
}

TEST_F(CompositionSessionTest, NewTextNeverReplacesAFileThatAppearedMeanwhile) {
  save(twoLines(), versionPath(0), "texte de la version 0");
  auto s = openVersion(1, true);
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->setCursor(lineTable(*s), 1));
  ASSERT_TRUE(s->subTotal());
  save(twoLines(), versionPath(1), "écrit ailleurs");
  m_messages.clear();
  m_messages.script({Answer::Yes});
  EXPECT_FALSE(s->close());
  EXPECT_TRUE(m_messages.texts().value(1).endsWith("existe déjà : il n'est pas remplacé."));
  EXPECT_TRUE(holds(versionPath(1), "écrit ailleurs"));
}

TEST_F(CompositionSessionTest, SubTotalThenRecalculationKeepsTheTotals) {
  save(twoLines(), versionPath(0));
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  ASSERT_TRUE(s->recalculate());
  const int t = lineTable(*s);
  ASSERT_TRUE(s->setCursor(t, 2));
  ASSERT_TRUE(s->subTotal());
  word::WordDocument& d = s->document();
  ASSERT_TRUE(s->recalculate());
  EXPECT_EQ(s->lastRecalculation().bookmarks.value("SMTNET"), "226,97");
  // Forcing 1 000 raises the lines, not the sub-total table, whose sums follow the lines.
  ASSERT_TRUE(s->adjust(3, {"1000"}));
  const QString net = s->lastRecalculation().bookmarks.value("SMTNET");
  EXPECT_NEAR(parseNumber(QString(net).remove(' ')), 1000, 0.011);
  EXPECT_EQ(d.cellText({t + 1, 1, 8}), net);
}

// A quote saved after lines were written, without "Totalisation", printed blank or stale
// totals under the amount the workspace showed: the save writes the totals from the lines as
// they stand, without repricing a line and without a word.
TEST_F(CompositionSessionTest, SavingWritesTheTotalsOfTheLinesAsTheyStand) {
  QuoteDoc q = twoLines();
  q.totals = fixtures::marked("SMTNET", " ", 900) + fixtures::marked("SMTBRUT", "5,00", 901);
  save(q, versionPath(0));
  auto s = openVersion(0, false);
  ASSERT_TRUE(s);
  const int t = lineTable(*s);
  const QString price = s->document().cellText({t, 2, 4});
  m_messages.clear();
  ASSERT_TRUE(s->save()) << m_messages.texts().join('|').toStdString();
  EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('|').toStdString();
  word::WordDocument saved = word::WordDocument::open(versionPath(0));
  EXPECT_EQ(saved.bookmarkText("SMTNET"), "226,97");
  EXPECT_EQ(saved.bookmarkText("SMTBRUT"), "229,97");
  EXPECT_EQ(saved.cellText({t, 2, 4}), price);  // the line itself is not rewritten
  db::Recordset v = m_state->mainDb().OpenRecordset(
      "select TDEV_MONTANT from TDEV where TDEV_SOC='AB' and TDEV_NUMDOSS=12 and TDEV_NSEQ=0");
  EXPECT_DOUBLE_EQ(v.number("TDEV_MONTANT"), 226.97);
  m_messages.script({Answer::No});
  EXPECT_TRUE(s->close());
}

// Every writer follows the decimal separator the document already shows, whatever the
// workstation's: a row never shows "3.00" beside "104,10". A document without decimals yet
// takes the workstation's, the comma on one without regional settings.
TEST_F(CompositionSessionTest, EveryWriterKeepsTheDocumentsDecimalSeparator) {
  db::Database& stock = m_state->base(core::entry::Stock).db;
  for (const char* article : {"'KIT', 'Kit', 'F', 0, 0", "'VIS', 'Vis', 'A', 0.35, 0.5"})
    stock.Execute(QStringLiteral("INSERT INTO TARTI (TARTI_CODART, TARTI_LIBART, TARTI_Type, "
                                 "TARTI_PMP, TARTI_PVU1, TARTI_UNST_LIB) VALUES (%1, 'UN')")
                      .arg(article));
  stock.Execute(
      "INSERT INTO TLIEN (TLIEN_PERE, TLIEN_VARPERE, TLIEN_NUMORD, TLIEN_FILS, TLIEN_VARFILS, "
      "TLIEN_QTEUNI) VALUES ('KIT', '00', 1, 'VIS', '00', 2.5)");
  const QLocale saved;
  const QLocale french(QLocale::French, QLocale::France);
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const struct {
    QLocale workstation;
    QString written;  // the separator of the document's numbers, none for a blank one
    QChar expected;
  } cases[] = {{QLocale::c(), ".", '.'}, {QLocale::c(), ",", ','}, {french, ".", '.'},
               {english, ",", ','},      {QLocale::c(), "", ','},  {french, "", ','},
               {english, "", '.'}};
  for (const auto& c : cases) {
    SCOPED_TRACE((c.workstation.name() + " '" + c.written + "'").toStdString());
    QLocale::setDefault(c.workstation);
    QuoteDoc q;
    q.codes = kCodes + QStringList{"TXTVA"};
    if (c.written.isEmpty()) {
      q.lines = {{"", "Texte", "", "", "", "", "", "", "", ""}};
      q.totals = fixtures::marked("SMTNET", " ", 900);
    } else {
      q.lines = {{"X1", "Vis", "3" + c.written + "00", "9" + c.written + "99",
                  "10" + c.written + "00", "", "", "", "", "20" + c.written + "0"}};
      q.totals = fixtures::marked("SMTNET", "0" + c.written + "00", 900);
    }
    save(q, versionPath(0));
    handOver(0, false);
    auto s = CompositionSession::open(*m_state, OpenRequest{Origin::Dossier, {}, {}, {}});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->decimalSeparator(), c.expected);
    // Line entry, explosion, a sub-total, the recalculation.
    const int t = lineTable(*s);
    ASSERT_TRUE(s->setCursor(t, 1));
    EntryLine typed;
    typed.code = "NEW";
    typed.designation = "Pièce";
    typed.quantity = 2.5;
    typed.unitPrice = 104.1;
    typed.vatRate = "5.5";
    ASSERT_TRUE(s->insertLine(typed));
    EntryLine kit;
    kit.code = "KIT";
    kit.type = "F";
    kit.quantity = 1.5;
    m_messages.script({Answer::Yes});  // its bill of materials below it
    ASSERT_TRUE(s->insertLine(kit));
    ASSERT_TRUE(s->subTotal());
    m_messages.setFallback(Answer::Yes);
    ASSERT_TRUE(s->recalculate()) << m_messages.texts().join('|').toStdString();
    m_messages.setFallback(Answer::No);
    word::WordDocument& d = s->document();
    QStringList numbers;
    for (int table = 1; table <= d.tableCount(); ++table)
      for (int row = 1; row <= d.rowCount(table); ++row)
        for (int cell = 1; cell <= d.cellCount(table, row); ++cell)
          if (!decimalMarkOf(d.cellText({table, row, cell})).isNull())
            numbers << d.cellText({table, row, cell});
    numbers << d.bookmarkText("SMTNET");
    EXPECT_GT(numbers.size(), 10);
    for (const QString& n : numbers) EXPECT_EQ(decimalMarkOf(n), c.expected) << n.toStdString();
    EXPECT_TRUE(s->close());
    m_messages.clear();
  }
  QLocale::setDefault(saved);
}

}  // namespace
}  // namespace tarovent::composition
