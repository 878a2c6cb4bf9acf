#pragma once

#include <QFrame>
#include <functional>

#include "DossierDuplication.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::dossiers {

// The panel FRM_DupliDoss of the dossier workspace: the target company among the active ones,
// whether to copy the document and custom fields 3 to 15, and the two buttons.
class DuplicationPanel : public QFrame {
  Q_OBJECT
 public:
  explicit DuplicationPanel(core::ProcessState& state, QWidget* parent = nullptr);

  // The workspace's pending-change guard: false stops the command (it has said why).
  void setGuard(std::function<bool()> guard) { m_guard = std::move(guard); }
  // Cmd_DOSSDupli: shows the panel for the dossier and the version shown (-1: none yet), the
  // dossier's own company proposed when it is active. False when refused.
  bool open(const QString& company, long number, int sequence);
  // CMD_OKDupli.
  void duplicate();
  // Whether the panel is open for that dossier.
  bool isFor(const QString& company, long number) const {
    return m_request.company == company && m_request.number == number;
  }
  // The company chosen in DBC_NEWSOC.
  QString target() const;
  // The duplication itself, for tests that inject a failure.
  void setAfterInserts(std::function<void()> hook) { m_afterInserts = std::move(hook); }

 signals:
  // The copy is stored: the workspace shows it and focuses its client box.
  void duplicated(const QString& company, long number);

 private:
  bool allowed();
  void fillTargets();

  core::ProcessState& m_state;
  QComboBox* m_targets;
  QCheckBox* m_copyDocument;
  QCheckBox* m_copyUserFields;
  std::function<bool()> m_guard;
  std::function<void()> m_afterInserts;
  DuplicationRequest m_request;
};

}  // namespace tarovent::dossiers
