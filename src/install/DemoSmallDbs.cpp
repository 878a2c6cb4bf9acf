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

// A one-page PDF saying `text` (Helvetica, which every reader has), its cross-reference table
// counted from the bytes written.
void writePdf(const QString& path, const QString& text) {
  const QByteArray stream = "BT /F1 24 Tf 72 720 Td (" + text.toLatin1() + ") Tj ET";
  const QList<QByteArray> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << "
      "/Font << /F1 5 0 R >> >> >>",
      "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream +
          "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
  QByteArray pdf = "%PDF-1.4\n";
  QList<qsizetype> offsets;
  for (int i = 0; i < objects.size(); ++i) {
    offsets << pdf.size();
    pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const qsizetype xref = pdf.size();
  pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (qsizetype o : offsets) pdf += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
  pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
         " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(pdf) != pdf.size())
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
  w.add({"QUILMORA", dataFolder, "CORVELIN.MDB", "TARTI", "TARTI_CODART", "TARTI_LIBART",
         "TARTI_Type"});
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
  writePdf(folder + m.articles[1].code + "-fiche.pdf", "Fiche technique " + m.articles[1].code);
  photos.add({"QUILMORA", m.articles[1].code, folder, m.articles[1].code + "-fiche.pdf"});
  // The documents of the three latest dossiers of the first company: a site photograph and
  // the signed plan.
  const QString documents = dataFolder + "DOCUMENTS/ZORVANE/";
  QDir().mkpath(documents);
  int attached = 0;
  for (int i = int(m.dossiers.size()) - 1; i >= 0 && attached < 3; --i) {
    const Dossier& d = m.dossiers[i];
    if (d.company != m.companies[0].code) continue;
    const QString key = d.company + QString::number(d.number).rightJustified(5, '0');
    writePicture(documents + key + "-chantier.ppm", 3 + attached);
    writePdf(documents + key + "-plan.pdf", "Plan du dossier " + key);
    photos.add({"ZORVANE", key, documents, key + "-chantier.ppm"});
    photos.add({"ZORVANE", key, documents, key + "-plan.pdf"});
    ++attached;
  }
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
