#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tarovent::composition {

// The lock file that tells the document is open in a word processor right now, empty when
// there is none: LibreOffice's ".~lock.NAME#" or Word's owner file "~$" followed by the name
// without its first two characters, both beside the document.
QString wordProcessorLock(const QString& documentPath);

// Who a lock file names, as far as it says.
struct LockOwner {
  QString file;  // the lock file; empty: the document is not locked
  QString user;  // empty when the file does not say
  QString host;  // the machine, empty when the file does not say (Word's files never do)
  // Taken on this machine by a word processor that no longer runs: left behind by a crash.
  bool stale = false;
};

// The lock of the document and its owner; `running` gives the command lines of the programs
// running on this machine.
LockOwner wordProcessorLockOwner(const QString& documentPath,
                                 const std::function<QList<QStringList>()>& running);

}  // namespace tarovent::composition
