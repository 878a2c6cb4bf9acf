#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "core/Catalogue.h"
#include "core/ProcessState.h"
#include "install/Installer.h"
#include "platform/db/Database.h"
#include "ui/MessageFunnel.h"

namespace tarovent::core::test {

// Files made immutable (the superuser ignores permission bits), made mutable again at the end.
class Immutable {
 public:
  bool set(const QString& path) {
    if (QProcess::execute("chattr", {"+i", path}) != 0) return false;
    m_paths << path;
    return true;
  }
  ~Immutable() {
    for (const QString& p : m_paths) QProcess::execute("chattr", {"-i", p});
  }

 private:
  QStringList m_paths;
};

// A new installation in a temporary folder, with a state whose messages are recorded.
class FamilyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_layout = install::initFamily(m_dir.filePath("fam"), withSiblings());
    m_state = std::make_unique<ProcessState>(m_messages);
    m_state->workingFolder = m_layout.workingFolder;
  }
  virtual bool withSiblings() const { return false; }

  void writeIni(const QByteArray& content) {
    QFile f(m_layout.root + "milostar.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
  }

  // Runs Jet SQL on one of the family's files.
  void sql(const QString& file, const QStringList& statements) {
    db::Workspace ws;
    db::Database db = ws.OpenDatabase(file);
    for (const auto& s : statements) db.Execute(s);
  }
  QString mainFile() const { return m_layout.dataFolder + "TAROVENT.MDB"; }
  // Reads the catalogue and opens the bases, as start-up does.
  void openBases(Catalogue& c) {
    ASSERT_TRUE(c.Lire_Catalogue());
    bool fatal = false;
    ASSERT_TRUE(c.Ouvrir_Bases(fatal)) << m_messages.texts().join('|').toStdString();
  }

  QTemporaryDir m_dir;
  install::FamilyLayout m_layout;
  ui::ScriptedResponder m_messages;
  std::unique_ptr<ProcessState> m_state;
};

}  // namespace tarovent::core::test
