#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "install/Installer.h"
#include "ui/MessageFunnel.h"

namespace tarovent::fixtures {

// A new family with its sibling databases, opened as the program opens it; messages go to a
// scripted responder.
class FamilyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_layout = install::initFamily(m_dir.filePath("f"), true);
    m_state = std::make_unique<core::ProcessState>(m_messages);
    m_state->workingFolder = m_layout.workingFolder;
    core::Catalogue c(*m_state);
    ASSERT_TRUE(c.Lire_Catalogue());
    bool fatal = false;
    ASSERT_TRUE(c.Ouvrir_Bases(fatal));
  }

  QTemporaryDir m_dir;
  install::FamilyLayout m_layout;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<core::ProcessState> m_state;
};

}  // namespace tarovent::fixtures
