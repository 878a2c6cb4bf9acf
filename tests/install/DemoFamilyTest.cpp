#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "composition/TableLocator.h"
#include "core/AdminRun.h"
#include "core/ProcessState.h"
#include "core/Startup.h"
#include "install/DemoFamily.h"
#include "install/DemoRecalc.h"
#include "install/DemoTables.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "platform/word/WordDocument.h"
#include "server/DemoCopy.h"
#include "ui/MessageFunnel.h"

using namespace tarovent;

namespace {

// One small demo per test binary: building it writes 350 documents.
class DemoFamily : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir;
    s_today = QDate::currentDate();
    s_summary =
        install::buildDemoFamily(s_dir->filePath("demo"), install::DemoSize::Small, s_today);
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
  }

  static QString data(const QString& file) { return s_summary.layout.dataFolder + file; }
  // The first column of the first row of a query on one of the family's files.
  static QVariant scalar(const QString& file, const QString& sql) {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(data(file), true);
    db::Recordset rs = db.OpenRecordset(sql);
    return rs.EOF_() ? QVariant() : rs.value(0);
  }
  static long count(const QString& file, const QString& from) {
    return scalar(file, "select count(*) from " + from).toLongLong();
  }
  static QStringList column(const QString& file, const QString& sql) {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(data(file), true);
    QStringList out;
    for (db::Recordset rs = db.OpenRecordset(sql); !rs.EOF_(); rs.MoveNext())
      out << rs.value(0).toString();
    return out;
  }
  static QString in(const QString& file) { return "[" + data(file) + "]."; }

  static QTemporaryDir* s_dir;
  static QDate s_today;
  static install::DemoSummary s_summary;
};
QTemporaryDir* DemoFamily::s_dir = nullptr;
QDate DemoFamily::s_today;
install::DemoSummary DemoFamily::s_summary;

TEST_F(DemoFamily, HoldsTheAnnouncedCounts) {
  EXPECT_EQ(count("TAROVENT.MDB", "TSOC where TSOC_Desactive = True"), 1);
  EXPECT_EQ(count("PALUNDA.MDB", "TCLI"), 60);
  EXPECT_EQ(count("CORVELIN.MDB", "TARTI where TARTI_Type = 'F'"), 40);
  EXPECT_EQ(column("TARIFS.MDB", "select distinct TTRF_CODFOURN from TTRF").size(), 12);
  EXPECT_EQ(count("TAROVENT.MDB", "TDOS"), 200);
  EXPECT_EQ(count("TAROVENT.MDB", "TDEV"), 350);
  EXPECT_EQ(s_summary.documents, 350);
}

TEST_F(DemoFamily, ClientNamesKeepAccentsAndApostrophes) {
  EXPECT_EQ(count("PALUNDA.MDB", "TCLI where TCLI_RS = 'Ateliers d''Épinal'"), 1);
  EXPECT_EQ(count("PALUNDA.MDB", "TCLI where TCLI_CODE like '*''*' or TCLI_CODE like '* *'"), 0);
  // Every client has contacts numbered from 1, and several have vehicles and visits.
  EXPECT_EQ(count("PALUNDA.MDB",
                  "TCLI where TCLI_CODE not in (select TCLI_CONTACT_CodCli from "
                  "TCLI_CONTACT where TCLI_CONTACT_Num = 1)"),
            0);
}

