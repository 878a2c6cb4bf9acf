#include "ReportError.h"

#include <QDir>

namespace tarovent::report {

ReportError::ReportError(QString file, int line, QString message)
    : std::runtime_error(message.toStdString()),
      m_file(std::move(file)),
      m_line(line),
      m_message(std::move(message)) {}

QString ReportError::text() const {
  QString where = QStringLiteral("Modèle d'impression %1").arg(QDir::toNativeSeparators(m_file));
  if (m_line > 0) where += QStringLiteral(", ligne %1").arg(m_line);
  return where + QStringLiteral(" : ") + m_message;
}

}  // namespace tarovent::report
