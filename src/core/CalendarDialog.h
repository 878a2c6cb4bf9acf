#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;

namespace tarovent::core {

class ProcessState;

// The calendar windows: F_CALENDAR, a month sheet, and F_CALENDAR2, the same with week numbers,
// a year box and a "today" button. A double click, Enter or "OK" chooses the date; Esc cancels.
class CalendarDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Style { Simple, Extended };
  explicit CalendarDialog(Style style, QWidget* parent = nullptr);

  void setDate(const QDate& date);
  QDate date() const;

 private:
  QCalendarWidget* m_calendar;
};

// Shows the calendar the configuration chooses (F_CALENDAR2 when "CALENDRIER" is not 0, else
// F_CALENDAR; the other one when the chosen one is not available) on the date of `box` (a
// text box, the focused control when null) or today; the chosen date fills the box as
// dd/mm/yyyy and is returned. An invalid date when the user cancels.
QDate Afficher_Calendrier(ProcessState& state, QWidget* box = nullptr);

// Makes F4 in a date box open the calendar on it.
void attachCalendar(ProcessState& state, QWidget* box);

}  // namespace tarovent::core
