#include "FARTINFOS.h"

#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ProcessState.h"
#include "core/WindowTranslation.h"
#include "platform/db/DbError.h"
#include "platform/os/Desktop.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::documents {

FARTINFOS::FARTINFOS(core::ProcessState& state, const QString& article, const QString& label,
                     QList<AttachedDocument> documents, QWidget* parent)
    : QDialog(parent), m_state(state), m_documents(std::move(documents)) {
  setObjectName(QStringLiteral("FARTINFOS"));
  setWindowTitle(QStringLiteral("Informations article"));
  m_frame = new QGroupBox(label.isEmpty() ? article : article + " - " + label, this);
  m_frame->setObjectName(QStringLiteral("FRM_Article"));
  m_count = new QLabel(m_frame);
  m_count->setObjectName(QStringLiteral("CTL_NbPhotos"));
  m_picture = new QLabel(m_frame);
  m_picture->setObjectName(QStringLiteral("IMG_Photo"));
  m_picture->setAlignment(Qt::AlignCenter);
  m_picture->setMinimumSize(480, 360);
  m_picture->setFrameShape(QFrame::StyledPanel);
  m_picture->installEventFilter(this);
  m_message = new QLabel(m_frame);
  m_message->setObjectName(QStringLiteral("CTL_Message"));
  m_message->setAlignment(Qt::AlignCenter);
  m_name = new QLabel(m_frame);
  m_name->setObjectName(QStringLiteral("CTL_NomPhoto"));
  m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* next = new QPushButton(QStringLiteral("Photo &suivante"), this);
  next->setObjectName(QStringLiteral("Cmd_Suivante"));
  connect(next, &QPushButton::clicked, this, &FARTINFOS::nextDocument);
  auto* openButton = new QPushButton(QStringLiteral("&Ouvrir"), this);
  openButton->setObjectName(QStringLiteral("Cmd_Ouvrir"));
  openButton->setToolTip(QStringLiteral("Ouvre la photo avec le programme du poste"));
  connect(openButton, &QPushButton::clicked, this, &FARTINFOS::openDocument);
  auto* closeButton = new QPushButton(QStringLiteral("&Fermer"), this);
  closeButton->setObjectName(QStringLiteral("Cmd_Fermer"));
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
  for (QPushButton* b : {next, openButton, closeButton}) b->setAutoDefault(true);
  next->setDefault(true);

  auto* inside = new QVBoxLayout(m_frame);
  inside->addWidget(m_count);
  inside->addWidget(m_picture, 1);
  inside->addWidget(m_message);
  inside->addWidget(m_name);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(next);
  buttons->addWidget(openButton);
  buttons->addStretch();
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_frame, 1);
  layout->addLayout(buttons);
  core::Traduire_Fenetre(m_state, this);

  const int n = int(m_documents.size());
  m_count->setText(n == 0 ? QString() : QString::number(n) + m_state.Traduire(" Photo(s)"));
  showDocument();
}

void FARTINFOS::showDocument() {
  m_picture->clear();
  m_picture->setToolTip(QString());
  m_shown = false;
  m_message->setText(m_state.Traduire(QStringLiteral("Pas de photos ...")));
  m_message->show();
  m_name->hide();
  if (m_current < 0 || m_current >= m_documents.size()) return;
  const AttachedDocument& d = m_documents[m_current];
  m_message->hide();
  m_name->setText(d.name);
  m_name->show();
  m_picture->setToolTip(d.name);
  if (!QFileInfo::exists(d.path())) {
    m_message->setText(m_state.Traduire(QStringLiteral("Fichier introuvable ...")));
    m_message->show();
    return;
  }
  m_shown = true;
  // A file that is no picture (a PDF, a program) is named with what can be done with it, so
  // that the frame is never left empty without a word.
  const auto say = [this](const QString& text) {
    m_message->setText(m_state.Traduire(text));
    m_message->show();
  };
  if (os::isProgramFile(d.path())) {
    say(QStringLiteral("Ce fichier est un programme : il n'est jamais lancé."));
    return;
  }
  QImageReader reader(d.path());
  reader.setAutoTransform(true);
  const QImage image = reader.read();
  if (image.isNull()) {
    say(QStringLiteral("Pas d'aperçu : « Ouvrir » le montre avec le programme du poste"));
    return;
  }
  m_picture->setPixmap(QPixmap::fromImage(
      image.scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void FARTINFOS::nextDocument() {
  if (m_documents.isEmpty()) return;
  m_current = (m_current + 1) % int(m_documents.size());
  showDocument();
}

void FARTINFOS::openDocument() {
  if (!m_shown) return;
  const QString path = m_documents[m_current].path();
  if (os::isProgramFile(path)) {
    m_state.messages().beep();
    return;
  }
  if (!m_state.desktop || !m_state.desktop->open(path))
    m_state.messages().show(
        m_state.Traduire(QStringLiteral("Aucun programme du poste n'a pu ouvrir ")) + path,
        ui::Icon::Warning);
}

bool FARTINFOS::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_picture && e->type() == QEvent::MouseButtonDblClick) {
    openDocument();
    return true;
  }
  return QDialog::eventFilter(watched, e);
}

void registerDocumentWindows(core::ProcessState& state) {
  state.showDossierDocuments = [&state](const QString& company, long dossier) {
    showDossierDocuments(state, company, dossier);
  };
  state.windows.add(QStringLiteral("FARTINFOS"),
                    {[&state](QWidget* parent) -> QWidget* {
                       // Without the base, or without a document for the article, nothing opens.
                       const QString path = state.base(core::entry::Main).folder + kDocumentBase;
                       if (state.pictureArticle.isEmpty()) return nullptr;
                       QList<AttachedDocument> documents;
                       try {
                         if (!state.workspace.exists(path)) return nullptr;
                         db::Database base = state.workspace.OpenDatabase(path, true);
                         documents = attachedDocuments(base, kArticleProject, state.pictureArticle);
                       } catch (const db::DbError& e) {
                         ui::showDbError(state.messages(), e);
                         return nullptr;
                       }
                       if (documents.isEmpty()) return nullptr;
                       return new FARTINFOS(state, state.pictureArticle, state.pictureArticleLabel,
                                            documents, parent);
                     },
                     true});
}

}  // namespace tarovent::documents
