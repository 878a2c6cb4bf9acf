#pragma once

#include <QList>
#include <QStringList>

namespace tarovent::os {

// The command lines of the programs running on this machine, each as its arguments; empty
// where the system does not tell.
QList<QStringList> runningCommandLines();

}  // namespace tarovent::os
