#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarovent::os {

// The desktop's part in opening documents: a file opened with the program the desktop gives
// its type, and the family's own programs started beside this one.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // Opens `path` with the desktop's program for its type; false when none could start.
  virtual bool open(const QString& path) = 0;
  // Starts `program` with `arguments`, left running on its own; false when it could not start.
  virtual bool start(const QString& program, const QStringList& arguments) = 0;
};

// The workstation's desktop: xdg-open, and programs started detached.
class SystemDesktop : public Desktop {
 public:
  bool open(const QString& path) override;
  bool start(const QString& program, const QStringList& arguments) override;
};

// Records what it is asked, opens and starts nothing; `works` is what it answers.
class RecordingDesktop : public Desktop {
 public:
  bool open(const QString& path) override {
    opened << path;
    return works;
  }
  bool start(const QString& program, const QStringList& arguments) override {
    started << (QStringList{program} + arguments);
    return works;
  }
  QStringList opened;
  QList<QStringList> started;
  bool works = true;
};

// A file that is a program or a script: it is never opened, only shown by its name. Names
// ending with EXE, BAT or COM in any case, the usual program and script extensions, and files
// the system marks executable.
bool isProgramFile(const QString& path);

}  // namespace tarovent::os