TEST_F(DemoFamily, DossiersVersionsAndCompaniesAgree) {
  // None of these: a version without its dossier, versions not numbered from 0 without gaps,
  // a company whose counter is not its last dossier number, a dossier's client missing, a
  // reminder on a version that is not its dossier's latest.
  for (const QString& wrong : QStringList{
           "TDEV LEFT JOIN TDOS ON TDEV.TDEV_SOC = TDOS.TDOS_SOC AND TDEV.TDEV_NUMDOSS = "
           "TDOS.TDOS_NUMDOSS where TDOS.TDOS_SOC is null",
           "(select TDEV_SOC, TDEV_NUMDOSS from TDEV group by TDEV_SOC, TDEV_NUMDOSS having "
           "Max(TDEV_NSEQ) + 1 <> Count(*))",
           "TSOC where TSOC_NSEQ <> (select Max(TDOS_NUMDOSS) from TDOS where TDOS_SOC = "
           "TSOC_CODE)",
           "TDOS where TDOS_CLIENT not in (select TCLI_CODE from " + in("PALUNDA.MDB") + "TCLI)",
           "TDEV as D where TDEV_DATREL is not null and TDEV_NSEQ < (select Max(TDEV_NSEQ) from "
           "TDEV where TDEV_SOC = D.TDEV_SOC and TDEV_NUMDOSS = D.TDEV_NUMDOSS)"})
    EXPECT_EQ(count("TAROVENT.MDB", wrong), 0) << wrong.toStdString();
  // Reminders are due before today, today and later.
  const QString today = s_today.toString("#MM/dd/yyyy#");
  EXPECT_GT(count("TAROVENT.MDB", "TDEV where TDEV_DATREL < " + today), 0);
  EXPECT_GT(count("TAROVENT.MDB", "TDEV where TDEV_DATREL = " + today), 0);
  EXPECT_GT(count("TAROVENT.MDB", "TDEV where TDEV_DATREL > " + today), 0);
}

TEST_F(DemoFamily, BillsOfMaterialsRoutingsAndPrices) {
  const QString tomorrow = s_today.addDays(1).toString("#MM/dd/yyyy#");
  const QString today = s_today.toString("#MM/dd/yyyy#");
  EXPECT_EQ(count("CORVELIN.MDB", "TLIEN where TLIEN_DebApplic = " + tomorrow), 1);
  EXPECT_EQ(count("CORVELIN.MDB", "TLIEN where TLIEN_FinApplic < " + today), 1);
  // Every link joins a manufactured article to an existing one.
  EXPECT_EQ(count("CORVELIN.MDB",
                  "TLIEN where TLIEN_FILS not in (select TARTI_CODART from TARTI) or TLIEN_PERE "
                  "not in (select TARTI_CODART from TARTI where TARTI_Type = 'F')"),
            0);

  // The deepest bill of materials has four levels.
  db::Workspace ws;
  db::Database stock = ws.OpenDatabase(data("CORVELIN.MDB"), true);
  QHash<QString, QStringList> children;
  for (db::Recordset rs = stock.OpenRecordset("TLIEN"); !rs.EOF_(); rs.MoveNext())
    children[rs.text("TLIEN_PERE")] << rs.text("TLIEN_FILS");
  std::function<int(const QString&)> depth = [&](const QString& code) {
    int d = 0;
    for (const QString& c : children.value(code)) d = std::max(d, 1 + depth(c));
    return d;
  };
  int deepest = 0;
  for (auto it = children.cbegin(); it != children.cend(); ++it)
    deepest = std::max(deepest, depth(it.key()));
  EXPECT_EQ(deepest, 4);

  // Every manufactured article has a routing on existing sections, ten sections in all.
  const QStringList routed =
      column("DAVRISET.MDB", "select distinct TGAM_Codart from TGAM order by TGAM_Codart");
  EXPECT_EQ(routed,
            column("CORVELIN.MDB",
                   "select TARTI_CODART from TARTI where TARTI_Type = 'F' order by TARTI_CODART"));
  EXPECT_EQ(count("DAVRISET.MDB", "TGAM where TGAM_CodSec not in (select TSEC_CODSEC from TSEC)"),
            0);
  EXPECT_EQ(column("DAVRISET.MDB", "select distinct TGAM_CodSec from TGAM").size(), 10);
}

