#pragma once

#include <QGroupBox>

#include "ui/BoundControl.h"

class QButtonGroup;
class QRadioButton;

namespace tarovent::dossiers {

// A tariff mode bound to its one-letter field. Materials are chosen in two steps: cost price
// ("R") or selling price, then the first ("V") or second ("P") selling price; labour is cost
// ("R") or selling ("V") price.
class TariffModeBox : public QGroupBox, public ui::BoundControl {
  Q_OBJECT
 public:
  enum class Kind { Materials, Labour };
  TariffModeBox(Kind kind, const QString& title, QWidget* parent = nullptr);
  QWidget* widget() override { return this; }

  // The letter chosen; empty when none.
  QString letter() const;
  // Chooses a mode as the user would (the change is noted).
  void setLetter(const QString& letter);

 protected:
  QVariant shownValue(const db::FieldSpec& field) const override;
  void show(const QVariant& value, const db::FieldSpec& field) override;

 private:
  QRadioButton* radio(const QString& name, const QString& caption);
  void clear(QButtonGroup* group);
  void sellingChosen(bool on);

  Kind m_kind;
  QRadioButton* m_cost = nullptr;
  QRadioButton* m_selling = nullptr;
  QRadioButton* m_first = nullptr;   // materials only
  QRadioButton* m_second = nullptr;  // materials only
  QButtonGroup* m_steps = nullptr;
  QButtonGroup* m_prices = nullptr;
  bool m_applying = false;
};

}  // namespace tarovent::dossiers
