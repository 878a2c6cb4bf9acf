#pragma once

#include <QDialog>

class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QRadioButton;

namespace tarovent::ui {
class BoundLineEdit;
class DataControl;
class NumberBox;
}  // namespace tarovent::ui

namespace tarovent::core {

class ProcessState;

// The general parameters window: the one TPAR record of the main database (currencies, default
// VAT rate, spreadsheet models, default tariff modes). Modal.
class FPARGDEV : public QDialog {
  Q_OBJECT
 public:
  explicit FPARGDEV(ProcessState& state, QWidget* parent = nullptr);

  // Cmd_Update: saves the record and moves the focus to Cmd_Quitter; false when it failed.
  bool save();
  // Cmd_Quitter: offers to save a pending change, reloads the parameters and closes.
  void quit();

  // The option of a control array ("OPT_TARIF_MAT", "OPT_TARIF_MAT_DET", "OPT_TARIF_MO").
  QRadioButton* option(const QString& name, int index) const;

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  void build();
  void buildBoxes(QGridLayout* grid);
  QHBoxLayout* buildTariffFrames();
  QHBoxLayout* buildButtons();
  void openRecord();
  void showStoredLetters();
  void materialsChosen(int index);
  void placeInWorkArea();

  ProcessState& m_state;
  ui::DataControl* m_data = nullptr;
  ui::BoundLineEdit* m_libDev1 = nullptr;
  ui::BoundLineEdit* m_libDev2 = nullptr;
  ui::NumberBox* m_coeffDev = nullptr;
  ui::NumberBox* m_tva = nullptr;
  ui::BoundLineEdit* m_pathExcel = nullptr;
  ui::BoundLineEdit* m_nomFichExcel = nullptr;
  ui::BoundLineEdit* m_tarifMat = nullptr;
  ui::BoundLineEdit* m_tarifMo = nullptr;
  QRadioButton* m_mat[2] = {};
  QRadioButton* m_matDet[2] = {};
  QRadioButton* m_mo[2] = {};
  QPushButton* m_update = nullptr;
  QPushButton* m_quit = nullptr;
  bool m_shown = false;
  bool m_closing = false;
};

}  // namespace tarovent::core
