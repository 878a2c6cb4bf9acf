#pragma once

#include <QFrame>
#include <QList>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarovent::composition {

// "Ajustement des prix": the six ways of changing the quote's prices, with the fields of the
// chosen one enabled. It only collects the choice; the window runs the recalculation.
class AdjustmentFrame : public QFrame {
  Q_OBJECT

 public:
  explicit AdjustmentFrame(QWidget* parent = nullptr);

  // Empties the fields, names the base prices of option 4 ("PV1", "PV2" or "PDR" for
  // materials, "PV" or "PDR" for labour) and puts the keyboard on the chosen option.
  void Ouvrir_Ajustement(const QString& materialsPrice, const QString& labourPrice);
  void Choisir_Ajustement(int index);
  int option() const;
  // The percentages of the option, or the amount to force for option 3.
  QStringList values() const;
  // Back to the `index`-th box of the option (as values() lists them) after its message.
  void focusValue(int index);
  void setBusy(bool busy);

 signals:
  void validated();
  void cancelled();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QList<QRadioButton*> m_options;
  QList<QList<QWidget*>> m_fields;  // labels and boxes of each option
  QList<QLineEdit*> m_boxes;        // the four family percentages, global, amount, majoration
  QPushButton* m_ok = nullptr;
};

}  // namespace tarovent::composition
