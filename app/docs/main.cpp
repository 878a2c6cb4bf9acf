// tarovent-docs: the document viewer of the family. Started on one record of a project of the
// document base: tarovent-docs DATA_FOLDER,PROJECT,KEY
#include <QApplication>
#include <QFileInfo>

#include "documents/Attachments.h"
#include "documents/DocumentViewer.h"
#include "platform/db/DbError.h"
#include "platform/os/Desktop.h"
#include "ui/MessageBox.h"
#include "ui/QtFrench.h"

using namespace tarovent;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarovent - Documents"));
  ui::installQtFrench(app);
  ui::MessageBoxFunnel boxes(QStringLiteral("Documents liés"));
  ui::MessageFunnel& messages = boxes;
  // The folder may hold spaces: the command line is read whole.
  const QString argument = app.arguments().mid(1).join(' ');
  const std::optional<documents::ViewerTarget> target = documents::parseViewerArgument(argument);
  if (!target) {
    messages.show(QStringLiteral("Utilisation : tarovent-docs DOSSIER_DES_DONNEES,PROJET,CLE\n"
                                 "Reçu : ") +
                      argument,
                  ui::Icon::Warning);
    return 2;
  }
  const QString basePath = target->dataFolder + documents::kDocumentBase;
  if (!QFileInfo::exists(basePath)) {
    messages.show(QStringLiteral("Base de données <") + basePath + QStringLiteral("> introuvable"),
                  ui::Icon::Critical);
    return 1;
  }
  db::Workspace ws;
  db::Database base;
  try {
    base = ws.OpenDatabase(basePath);
  } catch (const db::DbError& e) {
    messages.show(e.description() + QStringLiteral("   Err. n° ") + QString::number(e.number()),
                  ui::Icon::Critical);
    return 1;
  }
  os::SystemDesktop desktop;
  documents::DocumentViewer viewer(base, *target, messages, desktop);
  viewer.resize(1100, 720);
  viewer.show();
  viewer.load();
  return app.exec();
}
