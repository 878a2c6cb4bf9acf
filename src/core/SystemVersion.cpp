#include "SystemVersion.h"

#include <QOperatingSystemVersion>
#include <QRegularExpression>
#include <QSysInfo>

namespace tarovent::core {

QString majorMinor(const QString& version) {
  static const QRegularExpression re(QStringLiteral("^\\s*(\\d+)\\.(\\d+)"));
  const auto m = re.match(version);
  if (!m.hasMatch()) return QStringLiteral("Système non prévu");
  return m.captured(1) + "." + m.captured(2);
}

QString Version_Systeme(bool* wow64) {
  if (wow64)
    *wow64 = QSysInfo::buildCpuArchitecture() != QSysInfo::currentCpuArchitecture() &&
             QSysInfo::currentCpuArchitecture().contains(QLatin1String("64")) &&
             !QSysInfo::buildCpuArchitecture().contains(QLatin1String("64"));
  const QOperatingSystemVersion os = QOperatingSystemVersion::current();
  if (os.type() != QOperatingSystemVersion::Unknown && os.majorVersion() >= 0)
    return QString::number(os.majorVersion()) + "." +
           QString::number(std::max(0, os.minorVersion()));
  return majorMinor(QSysInfo::kernelVersion());
}

}  // namespace tarovent::core
