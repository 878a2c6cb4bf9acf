// Tarovent: quotation and cost estimation.
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "articles/CreationForms.h"
#include "clients/ClientWindows.h"
#include "composition/FCOMPO.h"
#include "core/CoreWindows.h"
#include "core/Help.h"
#include "core/MainMenu.h"
#include "core/ProcessState.h"
#include "documents/FARTINFOS.h"
#include "dossiers/DossierWindows.h"
#include "macros/MacroWindows.h"
#include "platform/mail/SystemMailOpener.h"
#include "platform/os/Desktop.h"
#include "platform/os/DocumentOpener.h"
#include "platform/os/LibreOfficeConverter.h"
#include "platform/os/WindowPrinter.h"
#include "reports/FACPROF.h"
#include "stock/StockWindows.h"
#include "ui/ButtonEnterKey.h"
#include "ui/GuardedApplication.h"
#include "ui/MessageBox.h"
#include "ui/MessageFunnel.h"
#include "ui/OptionGroupFocus.h"
#include "ui/QtFrench.h"
#include "ui/StderrFunnel.h"

using namespace tarovent;

namespace {

// Milliseconds since the process started: from the kernel's start time where it is known
// (it counts the loading of the libraries), else from the start of main().
double msSinceProcessStart(const QElapsedTimer& sinceMain) {
  QFile stat("/proc/self/stat");
  timespec now{};
  if (stat.open(QIODevice::ReadOnly) && clock_gettime(CLOCK_BOOTTIME, &now) == 0) {
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    bool ok = false;
    const double ticks = fields.value(19).toDouble(&ok);  // field 22: starttime
    if (ok) {
      const double startMs = ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
      return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6 - startMs;
    }
  }
  return double(sinceMain.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer sinceMain;
  sinceMain.start();
  ui::GuardedApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarovent"));
  ui::installButtonEnterKey(app);
  ui::installOptionGroupFocus(app);
  // Without the file, Qt's own dialogs stay in English; the program still starts.
  if (!ui::installQtFrench(app))
    fprintf(stderr, "Traductions françaises de Qt introuvables : dialogues standard en anglais.\n");
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Tarovent - devis et chiffrage"));
  parser.addHelpOption();
  const QCommandLineOption workdir(
      "workdir", QStringLiteral("Dossier de travail (par défaut le dossier courant)."), "DOSSIER");
  const QCommandLineOption screenshot(
      "screenshot", QStringLiteral("Enregistre l'image du menu principal puis quitte."), "FICHIER");
  const QCommandLineOption quitWhenShown(
      "quit-when-shown",
      QStringLiteral("Affiche le temps écoulé depuis le lancement dès que le menu principal est "
                     "affiché, puis quitte."));
  parser.addOption(workdir);
  parser.addOption(screenshot);
  parser.addOption(quitWhenShown);
  parser.process(app);

  const QString work =
      QDir(parser.isSet(workdir) ? parser.value(workdir) : QDir::currentPath()).absolutePath() +
      '/';
  QDir::setCurrent(work);

  ui::MessageBoxFunnel boxes(QStringLiteral("Tarovent"));
  ui::StderrFunnel unattended;
  ui::MessageFunnel& funnel = parser.isSet(screenshot) || parser.isSet(quitWhenShown)
                                  ? static_cast<ui::MessageFunnel&>(unattended)
                                  : boxes;
  core::ProcessState state(funnel);
  app.setMessages(&funnel);
  state.workingFolder = work;
  state.programFolder = QApplication::applicationDirPath() + '/';

  state.mail = std::make_unique<mail::SystemMailOpener>(work);
  state.openDocument = [](const QString& path) { return os::openInWordProcessor(path); };
  state.desktop = std::make_unique<os::SystemDesktop>();
  // Its own LibreOffice profile in the working folder, started at the first export.
  state.pdfConverter = std::make_unique<os::LibreOfficeConverter>(work + QStringLiteral("PDF"));
  core::registerCoreWindows(state);
  dossiers::registerDossierWindows(state);
  state.windows.add(QStringLiteral("FCOMPO"), {[&state](QWidget* parent) -> QWidget* {
                                                 return composition::FCOMPO::create(state, parent);
                                               },
                                               false});
  clients::registerClientWindows(state);
  documents::registerDocumentWindows(state);
  reports::registerReportWindows(state);
  // Without a printer, printed windows become PDF files in the working folder.
  os::SystemWindowPrinter printer(work + QStringLiteral("Impressions"));
  macros::registerMacroWindows(state, printer);
  stock::registerStockWindows(state);
  articles::registerCreationWindows(state);
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
  if (parser.isSet(quitWhenShown)) {
    // Queued behind the events that put the window on screen.
    QTimer::singleShot(0, &menu, [&sinceMain] {
      printf("menu principal affiché en %.1f ms\n", msSinceProcessStart(sinceMain));
      fflush(stdout);
      QApplication::quit();
    });
  }
  return app.exec();
}
