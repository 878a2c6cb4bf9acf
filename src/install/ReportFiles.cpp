#include "ReportFiles.h"

#include <QFile>
#include <span>
#include <stdexcept>
#include <utility>

namespace tarovent::install {

// The texts of the files of src/install/reports, by name, built into the program.
std::span<const std::pair<const char*, const char*>> reportFileTexts();

const char* const kVisitReportQuery =
    "Select * from TVIS left join TCLI on TVIS.TVIS_CODCLI = TCLI.TCLI_CODE ;";

void writeReportFiles(const QString& folder) {
  for (const auto& [name, text] : reportFileTexts()) {
    QFile f(folder + QLatin1String(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) < 0)
      throw std::runtime_error(
          QStringLiteral("Impossible d'écrire %1.").arg(f.fileName()).toStdString());
  }
}

}  // namespace tarovent::install
