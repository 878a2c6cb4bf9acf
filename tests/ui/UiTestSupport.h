#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTableView>
#include <QWidget>

#include "platform/db/DbTestSupport.h"
#include "platform/db/QtPrinters.h"

namespace tarovent::test {

// A fresh database in a folder of its own.
using DatabaseFixture = db::test::DbTest;

// Shows a window and waits (briefly) until it is the active one, so that focus works offscreen.
inline void showActive(QWidget* w) {
  w->show();
  w->activateWindow();
  QElapsedTimer t;
  t.start();
  while (QApplication::activeWindow() != w->window() && t.elapsed() < 2000)
    QApplication::processEvents();
}

inline void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                     const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

// Alt pressed and released alone, as the window system delivers it: the shortcut check, the
// press, the release, to the focused control.
inline void pressAltAlone(QWidget* focus) {
  QKeyEvent check(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
  QApplication::sendEvent(focus, &check);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
  QApplication::sendEvent(focus, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
  QApplication::sendEvent(focus, &release);
}

// Types text into the focused control, one key press per character.
inline void typeText(QWidget* w, const QString& text) {
  for (const QChar c : text) pressKey(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

// The access key of a caption ("&Quitter" gives 'Q'), or a null character.
inline QChar accessKey(const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption.at(i) != '&') continue;
    if (caption.at(i + 1) != '&') return caption.at(i + 1).toUpper();
    ++i;
  }
  return {};
}

// What is wrong with the keyboard in a window as shown: a label whose "&" shows literally
// because it names no box, one letter given to two visible controls or menus of the window's
// own menu bar (Alt+letter then only cycles between them, or never reaches the control), or a
// list read by rows whose cells take Tab one by one (the keyboard does not get out of it).
inline QStringList keyboardFaults(QWidget* window) {
  QStringList faults;
  QMap<QChar, QString> owners;
  auto claim = [&](bool shown, const QString& caption, const QString& name) {
    const QChar key = accessKey(caption);
    if (key.isNull() || !shown) return;
    if (owners.contains(key))
      faults << QStringLiteral("Alt+%1: %2 and %3").arg(key).arg(owners.value(key), name);
    else
      owners.insert(key, name);
  };
  auto take = [&](QWidget* w, const QString& caption) {
    claim(w->isVisibleTo(window), caption, w->objectName().isEmpty() ? caption : w->objectName());
  };
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (accessKey(label->text()).isNull() || label->textFormat() == Qt::RichText) continue;
    if (!label->buddy())
      faults << QStringLiteral("label %1 shows its '&'").arg(label->objectName(), label->text());
    else
      take(label, label->text());
  }
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
    take(button, button->text());
  for (QGroupBox* group : window->findChildren<QGroupBox*>()) take(group, group->title());
  for (QMenuBar* bar : window->findChildren<QMenuBar*>())
    for (QAction* a : bar->actions())
      claim(bar->isVisibleTo(window) && a->isVisible(), a->text(),
            a->menu() ? a->menu()->objectName() : a->text());
  for (QTableView* list : window->findChildren<QTableView*>())
    if (list->isVisibleTo(window) && list->tabKeyNavigation() &&
        list->selectionBehavior() == QAbstractItemView::SelectRows)
      faults << QStringLiteral("list %1 keeps Tab").arg(list->objectName());
  return faults;
}

template <typename T>
T* child(QWidget* window, const char* name) {
  T* w = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << "no control " << name;
  return w;
}

}  // namespace tarovent::test
