#include "HomeWindow.h"

#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "Paths.h"
#include "ProcessState.h"
#include "ScreenFit.h"
#include "WindowFit.h"

namespace tarovent::core {

HomeWindow::HomeWindow(ProcessState& state, QWidget* parent) : QWidget(parent), m_state(state) {
  setObjectName("FAcceuil");
  setWindowTitle(QStringLiteral("Accueil"));
  setProperty("designSize", QSize(kDesignWidth, kDesignHeight));
  auto* layout = new QVBoxLayout(this);
  m_picture = new QLabel(this);
  m_picture->setObjectName("Img_acceuil");
  m_picture->setAlignment(Qt::AlignCenter);
  const QString file = localPath(state.config.startPictureFile);
  if (state.config.startPicture && !file.isEmpty() && m_pixmap.load(file)) {
    m_picture->setPixmap(m_pixmap.scaled(kDesignWidth, kDesignHeight, Qt::KeepAspectRatio,
                                         Qt::SmoothTransformation));
  } else {
    m_picture->hide();
  }
  auto* title = new QLabel(QStringLiteral("<h1>Tarovent</h1><p>Devis et chiffrage</p><p>%1</p>")
                               .arg(state.dataFolderName.toHtmlEscaped()),
                           this);
  title->setObjectName("CTL_Accueil");
  title->setAlignment(Qt::AlignCenter);
  title->setVisible(m_picture->isHidden());
  layout->addStretch();
  layout->addWidget(m_picture);
  layout->addWidget(title);
  layout->addStretch();
}

void HomeWindow::fitToScreen(int screenHeight) {
  if (m_fitted) return;
  m_fitted = true;
  if (screenHeight == kDesignHeight) {
    m_state.workingHeight = kDesignHeight;
    return;
  }
  Ajuster_Ecran(m_state, this, -1);
  // The picture grows with the window it was drawn for.
  const QSize fitted = property("designSize").toSize();
  if (!m_pixmap.isNull() && fitted.isValid())
    m_picture->setPixmap(m_pixmap.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  m_state.workingHeight = height();
}

void HomeWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // Shown in the work area once the main window has its size.
  if (const QScreen* s = screen()) fitToScreen(s->geometry().height());
}

}  // namespace tarovent::core
