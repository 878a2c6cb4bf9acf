#include "guard/PriceMemoryBox.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "composition/NumberFormat.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"

namespace tarovent::guard {

namespace {

constexpr int kShown = 3;

}  // namespace

PriceMemoryBox::PriceMemoryBox(core::ProcessState& state, const QString& client,
                               const std::optional<QuoteKey>& current, QWidget* panel)
    : QWidget(panel), m_state(state), m_client(client), m_current(current) {
  setObjectName(QStringLiteral("FRM_MemoPrix"));
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 2, 0, 0);
  box->setSpacing(1);
  m_title = new QLabel(this);
  m_title->setObjectName(QStringLiteral("CTL_MemoPrix"));
  // A long code makes a long title: cut, whole in its tooltip, rather than widening the box
  // and squeezing the entry fields beside it.
  m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  box->addWidget(m_title);
  m_list = new QTableWidget(0, 6, this);
  m_list->setObjectName(QStringLiteral("DBG_MemoPrix"));
  m_list->setHorizontalHeaderLabels(
      {state.Traduire(QStringLiteral("Date")), state.Traduire(QStringLiteral("Devis")),
       state.Traduire(QStringLiteral("Qté")), state.Traduire(QStringLiteral("P.U.")),
       state.Traduire(QStringLiteral("Rem.")), state.Traduire(QStringLiteral("P.U. net"))});
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setSelectionMode(QAbstractItemView::NoSelection);
  m_list->setFocusPolicy(Qt::NoFocus);
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  // Dates and numbers whole; the quote number takes what is left.
  m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_list->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  m_list->horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance('0') * 3);
  m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_list->setFixedHeight(m_list->horizontalHeader()->sizeHint().height() +
                         kShown * m_list->verticalHeader()->defaultSectionSize() + 4);
  box->addWidget(m_list);
  // One key from any field of the panel, without leaving it.
  auto* key = new QShortcut(QKeySequence(Qt::Key_F8), panel);
  key->setContext(Qt::WidgetWithChildrenShortcut);
  connect(key, &QShortcut::activated, this, [this] {
    if (!takeLatest()) m_state.messages().beep();
  });
  m_idle = new QTimer(this);
  m_idle->setSingleShot(true);
  m_idle->setInterval(kIdleMs);
  connect(m_idle, &QTimer::timeout, this, &PriceMemoryBox::settle);
  setVisible(!m_client.isEmpty());
  showCode({});
}

PriceMemoryBox* PriceMemoryBox::forQuote(core::ProcessState& state, bool dossier, QWidget* panel) {
  if (!dossier) return new PriceMemoryBox(state, {}, std::nullopt, panel);
  return new PriceMemoryBox(state, state.quote.clientCode, contextKey(state), panel);
}

void PriceMemoryBox::follow(QLineEdit* codeBox) {
  m_codeBox = codeBox;
  codeBox->installEventFilter(this);
  connect(codeBox, &QLineEdit::textChanged, this, [this](const QString& code) {
    // Without a client nothing is ever read.
    if (m_client.isEmpty()) return;
    // Typed: shown once the keyboard pauses or the box is left. Put there by the program, or
    // emptied: the code is settled.
    if (m_codeBox->hasFocus() && !code.trimmed().isEmpty()) {
      m_waiting = code;
      m_idle->start();
    } else {
      showCode(code);
    }
  });
}

bool PriceMemoryBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_codeBox && event->type() == QEvent::FocusOut) settle();
  return QWidget::eventFilter(watched, event);
}

void PriceMemoryBox::settle() {
  if (m_waiting) showCode(*m_waiting);
}

void PriceMemoryBox::showCode(const QString& code) {
  m_idle->stop();
  m_waiting.reset();
  const QString trimmed = code.trimmed();
  // The same code again (the look-up writes back what was typed): already on screen.
  if (m_read && trimmed == m_code) return;
  m_code = trimmed;
  m_prices.clear();
  m_read = false;
  // Without a client the box stays hidden and empty, whatever the code.
  if (m_client.isEmpty()) return;
  if (!m_code.isEmpty() && m_state.mainDb().isOpen()) {
    ++m_lookups;
    try {
      m_prices = PriceMemory(m_state.mainDb()).latest(m_client, m_code, m_current, kShown);
      m_read = true;
    } catch (const db::DbError&) {
      m_prices.clear();  // an older base without memory: nothing to show
    }
  }
  m_list->setRowCount(int(m_prices.size()));
  for (int r = 0; r < m_prices.size(); ++r) {
    const RememberedPrice& p = m_prices[r];
    const QStringList cells = {
        p.date.toString(QStringLiteral("dd/MM/yy")),
        p.quote.number(),
        composition::formatMasked(p.quantity, composition::quantityMask(m_state.Nb_Decimales),
                                  QLatin1Char(',')),
        money(p.price),
        money(p.discount),
        money(p.netPrice)};
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_list->setItem(r, c, item);
    }
  }
  const auto tr = [this](const char* text) { return m_state.Traduire(QString::fromUtf8(text)); };
  m_title->setText(m_code.isEmpty()     ? tr("Prix proposés au client")
                   : m_prices.isEmpty() ? tr("Aucun prix proposé au client pour ") + m_code
                                        : tr("Prix proposés pour ") + m_code +
                                              tr(" (F8 : le dernier)"));
  m_title->setToolTip(m_title->text());
}

bool PriceMemoryBox::takeLatest() {
  settle();
  if (m_prices.isEmpty()) return false;
  emit taken(m_prices.first().price);
  return true;
}

}  // namespace tarovent::guard
