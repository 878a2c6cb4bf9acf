#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::articles {

class ArticleFiles;

// "FCREART": creates the article whose code and label line entry handed over
// (`creationCode`, `creationLabel`); after a save the code is left in `createdCode` and, for a
// manufactured article, the nomenclature editor may be opened.
class FCREART : public QWidget {
  Q_OBJECT
 public:
  explicit FCREART(core::ProcessState& state, QWidget* parent = nullptr);
  ~FCREART() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void save();
  void cancel();
  void quit();
  void computePrices();

  core::ProcessState& m_state;
  std::unique_ptr<ArticleFiles> m_files;
  QLineEdit *m_code, *m_label, *m_unit, *m_type, *m_supplier;
  QLineEdit *m_pmp, *m_overhead, *m_margin1, *m_margin2, *m_price1, *m_price2;
};

// "FCRETRF": creates a supplier tariff line for the reference and label line entry handed
// over; after a save the reference is left in `createdCode`.
class FCRETRF : public QWidget {
  Q_OBJECT
 public:
  explicit FCRETRF(core::ProcessState& state, QWidget* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void save();
  void cancel();
  void quit();
  void showSupplierName();

  core::ProcessState& m_state;
  QComboBox* m_supplier;
  QLabel* m_supplierName;
  QLineEdit *m_reference, *m_label, *m_unit, *m_purchase, *m_sale;
};

// Registers FCREART, FCRETRF and FNOMENC with the state's window registry.
void registerCreationWindows(core::ProcessState& state);

}  // namespace tarovent::articles
