#pragma once

#include <QString>

namespace tarovent::core {

class ProcessState;

// Sets the help file of the program: the program folder + name + ".html" (pages with one anchor
// per help context number) when it is there; otherwise none, and the program's own pages are
// shown. Returns the file set.
QString Fichier_Aide(ProcessState& state, const QString& programName);

// The program's help pages, used when the program folder holds no help file: one HTML text
// with an anchor per help context number.
const QString& helpPages();

// Help context numbers of the windows of the core.
namespace helpctx {
constexpr int Parametres = 5400;
constexpr int Saisie = 6100;
constexpr int Calendrier = 6200;
}  // namespace helpctx

}  // namespace tarovent::core
