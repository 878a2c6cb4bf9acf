#include "stock/FCOMPART.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "platform/db/DbError.h"
#include "ui/DbErrorMessage.h"

namespace tarovent::stock {

FCOMPART::FCOMPART(core::ProcessState& state, QWidget* parent) : QWidget(parent), m_state(state) {
  setObjectName(QStringLiteral("FCOMPART"));
  ui::MessageFunnel& m = state.messages();
  setWindowTitle(m.tr("Composition du code article"));
  auto* grid = new QGridLayout;
  for (int i = 0; i < kMaxSegments; ++i) {
    auto* title = new QLabel(this);
    auto* box = new QLineEdit(this);
    title->setObjectName(QStringLiteral("CTL_TITRE_%1").arg(i + 1));
    box->setObjectName(QStringLiteral("CTX_SEGMENT_%1").arg(i + 1));
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, &FCOMPART::showCode);
    grid->addWidget(title, i, 0);
    grid->addWidget(box, i, 1);
    title->hide();
    box->hide();
    m_titles << title;
    m_boxes << box;
  }
  m_code = new QLineEdit(this);
  m_code->setObjectName(QStringLiteral("CTX_SUITE_CODE"));
  m_code->setReadOnly(true);
  m_code->setFocusPolicy(Qt::NoFocus);
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(new QLabel(m.tr("Code composé :"), this));
  codeRow->addWidget(m_code);

  const auto button = [&](const char* name, const QString& caption, void (FCOMPART::*slot)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    // Enter on the button that has the keyboard presses it: the last segment leads to OK.
    b->setAutoDefault(true);
    connect(b, &QPushButton::clicked, this, slot);
    return b;
  };
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(button("Cmd_OK", m.tr("&OK"), &FCOMPART::accept));
  buttons->addWidget(button("Cmd_Annuler", m.tr("&Annuler"), &FCOMPART::cancel));
  buttons->addWidget(button("Cmd_Fermer", m.tr("&Fermer"), &FCOMPART::quit));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(codeRow);
  layout->addStretch();
  layout->addLayout(buttons);
  load(state.compositeCode);
}

void FCOMPART::load(const QString& family) {
  ui::MessageFunnel& m = m_state.messages();
  try {
    if (core::Catalogue(m_state).Ouvrir_Stock() && m_state.familyDetailTable.isOpen())
      m_segments = familySegments(m_state.familyDetailTable, family);
  } catch (const db::DbError& e) {
    ui::showDbError(m, e);
    return;
  }
  if (m_segments.isEmpty()) {
    m.show(m.tr("La définition du code article n'a pas été saisie pour la famille ") + family,
           ui::Icon::Warning);
    return;
  }
  for (int i = 0; i < m_segments.size(); ++i) {
    const CodeSegment& s = m_segments[i];
    QLineEdit* box = m_boxes[i];
    box->show();
    if (s.kind == CodeSegment::Kind::Constant) {
      box->setText(s.title);
      box->setReadOnly(true);
      box->setFocusPolicy(Qt::NoFocus);  // the cursor passes it by
    } else {
      m_titles[i]->setText(s.title);
      m_titles[i]->show();
      box->setMaxLength(s.kind == CodeSegment::Kind::Text ? s.length : 20);
    }
  }
  showCode();
}

QString FCOMPART::composedCode() const {
  QVector<QString> values;
  for (int i = 0; i < m_segments.size(); ++i) values << m_boxes[i]->text();
  return stock::composedCode(values);
}

void FCOMPART::showCode() { m_code->setText(composedCode()); }

bool FCOMPART::validate(int segment) {
  const auto value =
      checkSegment(m_segments[segment], m_boxes[segment]->text(), m_state.messages());
  if (!value) return false;
  m_boxes[segment]->setText(*value);
  return true;
}

bool FCOMPART::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int segment = int(m_boxes.indexOf(static_cast<QLineEdit*>(watched)));
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && segment >= 0 &&
        segment < m_segments.size()) {
      if (validate(segment)) focusNextChild();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FCOMPART::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    quit();
    return;
  }
  QWidget::keyPressEvent(event);
}

void FCOMPART::cancel() {
  QLineEdit* first = nullptr;
  for (int i = 0; i < m_segments.size(); ++i) {
    if (m_segments[i].kind == CodeSegment::Kind::Constant) continue;
    m_boxes[i]->clear();
    if (!first) first = m_boxes[i];
  }
  if (first) first->setFocus();
}

void FCOMPART::accept() {
  // A value typed but never validated with Enter is checked and padded now: the code handed
  // back is one the family's rules accept.
  for (int i = 0; i < m_segments.size(); ++i) {
    if (m_segments[i].kind == CodeSegment::Kind::Constant) continue;
    if (!validate(i)) {
      m_boxes[i]->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  if (m_segments.isEmpty()) return;
  m_state.compositeCode = composedCode();
  quit();
}

void FCOMPART::quit() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
    sub->close();
  else
    close();
}

}  // namespace tarovent::stock
