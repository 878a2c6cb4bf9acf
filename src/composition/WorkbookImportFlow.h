#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

#include "composition/WorkbookImport.h"

namespace tarovent::composition {

class CompositionSession;

// The most templates the workbook list shows.
constexpr int kMaxWorkbookEntries = 501;

// The workbook import of the composition, without widgets: the template list (the folder of
// the general parameters and its sub-folders named after suppliers), the quote's own copy of
// the chosen template, its header cells, its opening in the workstation's spreadsheet, the
// sheet choice and the import of the saved workbook. Messages and questions go through the
// session's funnel; every step returns false when it stopped on one.
class WorkbookImportFlow {
 public:
  using Opener = std::function<bool(const QString& path)>;
  WorkbookImportFlow(CompositionSession& session, Opener openSpreadsheet);

  // `Ouvrir_Import_Classeur`: checks the settings and lists the templates of the folder.
  bool Ouvrir_Import_Classeur();
  // `Lister_Classeurs`: the root ("") or a supplier's sub-folder.
  bool Lister_Classeurs(const QString& subFolder);
  const QStringList& entries() const { return m_entries; }
  // The folder listed, as the folder label shows it.
  QString currentFolder() const;

  // `Choisir_Classeur`: "<CODE>" opens a sub-folder, ".." goes back to the root; a template
  // makes (or keeps) the quote's workbook, whose sheets are then listed. True when a workbook
  // was chosen.
  bool Choisir_Classeur(const QString& entry);
  const QStringList& sheets() const { return m_sheets; }
  QString workbookPath() const { return m_workbook; }
  bool isNewWorkbook() const { return m_new; }

  // `Choisir_Feuille`: writes the header cells (for a kept workbook, when asked to) and opens
  // the workbook in the spreadsheet. The import becomes possible.
  bool Choisir_Feuille(const QString& sheet);
  bool importReady() const { return m_ready; }
  // Whether the spreadsheet saved the workbook since it was opened there.
  bool savedSinceOpened() const;
  // Whether the spreadsheet holds the workbook open (LibreOffice's lock file).
  bool openInSpreadsheet() const;

  // `Importer_Classeur`: the workbook as saved into the document; the workbook is then
  // closed.
  ImportResult Importer_Classeur(Presentation presentation);

 private:
  QString rootFolder() const;
  QString pattern() const;
  void closeWorkbook();

  CompositionSession& m_session;
  Opener m_open;
  QString m_subFolder;
  QStringList m_entries;
  QHash<QString, QString> m_files;  // listed name → file name
  QString m_workbook;
  bool m_new = false;
  QStringList m_sheets;
  bool m_ready = false;
  QDateTime m_openedStamp;
};

// The pattern of the template files: a blank setting means every template; the old
// extensions stand for the modern ones ("*.XLT" lists "*.xltx").
QString workbookPattern(const QString& setting);

}  // namespace tarovent::composition
