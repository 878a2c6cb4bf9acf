#include "platform/ooxml/OoxmlError.h"

namespace tarovent::ooxml {

OoxmlError::OoxmlError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

}  // namespace tarovent::ooxml
