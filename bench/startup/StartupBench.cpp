// Builds the large demo family, then measures the program from its start to its main menu on
// screen (offscreen), against `tarovent-admin check` on the same family: the same start-up
// without a window. Prints both, their difference and the ratio.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "install/DemoFamily.h"

using namespace tarovent;

namespace {

constexpr int kRuns = 7;

struct Run {
  double wallMs = 0;
  QString output;
};

Run runOnce(const QString& program, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  QElapsedTimer t;
  t.start();
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) {
    fprintf(stderr, "%s a échoué : %s\n", qPrintable(program),
            qPrintable(QString::fromUtf8(p.readAllStandardError())));
    std::exit(1);
  }
  return {double(t.nsecsElapsed()) / 1e6, QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  QElapsedTimer t;
  t.start();
  const auto demo = install::buildDemoFamily(dir.filePath("demo"), install::DemoSize::Large);
  printf(
      "famille de démonstration (grande) : %d dossiers, %d versions, %d articles, %d clients "
      "en %.1f s\n",
      demo.dossiers, demo.versions, demo.articles, demo.clients, t.elapsed() / 1000.0);

  std::vector<double> check, menu, reported;
  runOnce(TAROVENT_ADMIN, {"check", demo.layout.root});  // warms the file cache
  for (int i = 0; i < kRuns; ++i) {
    const Run c = runOnce(TAROVENT_ADMIN, {"check", demo.layout.root});
    if (c.output != "OK") {
      fprintf(stderr, "check : %s\n", qPrintable(c.output));
      return 1;
    }
    check.push_back(c.wallMs);
    const Run m =
        runOnce(TAROVENT_PROGRAM, {"--workdir", demo.layout.workingFolder, "--quit-when-shown"});
    menu.push_back(m.wallMs);
    const QString figure = m.output.section(' ', -2, -2);
    reported.push_back(figure.toDouble());
  }
  const double c = median(check), m = median(menu);
  printf("tarovent-admin check (médiane de %d) : %.1f ms\n", kRuns, c);
  printf(
      "lancement -> menu principal affiché (médiane de %d) : %.1f ms (le programme mesure "
      "%.1f ms)\n",
      kRuns, m, median(reported));
  printf(
      "écart dû à la fenêtre : %.1f ms ; rapport menu / check : %.2f ; objectif < 500 ms : "
      "%s\n",
      m - c, m / c, m < 500 ? "atteint" : "manqué");
  return 0;
}
