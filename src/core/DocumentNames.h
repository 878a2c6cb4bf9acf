#pragma once

#include <QString>

namespace tarovent::core {

// The quote number of a version, which is also its document's file name: dossier 12, version 0
// of company AB gives "00012_00.AB". Callers keep dossiers to 99999 and versions to 99.
QString Nom_Document(const QString& company, long dossier, int sequence);

// The highest dossier and version numbers whose documents have names of their own: beyond
// them, names would be those of dossier 1 or version 0.
inline constexpr long kLastDossierNumber = 99999;
inline constexpr int kLastSequence = 99;
inline bool hasOwnName(long dossier, int sequence = 0) {
  return dossier >= 0 && dossier <= kLastDossierNumber && sequence >= 0 &&
         sequence <= kLastSequence;
}

// The full path of a document of the documents folder (a folder with its trailing separator):
// where it already is when it was written before the subfolder existed, else in the subfolder
// DOC_TAROVENT when there is one, else in the folder itself.
QString Chemin_Document(const QString& folder, const QString& name);

// The key of a dossier in the commercial product: company code then the five-digit number.
QString businessKey(const QString& company, long dossier);

// The subfolder of the documents folder where new documents go.
inline constexpr char kDocumentSubfolder[] = "DOC_TAROVENT";

}  // namespace tarovent::core
