#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QButtonGroup;
class QFileSystemWatcher;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tarovent::composition {

class CompositionSession;
class WorkbookImportFlow;

// The import frame of the composition: the template list, the quote workbook's sheets, the
// presentation and the import button. The workbook is filled in the workstation's spreadsheet
// meanwhile; the frame tells when it was saved there.
class WorkbookImportFrame : public QDialog {
  Q_OBJECT

 public:
  // `imported` runs after lines were written (the window reads the document again).
  WorkbookImportFrame(CompositionSession& session, std::function<void()> imported,
                      QWidget* parent = nullptr);
  ~WorkbookImportFrame() override;

  // `Ouvrir_Import_Classeur`: false, after its message, when there is nothing to list.
  bool start();
  WorkbookImportFlow& flow() { return *m_flow; }

  void chooseWorkbook(const QString& entry);
  void chooseSheet(const QString& sheet);
  void importWorkbook();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showEntries();
  void showSaved();

  CompositionSession& m_session;
  std::unique_ptr<WorkbookImportFlow> m_flow;
  std::function<void()> m_imported;
  QLabel* m_folder = nullptr;
  QListWidget* m_workbooks = nullptr;
  QListWidget* m_sheets = nullptr;
  QButtonGroup* m_presentation = nullptr;
  QPushButton* m_import = nullptr;
  QLabel* m_state = nullptr;
  QFileSystemWatcher* m_watcher = nullptr;
};

}  // namespace tarovent::composition
