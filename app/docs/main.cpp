// tarovent-docs: the document viewer of the family. Started on one record of a project of the
// document base: tarovent-docs [--server WORDS] DATA_FOLDER,PROJECT,KEY
#include <QApplication>

#include "documents/Attachments.h"
#include "documents/DocumentLinks.h"
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
  const documents::ViewerCommand command =
      documents::readViewerCommandLine(app.arguments().mid(1));
  const std::optional<documents::ViewerTarget> target =
      documents::parseViewerArgument(command.argument);
  if (!target) {
    messages.show(QStringLiteral("Utilisation : tarovent-docs [--server ADRESSE] "
                                 "DOSSIER_DES_DONNEES,PROJET,CLE\n"
                                 "Reçu : ") +
                      command.argument,
                  ui::Icon::Warning);
    return 2;
  }
  // A family on a server has its document base there.
  db::Workspace ws;
  if (!command.server.isEmpty()) ws.setServer(command.server);
  db::Database base;
  QString why;
  if (!documents::openDocumentBase(ws, target->dataFolder, base, &why)) {
    messages.show(why, ui::Icon::Critical);
    return 1;
  }
  os::SystemDesktop desktop;
  documents::DocumentViewer viewer(base, *target, messages, desktop);
  viewer.resize(1100, 720);
  viewer.show();
  viewer.load();
  return app.exec();
}
