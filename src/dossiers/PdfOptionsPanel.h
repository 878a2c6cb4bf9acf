#pragma once

#include <QFrame>

#include "QuoteMailing.h"

class QLineEdit;
class QRadioButton;

namespace tarovent::dossiers {

// FRM_OptPDF: whole document (OPT_PagePDF_0) or a range of pages (OPT_PagePDF_1 with the
// boxes CTX_PagePDF_0 and CTX_PagePDF_1), then CMD_OKPDF or CMD_AnnulPDF. Hidden until shown.
// Drawn inside the workspace rather than as a dialog, it still answers Escape as Annuler; once
// closed, the keyboard goes back where it was. Enter goes from control to control, as in every
// form, and presses the button it reaches.
class PdfOptionsPanel : public QFrame {
  Q_OBJECT
 public:
  explicit PdfOptionsPanel(QWidget* parent = nullptr);
  // Shows the panel with the whole document chosen and the page boxes disabled.
  void open();
  // The options as they stand, what ">> PDF" uses too.
  PdfPages pages() const;

 signals:
  void accepted();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void enableBoxes();

  QRadioButton* m_whole;
  QRadioButton* m_range;
  QLineEdit* m_first;
  QLineEdit* m_last;
};

}  // namespace tarovent::dossiers
