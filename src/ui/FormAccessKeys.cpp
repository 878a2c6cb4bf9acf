#include "FormAccessKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>

namespace tarovent::ui {

namespace {

QChar accessKeyOf(const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption.at(i) != QLatin1Char('&')) continue;
    if (caption.at(i + 1) != QLatin1Char('&')) return caption.at(i + 1).toUpper();
    ++i;
  }
  return {};
}

QChar letterOf(const QKeyEvent* key) {
  if (key->modifiers() != Qt::AltModifier) return {};
  const int k = key->key();
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return QChar(k);
  return {};
}

}  // namespace

QString withAccessKey(const QString& caption, QString& taken) {
  QString shown = caption;
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  for (int i = 0; i < shown.size(); ++i) {
    const QChar c = shown.at(i).toLower();
    if (c < QLatin1Char('a') || c > QLatin1Char('z') || taken.contains(c, Qt::CaseInsensitive))
      continue;
    taken += c;
    return shown.insert(i, QLatin1Char('&'));
  }
  return shown;
}

FormAccessKeys::FormAccessKeys(QObject* parent, std::function<QWidget*()> activeForm)
    : QObject(parent), m_activeForm(std::move(activeForm)) {
  qApp->installEventFilter(this);
}

namespace {

// Every caption of `form` that can carry an access key, with the control that shows it and
// the one it acts on, until `take` answers false.
void walkCaptions(QWidget* form,
                  const std::function<bool(QWidget*, const QString&, QWidget*)>& take) {
  for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
    if (!take(b, b->text(), b)) return;
  for (QLabel* l : form->findChildren<QLabel*>())
    if (l->buddy() && !take(l, l->text(), l->buddy())) return;
  for (QGroupBox* g : form->findChildren<QGroupBox*>())
    if (!take(g, g->title(), g)) return;
  // A form with menus of its own: their letters are the form's too.
  for (QMenuBar* bar : form->findChildren<QMenuBar*>())
    for (QAction* a : bar->actions())
      if (a->isVisible() && a->isEnabled() && !take(bar, a->text(), bar)) return;
}

// What Alt + a group's letter does: a group that can be switched off is switched; the keyboard
// goes to the option chosen in the group, else to its first control that takes it.
void enterGroup(QGroupBox* group) {
  if (group->isCheckable()) group->setChecked(!group->isChecked());
  const auto takes = [group](QWidget* w) {
    return w->isEnabled() && w->isVisibleTo(group) && (w->focusPolicy() & Qt::TabFocus);
  };
  for (QAbstractButton* b : group->findChildren<QAbstractButton*>())
    if (b->isCheckable() && b->isChecked() && b->autoExclusive() && takes(b)) {
      b->setFocus(Qt::ShortcutFocusReason);
      return;
    }
  for (QWidget* w = group->nextInFocusChain(); w && w != group; w = w->nextInFocusChain())
    if (group->isAncestorOf(w) && takes(w)) {
      w->setFocus(Qt::ShortcutFocusReason);
      return;
    }
}

}  // namespace

QWidget* FormAccessKeys::target(QWidget* form, QChar letter) {
  QWidget* found = nullptr;
  bool several = false;
  walkCaptions(form, [&](QWidget* control, const QString& caption, QWidget* acts) {
    if (accessKeyOf(caption) != letter || !control->isVisibleTo(form) || !acts->isEnabled())
      return true;
    several = found != nullptr;  // several: left to Qt, which cycles through them
    found = control;
    return !several;
  });
  return several ? nullptr : found;
}

QString accessKeysIn(QWidget* form, const QList<QWidget*>& except) {
  QString keys;
  walkCaptions(form, [&](QWidget* control, const QString& caption, QWidget*) {
    const QChar key = accessKeyOf(caption).toLower();
    if (!key.isNull() && !except.contains(control) && control->isVisibleTo(form) &&
        !keys.contains(key))
      keys += key;
    return true;
  });
  return keys;
}

bool FormAccessKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || !watched->isWidgetType())
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const QChar letter = letterOf(key);
  if (letter.isNull()) return false;
  if (type == QEvent::KeyPress) {
    QWidget* control = m_pending;
    m_pending = nullptr;
    if (!control) {
      // Alt+letter that no control or shortcut took: a text box of the form would type it.
      QWidget* form = m_activeForm ? m_activeForm() : nullptr;
      auto* focus = static_cast<QWidget*>(watched);
      return form && (focus == form || form->isAncestorOf(focus));
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      button->setFocus(Qt::ShortcutFocusReason);
      button->animateClick();
    } else if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy()) {
      label->buddy()->setFocus(Qt::ShortcutFocusReason);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
      enterGroup(group);
    } else if (auto* bar = qobject_cast<QMenuBar*>(control)) {
      for (QAction* a : bar->actions())
        if (a->isVisible() && a->isEnabled() && accessKeyOf(a->text()) == letter) {
          bar->setActiveAction(a);
          break;
        }
    }
    return true;
  }
  m_pending = nullptr;
  QWidget* form = m_activeForm ? m_activeForm() : nullptr;
  auto* focus = static_cast<QWidget*>(watched);
  if (!form || (focus != form && !form->isAncestorOf(focus))) return false;
  m_pending = target(form, letter);
  if (!m_pending) return false;
  // Claimed as an ordinary key: no shortcut runs, and the key press comes back here.
  event->accept();
  return true;
}

}  // namespace tarovent::ui
