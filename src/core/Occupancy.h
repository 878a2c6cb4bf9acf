#pragma once

#include <QString>
#include <QtGlobal>

namespace tarovent::core {

class ProcessState;

// The names under which the workstations tell one another what they hold open.
QString dossierItem(const QString& company, long number);
QString quoteItem(const QString& company, long number, const QString& sequence);

// What one window of this workstation holds open: one item at a time, let go when the window
// shows another one or goes. Nothing happens without the process's presence table.
class HeldItem {
 public:
  explicit HeldItem(ProcessState& state) : m_state(state) {}
  ~HeldItem();
  HeldItem(const HeldItem&) = delete;
  HeldItem& operator=(const HeldItem&) = delete;

  // Holds `item` (empty: nothing) instead of the one held before.
  void hold(const QString& item);
  const QString& item() const { return m_item; }
  // "Ouvert aussi par anne sur le poste POSTE2." for the other live workstations holding the
  // item, empty when there is none (or when the base cannot tell).
  QString othersText() const;

  // Reads how many times the item was saved: what the next claimSave compares with.
  void readSaveNumber();
  // Records a save of the item; false, with the reason in French, when another workstation
  // saved it since it was read here: saving now would wipe out that work.
  bool claimSave(QString* refusal);

 private:
  ProcessState& m_state;
  QString m_item;
  qint64 m_seenSave = 0;
};

}  // namespace tarovent::core
