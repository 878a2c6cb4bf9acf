#pragma once

#include <QString>
#include <stdexcept>

namespace tarovent::report {

// A report that cannot be shown: a file that cannot be read or is malformed, a field its data
// source lacks, a selection formula that does not parse. `line` is 0 when no line applies.
class ReportError : public std::runtime_error {
 public:
  ReportError(QString file, int line, QString message);

  const QString& file() const { return m_file; }
  int line() const { return m_line; }
  const QString& message() const { return m_message; }
  // The French message shown to the user: the file, the line, then what is wrong.
  QString text() const;

 private:
  QString m_file;
  int m_line;
  QString m_message;
};

}  // namespace tarovent::report
