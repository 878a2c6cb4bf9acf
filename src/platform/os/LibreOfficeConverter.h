#pragma once

#include <QProcess>
#include <QStringList>
#include <QTimer>

#include "PdfConverter.h"

namespace tarovent::os {

// Converts through one LibreOffice kept running: a small Python driver (python3-uno) starts
// soffice with its own profile folder, listening on a named pipe, and converts each document
// it reads on its standard input. Started on first use, started again after it died, stopped
// with this object. A conversion that outlasts the time limit kills the driver and LibreOffice.
class LibreOfficeConverter : public PdfConverter {
  Q_OBJECT
 public:
  // `profileFolder` is LibreOffice's own (created when missing); the driver script is written
  // there too. `soffice` empty: looked up on PATH.
  explicit LibreOfficeConverter(QString profileFolder, QString soffice = {},
                                QObject* parent = nullptr);
  ~LibreOfficeConverter() override;

  void setTimeLimit(int milliseconds) { m_timeLimit = milliseconds; }
  // Replaces the driver command (tests: a script that hangs or dies).
  void setDriver(const QString& program, const QStringList& arguments);
  // Whether a LibreOffice process is up and waiting for work.
  bool running() const;
  // Stops the driver and LibreOffice.
  void stop();

 protected:
  void start(const PdfJob& job) override;

 private:
  bool launch(QString* error);
  void readReplies();
  void driverEnded();
  void timedOut();
  void send();
  void fail(const QString& message);
  void killAll();

  QString m_profile;
  QString m_soffice;
  QString m_program;
  QStringList m_arguments;
  QProcess* m_driver = nullptr;
  QTimer m_timer;
  int m_timeLimit = 120000;
  bool m_ready = false;
  bool m_pending = false;
  PdfJob m_job;
};

}  // namespace tarovent::os
