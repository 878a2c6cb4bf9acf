#include "StatsPeriodPanel.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "core/CalendarDialog.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "platform/text/TypedText.h"
#include "ui/FocusReturn.h"

namespace tarovent::dossiers {

StatsPeriodPanel::StatsPeriodPanel(core::ProcessState& state, QWidget* parent)
    : QFrame(parent), m_state(state) {
  setObjectName(QStringLiteral("FRM_StatsPDR"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* title = new QLabel(QStringLiteral("<b>Statistique des prix de revient comparés</b>"), this);
  auto* grid = new QGridLayout(this);
  grid->addWidget(title, 0, 0, 1, 3);
  const QString captions[] = {QStringLiteral("&Du"), QStringLiteral("&Au")};
  const QString calendars[] = {QStringLiteral("Cmd_Cal_DatDeb"), QStringLiteral("Cmd_Cal_DatFin")};
  for (int i = 0; i < 2; ++i) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("CTX_DateStats"));
    box->setProperty("index", i);
    box->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    (i == 0 ? m_from : m_to) = box;
    auto* label = new QLabel(captions[i], this);
    label->setBuddy(box);
    auto* calendar = new QPushButton(QStringLiteral("..."), this);
    calendar->setObjectName(calendars[i]);
    calendar->setToolTip(QStringLiteral("Calendrier (F4)"));
    calendar->setFocusPolicy(Qt::NoFocus);
    connect(calendar, &QPushButton::clicked, this, [this, box] {
      box->setFocus(Qt::OtherFocusReason);
      core::Afficher_Calendrier(m_state, box);
    });
    core::attachCalendar(m_state, box);
    grid->addWidget(label, i + 1, 0);
    grid->addWidget(box, i + 1, 1);
    grid->addWidget(calendar, i + 1, 2);
  }
  m_types = new QComboBox(this);
  m_types->setObjectName(QStringLiteral("DBC_TypTrav"));
  m_types->addItem(QStringLiteral("(tous)"), QString());
  try {
    db::Recordset types = state.mainDb().OpenRecordset(
        QStringLiteral("select TTYP_CODE, TTYP_LIB from TTYP order by TTYP_CODE"),
        db::RecordsetType::Snapshot, db::rsopt::ReadOnly);
    for (; !types.EOF_(); types.MoveNext())
      m_types->addItem(types.text(QStringLiteral("TTYP_CODE")) + QStringLiteral("  ") +
                           types.text(QStringLiteral("TTYP_LIB")),
                       types.text(QStringLiteral("TTYP_CODE")));
  } catch (const db::DbError&) {
    // Without the quote types every work type is counted.
  }
  auto* typeLabel = new QLabel(QStringLiteral("&Type de travaux"), this);
  typeLabel->setBuddy(m_types);
  grid->addWidget(typeLabel, 3, 0);
  grid->addWidget(m_types, 3, 1, 1, 2);
  auto* okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setObjectName(QStringLiteral("CMD_OKStats"));
  okButton->setAutoDefault(true);
  grid->addWidget(okButton, 4, 1, 1, 2, Qt::AlignRight);
  grid->setRowStretch(5, 1);  // the panel is taller than its fields: they stay at its top
  connect(okButton, &QPushButton::clicked, this, &StatsPeriodPanel::ok);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::hide);
  takeKeys();
  ui::returnFocusOnHide(this);
  hide();
}

void StatsPeriodPanel::takeKeys() {
  for (QLineEdit* box : {m_from, m_to}) {
    box->removeEventFilter(this);
    box->installEventFilter(this);
  }
}

void StatsPeriodPanel::open() {
  m_from->clear();
  m_to->clear();
  show();
  raise();
  m_from->setFocus(Qt::OtherFocusReason);
}

bool StatsPeriodPanel::convert(QLineEdit* box) {
  const QString text = box->text().trimmed();
  if (text.isEmpty()) return true;
  const QDate date = text::readTypedDay(text);
  if (date.isValid()) {
    box->setText(date.toString(QStringLiteral("dd/MM/yyyy")));
    return true;
  }
  m_state.messages().show(m_state.Traduire(QStringLiteral("Date incorrecte : ")) + text,
                          ui::Icon::Warning);
  box->setFocus(Qt::OtherFocusReason);
  box->selectAll();
  return false;
}

bool StatsPeriodPanel::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (!convert(box)) return true;
      if (box == m_from)
        m_to->setFocus(Qt::OtherFocusReason);
      else if (!m_to->text().trimmed().isEmpty())
        ok();
      return true;
    }
  }
  if (box && event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
      convert(box);
  }
  return QFrame::eventFilter(watched, event);
}

void StatsPeriodPanel::ok() {
  for (QLineEdit* box : {m_from, m_to})
    if (!convert(box)) return;
  for (QLineEdit* box : {m_from, m_to}) {
    if (box->text().trimmed().isEmpty()) {
      m_state.messages().beep();
      m_state.messages().show(m_state.Traduire(QStringLiteral("Saisir une période.")),
                              ui::Icon::Information);
      box->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  m_state.statsFrom = text::readTypedDay(m_from->text());
  m_state.statsTo = text::readTypedDay(m_to->text());
  m_state.statsWorkType = m_types->currentData().toString();
  if (m_state.opener) m_state.opener->openWindow(QStringLiteral("FLSTAFF"));
}

}  // namespace tarovent::dossiers
