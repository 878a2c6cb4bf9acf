#include "CalendarDialog.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include "ProcessState.h"
#include "WindowTranslation.h"
#include "platform/text/TypedText.h"

namespace tarovent::core {

namespace {

// F4 in a date box.
class CalendarKey : public QObject {
 public:
  CalendarKey(ProcessState& state, QWidget* box) : QObject(box), m_state(state) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() != Qt::Key_F4 || k->modifiers() != Qt::NoModifier) return false;
    Afficher_Calendrier(m_state, qobject_cast<QWidget*>(watched));
    return true;
  }

 private:
  ProcessState& m_state;
};

}  // namespace

CalendarDialog::CalendarDialog(Style style, QWidget* parent) : QDialog(parent) {
  const bool extended = style == Style::Extended;
  setObjectName(extended ? "F_CALENDAR2" : "F_CALENDAR");
  setWindowTitle(QStringLiteral("Calendrier"));
  auto* box = new QVBoxLayout(this);
  m_calendar = new QCalendarWidget(this);
  m_calendar->setObjectName("Calendrier");
  m_calendar->setLocale(QLocale(QLocale::French, QLocale::France));
  m_calendar->setFirstDayOfWeek(Qt::Monday);
  m_calendar->setGridVisible(true);
  m_calendar->setVerticalHeaderFormat(extended ? QCalendarWidget::ISOWeekNumbers
                                               : QCalendarWidget::NoVerticalHeader);
  box->addWidget(m_calendar);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName("Cmd_OK");
  auto* cancel = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
  cancel->setObjectName("Cmd_Annuler");
  if (extended) {
    auto* row = new QHBoxLayout;
    auto* today = new QPushButton(QStringLiteral("Aujourd'hui"), this);
    today->setObjectName("Cmd_Aujourdhui");
    auto* year = new QSpinBox(this);
    year->setObjectName("CTX_Annee");
    year->setRange(1900, 2999);
    year->setValue(QDate::currentDate().year());
    auto* yearLabel = new QLabel(QStringLiteral("&Année"), this);
    yearLabel->setObjectName("CTL_Annee");
    yearLabel->setBuddy(year);
    row->addWidget(today);
    row->addStretch();
    row->addWidget(yearLabel);
    row->addWidget(year);
    box->insertLayout(0, row);
    connect(today, &QPushButton::clicked, this,
            [this] { m_calendar->setSelectedDate(QDate::currentDate()); });
    connect(year, &QSpinBox::valueChanged, this, [this](int y) {
      const QDate d = m_calendar->selectedDate();
      m_calendar->setSelectedDate(
          QDate(y, d.month(), std::min(d.day(), QDate(y, d.month(), 1).daysInMonth())));
    });
    connect(m_calendar, &QCalendarWidget::currentPageChanged, year,
            [year](int y, int) { year->setValue(y); });
  }
  box->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_calendar, &QCalendarWidget::activated, this, &QDialog::accept);
  QTextCharFormat weekend;
  weekend.setForeground(QColor(160, 0, 0));
  m_calendar->setWeekdayTextFormat(Qt::Saturday, weekend);
  m_calendar->setWeekdayTextFormat(Qt::Sunday, weekend);
}

void CalendarDialog::setDate(const QDate& date) {
  m_calendar->setSelectedDate(date.isValid() ? date : QDate::currentDate());
}

QDate CalendarDialog::date() const { return m_calendar->selectedDate(); }

QDate Afficher_Calendrier(ProcessState& state, QWidget* box) {
  if (!box) box = QApplication::focusWidget();
  auto* edit = qobject_cast<QLineEdit*>(box);

  const QString chosen = state.config.calendar != 0 ? "F_CALENDAR2" : "F_CALENDAR";
  const QString other = state.config.calendar != 0 ? "F_CALENDAR" : "F_CALENDAR2";
  CalendarDialog* dialog = nullptr;
  for (const QString& name : {chosen, other}) {
    if (const ui::WindowSpec* registered = state.windows.find(name);
        registered && registered->create)
      dialog = qobject_cast<CalendarDialog*>(registered->create(box ? box->window() : nullptr));
    if (dialog) break;
  }
  if (!dialog)
    dialog = new CalendarDialog(state.config.calendar != 0 ? CalendarDialog::Style::Extended
                                                           : CalendarDialog::Style::Simple,
                                box ? box->window() : nullptr);
  Traduire_Fenetre(state, dialog);
  QDate start;
  if (edit) {
    start = text::readTypedDay(edit->text());
  }
  dialog->setDate(start);
  QDate result;
  if (dialog->exec() == QDialog::Accepted) result = dialog->date();
  delete dialog;
  if (result.isValid() && edit) {
    edit->setText(result.toString("dd/MM/yyyy"));
    edit->setFocus();
  }
  return result;
}

}  // namespace tarovent::core

namespace tarovent::core {

void attachCalendar(ProcessState& state, QWidget* box) {
  if (box) box->installEventFilter(new CalendarKey(state, box));
}

}  // namespace tarovent::core
