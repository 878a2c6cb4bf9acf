// The small databases of the family: translations, document base, template bookmarks.
#include <QDir>
#include <QFile>
#include <QSet>
#include <stdexcept>

#include "DemoTables.h"
#include "DemoWriters.h"
#include "TableWriter.h"
#include "platform/word/WordDocument.h"

namespace tarovent::install::demo {

namespace {

// A small picture (portable pixmap, which every image reader knows): a shaded plate.
void writePicture(const QString& path, int shade) {
  constexpr int kWidth = 160, kHeight = 120;
  QByteArray image = QStringLiteral("P6\n%1 %2\n255\n").arg(kWidth).arg(kHeight).toLatin1();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool edge = x < 8 || y < 8 || x >= kWidth - 8 || y >= kHeight - 8;
      const char grey = char(edge ? 60 : 120 + (x + y + shade * 20) % 100);
      image.append(grey).append(grey).append(char(edge ? 90 : grey));
    }
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size())
    throw std::runtime_error(QStringLiteral("Impossible d'écrire %1.").arg(path).toStdString());
}

}  // namespace

void writeTranslationDatabase(db::Database& db) {
  db::TransactionGuard g(db);
  TableWriter w(db, "TTRAD", {"T_VALEUR", "T_TRAD1"});
  for (const auto& [french, english] : kEnglish)
    w.add({QString::fromUtf8(french), QString::fromUtf8(english)});
  g.commit();
}

void writeDocumentBase(db::Database& db, const DemoModel& m, const QString& dataFolder) {
  db::TransactionGuard g(db);
  TableWriter w(
      db, "TPROJ",
      {"PROJET", "PATHBASE", "NOMBASE", "NomTable", "Nomchamp", "Nomchamp2", "Nomchamp3"});
  w.add({"ZORVANE", dataFolder, "TAROVENT.MDB", "RDOS", "NUMDEV", "TDOS_CLIENT", "TDOS_RESUME"});
  // Pictures of a few articles; the second view of the first one has been moved away.
  const QString folder = dataFolder + "PHOTOS/";
  QDir().mkpath(folder);
  TableWriter photos(db, "TPROJ_DETAIL", {"PROJET", "VALCHAMP", "PATHDOC", "NOMDOC"});
  for (int i = 0; i < 6; ++i) {
    const Article& a = m.articles[i];
    writePicture(folder + a.code + ".ppm", i);
    photos.add({"QUILMORA", a.code, folder, a.code + ".ppm"});
  }
  photos.add({"QUILMORA", m.articles[0].code, folder, m.articles[0].code + "-vue2.ppm"});
  g.commit();
}

void writeBookmarkDatabase(db::Database& db, const QString& dataFolder) {
  db::TransactionGuard g(db);
  TableWriter w(db, "TSIGNETS", {"SIGNETS_Appli", "SIGNETS_nomdot", "SIGNETS_nomsignet"});
  for (const QuoteType& t : kTypes) {
    const QString name = t.code + ".dotx";
    const auto doc = word::WordDocument::open(dataFolder + name, word::OpenMode::ReadOnly);
    QSet<QString> seen;
    for (const auto& b : doc.bookmarks(word::BookmarkOrder::ByName))
      if (!seen.contains(b.name.toUpper())) {
        seen.insert(b.name.toUpper());
        w.add({"TAROVENT", name, b.name});
      }
  }
  g.commit();
}

}  // namespace tarovent::install::demo
