#pragma once

#include "QuoteTypeTemplates.h"
#include "core/RecordWindow.h"

class QLineEdit;
class QPushButton;

namespace tarovent::ui {
class BoundLineEdit;
class DataControl;
}  // namespace tarovent::ui

namespace tarovent::dossiers {

class TariffModeBox;

// The quote types: code, label, deactivation, tariff modes and the options of the descriptive
// texts; the template of each type (created from VIDE, deleted with the type on request,
// copied by the duplication).
class FTYP : public core::RecordWindow {
  Q_OBJECT
 public:
  explicit FTYP(core::ProcessState& state, QWidget* parent = nullptr);

 protected:
  void escape() override;

 private:
  QWidget* buildOptions();
  QWidget* buildDuplicationPanel();
  bool checkBeforeSave();
  void added();
  void afterSave();
  // The code of the type shown; empty (after a beep or a refusal) when there is none to act on.
  QString currentType();
  void remove();
  void startDuplication();
  void confirmDuplication();
  void endDuplication();
  void compose();
  bool compositionAvailable() const;
  void showTemplateError(const QString& error);

  QuoteTypeTemplates m_templates;
  ui::DataControl* m_data = nullptr;
  ui::BoundLineEdit* m_code = nullptr;
  TariffModeBox* m_materials = nullptr;
  TariffModeBox* m_labour = nullptr;
  QWidget* m_record = nullptr;  // everything but the duplication panel
  QWidget* m_duplication = nullptr;
  QLineEdit* m_newCode = nullptr;
  QLineEdit* m_newLabel = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_duplicate = nullptr;
  QPushButton* m_compose = nullptr;
  bool m_adding = false;
  QString m_savingCode;  // the code of the new type being saved
};

}  // namespace tarovent::dossiers
