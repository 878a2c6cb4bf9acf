#pragma once

#include <QWidget>

class QComboBox;
class QKeyEvent;
class QFormLayout;
class QLabel;
class QLineEdit;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::articles {

class ArticleFiles;

// What the creation forms share: fields where Enter moves on, and the Enregistrer (F10), Annuler
// (Escape) and Quitter buttons below them.
class CreationForm : public QWidget {
  Q_OBJECT
 public:
  CreationForm(core::ProcessState& state, const QString& name, const QString& title,
               QWidget* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // F10 saves, Escape abandons, as Enregistrer and Annuler.
  void keyPressEvent(QKeyEvent* event) override;
  virtual void save() = 0;
  // Forgets what line entry handed over.
  void cancel();
  void closeForm();
  QLineEdit* field(const char* name, const QString& caption);
  // Puts the buttons below the fields: last, so that they come last in the focus chain.
  void addButtons();

  core::ProcessState& m_state;
  QFormLayout* m_form;
};

// "FCREART": creates the article whose code and label line entry handed over
// (`creationCode`, `creationLabel`); after a save the code is left in `createdCode` and, for a
// manufactured article, the nomenclature editor may be opened.
class FCREART : public CreationForm {
  Q_OBJECT
 public:
  explicit FCREART(core::ProcessState& state, QWidget* parent = nullptr);
  ~FCREART() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void save() override;
  void computePrices();

  std::unique_ptr<ArticleFiles> m_files;
  QLineEdit *m_code, *m_label, *m_unit, *m_type, *m_supplier;
  QLineEdit *m_pmp, *m_overhead, *m_margin1, *m_margin2, *m_price1, *m_price2;
};

// "FCRETRF": creates a supplier tariff line for the reference and label line entry handed
// over; after a save the reference is left in `createdCode`.
class FCRETRF : public CreationForm {
  Q_OBJECT
 public:
  explicit FCRETRF(core::ProcessState& state, QWidget* parent = nullptr);

 private:
  void save() override;
  void showSupplierName();

  QComboBox* m_supplier;
  QLabel* m_supplierName;
  QLineEdit *m_reference, *m_label, *m_unit, *m_purchase, *m_sale;
};

// Registers FCREART, FCRETRF and FNOMENC with the state's window registry.
void registerCreationWindows(core::ProcessState& state);

}  // namespace tarovent::articles
