// Several workstations at once on one PostgreSQL server (a throw-away cluster). Each process
// opens the family as the program does and, for each dossier, goes the way of the dossier
// workspace: the dossier's first save (its number taken), a first quote version, the
// composition opened on it and saved. Prints dossiers per second and the slowest saves, then
// checks that every number was given once and that the company's counter ends on the last one.
//
//   bench_workstations [PROCESSES [DOSSIERS_EACH]]     (8 and 500 by default)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "PgCluster.h"
#include "common/QuietFunnel.h"
#include "composition/CompositionSession.h"
#include "core/Catalogue.h"
#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "dossiers/DossierCreation.h"
#include "dossiers/QuoteTypeTemplates.h"
#include "dossiers/QuoteVersions.h"
#include "dossiers/WriteTransaction.h"
#include "install/Installer.h"
#include "install/ServerMigration.h"
#include "platform/db/DbError.h"
#include "platform/db/PgSession.h"
#include "platform/db/Presence.h"

using namespace tarovent;

namespace {

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// The first version of a new dossier, written as the version frame writes it.
void addFirstVersion(core::ProcessState& state, dossiers::QuoteVersions& versions,
                     const dossiers::DossierKey& key) {
  const dossiers::NewVersion plan = versions.newVersion(key);
  dossiers::inWriteTransaction(state.mainDb(), [&] {
    db::Recordset rs = state.mainDb().OpenRecordset(
        QStringLiteral("select * from TDEV where TDEV_SOC=%1 and TDEV_NUMDOSS=%2")
            .arg(db::sqlLiteral(key.company))
            .arg(key.number),
        db::RecordsetType::Dynaset);
    rs.AddNew();
    rs.setValue("TDEV_SOC", key.company);
    rs.setValue("TDEV_NUMDOSS", qlonglong(key.number));
    rs.setValue("TDEV_NSEQ", plan.sequence);
    rs.setValue("TDEV_TARMAT", plan.tarMat);
    rs.setValue("TDEV_TARMO", plan.tarMo);
    rs.setValue("TDEV_TXTVA", plan.vatRate);
    rs.Update();
  });
}

// One workstation: prints each number it was given, then "slowest-dossier MS" and
// "slowest-save MS"; "refus ..." and a non-zero status when something was refused.
int worker(const QString& root, int each, const QString& name) {
  bench::QuietFunnel funnel;
  core::ProcessState state(funnel);
  state.workingFolder = install::familyLayout(root).workingFolder;
  core::Catalogue catalogue(state);
  if (!catalogue.Lire_Catalogue()) return 1;
  core::BaseEntry& main = state.base(core::entry::Main);
  main.db = state.workspace.OpenDatabase(core::localPath(main.path()));
  state.presence = std::make_unique<db::Presence>(main.db, name, name);
  dossiers::DossierCreation creation(main.db, main.db, funnel);
  dossiers::QuoteVersions versions(state);
  const dossiers::NewDossier d{"AB", "C1", "A1", {}, "Jean", "Portail", {}};
  QTextStream out(stdout);
  double slowestDossier = 0, slowestSave = 0;
  for (int i = 0; i < each; ++i) {
    QElapsedTimer t;
    t.start();
    const auto made = creation.create(d);
    if (!made.saved()) {
      out << "refus " << made.refusal << '\n';
      return 1;
    }
    const dossiers::DossierKey key{made.company, made.number, "A1", "C1"};
    addFirstVersion(state, versions, key);
    slowestDossier = std::max(slowestDossier, msSince(t));
    if (versions.prepareComposition(key, 0, {}, {}) != dossiers::HandOver::Ready) {
      out << "refus " << funnel.last << '\n';
      return 1;
    }
    composition::OpenRequest request;
    request.origin = composition::Origin::Dossier;
    request.documentPath = versions.documentPath(key, 0);
    auto session = composition::CompositionSession::open(state, request);
    if (!session) {
      out << "refus " << funnel.last << '\n';
      return 1;
    }
    QElapsedTimer s;
    s.start();
    const bool saved = session->save();
    slowestSave = std::max(slowestSave, msSince(s));
    if (!saved || !session->close()) {
      out << "refus " << funnel.last << '\n';
      return 1;
    }
    out << made.number << '\n';
  }
  out << "slowest-dossier " << slowestDossier << '\n' << "slowest-save " << slowestSave << '\n';
  return 0;
}

qlonglong scalar(db::PgSession& server, const QString& query) {
  return server.select(query).rows.value(0).value(0).toLongLong();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.value(0) == "--worker") {
    try {
      return worker(args.value(1), args.value(2).toInt(), args.value(3));
    } catch (const db::DbError& e) {
      printf("refus %s\n", qPrintable(e.description()));
      return 1;
    }
  }
  const int processes = args.value(0, "8").toInt();
  const int each = args.value(1, "500").toInt();
  if (processes < 1 || each < 1) {
    fprintf(stderr, "Utilisation : bench_workstations [PROCESSUS [DOSSIERS_PAR_PROCESSUS]]\n");
    return 2;
  }

