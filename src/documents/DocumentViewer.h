#pragma once

#include <QWidget>
#include <functional>

#include "Attachments.h"
#include "platform/db/Database.h"

class QLabel;
class QListWidget;
class QPdfDocument;
class QPdfView;
class QPushButton;
class QStackedWidget;

namespace tarovent::ui {
class MessageFunnel;
}
namespace tarovent::os {
class Desktop;
}

namespace tarovent::documents {

// The family's document viewer: the documents attached to one record of a project of the
// document base, a picture or PDF shown inside, others opened with the desktop's program (a
// program file never), files added as copies, attachments taken off with their file kept.
class DocumentViewer : public QWidget {
  Q_OBJECT
 public:
  DocumentViewer(db::Database base, ViewerTarget target, ui::MessageFunnel& messages,
                 os::Desktop& desktop, QWidget* parent = nullptr);
  ~DocumentViewer() override;

  // Reads the project, the record and its documents. False after a message when the project
  // or its records cannot be read (the window then shows nothing to work on).
  bool load();
  // Shows the document of a row of the list.
  void showRow(int row);
  // Asks for files (the system's dialog unless a chooser is given) and attaches copies of them.
  void addFiles();
  using FileChooser = std::function<QStringList()>;
  void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
  // Takes the selected document off the record, after a Yes/No question.
  void removeSelected();
  // Opens the selected document with the desktop's program (never a program file).
  void openSelected();

  const QList<AttachedDocument>& documents() const { return m_documents; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void fillList(int current);
  int selectedRow() const;
  void showText(const QString& text);

  db::Database m_base;
  ViewerTarget m_target;
  ui::MessageFunnel& m_messages;
  os::Desktop& m_desktop;
  QList<AttachedDocument> m_documents;
  FileChooser m_chooser;
  QLabel* m_record = nullptr;
  QListWidget* m_list = nullptr;
  QStackedWidget* m_pages = nullptr;
  QLabel* m_picture = nullptr;
  QLabel* m_text = nullptr;
  QPdfDocument* m_pdf = nullptr;
  QPdfView* m_pdfView = nullptr;
  QLabel* m_name = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_open = nullptr;
};

}  // namespace tarovent::documents
