#pragma once

#include <QVector>
#include <QWidget>
#include <optional>

#include "guard/PriceMemory.h"

class QLabel;
class QLineEdit;
class QTableWidget;
class QTimer;

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

  // Shows the memory of the code box's code once it is settled: when the box is left, when
  // the code is put there by the program (a look-up, a pick in a list), or after a short pause
  // of the keyboard. Keys typed one after the other read the base once.
  void follow(QLineEdit* codeBox);
  // Shows the memory of `code` at once.
  void showCode(const QString& code);
  // How many times the base was read, for the code typed being settled.
  int lookups() const { return m_lookups; }
  static constexpr int kIdleMs = 250;
  const QVector<RememberedPrice>& prices() const { return m_prices; }
  QTableWidget* list() const { return m_list; }
  // Emits `taken` with the latest price; false when there is none for the code shown.
  bool takeLatest();

 signals:
  void taken(double unitPrice);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Shows the code waiting for its pause, if any.
  void settle();

  core::ProcessState& m_state;
  QString m_client;
  std::optional<QuoteKey> m_current;
  QString m_code;
  QVector<RememberedPrice> m_prices;
  QLabel* m_title = nullptr;
  QTableWidget* m_list = nullptr;
  QLineEdit* m_codeBox = nullptr;
  QTimer* m_idle = nullptr;
  std::optional<QString> m_waiting;  // typed, not shown yet
  bool m_read = false;               // m_prices were read for m_code
  int m_lookups = 0;
};

}  // namespace tarovent::guard
