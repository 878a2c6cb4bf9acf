#pragma once

#include <QVector>
#include <QWidget>
#include <optional>

#include "guard/PriceMemory.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::guard {

// Beside line entry: the last prices the dossier's client was quoted for the code being
// entered (date, quote number, quantity, unit price, discount, net price), most recent first.
// F8 anywhere in the panel that holds it takes the latest one.
class PriceMemoryBox : public QWidget {
  Q_OBJECT

 public:
  // `client` empty (a template being composed): the box stays hidden. `current` is the version
  // being composed, which is not its own memory.
  PriceMemoryBox(core::ProcessState& state, const QString& client,
                 const std::optional<QuoteKey>& current, QWidget* panel);
  // The box of a composition of the state's quote context; `dossier` false for a template.
  static PriceMemoryBox* forQuote(core::ProcessState& state, bool dossier, QWidget* panel);

  // Shows the memory of `code` each time the code box changes.
  void follow(QLineEdit* codeBox);
  void showCode(const QString& code);
  const QVector<RememberedPrice>& prices() const { return m_prices; }
  QTableWidget* list() const { return m_list; }
  // Emits `taken` with the latest price; false when there is none for the code shown.
  bool takeLatest();

 signals:
  void taken(double unitPrice);

 private:
  core::ProcessState& m_state;
  QString m_client;
  std::optional<QuoteKey> m_current;
  QString m_code;
  QVector<RememberedPrice> m_prices;
  QLabel* m_title = nullptr;
  QTableWidget* m_list = nullptr;
};

}  // namespace tarovent::guard
