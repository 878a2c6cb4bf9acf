#include "QtFrench.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tarovent::ui {

QTranslator* installQtFrench(QCoreApplication& app, const QString& folder) {
  const QString from =
      folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_fr"), from) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace tarovent::ui