TEST_F(DemoFamily, AffairsAndInvoicesPointAtQuotes) {
  // An affair's quote number begins with the business key of an existing dossier.
  db::Workspace ws;
  db::Database main = ws.OpenDatabase(data("TAROVENT.MDB"), true);
  db::Recordset dos = main.OpenRecordset("TDOS", db::RecordsetType::Table);
  dos.setIndex("PrimaryKey");
  for (const QString& quote : column("PALUNDA.MDB", "select TAFF_NUMDEV from TAFF")) {
    dos.Seek("=", quote.left(2), quote.mid(2, 5).toInt());
    EXPECT_FALSE(dos.NoMatch()) << quote.toStdString();
  }
  EXPECT_EQ(count("PALUNDA.MDB", "TFAC where TFAC_NumAff not in (select TAFF_NUMAFF from TAFF)"),
            0);
}

TEST_F(DemoFamily, TheDocumentViewerFindsTheDossiers) {
  EXPECT_EQ(scalar("BASEDOC.MDB", "select NomTable from TPROJ where PROJET = 'ZORVANE'"), "RDOS");
  EXPECT_EQ(scalar("TAROVENT.MDB",
                   "select NUMDEV from RDOS where TDOS_SOC = 'AB' and "
                   "TDOS_NUMDOSS = 7"),
            "AB00007");
  // Article pictures, one of which has been moved away.
  db::Workspace ws;
  db::Database base = ws.OpenDatabase(data("BASEDOC.MDB"), true);
  int present = 0, missing = 0;
  for (db::Recordset rs = base.OpenRecordset("select * from TPROJ_DETAIL where PROJET='QUILMORA'");
       !rs.EOF_(); rs.MoveNext())
    ++(QFileInfo::exists(rs.text("PATHDOC") + rs.text("NOMDOC")) ? present : missing);
  EXPECT_GT(present, 0);
  EXPECT_EQ(missing, 1);
}

TEST_F(DemoFamily, FollowUpHasRemindersVisitsAndLinkedDocumentsForEveryMorning) {
  // Yesterday, today and next week for each of the first two representatives.
  for (const char* rep : {"JMD", "SLB"})
    for (int days : {-1, 0, 7})
      EXPECT_GT(count("TAROVENT.MDB",
                      "TDEV inner join TDOS on TDOS_SOC = TDEV_SOC and TDOS_NUMDOSS = TDEV_NUMDOSS "
                      "where TDOS_CAL = '" +
                          QString::fromLatin1(rep) +
                          "' and TDEV_DATREL = " + s_today.addDays(days).toString("#MM/dd/yyyy#")),
                0)
          << rep << days;
  const QString today = s_today.toString("#MM/dd/yyyy#");
  EXPECT_GT(count("PALUNDA.MDB", "TVIS where TVIS_DateRea is not null"), 0);
  EXPECT_GT(count("PALUNDA.MDB", "TVIS where TVIS_DateRea is null and TVIS_DatePrev < " + today),
            0);
  EXPECT_GT(count("PALUNDA.MDB", "TVIS where TVIS_DateRea is null and TVIS_DatePrev > " + today),
            0);
  // Both projects, and pictures and PDFs on dossiers and articles, every file there.
  EXPECT_EQ(count("BASEDOC.MDB", "TPROJ"), 2);
  for (const char* project : {"ZORVANE", "QUILMORA"})
    EXPECT_GT(count("BASEDOC.MDB", "TPROJ_DETAIL where NOMDOC like '*.pdf' and PROJET = '" +
                                       QString::fromLatin1(project) + "'"),
              0);
  for (const QString& file :
       column("BASEDOC.MDB", "select PATHDOC & NOMDOC from TPROJ_DETAIL where PROJET = 'ZORVANE'"))
    EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
}

