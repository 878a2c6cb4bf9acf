#include "CustomFieldsPanel.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include "ChoiceList.h"
#include "composition/NumberFormat.h"
#include "core/CalendarDialog.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/BoundLineEdit.h"
#include "ui/FormAccessKeys.h"

namespace tarovent::dossiers {

namespace {

// A custom box keeps the length its definition gives, not the field's size, whatever record
// it shows.
class CustomBox : public ui::BoundLineEdit {
 public:
  CustomBox(int length, QWidget* parent) : ui::BoundLineEdit(parent), m_length(length) {
    setMaxLength(length);
  }
  void show(const QVariant& value, const db::FieldSpec& field) override {
    ui::BoundLineEdit::show(value, field);
    setMaxLength(m_length);
  }

 private:
  int m_length;
};

}  // namespace

CustomFieldsPanel::CustomFieldsPanel(core::ProcessState& state, CustomFields& fields, int first,
                                     int last, QWidget* parent)
    : QFrame(parent), m_state(state), m_fields(fields), m_first(first), m_last(last) {
  const bool panel = first > 2;
  setObjectName(panel ? QStringLiteral("FRM_Infos") : QStringLiteral("FRM_User01"));
  if (panel) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
  }
  auto* grid = new QGridLayout;
  const int digit = fontMetrics().horizontalAdvance(QLatin1Char('M'));
  QWidget* previous = nullptr;
  for (int n = first; n <= last; ++n) {
    const CustomFieldDefinition& def = fields.definition(n);
    int size = 50;
    try {
      size = userFieldSize(state.mainDb(), n);
    } catch (const db::DbError&) {
      // The schema's size is the usual one.
    }
    const int length = def.length > 0 ? std::min(def.length, size) : size;
    auto* box = new CustomBox(length, this);
    box->setObjectName(QStringLiteral("CTX_USER"));
    box->setProperty("index", n);
    box->setFixedWidth(std::min(digit * (length + 1), 420) + 12);
    if (fields.hasValueTable(n))
      box->setToolTip(state.Traduire(QStringLiteral("Liste de choix par F4")));
    auto* caption = new QLabel(QString(fields.caption(n)).replace('&', QStringLiteral("&&")), this);
    caption->setObjectName(QStringLiteral("CTL_USER"));
    caption->setProperty("index", n);
    caption->setBuddy(box);
    caption->setMinimumWidth(caption->sizeHint().width());
    box->setVisible(def.used());
    caption->setVisible(def.used());
    box->installEventFilter(this);
    const int row = n - first;
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1, Qt::AlignLeft);
    if (previous) setTabOrder(previous, box);
    previous = box;
    m_boxes.insert(n, box);
    m_labels.insert(n, caption);
  }
  grid->setColumnStretch(2, 1);
  m_choices =
      new ChoiceList(panel ? QStringLiteral("FRM_TBUSER") : QStringLiteral("FRM_TBUSER01"),
                     panel ? QStringLiteral("DBG_TBUSER") : QStringLiteral("DBG_TBUSER01"), this);
  m_choices->setMinimumWidth(220);
  connect(m_choices, &ChoiceList::declined, this, [this](QLineEdit* b) {
    if (b) m_declined[b->property("index").toInt()] = b->text();
  });
  auto* layout = new QHBoxLayout(this);
  if (panel) {
    auto* column = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("<b>Informations complémentaires</b>"), this);
    column->addWidget(title);
    column->addLayout(grid);
    column->addStretch();
    layout->addLayout(column, 1);
  } else {
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid, 1);
  }
  layout->addWidget(m_choices, 0, Qt::AlignTop);
  if (panel) hide();
}

void CustomFieldsPanel::showPanel() {
  show();
  raise();
  for (int n = m_first; n <= m_last; ++n) {
    if (m_fields.definition(n).used()) {
      m_boxes[n]->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

void CustomFieldsPanel::showEvent(QShowEvent* event) {
  QFrame::showEvent(event);
  // The labels the user wrote take, each, the first of their letters the window leaves free.
  const QList<QLabel*> labels = m_labels.values();
  QString taken = ui::accessKeysIn(window(), QList<QWidget*>(labels.begin(), labels.end()));
  for (auto it = m_labels.cbegin(); it != m_labels.cend(); ++it) {
    QString caption = m_fields.caption(it.key());
    it.value()->setText(it.value()->isVisibleTo(window())
                            ? ui::withAccessKey(caption, taken)
                            : caption.replace('&', QStringLiteral("&&")));
  }
}

QString CustomFieldsPanel::choiceTitle(const QString& label) const {
  return m_state.Traduire(QStringLiteral("Choix: ")) + label;
}

void CustomFieldsPanel::focusNext(int n) {
  for (int next = n + 1; next <= m_last; ++next) {
    if (m_fields.definition(next).used()) {
      m_boxes[next]->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  // Past the last box: the control that follows in the window.
  m_boxes[n]->nextInFocusChain()->setFocus(Qt::TabFocusReason);
}

void CustomFieldsPanel::leave(int n) {
  ui::BoundLineEdit* box = m_boxes[n];
  const CustomFieldDefinition& def = m_fields.definition(n);
  bool ok = true;
  const QString shown =
      formatCustomValue(def, box->text(), composition::workstationDecimalSeparator(), &ok);
  if (!ok) m_state.messages().beep();
  if (shown != box->text()) box->setText(shown);
  const QString value = box->text();
  if (value.isEmpty() || m_declined.value(n) == value) return;
  try {
    if (!m_fields.listed(n, value))
      m_choices->open(box, choiceTitle(def.label), m_fields.choices(n));
  } catch (const db::DbError&) {
    // A list that cannot be read is not offered.
  }
}

bool CustomFieldsPanel::key(int n, int key) {
  ui::BoundLineEdit* box = m_boxes[n];
  const CustomFieldDefinition& def = m_fields.definition(n);
  switch (key) {
    case Qt::Key_F4:
      if (def.kind == QLatin1String("D")) {
        core::Afficher_Calendrier(m_state, box);
      } else if (m_fields.hasValueTable(n)) {
        m_declined.remove(n);
        m_choices->open(box, choiceTitle(def.label), m_fields.choices(n));
      }
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      focusNext(n);
      return true;
    case Qt::Key_Escape:
      if (m_first <= 2) return false;
      hide();
      emit closed();
      return true;
    default:
      return false;
  }
}

bool CustomFieldsPanel::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<ui::BoundLineEdit*>(watched);
  const int n = box ? box->property("index").toInt() : 0;
  if (!box || !m_boxes.contains(n) || m_boxes[n] != box) return QFrame::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // F4, Enter and Esc belong to the box, not to the window's shortcuts.
      const int k = static_cast<QKeyEvent*>(event)->key();
      if (k == Qt::Key_F4 || k == Qt::Key_Escape || k == Qt::Key_Return || k == Qt::Key_Enter) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::KeyPress:
      if (key(n, static_cast<QKeyEvent*>(event)->key())) return true;
      break;
    case QEvent::FocusIn:
      m_choices->hide();
      emit entered();
      QTimer::singleShot(0, box, [box] { box->selectAll(); });
      break;
    case QEvent::FocusOut: {
      // Going to the list it opened, or the window losing the focus, is not leaving the box.
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
      if (m_choices->isVisible()) break;
      leave(n);
      break;
    }
    default:
      break;
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace tarovent::dossiers
