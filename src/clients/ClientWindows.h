#pragma once

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::clients {

// Puts the client windows (FCLIDEV, FCAT) in the window registry.
void registerClientWindows(core::ProcessState& state);

}  // namespace tarovent::clients