TEST_F(DemoFamily, TheAdminPrintsTheRemindersAsTheWindowListsThem) {
  using tarovent::test::admin;
  const QString root = s_summary.layout.root;
  const auto r = admin({"reminders", root, "--rep", "SLB"});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  QStringList days;
  for (const QString& line : r.lines()) {
    const QStringList cells = line.split('\t');
    ASSERT_EQ(cells.size(), 12) << line.toStdString();
    EXPECT_EQ(cells[5], "SLB");
    const QDate due = QDate::fromString(cells[6], "dd/MM/yyyy");
    EXPECT_LE(due, s_today);
    days << cells[6];
  }
  EXPECT_TRUE(days.contains(s_today.toString("dd/MM/yyyy")));
  EXPECT_TRUE(days.contains(s_today.addDays(-1).toString("dd/MM/yyyy")));
  EXPECT_FALSE(days.contains(s_today.addDays(7).toString("dd/MM/yyyy")));
  // Oldest first; everybody's list holds more.
  QStringList sorted = days;
  std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
    return QDate::fromString(a, "dd/MM/yyyy") < QDate::fromString(b, "dd/MM/yyyy");
  });
  EXPECT_EQ(days, sorted);
  EXPECT_GT(admin({"reminders", root}).lines().size(), r.lines().size());
  EXPECT_EQ(admin({"reminders", root, "--rep"}).status, 2);
  EXPECT_EQ(admin({"reminders"}).status, 2);
}

TEST_F(DemoFamily, EveryVersionHasItsPricedDocument) {
  const QStringList names =
      column("TAROVENT.MDB",
             "select Right('0000' & TDEV_NUMDOSS, 5) & '_' & Right('0' & TDEV_NSEQ, 2) & '.' & "
             "TDEV_SOC from TDEV");
  ASSERT_EQ(names.size(), 350);
  const QString folder = data("DOC_TAROVENT/");
  for (const QString& n : names) {
    // Each one opens and carries its own number.
    SCOPED_TRACE(n.toStdString());
    ASSERT_TRUE(QFileInfo::exists(folder + n));
    EXPECT_EQ(word::WordDocument::open(folder + n, word::OpenMode::ReadOnly).bookmarkText("NUMDEV"),
              n);
  }
  EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 350);
  // A document shows its lines; its net total is the version's amount.
  const QStringList amounts = column("TAROVENT.MDB", "select TDEV_MONTANT from TDEV");
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(names[i].toStdString());
    auto doc = word::WordDocument::open(folder + names[i], word::OpenMode::ReadOnly);
    const auto located =
        composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation);
    ASSERT_TRUE(located.layout.has_value());
    EXPECT_GE(doc.rowCount(located.layout->firstLineTable), 3);
    EXPECT_NEAR(doc.bookmarkText("SMTNET").remove(' ').replace(',', '.').toDouble(),
                amounts[i].toDouble(), 0.005);
  }
}

// Line entry shows each client's earlier prices from the first quote composed: every version
// is remembered under its dossier's client, with the unit prices of its document.
TEST_F(DemoFamily, EveryVersionIsInTheClientsPriceMemory) {
  EXPECT_EQ(count("TAROVENT.MDB",
                  "(select distinct TMEMPRIX_SOC, TMEMPRIX_NUMDOSS, TMEMPRIX_NSEQ from TMEMPRIX)"),
            350);
  EXPECT_EQ(count("TAROVENT.MDB",
                  "TMEMPRIX inner join TDOS on TDOS_SOC = TMEMPRIX_SOC and TDOS_NUMDOSS = "
                  "TMEMPRIX_NUMDOSS where TDOS_CLIENT <> TMEMPRIX_CLIENT"),
            0);
  EXPECT_EQ(count("TAROVENT.MDB", "TMEMPRIX where TMEMPRIX_PU <= 0 or TMEMPRIX_PUNET <= 0"), 0);
}

// Regression: a document the recalculation could not read was skipped without a word.
// Demo prices are money: half a cent goes up, whatever the sign, never truncated.
TEST(DemoPrices, RoundHalfUpToTheCent) {
  EXPECT_DOUBLE_EQ(install::demo::round2(0.125), 0.13);
  // 1.005 is stored a hair below: the program's rounding still gives the cent above.
  EXPECT_DOUBLE_EQ(install::demo::round2(1.005), 1.01);
  EXPECT_DOUBLE_EQ(install::demo::round2(10.994), 10.99);
  EXPECT_DOUBLE_EQ(install::demo::round2(-0.125), -0.12);
}

