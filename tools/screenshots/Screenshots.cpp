// Writes a PNG of the main menu and of every window its entries open, at 1280 x 800 and at
// 1920 x 1080, on a small demo family built in a temporary folder.
//   tarovent-screenshots FOLDER        (QT_QPA_PLATFORM=offscreen works without a display)
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "clients/ClientWindows.h"
#include "core/CoreWindows.h"
#include "core/FCHXRPT.h"
#include "core/MainMenu.h"
#include "core/ProcessState.h"
#include "core/ReportChoice.h"
#include "documents/DocumentViewer.h"
#include "documents/FARTINFOS.h"
#include "dossiers/DossierWindows.h"
#include "install/DemoFamily.h"
#include "macros/MacroWindows.h"
#include "platform/db/Recordset.h"
#include "platform/os/Desktop.h"
#include "platform/os/WindowPrinter.h"
#include "platform/report/Report.h"
#include "platform/report/ReportViewer.h"
#include "reports/FACPROF.h"
#include "reports/FRENTA.h"
#include "ui/FormNavigation.h"
#include "ui/QtFrench.h"
#include "ui/StderrFunnel.h"

using namespace tarovent;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // As the program does, so that Qt's own captions (window menus, standard buttons) show in French.
  ui::installQtFrench(app);
  if (argc != 2) {
    fprintf(stderr, "usage : tarovent-screenshots DOSSIER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(".")) {
    fprintf(stderr, "Impossible de créer %s\n", argv[1]);
    return 1;
  }
  QTemporaryDir dir;
  install::buildDemoFamily(dir.filePath("demo"), install::DemoSize::Small);
  ui::StderrFunnel funnel;
  core::ProcessState state(funnel);
  state.workingFolder = install::familyLayout(dir.filePath("demo")).workingFolder;
  core::registerCoreWindows(state);
  dossiers::registerDossierWindows(state);
  clients::registerClientWindows(state);
  os::SystemWindowPrinter printer(dir.filePath("Impressions"));
  macros::registerMacroWindows(state, printer);
  reports::registerReportWindows(state);
  documents::registerDocumentWindows(state);
  core::MainMenu menu(state);
  state.opener = &menu;
  if (!menu.start()) return 1;
  menu.refreshEntries();
  menu.show();

  int written = 0;
  const auto shoot = [&](const QString& name) {
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
      menu.resize(size);
      QApplication::processEvents();
      const QString file = out.filePath(
          QStringLiteral("%1-%2x%3.png").arg(name).arg(size.width()).arg(size.height()));
      if (ui::saveScreenshot(&menu, file))
        ++written;
      else
        fprintf(stderr, "Échec de l'écriture de %s\n", qPrintable(file));
    }
  };
  shoot(QStringLiteral("menu"));
  // Modal windows wait for an answer: only those living in the work area are taken.
  for (QAction* action : menu.findChildren<QAction*>()) {
    const QString window = action->property("window").toString();
    const ui::WindowSpec* entry = state.windows.find(window);
    if (!entry || entry->modal || !action->isEnabled()) continue;
    action->trigger();
    QApplication::processEvents();
    QMdiSubWindow* sub = menu.workArea()->activeSubWindow();
    if (!sub) continue;
    sub->showMaximized();
    shoot(window);
    menu.workArea()->closeAllSubWindows();
    QApplication::processEvents();
  }
  // The statistics: the order costs of every finished order, then the quote statistics window
  // and the preview of its report, shown without waiting for an answer.
  state.statsFrom = QDate(2000, 1, 1);
  state.statsTo = QDate(2100, 12, 31);
  if (menu.openWindow(QStringLiteral("FLSTAFF"))) {
    QApplication::processEvents();
    if (QMdiSubWindow* sub = menu.workArea()->activeSubWindow()) sub->showMaximized();
    shoot(QStringLiteral("FLSTAFF"));
    menu.workArea()->closeAllSubWindows();
  }
  // The dossier workspace with its statistics period panel open.
  if (menu.openWindow(QStringLiteral("FDEV"))) {
    QApplication::processEvents();
    if (QMdiSubWindow* sub = menu.workArea()->activeSubWindow()) sub->showMaximized();
    if (auto* stats = menu.findChild<QPushButton*>(QStringLiteral("CMD_StatPDR"))) stats->click();
    QApplication::processEvents();
    shoot(QStringLiteral("FRM_StatsPDR"));
    menu.workArea()->closeAllSubWindows();
  }
  const auto shootDialog = [&](QWidget* w, const QString& name) {
    w->setWindowModality(Qt::NonModal);
    w->show();
    QApplication::processEvents();
    const QString file = out.filePath(name + QStringLiteral("-1280x800.png"));
    if (ui::saveScreenshot(w, file))
      ++written;
    else
      fprintf(stderr, "Échec de l'écriture de %s\n", qPrintable(file));
  };
  if (reports::FRENTA* frenta = reports::FRENTA::create(state, &menu)) {
    shootDialog(frenta, QStringLiteral("FRENTA"));
    if (frenta->statistics().fill({}) == reports::QuoteStatistics::Outcome::Filled) {
      report::Report r(state.workingFolder + QStringLiteral("IMPRENTA.RPT"));
      const QHash<QString, QString> parameters = reports::QuoteStatistics::reportParameters({});
      for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        r.setParameter(it.key(), *it);
      r.start(state.localDb);
      report::ReportViewer viewer(std::move(r), &menu);
      viewer.resize(1280, 800);
      shootDialog(&viewer, QStringLiteral("F_RPT"));
    }
    delete frenta;
  }
  {
    QStringList labels;
    for (const QString& f : core::reportFiles(state.workingFolder, QStringLiteral("IMPRENTA")))
      labels << core::reportLabel(f, QStringLiteral("IMPRENTA"));
    core::FCHXRPT chooser(labels, &menu);
    shootDialog(&chooser, QStringLiteral("FCHXRPT"));
  }
  // The pictures of the first article that has some, and the document viewer on the first
  // dossier with documents, its picture then its plan.
  {
    const QString data = state.base(core::entry::Main).folder;
    db::Database base = state.workspace.OpenDatabase(data + documents::kDocumentBase);
    const auto firstKey = [&base](const QString& project, const QString& having) {
      db::Recordset rs = base.OpenRecordset("select VALCHAMP from TPROJ_DETAIL where PROJET = '" +
                                            project + "' group by VALCHAMP having " + having +
                                            " order by VALCHAMP");
      return rs.EOF_() ? QString() : rs.text("VALCHAMP");
    };
    state.pictureArticle = firstKey(documents::kArticleProject, QStringLiteral("count(*) = 1"));
    if (QWidget* pictures = state.windows.find(QStringLiteral("FARTINFOS"))->create(&menu)) {
      shootDialog(pictures, QStringLiteral("FARTINFOS"));
      delete pictures;
    }
    os::RecordingDesktop desktop;
    documents::DocumentViewer viewer(
        base, {data, documents::kDossierProject, firstKey(documents::kDossierProject, QStringLiteral("count(*) > 1"))}, funnel,
        desktop);
    viewer.resize(1280, 800);
    viewer.load();
    shootDialog(&viewer, QStringLiteral("tarovent-docs"));
    auto* list = viewer.findChild<QListWidget*>(QStringLiteral("BXL_Documents"));
    if (list && list->count() > 1) {
      list->setCurrentRow(1);
      // The PDF's pages are drawn in the background.
      for (int i = 0; i < 40; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
      }
      shootDialog(&viewer, QStringLiteral("tarovent-docs-2"));
    }
  }
  printf("%d images dans %s\n", written, qPrintable(out.absolutePath()));
  return written > 0 ? 0 : 1;
}
