#pragma once

#include <QAbstractButton>
#include <QLineEdit>
#include <QTableView>

#include "DossierTestSupport.h"
#include "core/ProcessState.h"
#include "ui/FormNavigation.h"
#include "ui/UiTestSupport.h"

namespace tarovent::dossiers::test {

// Records the windows asked for; `works` is what opening them gives.
struct RecordingOpener : ui::WindowOpener {
  bool openWindow(const QString& name) override {
    opened << name;
    return works;
  }
  QStringList opened;
  bool works = true;
};

// A window of this folder on the test database, its questions answered by the script.
class WindowTest : public MainDbTest {
 protected:
  void SetUp() override {
    MainDbTest::SetUp();
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_state->base(core::entry::Main).folder = m_dir.path() + '/';
    m_state->base(core::entry::Main).file = "TAROVENT.MDB";
    m_state->base(core::entry::Main).db = m_db;
  }
  void TearDown() override {
    m_window.reset();
    MainDbTest::TearDown();
  }
  template <typename W>
  W* open() {
    auto* w = new W(*m_state);
    m_window.reset(w);
    w->resize(1280, 760);
    tarovent::test::showActive(w);
    QApplication::processEvents();
    return w;
  }
  template <typename T = QWidget>
  T* get(const char* name) {
    return tarovent::test::child<T>(m_window.get(), name);
  }
  void click(const char* name) { get<QAbstractButton>(name)->click(); }
  // A window of that name, registered but never opened for real.
  void registerStub(const QString& name) {
    m_state->windows.add(name, {[](QWidget*) { return nullptr; }, false});
  }
  QString focused() const {
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QString();
  }
  void type(const char* box, const QString& text) {
    auto* e = get<QLineEdit>(box);
    e->setFocus();
    e->selectAll();
    tarovent::test::typeText(e, text);
  }

  std::unique_ptr<core::ProcessState> m_state;
  std::unique_ptr<QWidget> m_window;
};

}  // namespace tarovent::dossiers::test
