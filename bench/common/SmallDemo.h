#pragma once

// A small demo family in a temporary folder, opened as the program opens it at start.
#include <QTemporaryDir>

#include "OpenFamily.h"
#include "QuietFunnel.h"
#include "core/ProcessState.h"
#include "install/DemoFamily.h"
#include "install/Installer.h"

namespace tarovent::bench {

struct SmallDemo {
  SmallDemo() {
    install::buildDemoFamily(dir.filePath("demo"), install::DemoSize::Small);
    layout = install::familyLayout(dir.filePath("demo"));
    opened = openFamily(state, layout.workingFolder);
  }
  QTemporaryDir dir;
  install::FamilyLayout layout;
  QuietFunnel quiet;
  core::ProcessState state{quiet};
  bool opened = false;  // false when the program would have ended at start
};

}  // namespace tarovent::bench
