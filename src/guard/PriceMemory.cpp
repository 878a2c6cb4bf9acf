#include "guard/PriceMemory.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include "core/DocumentNames.h"
#include "core/Paths.h"
#include "core/ProcessState.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/word/WordDocument.h"

namespace tarovent::guard {

namespace {

const QStringList kFields = {
    "TMEMPRIX_CLIENT", "TMEMPRIX_CODART", "TMEMPRIX_SOC", "TMEMPRIX_NUMDOSS", "TMEMPRIX_NSEQ",
    "TMEMPRIX_DATE",   "TMEMPRIX_QTE",    "TMEMPRIX_PU",  "TMEMPRIX_REMISE",  "TMEMPRIX_PUNET"};
constexpr int kCodeSize = 30;  // TMEMPRIX_CODART

QString quoted(const QString& text) { return "'" + QString(text).replace('\'', "''") + "'"; }

QString whereVersion(const QString& prefix, const QuoteKey& k) {
  return QStringLiteral(" where %1_SOC=%2 and %1_NUMDOSS=%3 and %1_NSEQ=%4")
      .arg(prefix, quoted(k.company))
      .arg(k.dossier)
      .arg(k.sequence);
}

// Client and date of a version, as the dossier and version records give them.
struct VersionFacts {
  QString client;
  QDate date;
};

// Adds the rows of one version; the caller has removed the old ones.
void addRows(db::RowInserter& rows, const QuoteKey& key, const VersionFacts& v,
             const QuoteReading& quote) {
  QSet<QString> seen;
  for (const composition::WorkLine& l : quote.lines) {
    if (!composition::isCounted(l) || l.code.isEmpty() || l.quantity == 0) continue;
    if (l.code.size() > kCodeSize || seen.contains(l.code.toUpper())) continue;
    seen.insert(l.code.toUpper());
    rows.add({v.client, l.code, key.company, qlonglong(key.dossier), key.sequence,
              v.date.isValid() ? QVariant(v.date) : QVariant(), l.quantity, l.grossPrice,
              l.discountPercent, l.netPrice});
  }
}

std::optional<QuoteReading> readFile(const QString& path) {
  try {
    word::WordDocument doc = word::WordDocument::open(path);
    return readQuote(doc);
  } catch (const ooxml::OoxmlError&) {
    return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

QString QuoteKey::number() const { return core::Nom_Document(company, dossier, sequence); }

std::optional<QuoteKey> quoteKeyOfFile(const QString& fileName) {
  static const QRegularExpression name(QStringLiteral("^(\\d{5})_(\\d{2})\\.([A-Za-z0-9]{1,3})$"));
  const QRegularExpressionMatch m = name.match(QFileInfo(fileName).fileName());
  if (!m.hasMatch()) return std::nullopt;
  return QuoteKey{m.captured(3).toUpper(), m.captured(1).toLong(), m.captured(2).toInt()};
}

QuoteKey contextKey(const core::ProcessState& state) {
  const core::QuoteContext& q = state.quote;
  return {q.company.toUpper(), q.dossier, q.sequence.toInt()};
}

bool PriceMemory::record(const QuoteKey& key, const QuoteReading& quote) {
  db::Recordset d = m_db.OpenRecordset(
      QStringLiteral("select TDOS_CLIENT from TDOS where TDOS_SOC=%1 and TDOS_NUMDOSS=%2")
          .arg(quoted(key.company))
          .arg(key.dossier));
  db::Recordset v = m_db.OpenRecordset("select TDEV_DATE from TDEV" + whereVersion("TDEV", key));
  if (d.EOF_() || v.EOF_()) return false;
  const VersionFacts facts{d.text("TDOS_CLIENT"), v.value("TDEV_DATE").toDate()};
  db::TransactionGuard g(m_db);
  m_db.Execute("delete * from TMEMPRIX" + whereVersion("TMEMPRIX", key));
  {
    db::RowInserter rows(m_db, QStringLiteral("TMEMPRIX"), kFields);
    addRows(rows, key, facts, quote);
  }
  g.commit();
  return true;
}

QVector<RememberedPrice> PriceMemory::latest(const QString& client, const QString& code,
                                             const std::optional<QuoteKey>& current, int count) {
  QVector<RememberedPrice> out;
  if (client.isEmpty() || code.trimmed().isEmpty()) return out;
  db::Recordset rs =
      m_db.OpenRecordset("select * from TMEMPRIX where TMEMPRIX_CLIENT=" + quoted(client) +
                         " and TMEMPRIX_CODART=" + quoted(code.trimmed()) +
                         " order by TMEMPRIX_DATE desc, TMEMPRIX_NUMDOSS desc, TMEMPRIX_NSEQ desc");
  for (; !rs.EOF_() && out.size() < count; rs.MoveNext()) {
    RememberedPrice p;
    p.quote = {rs.text("TMEMPRIX_SOC"), long(rs.number("TMEMPRIX_NUMDOSS")),
               int(rs.number("TMEMPRIX_NSEQ"))};
    if (current && p.quote == *current) continue;
    p.date = rs.value("TMEMPRIX_DATE").toDate();
    p.quantity = rs.number("TMEMPRIX_QTE");
    p.price = rs.number("TMEMPRIX_PU");
    p.discount = rs.number("TMEMPRIX_REMISE");
    p.netPrice = rs.number("TMEMPRIX_PUNET");
    out << p;
  }
  return out;
}

bool recordSavedQuote(core::ProcessState& state, const QString& path, word::WordDocument& doc) {
  const std::optional<QuoteKey> key = quoteKeyOfFile(path);
  if (!key || !state.mainDb().isOpen()) return false;
  try {
    const std::optional<QuoteReading> quote = readQuote(doc);
    return quote && PriceMemory(state.mainDb()).record(*key, *quote);
  } catch (const db::DbError&) {
    return false;  // the memory is a help: a save never fails for it
  } catch (const ooxml::OoxmlError&) {
    return false;
  }
}

int rebuildPriceMemory(core::ProcessState& state, QStringList* skipped) {
  db::Database& main = state.mainDb();
  // Clients and dates of every version, read once.
  QHash<QString, QString> clients;  // "AB/12"
  for (db::Recordset d = main.OpenRecordset("select TDOS_SOC, TDOS_NUMDOSS, TDOS_CLIENT from TDOS");
       !d.EOF_(); d.MoveNext())
    clients.insert(d.text("TDOS_SOC").toUpper() + '/' + d.text("TDOS_NUMDOSS"),
                   d.text("TDOS_CLIENT"));
  QHash<QString, QDate> dates;  // "AB/12/0"
  for (db::Recordset v =
           main.OpenRecordset("select TDEV_SOC, TDEV_NUMDOSS, TDEV_NSEQ, TDEV_DATE from TDEV");
       !v.EOF_(); v.MoveNext())
    dates.insert(
        v.text("TDEV_SOC").toUpper() + '/' + v.text("TDEV_NUMDOSS") + '/' + v.text("TDEV_NSEQ"),
        v.value("TDEV_DATE").toDate());

  const QString folder = core::withSeparator(core::localPath(state.base(core::entry::Main).folder));
  QStringList files;
  for (const QString& dir : {folder, folder + core::kDocumentSubfolder + '/'})
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files, QDir::Name))
      if (quoteKeyOfFile(f.fileName())) files << f.filePath();

  int recorded = 0;
  db::TransactionGuard g(main);
  main.Execute(QStringLiteral("delete * from TMEMPRIX"));
  {
    db::RowInserter rows(main, QStringLiteral("TMEMPRIX"), kFields);
    QSet<QString> done;  // a version whose document sits in both folders counts once
    for (const QString& path : files) {
      const QuoteKey key = *quoteKeyOfFile(path);
      const QString dossier = key.company + '/' + QString::number(key.dossier);
      const QString version = dossier + '/' + QString::number(key.sequence);
      if (done.contains(version) || !clients.contains(dossier) || !dates.contains(version))
        continue;
      const std::optional<QuoteReading> quote = readFile(path);
      if (!quote) {
        if (skipped) *skipped << QFileInfo(path).fileName();
        continue;
      }
      done.insert(version);
      addRows(rows, key, {clients.value(dossier), dates.value(version)}, *quote);
      ++recorded;
    }
  }
  g.commit();
  return recorded;
}

}  // namespace tarovent::guard
