// Tarovent: quotation and cost estimation.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "core/CoreWindows.h"
#include "core/Help.h"
#include "core/MainMenu.h"
#include "core/ProcessState.h"
#include "ui/MessageFunnel.h"

using namespace tarovent;

namespace {

// For unattended runs (screenshots, measurements): messages go to stderr, questions take
// their default button.
class StderrFunnel : public ui::MessageFunnel {
 public:
  void show(const QString& text, ui::Icon, const QString&) override {
    fprintf(stderr, "%s\n", qPrintable(text));
  }
  ui::Answer ask(const QString& text, ui::Buttons buttons, int defaultButton, ui::Icon,
                 const QString&) override {
    fprintf(stderr, "? %s\n", qPrintable(text));
    return ui::answerAt(buttons, defaultButton);
  }
  void beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarovent"));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Tarovent - devis et chiffrage"));
  parser.addHelpOption();
  const QCommandLineOption workdir(
      "workdir", QStringLiteral("Dossier de travail (par défaut le dossier courant)."), "DOSSIER");
  const QCommandLineOption screenshot(
      "screenshot", QStringLiteral("Enregistre l'image du menu principal puis quitte."), "FICHIER");
  parser.addOption(workdir);
  parser.addOption(screenshot);
  parser.process(app);

  const QString work =
      QDir(parser.isSet(workdir) ? parser.value(workdir) : QDir::currentPath()).absolutePath() +
      '/';
  QDir::setCurrent(work);

  ui::MessageBoxFunnel boxes(QStringLiteral("Tarovent"));
  StderrFunnel unattended;
  ui::MessageFunnel& funnel =
      parser.isSet(screenshot) ? static_cast<ui::MessageFunnel&>(unattended) : boxes;
  core::ProcessState state(funnel);
  state.workingFolder = work;
  state.programFolder = QApplication::applicationDirPath() + '/';

  core::registerCoreWindows(state);
  core::MainMenu menu(state);
  menu.setHelpHandler([&state](int context) { core::showHelp(state, context); });
  if (!menu.start()) return 1;
  menu.refreshEntries();
  menu.show();
  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    QTimer::singleShot(300, &menu, [&menu, file] {
      menu.grab().save(file);
      QApplication::quit();
    });
  }
  return app.exec();
}
