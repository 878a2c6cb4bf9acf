#include "stock/StockWindows.h"

#include "core/ProcessState.h"
#include "stock/FCOMPART.h"

namespace tarovent::stock {

void registerStockWindows(core::ProcessState& state) {
  state.windows.add(QStringLiteral("FCOMPART"),
                    {[&state](QWidget* parent) { return new FCOMPART(state, parent); }, false});
}

}  // namespace tarovent::stock
