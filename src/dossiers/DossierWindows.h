#pragma once

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::dossiers {

// Registers the windows of this folder (FSOC, FTYP, FPRO) in `state.windows`.
void registerDossierWindows(core::ProcessState& state);

}  // namespace tarovent::dossiers
