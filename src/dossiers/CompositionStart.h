#pragma once

#include <QString>
#include <functional>

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::dossiers {

// The composition window's name in the window registry.
inline const QString kCompositionWindow = QStringLiteral("FCOMPO");

// True while a composition is open: a session runs, its window is on screen, or the main menu
// shows its button. Only one may be open at a time.
bool compositionOpen(core::ProcessState& state);

// True, after telling the user, when a composition is open and another may not start.
bool refuseSecondComposition(core::ProcessState& state);

// Opens the composition for the window `origin` when none is open, `onClose` being what the
// composition calls when it closes. False with a message when it cannot start.
bool startComposition(core::ProcessState& state, const QString& origin,
                      std::function<void()> onClose = {});

}  // namespace tarovent::dossiers
