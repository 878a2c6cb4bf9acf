#include "ClientWindows.h"

#include "FCAT.h"
#include "FCLIDEV.h"
#include "FREL.h"
#include "FVISIT.h"
#include "core/ProcessState.h"

namespace tarovent::clients {

void registerClientWindows(core::ProcessState& state) {
  state.windows.add(QStringLiteral("FCLIDEV"),
                    {[&state](QWidget* parent) { return new FCLIDEV(state, parent); }, false});
  state.windows.add(QStringLiteral("FREL"),
                    {[&state](QWidget* parent) { return new FREL(state, parent); }, false});
  state.windows.add(QStringLiteral("FVISIT"),
                    {[&state](QWidget* parent) { return new FVISIT(state, parent); }, false});
  state.windows.add(QStringLiteral("FCAT"),
                    {[&state](QWidget* parent) { return new FCAT(state, parent); }, true});
}

}  // namespace tarovent::clients
