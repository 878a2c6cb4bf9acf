#pragma once

#include <QString>

namespace tarovent::composition {

// The lock file that tells the document is open in a word processor right now, empty when
// there is none: LibreOffice's ".~lock.NAME#" or Word's owner file "~$" followed by the name
// without its first two characters, both beside the document.
QString wordProcessorLock(const QString& documentPath);

}  // namespace tarovent::composition
