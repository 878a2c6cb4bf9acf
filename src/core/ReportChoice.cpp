#include "ReportChoice.h"

#include <QDir>
#include <QFileInfo>

#include "FCHXRPT.h"
#include "ProcessState.h"
#include "WindowTranslation.h"

namespace tarovent::core {

namespace {

const QString kStandard = QStringLiteral("*STANDARD*");

}  // namespace

QString reportFolder(const ProcessState& state) { return state.workingFolder; }

QStringList reportFiles(const QString& folder, const QString& prefix) {
  if (folder.isEmpty() || prefix.isEmpty()) return {};
  QDir dir(folder);
  QStringList files;
  for (const QFileInfo& f : dir.entryInfoList({prefix + QStringLiteral("*.rpt")},
                                              QDir::Files | QDir::Readable, QDir::Name))
    if (f.fileName().startsWith(prefix, Qt::CaseInsensitive)) files << f.filePath();
  return files;
}

QString reportLabel(const QString& file, const QString& prefix) {
  const QString name = QFileInfo(file).fileName();
  const QString part = name.mid(prefix.size(), name.size() - prefix.size() - 4);
  return part.isEmpty() ? kStandard : part;
}

QString reportFileFor(const QStringList& files, const QString& prefix, const QString& label) {
  const QString wanted = prefix + (label == kStandard ? QString() : label) + QStringLiteral(".RPT");
  for (const QString& f : files)
    if (QFileInfo(f).fileName().compare(wanted, Qt::CaseInsensitive) == 0) return f;
  return {};
}

QString Choisir_Modele_Impression(ProcessState& state, const QString& folder, const QString& prefix,
                                  QWidget* parent) {
  const QStringList files = reportFiles(folder, prefix);
  if (files.isEmpty()) {
    auto& m = state.messages();
    m.show(m.tr(QStringLiteral("Aucun modèle d'impression trouvé")), ui::Icon::Information);
    return {};
  }
  if (files.size() == 1) return files.first();
  QStringList labels;
  for (const QString& f : files) labels << reportLabel(f, prefix);
  FCHXRPT chooser(labels, parent);
  Traduire_Fenetre(state, &chooser);
  if (chooser.exec() != QDialog::Accepted) return {};
  return reportFileFor(files, prefix, chooser.chosen());
}

}  // namespace tarovent::core
