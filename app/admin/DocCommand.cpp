#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>

#include "AdminCommand.h"
#include "composition/DocumentInspector.h"
#include "dossiers/QuoteMailing.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/os/LibreOfficeConverter.h"
#include "platform/word/WordDocument.h"

namespace {

// doc pdf FILE [--pages FIRST-LAST]: the PDF beside the document, as the dossier workspace
// exports it; its path on the last line.
int runPdf(const QStringList& args, QTextStream& err) {
  QStringList rest = args;
  tarovent::dossiers::PdfPages pages;
  QString file;
  while (!rest.isEmpty()) {
    const QString a = rest.takeFirst();
    if (a == QLatin1String("--pages") && !rest.isEmpty()) {
      const QStringList range = rest.takeFirst().split('-');
      pages = {true, range.value(0), range.value(1)};
    } else if (file.isEmpty() && !a.startsWith(QLatin1String("--"))) {
      file = a;
    } else {
      return -1;
    }
  }
  if (file.isEmpty()) return -1;
  if (!QFileInfo(file).isFile()) {
    err << "Le document " << file << " est introuvable.\n";
    return 1;
  }
  // A profile of its own that outlives the run, so that the next run starts faster.
  const QString profile =
      QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/tarovent-pdf";
  tarovent::os::LibreOfficeConverter converter(profile);
  tarovent::os::PdfJob job{QFileInfo(file).absoluteFilePath(),
                           tarovent::dossiers::pdfPathFor(QFileInfo(file).absoluteFilePath()), 0,
                           0};
  if (pages.range) std::tie(job.firstPage, job.lastPage) = pages.numbers();
  const tarovent::os::PdfOutcome outcome = tarovent::os::convertAndWait(converter, job);
  if (!outcome.ok) {
    err << outcome.message << "\n";
    return 1;
  }
  QTextStream(stdout) << job.pdf << "\n";
  return 0;
}

}  // namespace

// doc inspect FILE: the structure of a document as JSON on stdout.
int runDocCommand(const QStringList& args) {
  if (!args.isEmpty() && args[0] == QLatin1String("recalc")) return runRecalcCommand(args.mid(1));
  QTextStream err(stderr);
  const auto usage = [&err] {
    err << "Utilisation : tarovent-admin doc inspect FICHIER\n"
           "              tarovent-admin doc recalc DOSSIER FICHIER [options]\n"
           "              tarovent-admin doc pdf FICHIER [--pages PREMIERE-DERNIERE]\n";
    return 2;
  };
  if (!args.isEmpty() && args[0] == QLatin1String("pdf")) {
    const int status = runPdf(args.mid(1), err);
    return status < 0 ? usage() : status;
  }
  if (args.size() != 2 || args[0] != QLatin1String("inspect")) return usage();
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
