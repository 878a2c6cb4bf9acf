#include "PdfOptionsPanel.h"

#include <QGridLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/FocusReturn.h"

namespace tarovent::dossiers {

PdfOptionsPanel::PdfOptionsPanel(QWidget* parent) : QFrame(parent) {
  setObjectName("FRM_OptPDF");
  // Drawn over the dossier list: it hides what is under it.
  setAutoFillBackground(true);
  setFrameShape(QFrame::StyledPanel);
  m_whole = new QRadioButton(QStringLiteral("&Tout le document"), this);
  m_whole->setObjectName("OPT_PagePDF_0");
  m_range = new QRadioButton(QStringLiteral("&Pages"), this);
  m_range->setObjectName("OPT_PagePDF_1");
  m_whole->setChecked(true);
  const auto box = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setValidator(new QIntValidator(1, 9999, e));
    e->setMaximumWidth(60);
    return e;
  };
  m_first = box("CTX_PagePDF_0");
  m_last = box("CTX_PagePDF_1");
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("CMD_OKPDF");
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
  cancel->setObjectName("CMD_AnnulPDF");
  // Enter on a button presses that button, as in a dialog.
  ok->setAutoDefault(true);
  cancel->setAutoDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Export PDF"), this), 0, 0, 1, 4);
  grid->addWidget(m_whole, 1, 0, 1, 4);
  grid->addWidget(m_range, 2, 0);
  grid->addWidget(new QLabel(QStringLiteral("de"), this), 2, 1);
  grid->addWidget(m_first, 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("à"), this), 2, 3);
  grid->addWidget(m_last, 2, 4);
  grid->addWidget(ok, 3, 2, 1, 1);
  grid->addWidget(cancel, 3, 3, 1, 2);

  connect(m_range, &QRadioButton::toggled, this, &PdfOptionsPanel::enableBoxes);
  connect(ok, &QPushButton::clicked, this, [this] {
    // Empty boxes stand for the first and the last page: they say so.
    if (m_range->isChecked() && m_first->text().trimmed().isEmpty())
      m_first->setText(QStringLiteral("1"));
    if (m_range->isChecked() && m_last->text().trimmed().isEmpty())
      m_last->setText(QStringLiteral("99"));
    hide();
    emit accepted();
  });
  connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
  enableBoxes();
  ui::returnFocusOnHide(this);
  hide();
}

void PdfOptionsPanel::open() {
  m_whole->setChecked(true);
  enableBoxes();
  show();
  raise();
  m_whole->setFocus(Qt::OtherFocusReason);
}

PdfPages PdfOptionsPanel::pages() const {
  return {m_range->isChecked(), m_first->text(), m_last->text()};
}

void PdfOptionsPanel::keyPressEvent(QKeyEvent* event) {
  // Escape comes here from whichever control of the panel has the keyboard.
  if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier))
    hide();
  else
    QFrame::keyPressEvent(event);
}

void PdfOptionsPanel::enableBoxes() {
  m_first->setEnabled(m_range->isChecked());
  m_last->setEnabled(m_range->isChecked());
}

}  // namespace tarovent::dossiers
