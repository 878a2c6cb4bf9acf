#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "core/ProcessState.h"
#include "install/Schemas.h"
#include "platform/db/Database.h"
#include "platform/os/WindowPrinter.h"
#include "ui/FormNavigation.h"
#include "ui/MessageFunnel.h"
#include "ui/UiTestSupport.h"

namespace tarovent::macros::test {

// A main database of the family's schema holding `TMACRO`, and a state that uses it.
class MacroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_db = m_ws.CreateDatabase(m_dir.filePath("TAROVENT.MDB"));
    install::applySchema(m_db, install::mainSchema());
    m_state = std::make_unique<core::ProcessState>(m_messages);
    core::BaseEntry& main = m_state->base(core::entry::Main);
    main.folder = m_dir.path() + '/';
    main.file = "TAROVENT.MDB";
    main.db = m_db;
  }
  void addMacro(const QString& name, const QString& window, const QString& keys) {
    db::Recordset rs = m_db.OpenRecordset("TMACRO", db::RecordsetType::Table);
    rs.AddNew();
    rs.setValue("TMACRO_NomMacro", name);
    rs.setValue("TMACRO_Form", window);
    rs.setValue("TMACRO_Detail", keys);
    rs.Update();
  }
  // Lets the events of the next moments happen (a button pressed through its access key
  // clicks a moment later).
  static void settle(int ms = 300) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  QTemporaryDir m_dir;
  db::Workspace m_ws;
  db::Database m_db;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<core::ProcessState> m_state;
};

}  // namespace tarovent::macros::test
