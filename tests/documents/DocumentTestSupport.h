#pragma once

#include <QDir>
#include <QImage>

#include "dossiers/WindowTestSupport.h"
#include "install/Schemas.h"
#include "platform/os/Desktop.h"

namespace tarovent::documents::test {

// The test family's main database with a program folder beside it and a recording desktop;
// `withBase()` adds the document base, `withViewer()` the viewer's program file.
class DocumentTest : public dossiers::test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    QDir(m_dir.path()).mkpath("prog");
    m_state->programFolder = m_dir.path() + "/prog/";
    auto desktop = std::make_unique<os::RecordingDesktop>();
    m_desktop = desktop.get();
    m_state->desktop = std::move(desktop);
  }
  QString dataFolder() const { return m_dir.path() + '/'; }
  db::Database withBase() {
    db::Database base = m_ws.CreateDatabase(path("BASEDOC.MDB"));
    install::applySchema(base, install::documentBaseSchema());
    return base;
  }
  void withViewer() {
    ASSERT_TRUE(dossiers::test::writeFile(m_state->programFolder + "tarovent-docs", "#!/bin/sh\n",
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
  }
  // A small picture file.
  void picture(const QString& file) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(file, "PNG"));
  }

  os::RecordingDesktop* m_desktop = nullptr;
};

}  // namespace tarovent::documents::test
