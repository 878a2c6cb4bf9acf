#include "DbError.h"

namespace tarovent::db {

DbError::DbError(int number, QString description)
    : m_number(number),
      m_description(std::move(description)),
      m_what(QStringLiteral("%1 : %2").arg(m_number).arg(m_description).toStdString()) {}

}  // namespace tarovent::db
