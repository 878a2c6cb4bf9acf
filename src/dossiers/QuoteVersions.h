#pragma once

#include <QString>
#include <QVariant>

#include "platform/db/Recordset.h"

namespace tarovent::core {
class ProcessState;
struct GeneralParameters;
}  // namespace tarovent::core
namespace tarovent::ui {
class MessageFunnel;
}

namespace tarovent::dossiers {

// The dossier on screen in the workspace, as the version frame needs it.
struct DossierKey {
  QString company;  // TDOS_SOC; empty: no dossier
  long number = 0;  // TDOS_NUMDOSS
  QString type;     // TDOS_TYPE
  QString client;   // TDOS_CLIENT
  bool present() const { return !company.isEmpty(); }
};

// What a new version of a dossier starts with.
struct NewVersion {
  int sequence = 0;
  QString tarMat, tarMo;
  QVariant reminder;  // the reminder date it takes over (Null: none)
  int previous = -1;  // the latest version before it, which gives up its reminder; -1: none
  double vatRate = 0;
};

// How the hand-over to the composition ended.
enum class HandOver {
  Ready,          // the quote context is filled: the composition may start
  Stopped,        // refused or given up (the user was told, or chose so)
  ClientMissing,  // the dossier's client no longer exists: the client box is to be corrected
};

// The rules of the quote versions of a dossier, apart from any window: what a new version
// starts with, the reminder date passed on, the VAT rate, the documents, and the quote context
// handed to the composition with what it gives back.
class QuoteVersions {
 public:
  explicit QuoteVersions(core::ProcessState& state);

  // The next version of `dossier`: the highest sequence plus one with the modes of that last
  // version, or sequence 0 with the quote type's modes (the general parameters' when the type
  // has none). The VAT rate follows the client's country. Throws db::DbError.
  NewVersion newVersion(const DossierKey& dossier);
  // After version `added` is stored: version `previous` gives up its reminder date, which the
  // new one took over. Throws db::DbError.
  void passReminderOn(const DossierKey& dossier, int previous);
  // Deletes the row of version `sequence` (its document is the caller's). Throws db::DbError.
  void deleteVersion(const DossierKey& dossier, int sequence);

  // Why a dossier whose version numbers are used up takes no more versions.
  static QString tooManyVersions(const ui::MessageFunnel& messages);
  // 0 for a client abroad (a country other than "F"), else the default rate.
  static double vatRate(const QString& country, double defaultRate);
  // The materials mode as shown: "R", "V1" (first selling price), "V2" (second), else nothing.
  static QString shownMaterialsMode(const QString& stored);
  // The amount in the second currency: "#0.00", a space and the currency's label.
  static QString secondCurrency(double amount, const core::GeneralParameters& params);

  // The documents folder (with its separator), the path of a version's document as it is or
  // will be stored, and whether it exists.
  QString documentsFolder() const;
  QString documentPath(const DossierKey& dossier, int sequence) const;

  // Steps of "edit" before the composition starts: checks the client, fills the quote context,
  // refuses a document marked final (read-only and archived), asks whether to keep an existing
  // text, and falls back to the empty template when the type's one is missing. Messages and
  // questions go through the process's funnel. Throws db::DbError.
  HandOver prepareComposition(const DossierKey& dossier, int sequence, const QString& tarMat,
                              const QString& tarMo);

  // What the composition gives back: the modes of the quote context are written into the
  // version when they differ from its stored ones. True when it was written. Throws db::DbError.
  static bool writeBackModes(core::ProcessState& state, const QString& company, long dossier,
                             int sequence);

 private:
  // The shared clients-by-key source, or one opened here when the program has none.
  db::Recordset& clients();
  QString clientCountry(const QString& code);

  core::ProcessState& m_state;
  db::Recordset m_ownClients;
};

}  // namespace tarovent::dossiers
