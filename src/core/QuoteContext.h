#pragma once

#include <QString>

namespace tarovent::core {

// The quote the composition works on: filled by the window that starts it (the dossier
// workspace from a version, the quote types window from a template) and read by the composition.
struct QuoteContext {
  QString company;        // company code
  long dossier = 0;       // dossier number
  QString sequence;       // version number, as text
  QString documentName;   // Nom_Document: "00012_00.AB"
  QString templatePath;   // documents folder + quote type, without extension
  QString tarMat, tarMo;  // tariff modes of the version
  bool newText = false;   // the composition builds a fresh document from the template
  QString clientCode;     // the dossier's client, found in the shared clients-by-key table
  double clientDiscount = 0;
  QString clientCategory;
  QString representativeName;
};

}  // namespace tarovent::core
