#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
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

// Types text into the focused control, one key press per character.
inline void typeText(QWidget* w, const QString& text) {
  for (const QChar c : text) pressKey(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

// A caption as the user reads it: the "&" of its access key only underlines the next letter, and
// "&&" shows one "&".
inline QString shownText(const QString& caption) {
  QString shown;
  for (int i = 0; i < caption.size(); ++i) {
    if (caption.at(i) == '&' && i + 1 < caption.size()) ++i;
    shown += caption.at(i);
  }
  return shown;
}

template <typename T>
T* child(QWidget* window, const char* name) {
  T* w = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << "no control " << name;
  return w;
}

}  // namespace tarovent::test
