#pragma once

namespace tarovent::core {

class ProcessState;

// Registers the windows of the core (FPARGDEV, F_CALENDAR, F_CALENDAR2) in `state.windows` and
// makes F1 open the help in every window.
void registerCoreWindows(ProcessState& state);

}  // namespace tarovent::core
