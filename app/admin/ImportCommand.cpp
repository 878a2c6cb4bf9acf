// import DIR QUOTEFILE WORKBOOK --sheet NAME --presentation X|M|A|B|C [--cursor TABLE ROW]
// [--answers …]: imports the selected rows of a workbook, as saved, into a quote document
// named by its quote number ("00012_00.AB"), then closes it saving.
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include "AdminCommand.h"
#include "PrintingFunnel.h"
#include "QuoteOpening.h"
#include "composition/CompositionSession.h"
#include "composition/TableLocator.h"
#include "composition/WorkbookImport.h"
#include "core/ProcessState.h"
#include "install/DemoRecalc.h"
#include "install/Installer.h"
#include "platform/db/DbError.h"
#include "platform/excel/Workbook.h"
#include "platform/ooxml/OoxmlError.h"

using namespace tarovent;

namespace {

// The first line table of the document, where the lines go unless told otherwise.
bool placeCursor(composition::CompositionSession& s, int table, int row) {
  if (table > 0) return s.setCursor(table, row);
  const composition::LocateResult located =
      composition::Reperer_Tableaux(s.document(), composition::LocatePurpose::Recalculation);
  if (!located.layout) return false;
  const std::vector<int> tables = composition::lineTables(s.document(), *located.layout);
  return !tables.empty() && s.setCursor(tables.front(), 1);
}

}  // namespace

int runImportCommand(const QStringList& argsIn) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = argsIn;
  QStringList positional, answers;
  QString sheet, letter;
  int table = 0, row = 1;
  const auto usage = [&] {
    err << "Utilisation : tarovent-admin import DOSSIER DEVIS CLASSEUR --sheet FEUILLE "
           "--presentation X|M|A|B|C [--cursor TABLEAU LIGNE] [--answers oui,non,...]\n";
    return 2;
  };
  while (!args.isEmpty()) {
    const QString a = args.takeFirst();
    const auto value = [&]() -> QString { return args.isEmpty() ? QString() : args.takeFirst(); };
    if (a == "--sheet") {
      sheet = value();
    } else if (a == "--presentation") {
      letter = value();
    } else if (a == "--answers") {
      answers = value().split(',', Qt::SkipEmptyParts);
    } else if (a == "--cursor") {
      bool ok1 = false, ok2 = false;
      table = value().toInt(&ok1);
      row = value().toInt(&ok2);
      if (!ok1 || !ok2 || table < 1 || row < 1) return usage();
    } else if (a.startsWith("--")) {
      return usage();
    } else {
      positional << a;
    }
  }
  const auto presentation = composition::presentationFromLetter(letter);
  if (positional.size() != 3 || sheet.isEmpty() || !presentation) return usage();
  const QString file = QFileInfo(positional[1]).absoluteFilePath();
  const QRegularExpressionMatch number =
      QRegularExpression("^(\\d{5})_(\\d{2})\\.").match(QFileInfo(file).fileName());
  if (!number.hasMatch()) {
    err << "Le devis " << positional[1] << " ne porte pas de numéro de devis (00012_00.AB).\n";
    return 1;
  }

  std::optional<excel::Workbook> workbook;
  try {
    workbook = excel::Workbook::open(positional[2]);
  } catch (const ooxml::OoxmlError& e) {
    err << e.message() << '\n';
    return 1;
  }
  if (workbook->sheetIndex(sheet) < 0) {
    err << "La feuille " << sheet << " n'existe pas dans " << positional[2] << ".\n";
    return 1;
  }

  admin::AnsweringFunnel funnel(out, answers);
  core::ProcessState state(funnel);
  state.workingFolder = install::familyLayout(positional[0]).workingFolder;
  if (!install::openFamilyForRecalculation(state)) {
    err << "La famille " << positional[0] << " ne peut pas être ouverte.\n";
    return 1;
  }
  composition::OpenRequest request;
  request.documentPath = file;
  request.origin = composition::Origin::Dossier;
  try {
    admin::readDefaultTariffModes(state);
    if (!admin::fillQuoteContext(state, file, number.captured(1).toLong(),
                                 number.captured(2).toInt(), err))
      return 1;
  } catch (const db::DbError& e) {
    err << e.description() << '\n';
    return 1;
  }
  auto session = composition::CompositionSession::open(state, request);
  if (!session) return 1;
  composition::ImportResult result;
  if (placeCursor(*session, table, row))
    result = composition::Importer_Classeur(*session, *workbook, *presentation);
  out << "Lignes importées : " << result.lines << '\n';
  if (result.hours != 0) out << "Heures importées : " << result.hours << '\n';
  out.flush();
  funnel.setAnswers({result.completed ? QStringLiteral("yes") : QStringLiteral("no")});
  const bool closed = session->close();
  return !result.completed || !closed || funnel.failed() ? 1 : 0;
}
