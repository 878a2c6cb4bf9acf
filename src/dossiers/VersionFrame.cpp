#include "VersionFrame.h"

#include "core/ProcessState.h"
#include "ui/DataControl.h"

namespace tarovent::dossiers {

struct VersionFrame::Impl {
  explicit Impl(core::ProcessState& s) : state(s) {}
  core::ProcessState& state;
  ui::DataControl* data = nullptr;
  std::function<bool()> guard, dossierPending;
};

VersionFrame::VersionFrame(core::ProcessState& state, QWidget* parent)
    : QFrame(parent), d(new Impl(state)) {
  setObjectName("Frm_dev");
  d->data = new ui::DataControl(this);
  d->data->setObjectName("DBD_DEV");
  d->data->hide();
}

VersionFrame::~VersionFrame() { delete d; }

void VersionFrame::setGuard(std::function<bool()> guard) { d->guard = std::move(guard); }
void VersionFrame::setDossierPending(std::function<bool()> pending) {
  d->dossierPending = std::move(pending);
}
void VersionFrame::loadVersions(const DossierKey&) {}
void VersionFrame::showNewDossier() {}
bool VersionFrame::hasVersions() const { return false; }
bool VersionFrame::isAdding() const { return false; }
ui::DataControl* VersionFrame::data() const { return d->data; }
void VersionFrame::addVersion() {}
bool VersionFrame::saveVersion() { return false; }
void VersionFrame::cancelVersion() {}
void VersionFrame::deleteVersion() {}
void VersionFrame::viewDocument() {}
void VersionFrame::editVersion() {}

}  // namespace tarovent::dossiers
