#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "platform/os/DocumentOpener.h"
#include "platform/os/FileAttributes.h"

namespace tarovent::os {
namespace {

class OsTest : public ::testing::Test {
 protected:
  QString write(const QString& name, const QByteArray& content,
                QFileDevice::Permissions permissions) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    EXPECT_TRUE(QFile::setPermissions(path, permissions));
    return path;
  }
  // Waits for a file a started program writes.
  QByteArray waitFor(const QString& path) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
      QFile f(path);
      if (f.open(QIODevice::ReadOnly)) {
        const QByteArray content = f.readAll();
        if (content.endsWith('\n')) return content;
      }
      QThread::msleep(20);
    }
    return {};
  }
  QTemporaryDir m_dir;
};

constexpr QFileDevice::Permissions kRead = QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                           QFileDevice::ReadGroup | QFileDevice::ReadOther;

TEST_F(OsTest, AttributesFollowWritePermissionsAndTheOwnerExecuteBit) {
  struct Case {
    const char* name;
    QFileDevice::Permissions permissions;
    int attributes;
  };
  const Case cases[] = {
      {"ordinary", kRead | QFileDevice::WriteOwner | QFileDevice::WriteUser, 0},
      {"read-only", kRead, attr::ReadOnly},
      {"read-only archived", kRead | QFileDevice::ExeOwner | QFileDevice::ExeUser,
       attr::ReadOnly | attr::Archive},
      {"archived", kRead | QFileDevice::WriteOwner | QFileDevice::ExeOwner, attr::Archive},
      // Someone may still write it: not read-only.
      {"group-writable", kRead | QFileDevice::WriteGroup, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fileAttributes(write(c.name, "x", c.permissions)), c.attributes) << c.name;
  EXPECT_EQ(fileAttributes(m_dir.filePath("missing")), -1);
  EXPECT_EQ(fileAttributes(m_dir.path()), -1);
}

TEST_F(OsTest, DocumentsOpenInLibreOfficeFirstThenTheDesktopHandler) {
  const auto program = [this](const QString& name) {
    const QString log = m_dir.filePath(name + ".log");
    write(name, "#!/bin/sh\necho \"$@\" > " + log.toUtf8() + "\n",
          kRead | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return log;
  };
  const QString doc = m_dir.filePath("00012_00.AB");
  const QStringList here{m_dir.path()};
  EXPECT_FALSE(openInWordProcessor(doc, here));

  const QString desktop = program("xdg-open");
  EXPECT_TRUE(openInWordProcessor(doc, here));
  EXPECT_EQ(waitFor(desktop), doc.toUtf8() + '\n');

  // Regression: a LibreOffice without its screen part was started, and nothing showed.
  const QString office = program("libreoffice");
  QFile::remove(m_dir.filePath("xdg-open"));
  EXPECT_FALSE(openInWordProcessor(doc, here));
  write("libvclplug_gen.so", "", kRead);
  EXPECT_TRUE(openInWordProcessor(doc, here));
  EXPECT_EQ(waitFor(office), doc.toUtf8() + '\n');

  QFile::remove(office);
  const QString soffice = program("soffice");
  EXPECT_TRUE(openInWordProcessor(doc, here));
  EXPECT_EQ(waitFor(soffice), doc.toUtf8() + '\n');
  QThread::msleep(200);
  EXPECT_FALSE(QFile::exists(office)) << "soffice comes before libreoffice";
}

}  // namespace
}  // namespace tarovent::os
