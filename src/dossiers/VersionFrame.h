#pragma once

#include <QFrame>
#include <QString>
#include <QVariantList>
#include <functional>

#include "QuoteVersions.h"

namespace tarovent::core {
class ProcessState;
}
namespace tarovent::ui {
class DataControl;
}

namespace tarovent::dossiers {

// The versions of the dossier on screen (Frm_dev with its boxes, displays and commands
// Cmd_DevADD, Cmd_DevUpdate, Cmd_DevAnnul, Cmd_DevDelete, Cmd_DevVoir, Cmd_DevEditer), and the
// panel shown instead while a new dossier has no version. Its boxes are children of the
// workspace window, so the workspace's pending-change guard sees them.
class VersionFrame : public QFrame {
  Q_OBJECT
 public:
  explicit VersionFrame(core::ProcessState& state, QWidget* parent = nullptr);
  ~VersionFrame() override;

  // The workspace's pending-change guard: false stops the command (it has said why).
  void setGuard(std::function<bool()> guard);
  // True while the dossier itself is being entered or has unsaved changes (F10 is then refused).
  void setDossierPending(std::function<bool()> pending);

  // Loads the versions of the dossier (none when !dossier.present()); the version current
  // before stays current when it belongs to the dossier.
  void loadVersions(const DossierKey& dossier);
  // A composition of `sequence` closed: its version is shown again as stored, except for the
  // boxes typed in meanwhile whose stored value is still `before` (the values when it opened).
  void showComposed(const DossierKey& dossier, int sequence, const QVariantList& before);
  // A new dossier is being entered: the frame gives way to the empty-version panel.
  void showNewDossier();

  bool hasVersions() const;
  bool isAdding() const;
  ui::DataControl* data() const;  // DBD_DEV
  // The sequence of the version shown; -1 when none is stored (none, or one being added).
  int currentSequence() const;
  // True while a version is being added or one of its boxes holds a change.
  bool hasPendingVersion() const;
  // False while the empty-version panel stands in for the versions.
  bool versionsShown() const;

  // The commands, also reached by their buttons; F10 is saveVersion().
  void addVersion();
  bool saveVersion();
  void cancelVersion();
  void deleteVersion();
  void viewDocument();
  void editVersion();

 signals:
  // A new version was saved: the Date cell of the dossier's row shows this date (dd/mm/yy).
  void versionDateSaved(const QString& date);
  // "Enregistrez d'abord votre dossier": the workspace focuses its dossier save button.
  void dossierSaveRequested();
  // The workspace focuses its client code box (after cancel, or when the client is missing).
  void clientFocusRequested();
  // The client displays of the dossier are to be emptied (deleting with no version left).
  void clientDisplaysCleared();
  // CTL_MailPDF: the workspace shows its PDF options.
  void pdfOptionsRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Impl;
  Impl* d;
};

}  // namespace tarovent::dossiers
