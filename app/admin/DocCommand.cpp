#include <QJsonDocument>
#include <QTextStream>
#include <cstdio>

#include "AdminCommand.h"
#include "composition/DocumentInspector.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

// doc inspect FILE: the structure of a document as JSON on stdout.
int runDocCommand(const QStringList& args) {
  if (!args.isEmpty() && args[0] == QLatin1String("recalc")) return runRecalcCommand(args.mid(1));
  QTextStream err(stderr);
  if (args.size() != 2 || args[0] != QLatin1String("inspect")) {
    err << "Utilisation : tarovent-admin doc inspect FICHIER\n"
           "              tarovent-admin doc recalc DOSSIER FICHIER [options]\n";
    return 2;
  }
  try {
    tarovent::word::WordDocument doc =
        tarovent::word::WordDocument::open(args[1], tarovent::word::OpenMode::ReadOnly);
    const QByteArray json =
        QJsonDocument(tarovent::composition::inspectDocument(doc)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
  } catch (const tarovent::ooxml::OoxmlError& e) {
    err << "Impossible de lire le document " << args[1] << " : " << e.message() << "\n";
    return 1;
  }
}
