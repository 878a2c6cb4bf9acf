#include "composition/PreviewPane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/DocumentPreview.h"

namespace tarovent::composition {

PreviewPane::PreviewPane(core::ProcessState& state, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("FRM_Apercu"));
  auto* title =
      new QLabel(QStringLiteral("<b>Aperçu PDF</b> (mis à jour à chaque enregistrement)"), this);
  auto* close = new QToolButton(this);
  close->setObjectName(QStringLiteral("CMD_FermerApercu"));
  close->setText(QStringLiteral("×"));
  close->setToolTip(QStringLiteral("Fermer l'aperçu"));
  close->setAutoRaise(true);
  connect(close, &QToolButton::clicked, this, [this] { toggle({}); });
  // Made after the button above it: Tab reaches the button first, then the pages.
  m_preview = new core::DocumentPreview(state, this);
  auto* head = new QHBoxLayout;
  head->addWidget(title, 1);
  head->addWidget(close);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 0, 0, 0);
  column->addLayout(head);
  column->addWidget(m_preview, 1);
  hide();
}

void PreviewPane::toggle(const QString& path) {
  if (!isHidden()) {
    hide();
    m_preview->showDocument({});  // no watch nor conversion while hidden
    return;
  }
  show();
  m_preview->showDocument(path);
}

void PreviewPane::saved(const QString& path) {
  if (isHidden()) return;
  if (m_preview->document() != path)
    m_preview->showDocument(path);
  else
    m_preview->refresh();
}

}  // namespace tarovent::composition
