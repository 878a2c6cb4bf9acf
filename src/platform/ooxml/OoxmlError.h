#pragma once

#include <QString>
#include <stdexcept>

namespace tarovent::ooxml {

// Any failure to read or write a package; the message is meant for the user (French).
class OoxmlError : public std::runtime_error {
 public:
  explicit OoxmlError(const QString& message);

  QString message() const { return m_message; }

 private:
  QString m_message;
};

}  // namespace tarovent::ooxml
