#include "composition/WorkbookImportFlow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "composition/CompositionSession.h"
#include "composition/WorkbookHeader.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/excel/Workbook.h"
#include "platform/ooxml/OoxmlError.h"
#include "ui/BusyCursor.h"

namespace tarovent::composition {

namespace {

// LibreOffice keeps ".~lock.NAME#" beside a file it has open.
QString lockFile(const QString& path) {
  const QFileInfo info(path);
  return info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#'));
}

}  // namespace

QString workbookPattern(const QString& setting) {
  QString p = setting.trimmed();
  if (p.isEmpty()) p = QStringLiteral("*.XLT");
  if (p.endsWith(QLatin1String(".xlt"), Qt::CaseInsensitive) ||
      p.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
    p += QLatin1Char('x');
  return p;
}

WorkbookImportFlow::WorkbookImportFlow(CompositionSession& session, Opener openSpreadsheet)
    : m_session(session), m_open(std::move(openSpreadsheet)) {}

QString WorkbookImportFlow::rootFolder() const { return m_session.state().params.pathExcel; }

QString WorkbookImportFlow::pattern() const {
  return workbookPattern(m_session.state().params.nomFichExcel);
}

QString WorkbookImportFlow::currentFolder() const {
  return m_subFolder.isEmpty() ? rootFolder() : QDir(rootFolder()).filePath(m_subFolder);
}

bool WorkbookImportFlow::Ouvrir_Import_Classeur() {
  core::ProcessState& state = m_session.state();
  ui::MessageFunnel& m = state.messages();
  if (state.params.pathExcel.trimmed().isEmpty() && state.params.nomFichExcel.trimmed().isEmpty()) {
    m.show(m.tr(QStringLiteral("Pour utiliser cette fonction, vous devez d'abord")) + '\n' +
               m.tr(QStringLiteral("initialiser le nom du fichier des modèles et le chemin Excel")) +
               '\n' + m.tr(QStringLiteral("dans les paramètres généraux (menu Tables)")),
           ui::Icon::Warning);
    return false;
  }
  if (!QFileInfo(rootFolder()).isDir()) {
    m.show(m.tr(QStringLiteral("Chemin d'accès aux classeurs EXCEL <")) + rootFolder() + pattern() +
               m.tr(QStringLiteral("> inconnu ou incorrect ...")),
           ui::Icon::Warning);
    return false;
  }
  Lister_Classeurs(QString());
  if (m_entries.isEmpty()) {
    m.show(m.tr(QStringLiteral("Aucun classeur EXCEL trouvé...")), ui::Icon::Information);
    return false;
  }
  return true;
}

bool WorkbookImportFlow::Lister_Classeurs(const QString& subFolder) {
  m_subFolder = subFolder;
  m_entries.clear();
  m_files.clear();
  const QDir dir(currentFolder());
  if (subFolder.isEmpty()) {
    core::BaseEntry& tariffs = m_session.state().base(core::entry::Tariffs);
    if (tariffs.open()) {
      try {
        db::Recordset suppliers = tariffs.db.OpenRecordset(QStringLiteral("TFOU"), db::RecordsetType::Table);
        suppliers.setIndex(QStringLiteral("PrimaryKey"));
        const QStringList folders =
            dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QString& folder : folders) {
          suppliers.Seek(QStringLiteral("="), folder);
          if (!suppliers.NoMatch()) m_entries << QLatin1Char('<') + folder + QLatin1Char('>');
        }
      } catch (const db::DbError&) {
        // Without the supplier file the sub-folders cannot be told apart: none is listed.
      }
    }
  } else {
    m_entries << QStringLiteral("..");
  }
  const QStringList files =
      dir.entryList({pattern()}, QDir::Files, QDir::Name | QDir::IgnoreCase);
  for (const QString& file : files) {
    if (m_entries.size() >= kMaxWorkbookEntries) break;
    const QString name = QFileInfo(file).completeBaseName();
    m_entries << name;
    m_files.insert(name, file);
  }
  return !m_entries.isEmpty();
}

void WorkbookImportFlow::closeWorkbook() {
  m_workbook.clear();
  m_sheets.clear();
  m_new = false;
  m_ready = false;
}

bool WorkbookImportFlow::Choisir_Classeur(const QString& entry) {
  ui::MessageFunnel& m = m_session.state().messages();
  if (entry.startsWith(QLatin1Char('<')) && entry.endsWith(QLatin1Char('>'))) {
    Lister_Classeurs(entry.mid(1, entry.size() - 2));
    return false;
  }
  if (entry == QLatin1String("..")) {
    Lister_Classeurs(QString());
    return false;
  }
  const auto file = m_files.constFind(entry);
  if (file == m_files.cend()) return false;
  if (!m_workbook.isEmpty()) {
    if (m.ask(m.tr(QStringLiteral("Confirmez-vous le changement de classeur")), ui::Buttons::YesNo,
              1) != ui::Answer::Yes)
      return false;
    closeWorkbook();
  }
  ui::BusyCursor busy;
  const QString target = QDir(rootFolder()).filePath(
      quoteWorkbookName(entry, QFileInfo(m_session.documentPath()).fileName()));
  bool keep = false;
  if (QFileInfo::exists(target)) {
    keep = m.ask(m.tr(QStringLiteral("Un classeur Excel de ce type existe déjà pour ce devis")) +
                     '\n' + m.tr(QStringLiteral("Voulez-vous le conserver? ")),
                 ui::Buttons::YesNo, 1) == ui::Answer::Yes;
    if (!keep) {
      if (m.ask(m.tr(QStringLiteral("Confirmez-vous l'écrasement du classeur existant")),
                ui::Buttons::YesNo, 2) != ui::Answer::Yes)
        return false;
      if (!QFile::remove(target)) {
        m.show(m.tr(QStringLiteral("Le classeur ne peut pas être remplacé : ")) + target,
               ui::Icon::Warning);
        return false;
      }
    }
  }
  try {
    if (!keep) excel::Workbook::open(QDir(currentFolder()).filePath(*file)).saveAs(target);
    m_sheets = excel::Workbook::open(target).sheetNames();
  } catch (const ooxml::OoxmlError& e) {
    m.show(e.message(), ui::Icon::Critical);
    return false;
  }
  m_workbook = target;
  m_new = !keep;
  return true;
}

bool WorkbookImportFlow::Choisir_Feuille(const QString& sheet) {
  if (m_workbook.isEmpty() || !m_sheets.contains(sheet)) return false;
  core::ProcessState& state = m_session.state();
  ui::MessageFunnel& m = state.messages();
  bool refresh = m_new || m.ask(m.tr(QStringLiteral("Souhaitez-vous raffraichir les données")),
                                ui::Buttons::YesNo, 1) == ui::Answer::Yes;
  if (refresh && openInSpreadsheet()) {
    // Writing under the spreadsheet's feet would lose what it holds unsaved.
    m.show(m.tr(QStringLiteral("Le classeur est ouvert dans le tableur : ses données ne sont pas "
                               "rafraîchies.")),
           ui::Icon::Warning);
    refresh = false;
  }
  if (refresh && m_session.origin() == Origin::Dossier) {
    ui::BusyCursor busy;
    try {
      excel::Workbook wb = excel::Workbook::open(m_workbook);
      if (fillHeaderCells(wb, wb.sheetIndex(sheet), readHeaderCells(state, state.quote)) > 0)
        wb.saveAs(m_workbook);
    } catch (const ooxml::OoxmlError& e) {
      m.show(e.message(), ui::Icon::Critical);
      return false;
    } catch (const db::DbError& e) {
      m.show(e.description() + m.tr(QStringLiteral("   Err. n° ")) + QString::number(e.number()),
             ui::Icon::Critical);
      return false;
    }
  }
  m_openedStamp = QFileInfo(m_workbook).lastModified();
  if (m_open && !m_open(m_workbook))
    m.show(m.tr(QStringLiteral("Le tableur ne peut pas être lancé : ouvrez vous-même le classeur ")) +
               m_workbook,
           ui::Icon::Warning);
  m_ready = true;
  return true;
}

bool WorkbookImportFlow::savedSinceOpened() const {
  if (m_workbook.isEmpty()) return false;
  const QFileInfo info(m_workbook);
  return info.exists() && info.lastModified() != m_openedStamp;
}

bool WorkbookImportFlow::openInSpreadsheet() const {
  return !m_workbook.isEmpty() && QFileInfo::exists(lockFile(m_workbook));
}

ImportResult WorkbookImportFlow::Importer_Classeur(Presentation presentation) {
  if (m_workbook.isEmpty() || !m_ready) return {};
  ui::MessageFunnel& m = m_session.state().messages();
  if (openInSpreadsheet() &&
      m.ask(m.tr(QStringLiteral("Le classeur est encore ouvert dans le tableur : seul ce qui y a "
                                "été enregistré sera importé.")) +
                '\n' + m.tr(QStringLiteral("Voulez-vous continuer ?")),
            ui::Buttons::YesNo, 1) != ui::Answer::Yes)
    return {};
  ImportResult result;
  try {
    const excel::Workbook wb = excel::Workbook::open(m_workbook);
    result = composition::Importer_Classeur(m_session, wb, presentation);
  } catch (const ooxml::OoxmlError& e) {
    m.show(e.message(), ui::Icon::Critical);
    return result;
  }
  if (result.completed) closeWorkbook();
  return result;
}

}  // namespace tarovent::composition
