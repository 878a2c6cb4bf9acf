#pragma once

// Runs LibreOffice and poppler on test files: one soffice call converts several files, with its
// own profile folder and a time limit, since it can hang and exits 0 even when it failed.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace tarovent::fixtures {

class LibreOffice {
 public:
  LibreOffice() { m_profile.setAutoRemove(true); }

  // Converts every file into outDir with the given filter ("pdf", "docx"); returns the
  // converted paths in the same order (empty entries for failures).
  QStringList convert(const QStringList& files, const QString& filter, const QString& outDir,
                      int timeoutMs = 120000) {
    QProcess soffice;
    QStringList args{"-env:UserInstallation=file://" + m_profile.path(),
                     "--headless",
                     "--norestore",
                     "--convert-to",
                     filter,
                     "--outdir",
                     outDir};
    args += files;
    soffice.start("soffice", args);
    if (!soffice.waitForFinished(timeoutMs)) {
      soffice.kill();
      soffice.waitForFinished(5000);
    }
    const QString ext = filter.section(':', 0, 0);
    QStringList out;
    for (const QString& file : files) {
      const QString converted =
          QDir(outDir).filePath(QFileInfo(file).completeBaseName() + "." + ext);
      out << (QFileInfo::exists(converted) ? converted : QString());
    }
    return out;
  }

  static QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
  }

  static int pdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(60000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
      if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return 0;
  }

 private:
  QTemporaryDir m_profile;
};

}  // namespace tarovent::fixtures