TEST(DemoRecalculation, StopsWithAMessageOnADocumentItCannotRecalculate) {
  QTemporaryDir dir;
  const auto layout = install::initFamily(dir.filePath("fam"), false);
  {
    db::Workspace ws;
    db::Database main = ws.OpenDatabase(layout.dataFolder + "TAROVENT.MDB");
    main.Execute(
        "INSERT INTO TDEV (TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_TXTVA) VALUES ('AB', 1, 0, "
        "'20')");
  }
  QDir().mkpath(layout.dataFolder + "DOC_TAROVENT");
  QFile doc(layout.dataFolder + "DOC_TAROVENT/00001_00.AB");
  ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
  doc.write("pas un document");
  doc.close();
  try {
    install::recalculateDocuments(layout);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(
        QString::fromUtf8(e.what()).startsWith("Le devis 00001_00.AB n'a pas pu être recalculé"))
        << e.what();
  }
}

TEST_F(DemoFamily, TheAdministrationCheckSaysOk) {
  QProcess check;
  check.start(TAROVENT_ADMIN, {"check", s_summary.layout.root});
  ASSERT_TRUE(check.waitForFinished(30000));
  EXPECT_EQ(check.exitCode(), 0);
  EXPECT_EQ(QString::fromUtf8(check.readAllStandardOutput()), "OK\n");
}

