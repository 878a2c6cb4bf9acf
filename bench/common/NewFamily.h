#pragma once

// A new empty family (its sibling databases included), opened as the program opens it, whose
// messages a run counts without showing them.
#include <QString>
#include <stdexcept>

#include "common/OpenFamily.h"
#include "common/QuietFunnel.h"
#include "core/ProcessState.h"
#include "install/Installer.h"

namespace tarovent::bench {

struct NewFamily {
  explicit NewFamily(const QString& root)
      : state(quiet), layout(install::initFamily(root, true)) {
    if (!openFamily(state, layout.workingFolder))
      throw std::runtime_error("La famille ne peut pas être ouverte.");
  }
  // Lines priced from the articles' sale prices, material and labour alike.
  void priceAtSale() {
    state.params.tarifMat = "V";
    state.params.tarifMo = "V";
  }

  QuietFunnel quiet;
  core::ProcessState state;
  install::FamilyLayout layout;
};

}  // namespace tarovent::bench
