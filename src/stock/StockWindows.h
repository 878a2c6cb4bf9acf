#pragma once

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::stock {

// Registers the stock link's windows (FCOMPART) with the state's window registry.
void registerStockWindows(core::ProcessState& state);

}  // namespace tarovent::stock