// The composition's script on a demo quote: a sub-total after its line table, then the
// recalculation, whose totals the sub-total does not change; then saved. Then lines entered.
TEST_F(DemoFamily, ComposeScriptAddsASubTotalAndRecalculates) {
  QTemporaryDir work;
  const QString file = work.filePath("00001_00.AB");
  ASSERT_TRUE(QFile::copy(data("DOC_TAROVENT/00001_00.AB"), file));
  int table = 0, rows = 0;
  QString net;
  {
    auto doc = word::WordDocument::open(file, word::OpenMode::ReadOnly);
    const auto layout =
        composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation).layout;
    ASSERT_TRUE(layout.has_value());
    table = layout->firstLineTable;
    rows = doc.rowCount(table);
    net = doc.bookmarkText("SMTNET").remove(' ').replace(',', '.');
  }
  const auto compose = [&](const QString& script, QString& out) {
    QFile f(work.filePath("script"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(script.toUtf8());
    f.close();
    QProcess p;
    p.start(TAROVENT_ADMIN, {"compose", s_summary.layout.root, file, "--quote", "1", "0",
                             "--script", f.fileName()});
    EXPECT_TRUE(p.waitForFinished(60000));
    out = QString::fromUtf8(p.readAllStandardOutput());
    return p.exitCode();
  };
  QString out;
  EXPECT_EQ(compose(QStringLiteral("cursor %1 %2\nsubtotal\nrecalc\n").arg(table).arg(rows), out),
            0)
      << out.toStdString();
  const QRegularExpression total("^SMTNET=(.*)$", QRegularExpression::MultilineOption);
  EXPECT_EQ(total.match(out).captured(1).remove(' ').replace(',', '.'), net) << out.toStdString();
  EXPECT_TRUE(out.endsWith("? Enregistrer le document?\n")) << out.toStdString();
  EXPECT_EQ(composition::subTotalTables(word::WordDocument::open(file, word::OpenMode::ReadOnly)),
            QSet<int>{table + 1});

  // A command stopping on its message ends the script, and the file is left alone.
  const QDateTime before = QFileInfo(file).lastModified();
  EXPECT_EQ(
      compose(QStringLiteral("cursor %1 1\nsubtotal+ Lot\npick article NOPE\nsplit\n").arg(table),
              out),
      1);
  EXPECT_EQ(out, "Erreur interne : article introuvable : NOPE\n? Enregistrer le document?\n");
  EXPECT_EQ(QFileInfo(file).lastModified(), before);

  // Line entry: a typed code written above the first line and, typed again (a written line
  // empties the fields), at the end of the table, then an option without quantity, confirmed,
  // written above the first line.
  const QString typed =
      QStringLiteral("set CTX_CODART ELEC0001\nset CTX_QTE 10\nset CTX_TPRO_PU 5\n");
  EXPECT_EQ(compose(QStringLiteral("cursor %1 1\n").arg(table) + typed + "insert\n" + typed +
                        "append\npick option GAR1\nanswers ok\nset CTX_QTE 0\ninsert\n",
                    out),
            0)
      << out.toStdString();
  EXPECT_TRUE(out.contains("\n? Quantité égale à 0 ?\n")) << out.toStdString();
  auto entered = word::WordDocument::open(file, word::OpenMode::ReadOnly);
  EXPECT_EQ(entered.rowCount(table), rows + 3);
  EXPECT_EQ(entered.cellText({table, 1, 1}) + entered.cellText({table, 2, 1}) +
                entered.cellText({table, rows + 3, 1}),
            "ELEC0001GAR1ELEC0001");
}

// The amounts are francs: the main currency says so, and one franc is worth the euro rate.
TEST_F(DemoFamily, CurrenciesMatchTheExchangeRate) {
  EXPECT_EQ(scalar("TAROVENT.MDB", "select TPAR_LIBDEV1 from TPAR").toString(), "Francs");
  EXPECT_EQ(scalar("TAROVENT.MDB", "select TPAR_LIBDEV2 from TPAR").toString(), "Euros");
  EXPECT_NEAR(scalar("TAROVENT.MDB", "select TPAR_COEFFDEV from TPAR").toDouble() * 6.55957, 1.0,
              1e-9);
}

// Values of the databases under `root` holding `text`.
long valuesHolding(const QString& root, const QString& text) {
  long n = 0;
  QDirIterator files(root, {QStringLiteral("*.MDB")}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    db::Workspace ws;
    db::Database base = ws.OpenDatabase(files.next(), true);
    for (const QString& table : base.TableDefNames()) {
      const db::TableDef def = base.tableDef(table);
      for (const db::FieldSpec& field : def.Fields()) {
        if (field.type != db::FieldType::Text && field.type != db::FieldType::Memo) continue;
        db::Recordset rs = base.OpenRecordset(
            QStringLiteral("SELECT Count(*) FROM [%1] WHERE InStr([%2], '%3') > 0")
                .arg(table, field.name, text));
        n += rs.value(0).toLongLong();
      }
    }
  }
  return n;
}

// The test run's shortcut: a copy of a family built elsewhere names its own folders wherever
// the built one named its, and starts without a message, its shared tables open.
TEST_F(DemoFamily, ACopyForATestNamesItsOwnFolders) {
  QFile ready(s_dir->filePath("ready"));
  ASSERT_TRUE(ready.open(QIODevice::WriteOnly));
  ready.write(QDate::currentDate().toString(Qt::ISODate).toLatin1());
  ready.close();
  qputenv("TAROVENT_TEST_DEMO", s_dir->path().toLocal8Bit());
  QTemporaryDir copy;
  const install::FamilyLayout layout = test::placeSmallDemoFamily(copy.filePath("demo"));
  qunsetenv("TAROVENT_TEST_DEMO");
  const QString built = s_summary.layout.root;
  ASSERT_EQ(layout.root, QDir(copy.filePath("demo")).absolutePath() + '/');
  EXPECT_EQ(valuesHolding(layout.root, built), 0);
  const long named = valuesHolding(built, built);
  EXPECT_GT(named, 5);  // the catalogue, the document bases, the parameters
  EXPECT_EQ(valuesHolding(layout.root, layout.root), named);

  ui::ScriptedResponder messages;
  core::ProcessState state(messages);
  state.workingFolder = layout.workingFolder;
  core::StartupHost host;
  EXPECT_EQ(core::runStartup(state, host), core::StartupResult::Continue);
  EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('\n').toStdString();
  EXPECT_TRUE(state.clientTable.isOpen() && state.priceTable.isOpen() &&
              state.routingTable.isOpen());
  EXPECT_EQ(state.config.defaultCompany, "AB");
}

}  // namespace