  QString why;
  bool missing = false;
  db::test::PgCluster* cluster = db::test::PgCluster::instance(&why, &missing);
  if (!cluster) {
    fprintf(stderr, "Serveur PostgreSQL indisponible : %s\n", qPrintable(why));
    return 1;
  }
  QTemporaryDir dir;
  const QString root = dir.filePath("famille");
  const install::FamilyLayout layout = install::initFamily(root, false);
  constexpr qlonglong kCounterBefore = 41;
  {
    db::Workspace ws;
    db::Database main = ws.OpenDatabase(layout.dataFolder + "TAROVENT.MDB");
    main.Execute("INSERT INTO TSOC VALUES ('AB', 'Atelier Bernard', 41, False)");
    main.Execute("INSERT INTO TCLI (TCLI_CODE, TCLI_RS) VALUES ('C1', 'Aubry')");
    main.Execute("INSERT INTO TTYP (TTYP_CODE, TTYP_LIB) VALUES ('A1', 'Atelier')");
  }
  // The quote type's template is the empty one.
  QFile::copy(layout.dataFolder + "VIDE.dotx",
              dossiers::QuoteTypeTemplates(layout.dataFolder).templateFile("A1"));
  const QString conninfo = cluster->freshDatabase();
  if (!install::migrateFamily(root, conninfo).ok()) {
    fprintf(stderr, "La copie de la famille sur le serveur a échoué.\n");
    return 1;
  }
  install::nameServer(root, conninfo);
  for (const auto& [file, schema] : install::familyDatabases(root)) QFile::remove(file);

  QElapsedTimer wall;
  wall.start();
  std::vector<std::unique_ptr<QProcess>> running;
  for (int p = 0; p < processes; ++p) {
    running.push_back(std::make_unique<QProcess>());
    running.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    running.back()->start(app.applicationFilePath(), {"--worker", root, QString::number(each),
                                                      QStringLiteral("POSTE%1").arg(p + 1)});
  }
  QList<qint64> numbers;
  double slowestDossier = 0, slowestSave = 0;
  int failed = 0;
  for (auto& p : running) {
    p->waitForFinished(-1);
    if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) ++failed;
    for (const QString& line : QString::fromUtf8(p->readAllStandardOutput()).split('\n')) {
      if (line.startsWith("slowest-dossier "))
        slowestDossier = std::max(slowestDossier, line.section(' ', 1).toDouble());
      else if (line.startsWith("slowest-save "))
        slowestSave = std::max(slowestSave, line.section(' ', 1).toDouble());
      else if (line.startsWith("refus"))
        fprintf(stderr, "%s\n", qPrintable(line));
      else if (!line.isEmpty())
        numbers << line.toLongLong();
    }
  }
  const double seconds = double(wall.nsecsElapsed()) / 1e9;
  const QSet<qint64> distinct(numbers.begin(), numbers.end());
  const qint64 lowest = numbers.isEmpty() ? 0 : *std::min_element(numbers.begin(), numbers.end());
  const qint64 highest = numbers.isEmpty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
  auto server = db::PgSession::open(conninfo, "tarovent", false);
  const qlonglong counter = scalar(*server, "SELECT TSOC_NSEQ FROM TSOC WHERE TSOC_CODE = 'AB'");
  const qlonglong dossiersStored = scalar(*server, "SELECT count(*) FROM TDOS");
  const qlonglong versionsStored = scalar(*server, "SELECT count(*) FROM TDEV");
  const qlonglong documents =
      QDir(QFileInfo(core::Chemin_Document(layout.dataFolder, "X")).path())
          .entryList({QStringLiteral("*.AB")}, QDir::Files)
          .size();
  const qlonglong expected = qlonglong(processes) * each;
  printf("%d processus x %d dossiers : %.1f s, %.1f dossiers/s\n", processes, each, seconds,
         double(numbers.size()) / seconds);
  printf("création la plus lente (dossier et version) %.1f ms ; enregistrement de devis le plus "
         "lent %.1f ms\n",
         slowestDossier, slowestSave);
  printf("numéros : %lld donnés, %lld distincts, de %lld à %lld ; compteur %lld -> %lld ; "
         "en base %lld dossiers, %lld versions ; %lld devis enregistrés\n",
         qlonglong(numbers.size()), qlonglong(distinct.size()), qlonglong(lowest),
         qlonglong(highest), kCounterBefore, counter, dossiersStored, versionsStored, documents);
  const bool exact = failed == 0 && numbers.size() == expected && distinct.size() == expected &&
                     lowest == kCounterBefore + 1 && highest == kCounterBefore + expected &&
                     counter == kCounterBefore + expected && dossiersStored == expected &&
                     versionsStored == expected && documents == expected;
  printf("%s\n", exact ? "Numérotation exacte : chaque numéro donné une fois, compteur juste."
                       : "ÉCART : numéros répétés ou perdus, ou compteur faux.");
  return exact ? 0 : 1;
}
