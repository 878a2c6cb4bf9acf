#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

namespace tarovent::ui {

// Installs Qt's own French translations (file, print, colour and calendar dialogs, standard
// buttons) from `folder`, Qt's translations folder when empty. Null when the file is missing:
// the program goes on, those dialogs keep Qt's English texts.
QTranslator* installQtFrench(QCoreApplication& app, const QString& folder = {});

}  // namespace tarovent::ui
