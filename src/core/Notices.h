#pragma once

#include <QString>
#include <QStringList>

namespace tarovent::core {

// File of update notes shipped beside the program.
QString noticeFile(const QString& programFolder);
// The notes it holds, newest first, as short HTML paragraphs; empty when there is none.
QStringList readNotices(const QString& path);

}  // namespace tarovent::core
