#include "DocumentViewer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPdfDocument>
#include <QPdfView>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "platform/db/DbError.h"
#include "platform/os/Desktop.h"
#include "ui/DbErrorMessage.h"
#include "ui/MessageFunnel.h"

namespace tarovent::documents {

DocumentViewer::DocumentViewer(db::Database base, ViewerTarget target, ui::MessageFunnel& messages,
                               os::Desktop& desktop, QWidget* parent)
    : QWidget(parent),
      m_base(std::move(base)),
      m_target(std::move(target)),
      m_messages(messages),
      m_desktop(desktop) {
  setObjectName(QStringLiteral("FVISIONNEUSE"));
  setWindowTitle(QStringLiteral("Documents liés - ") + m_target.project + " " + m_target.key);
  m_chooser = [this] {
    return QFileDialog::getOpenFileNames(this, QStringLiteral("Ajouter des documents"),
                                         QDir::homePath());
  };
  m_record = new QLabel(this);
  m_record->setObjectName(QStringLiteral("CTL_Enregistrement"));
  QFont big = m_record->font();
  big.setPointSizeF(big.pointSizeF() * 1.2);
  big.setBold(true);
  m_record->setFont(big);

  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("BXL_Documents"));
  m_list->installEventFilter(this);
  connect(m_list, &QListWidget::currentRowChanged, this, &DocumentViewer::showRow);
  connect(m_list, &QListWidget::itemActivated, this, &DocumentViewer::openSelected);

  m_picture = new QLabel(this);
  m_picture->setObjectName(QStringLiteral("IMG_Document"));
  m_picture->setAlignment(Qt::AlignCenter);
  m_picture->installEventFilter(this);
  m_text = new QLabel(this);
  m_text->setObjectName(QStringLiteral("CTL_Message"));
  m_text->setAlignment(Qt::AlignCenter);
  m_text->setWordWrap(true);
  m_pdf = new QPdfDocument(this);
  m_pdfView = new QPdfView(this);
  m_pdfView->setObjectName(QStringLiteral("PDF_Document"));
  m_pdfView->setDocument(m_pdf);
  m_pdfView->setPageMode(QPdfView::PageMode::MultiPage);
  m_pdfView->setZoomMode(QPdfView::ZoomMode::FitInView);
  m_pages = new QStackedWidget(this);
  m_pages->addWidget(m_text);
  m_pages->addWidget(m_picture);
  m_pages->addWidget(m_pdfView);
  m_name = new QLabel(this);
  m_name->setObjectName(QStringLiteral("CTL_NomDocument"));
  m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);

  const auto button = [this](const char* name, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(true);
    return b;
  };
  m_add = button("Cmd_Ajouter", QStringLiteral("&Ajouter..."),
                 QStringLiteral("Joint une copie de fichiers à l'enregistrement"));
  m_remove =
      button("Cmd_Retirer", QStringLiteral("&Retirer"),
             QStringLiteral("Retire le document de l'enregistrement ; le fichier est gardé"));
  m_open = button("Cmd_Ouvrir", QStringLiteral("&Ouvrir"),
                  QStringLiteral("Ouvre le document avec le programme du poste"));
  auto* close = button("Cmd_Fermer", QStringLiteral("&Fermer"), QString());
  connect(m_add, &QPushButton::clicked, this, &DocumentViewer::addFiles);
  connect(m_remove, &QPushButton::clicked, this, &DocumentViewer::removeSelected);
  connect(m_open, &QPushButton::clicked, this, &DocumentViewer::openSelected);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(esc, &QShortcut::activated, this, &QWidget::close);

  auto* left = new QWidget(this);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  auto* listLabel = new QLabel(QStringLiteral("&Documents"), left);
  listLabel->setBuddy(m_list);
  leftLayout->addWidget(listLabel);
  leftLayout->addWidget(m_list, 1);
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(m_pages, 1);
  rightLayout->addWidget(m_name);
  auto* split = new QSplitter(this);
  split->addWidget(left);
  split->addWidget(right);
  split->setStretchFactor(1, 3);
  split->setSizes({300, 900});
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {m_add, m_remove, m_open}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_record);
  layout->addWidget(split, 1);
  layout->addLayout(buttons);
  setTabOrder(m_list, m_add);
  setTabOrder(m_add, m_remove);
  setTabOrder(m_remove, m_open);
  setTabOrder(m_open, close);
  m_list->setFocus(Qt::OtherFocusReason);
}

DocumentViewer::~DocumentViewer() { m_pdf->close(); }

bool DocumentViewer::load() {
  m_add->setEnabled(false);
  try {
    const std::optional<Project> project = readProject(m_base, m_target.project);
    if (!project) {
      m_messages.show(m_messages.tr(QStringLiteral("Le projet ")) + m_target.project +
                          m_messages.tr(QStringLiteral(" n'est pas enregistré dans la base "
                                                       "documentaire.")),
                      ui::Icon::Warning);
      m_record->setText(m_target.project + " " + m_target.key);
      return false;
    }
    db::Workspace ws;
    const std::optional<RecordCaption> record = readRecord(ws, *project, m_target.key);
    QStringList caption = {m_target.project, m_target.key};
    if (record) {
      for (const QString& f : {record->field2, record->field3})
        if (!f.isEmpty()) caption << f;
    } else {
      caption << m_messages.tr(QStringLiteral("(enregistrement introuvable)"));
    }
    m_record->setText(caption.join(QStringLiteral("  -  ")));
    m_documents = attachedDocuments(m_base, m_target.project, m_target.key);
  } catch (const db::DbError& e) {
    ui::showDbError(m_messages, e);
    m_record->setText(m_target.project + " " + m_target.key);
    return false;
  }
  m_add->setEnabled(true);
  fillList(0);
  return true;
}

