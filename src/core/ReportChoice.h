#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace tarovent::core {

class ProcessState;

// Where the report files of the family live: the working folder, beside BDLOC.MDB.
QString reportFolder(const ProcessState& state);

// The report files of `folder` whose name begins with `prefix` and ends with ".rpt" (case
// ignored), by name.
QStringList reportFiles(const QString& folder, const QString& prefix);
// What the chooser shows for a file: the part of its name between the prefix and the
// extension, "*STANDARD*" when there is none.
QString reportLabel(const QString& file, const QString& prefix);
// The file a label stands for among `files`: prefix + ".RPT" for "*STANDARD*", else prefix +
// label + ".RPT", as the folder spells it; "" when none.
QString reportFileFor(const QStringList& files, const QString& prefix, const QString& label);

// Choisir_Modele_Impression: the report to print a listing with. None in `folder`: "Aucun
// modèle d'impression trouvé" and "". One: that one. Several: the chooser FCHXRPT, "" when the
// user cancels.
QString Choisir_Modele_Impression(ProcessState& state, const QString& folder, const QString& prefix,
                                  QWidget* parent = nullptr);

}  // namespace tarovent::core
