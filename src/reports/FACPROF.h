#pragma once

#include <QWidget>

#include "ProForma.h"

class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::reports {

// The pro-forma invoice window: the quote versions of the current sales representative with
// marks for an existing quote text and an existing invoice, the VAT rate, BXK_ImprDev, and
// Cmd_Editer that makes (or reopens) the invoice of the selected quote.
class FACPROF : public QWidget {
  Q_OBJECT
 public:
  // Null after "Aucun devis n'a été trouvé ..." when there is no quote to list.
  static FACPROF* create(core::ProcessState& state, QWidget* parent = nullptr);
  FACPROF(core::ProcessState& state, QWidget* parent = nullptr);

  int rowCount() const;
  void reload();
  void makeInvoice();
  // The chooser used with several templates (tests replace the dialog).
  void setTemplateChooser(ProForma::TemplateChooser choose) { m_choose = std::move(choose); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  core::ProcessState& m_state;
  ProForma::TemplateChooser m_choose;
  QTableWidget* m_list;
  QLineEdit* m_vat;
  QCheckBox* m_withText;
};

// FCHXMODL: one row per template, with the folder and the prefix; the chosen path, or empty.
QString chooseWordTemplate(QWidget* parent, const QStringList& templates, const QString& folder,
                           const QString& prefix);

// Puts FACPROF, FRENTA and FLSTAFF in the window registry.
void registerReportWindows(core::ProcessState& state);

}  // namespace tarovent::reports