void DocumentViewer::fillList(int current) {
  m_list->clear();
  for (const AttachedDocument& d : m_documents) {
    auto* item = new QListWidgetItem(d.name, m_list);
    item->setToolTip(d.path());
  }
  m_remove->setEnabled(!m_documents.isEmpty());
  m_open->setEnabled(!m_documents.isEmpty());
  if (m_documents.isEmpty()) {
    showRow(-1);
    return;
  }
  m_list->setCurrentRow(std::clamp(current, 0, int(m_documents.size()) - 1));
  showRow(m_list->currentRow());
}

void DocumentViewer::showText(const QString& text) {
  m_pdf->close();
  m_picture->clear();
  m_text->setText(text);
  m_pages->setCurrentWidget(m_text);
}

void DocumentViewer::showRow(int row) {
  if (row < 0 || row >= m_documents.size()) {
    m_name->clear();
    showText(m_messages.tr(QStringLiteral("Aucun document lié : « Ajouter... » en joint un.")));
    return;
  }
  const AttachedDocument& d = m_documents[row];
  m_name->setText(QDir::toNativeSeparators(d.path()));
  if (!QFileInfo::exists(d.path())) {
    showText(m_messages.tr(QStringLiteral("Fichier introuvable ...")));
    return;
  }
  switch (previewOf(d.path())) {
    case Preview::Picture: {
      QImageReader reader(d.path());
      reader.setAutoTransform(true);
      const QImage image = reader.read();
      if (image.isNull()) {
        showText(m_messages.tr(QStringLiteral("Cette image ne peut pas être lue.")));
        return;
      }
      m_pdf->close();
      const QSize room = m_pages->size().expandedTo(QSize(200, 150));
      m_picture->setPixmap(
          QPixmap::fromImage(image.width() > room.width() || image.height() > room.height()
                                 ? image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                 : image));
      m_pages->setCurrentWidget(m_picture);
      return;
    }
    case Preview::Pdf:
      m_picture->clear();
      if (m_pdf->load(d.path()) != QPdfDocument::Error::None) {
        showText(m_messages.tr(QStringLiteral("Ce PDF ne peut pas être lu.")));
        return;
      }
      m_pages->setCurrentWidget(m_pdfView);
      return;
    case Preview::Program:
      showText(
          m_messages.tr(QStringLiteral("Ce fichier est un programme : il n'est jamais lancé.")));
      return;
    case Preview::Other:
      showText(m_messages.tr(
          QStringLiteral("Pas d'aperçu pour ce type de fichier : « Ouvrir » le montre avec le "
                         "programme du poste.")));
      return;
  }
}

int DocumentViewer::selectedRow() const {
  const int row = m_list->currentRow();
  return row >= 0 && row < m_documents.size() ? row : -1;
}

void DocumentViewer::addFiles() {
  if (!m_add->isEnabled()) return;
  const QStringList files = m_chooser();
  int added = -1;
  for (const QString& file : files) {
    QString error;
    try {
      const std::optional<AttachedDocument> d =
          attachCopy(m_base, m_target.dataFolder, m_target.project, m_target.key, file, &error);
      if (!d) {
        m_messages.show(error, ui::Icon::Warning);
        continue;
      }
      m_documents << *d;
      added = int(m_documents.size()) - 1;
    } catch (const db::DbError& e) {
      ui::showDbError(m_messages, e);
    }
  }
  if (added >= 0) fillList(added);
}

void DocumentViewer::removeSelected() {
  const int row = selectedRow();
  if (row < 0) {
    m_messages.beep();
    return;
  }
  const AttachedDocument d = m_documents[row];
  if (m_messages.ask(m_messages.tr(QStringLiteral("Retirer le document ")) + d.name +
                         m_messages.tr(QStringLiteral(" de cet enregistrement ? Le fichier "
                                                      "lui-même est conservé.")),
                     ui::Buttons::YesNo, 2, ui::Icon::Question) != ui::Answer::Yes)
    return;
  try {
    detach(m_base, m_target.project, m_target.key, d);
  } catch (const db::DbError& e) {
    ui::showDbError(m_messages, e);
    return;
  }
  m_documents.removeAt(row);
  fillList(row);
}

void DocumentViewer::openSelected() {
  const int row = selectedRow();
  if (row < 0) return;
  const QString path = m_documents[row].path();
  if (!QFileInfo::exists(path)) {
    m_messages.show(m_messages.tr(QStringLiteral("Fichier introuvable ...")) + '\n' + path,
                    ui::Icon::Warning);
    return;
  }
  if (os::isProgramFile(path)) {
    m_messages.show(m_messages.tr(QStringLiteral("Ce fichier est un programme : il n'est jamais "
                                                 "lancé.")),
                    ui::Icon::Warning);
    return;
  }
  if (!m_desktop.open(path))
    m_messages.show(m_messages.tr(QStringLiteral("Aucun programme du poste n'a pu ouvrir ")) + path,
                    ui::Icon::Warning);
}

bool DocumentViewer::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_picture && e->type() == QEvent::MouseButtonDblClick) {
    openSelected();
    return true;
  }
  if (watched == m_list && e->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
    removeSelected();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace tarovent::documents
