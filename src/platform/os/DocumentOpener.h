#pragma once

#include <QString>
#include <QStringList>

namespace tarovent::os {

// Opens `path` in the workstation's word processor, outside the program: LibreOffice
// (`soffice`, else `libreoffice`) started on the file when installed, else the desktop's
// handler for the file (`xdg-open`). The program is left running on its own. False when none
// could be started. `searchPaths` replaces PATH when given (tests).
bool openInWordProcessor(const QString& path, const QStringList& searchPaths = {});

}  // namespace tarovent::os
