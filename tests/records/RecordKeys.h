#pragma once

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "clients/ClientWindows.h"
#include "core/GridQuery.h"
#include "core/RecordWindow.h"
#include "dossiers/DemoMenuTest.h"
#include "dossiers/DossierWindows.h"
#include "macros/MacroWindows.h"
#include "platform/db/Recordset.h"
#include "platform/os/WindowPrinter.h"
#include "ui/BoundControl.h"
#include "ui/DataControl.h"

namespace tarovent::test {

// The record windows of the demo family driven by keys, as an office worker does: keys go to
// the focused control, questions are answered by the script, results are read in the base.
class RecordKeys : public DemoMenuTest {
 protected:
  RecordKeys()
      : DemoMenuTest([this](core::ProcessState& s) {
          dossiers::registerDossierWindows(s);
          clients::registerClientWindows(s);
          macros::registerMacroWindows(s, m_printer);
        }) {}

  // Opens a window by its menu entry: the one shown in the work area, or the modal one.
  QWidget* open(const char* entry) {
    m_menu->menuEntry(entry)->trigger();
    QApplication::processEvents();
    if (QWidget* modal = QApplication::activeModalWidget()) {
      showActive(modal);
      return modal;
    }
    QMdiSubWindow* sub = m_menu->workArea()->activeSubWindow();
    EXPECT_TRUE(sub && sub->widget()) << entry;
    return sub ? sub->widget() : nullptr;
  }
  // The close box of a window: its sub-window's, or its own.
  static bool closeBox(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) return sub->close();
    return window->close();
  }
  // Shows the record of `data` that meets the criteria.
  static void goTo(ui::DataControl* data, const QString& criteria) {
    const QByteArray found = core::findRecord(data->Recordset(), criteria, false);
    ASSERT_FALSE(found.isEmpty()) << criteria.toStdString();
    data->moveToBookmark(found);
  }
  static QWidget* focused() { return QApplication::focusWidget(); }
  static QString focusedName() { return focused() ? focused()->objectName() : QString(); }
  // A key to the focused control; an access key's button clicks a moment later.
  void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    ASSERT_TRUE(focused());
    pressKey(focused(), k, mods, text);
    if (mods & Qt::AltModifier) settle();
    QApplication::processEvents();
  }
  // Alt+letter.
  void alt(char letter) {
    key(Qt::Key_A + (QChar(letter).toUpper().unicode() - 'A'), Qt::AltModifier);
  }
  // Replaces the text of the focused box by typing `text`.
  void retype(const QString& text) {
    auto* box = qobject_cast<QLineEdit*>(focused());
    ASSERT_TRUE(box) << focusedName().toStdString();
    box->selectAll();
    typeText(box, text);
  }
  static void settle() {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200) QApplication::processEvents();
  }
  // The first value of a query on the main database (or another of the catalogue).
  QVariant scalar(const QString& sql, int base = core::entry::Main) {
    db::Recordset rs = m_state->base(base).db.OpenRecordset(sql);
    return rs.EOF_() ? QVariant() : rs.value(0);
  }
  bool isOpen(const char* window) const {
    for (QWidget* w : QApplication::allWidgets())
      if (w->objectName() == window && w->isVisible()) return true;
    return false;
  }
  QString said() const { return m_messages.texts().join('|'); }

  os::FakeWindowPrinter m_printer;
};

}  // namespace tarovent::test