// The demo's calculation templates, imported as saved by the admin verb: the general
// parameters point at their folder; the pieces-and-labour one gives its marked coded rows as
// lines (the unmarked row and the uncoded rows left out), the per-post one ends with the
// purchase-price notice of its own row, and a sheet or presentation that does not exist stops.
TEST_F(DemoFamily, ImportVerbTakesTheCalculationTemplates) {
  const QString folder = scalar("TAROVENT.MDB", "select TPAR_PATH_EXCEL from TPAR").toString();
  ASSERT_EQ(folder, data("CALCULS/"));
  for (const char* t : {"PIECES_ET_MO.xltx", "CHAUDRONNERIE_GROUPEE.xltx",
                        "HYDRO/CENTRALE_HYDRAULIQUE.xltx", "ANCIENS/ANCIEN_CALCUL.xltx"})
    EXPECT_TRUE(QFile::exists(folder + t)) << t;
  QTemporaryDir work;
  const QString file = work.filePath("00001_00.AB");
  ASSERT_TRUE(QFile::copy(data("DOC_TAROVENT/00001_00.AB"), file));
  const auto rows = [&] {
    auto doc = word::WordDocument::open(file, word::OpenMode::ReadOnly);
    const auto layout =
        composition::Reperer_Tableaux(doc, composition::LocatePurpose::Recalculation).layout;
    return layout ? doc.rowCount(layout->firstLineTable) : -1;
  };
  const int before = rows();
  const auto import = [&](const QStringList& args, QString& out) {
    QProcess p;
    p.start(TAROVENT_ADMIN, QStringList{"import", s_summary.layout.root, file} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode();
  };
  const auto number = [&] {
    return word::WordDocument::open(file, word::OpenMode::ReadOnly).bookmarkText("NUMDEV");
  };
  ASSERT_EQ(number(), "00001_00.AB");
  QString out;
  EXPECT_EQ(import({folder + "PIECES_ET_MO.xltx", "--sheet", "Calcul", "--presentation", "X"}, out),
            0)
      << out.toStdString();
  EXPECT_TRUE(out.contains("\nLignes importées : 7\nHeures importées : 10.5\n"))
      << out.toStdString();
  EXPECT_EQ(rows(), before + 7);
  // The sheet's header cells share names with the quote's head: they stay in the sheet.
  EXPECT_EQ(number(), "00001_00.AB");

  EXPECT_EQ(import({folder + "HYDRO/CENTRALE_HYDRAULIQUE.xltx", "--sheet", "Centrale hydraulique",
                    "--presentation", "B"},
                   out),
            0)
      << out.toStdString();
  EXPECT_TRUE(
      out.contains("Attention !! Les prix des articles importés du classeur Excel sont des "
                   "prix d'achat fournisseur.\nLignes importées : 8\n"))
      << out.toStdString();

  const QDateTime saved = QFileInfo(file).lastModified();
  EXPECT_EQ(import({folder + "PIECES_ET_MO.xltx", "--sheet", "Nope", "--presentation", "X"}, out),
            1);
  EXPECT_TRUE(out.contains("La feuille Nope n'existe pas")) << out.toStdString();
  EXPECT_EQ(import({folder + "PIECES_ET_MO.xltx", "--sheet", "Calcul", "--presentation", "Z"}, out),
            2);
  EXPECT_EQ(QFileInfo(file).lastModified(), saved);
}

namespace {

// The first cells of a table's rows.
QStringList codes(const word::WordDocument& doc, int table) {
  QStringList out;
  for (int row = 1; row <= doc.rowCount(table); ++row) out << doc.cellText({table, row, 1});
  return out;
}

}  // namespace

// The boiler-making sheet in the grouped presentation, on a boiler-making quote of the demo: its
// texts in the text zone in order, its sections after the quote's labour, its parts (the
// ACIEST tariff line at its selling price) after the quote's parts, the delay in its bookmark,
// the quote's number untouched.
TEST_F(DemoFamily, ImportVerbGroupsTheBoilerMakingSheetInTheGroupedQuote) {
  const QStringList dossier = column(
      "TAROVENT.MDB",
      "select TDOS_SOC & '|' & TDOS_NUMDOSS from TDOS inner join TSOC on TSOC_CODE = TDOS_SOC "
      "where TDOS_TYPE = 'CHAU' and TSOC_Desactive = False order by TDOS_NUMDOSS");
  ASSERT_FALSE(dossier.isEmpty());
  const QString name = QStringLiteral("%1_00.%2")
                           .arg(dossier[0].section('|', 1).toInt(), 5, 10, QLatin1Char('0'))
                           .arg(dossier[0].section('|', 0, 0));
  QTemporaryDir work;
  const QString file = work.filePath(name);
  ASSERT_TRUE(QFile::copy(data("DOC_TAROVENT/" + name), file)) << name.toStdString();
  const auto tables = [&](word::WordDocument& doc) {
    return std::pair{doc.bookmarkCell("WMDO")->table, doc.bookmarkCell("WPIE")->table};
  };
  QStringList labourBefore, partsBefore;
  {
    word::WordDocument doc = word::WordDocument::open(file, word::OpenMode::ReadOnly);
    ASSERT_TRUE(doc.hasBookmark("WMDO") && doc.hasBookmark("WPIE"));
    const auto [labour, parts] = tables(doc);
    labourBefore = codes(doc, labour);
    partsBefore = codes(doc, parts);
    for (const QString& code : labourBefore)
      EXPECT_TRUE(code.startsWith("MO*")) << code.toStdString();
    EXPECT_EQ(doc.bookmarkText("DELAI"), "");
  }

  QProcess p;
  p.start(TAROVENT_ADMIN,
          {"import", s_summary.layout.root, file, data("CALCULS/CHAUDRONNERIE_GROUPEE.xltx"),
           "--sheet", "Chaudronnerie", "--presentation", "C"});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
  EXPECT_TRUE(out.startsWith("Lignes importées : 6\nHeures importées : 14\n")) << out.toStdString();

  word::WordDocument doc = word::WordDocument::open(file, word::OpenMode::ReadOnly);
  const auto [labour, parts] = tables(doc);
  EXPECT_EQ(codes(doc, labour), labourBefore + QStringList({"MO*PLIA", "MO*SOUD", "MO*CTRL"}));
  EXPECT_EQ(codes(doc, parts), partsBefore + QStringList({"ACI-10111", "TOLE0002", "ELEC0001"}));
  EXPECT_EQ(doc.bookmarkText("ZTXT").toStdString(),
            "Description des travaux\rFourniture et façon d'un réservoir en tôle S235, soudé "
            "étanche, \rpeint RAL 5010 à l'extérieur.");
  EXPECT_EQ(doc.bookmarkText("DELAI"), QString::fromUtf8("4 semaines après commande"));
  EXPECT_EQ(doc.bookmarkText("NUMDEV"), name);
  const double sale = scalar("TARIFS.MDB",
                             "select TTRF_PrixVen from TTRF where TTRF_CODFOURN = 'ACIEST' and "
                             "TTRF_REFFOURN = 'ACI-10111'")
                          .toDouble();
  ASSERT_GT(sale, 0);
  const int price = 5;  // Code, Désignation, Qté, Unité, P.U. brut
  EXPECT_EQ(doc.cellText({parts, int(partsBefore.size()) + 1, price}).remove(' '),
            QString::number(sale, 'f', 2).replace('.', ','));
}
