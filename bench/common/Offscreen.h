#pragma once

// Benchmarks that open windows run them offscreen, at the size of the screen they are made for.
#include <QByteArray>
#include <QtGlobal>
#include <cstdio>

namespace tarovent::bench {

// The offscreen platform, and its remarks kept out of the figures (errors still shown). Call
// before the QApplication is made.
inline void quietOffscreen() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
      fprintf(stderr, "%s\n", qPrintable(text));
  });
}

}  // namespace tarovent::bench
