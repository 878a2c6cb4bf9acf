#pragma once

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::os {
class WindowPrinter;
}

namespace tarovent::macros {

// Registers FMACRO and gives the macro buttons their action, printing on `printer` (which must
// outlive `state`'s windows).
void registerMacroWindows(core::ProcessState& state, os::WindowPrinter& printer);

}  // namespace tarovent::macros
