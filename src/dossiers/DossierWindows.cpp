#include "DossierWindows.h"

#include "FDEV.h"
#include "FPERSO.h"
#include "FPRO.h"
#include "FSOC.h"
#include "FTYP.h"
#include "MailList.h"
#include "core/ProcessState.h"

namespace tarovent::dossiers {

void registerDossierWindows(core::ProcessState& state) {
  state.windows.add(QStringLiteral("FDEV"),
                    {[&state](QWidget* parent) { return new FDEV(state, parent); }, false});
  state.windows.add(QStringLiteral("FSOC"),
                    {[&state](QWidget* parent) { return new FSOC(state, parent); }, false});
  state.windows.add(QStringLiteral("FPERSO"),
                    {[&state](QWidget* parent) { return new FPERSO(state, parent); }, false});
  state.windows.add(QStringLiteral("FPRO"),
                    {[&state](QWidget* parent) { return new FPRO(state, parent); }, false});
  state.windows.add(QStringLiteral("FTYP"),
                    {[&state](QWidget* parent) { return new FTYP(state, parent); }, false});
  // The PDF options are a panel of the dossier workspace, never a window of their own: the
  // entry says the export is there, so that the workspace enables its commands.
  state.windows.add(QStringLiteral("FRM_OptPDF"), {[](QWidget*) { return nullptr; }, false});
  state.windows.add(QStringLiteral("FMAILS"),
                    {[&state](QWidget* parent) { return new MailList(state, parent); }, false});
}

}  // namespace tarovent::dossiers
