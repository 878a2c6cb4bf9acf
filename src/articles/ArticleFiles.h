#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

#include "platform/db/Database.h"
#include "platform/db/Recordset.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::articles {

class RollupCache;

// Where the article, link and routing data stood: any write to the stock or planning base,
// from this process or another, gives another stamp.
struct DataStamp {
  db::DataVersion stock, planning;
  bool operator==(const DataStamp&) const = default;
};

// One link of a parent, variant "00", as the explosion walks them.
struct ExplosionLink {
  QString component;
  double quantity = 0;
  QVariant from, to;  // validity dates, Null for none
};

// Access to the sibling products' article, bill-of-materials, routing, section and supplier
// tariff tables, shared by pricing, explosion and recalculation.
class ArticleFiles {
 public:
  explicit ArticleFiles(core::ProcessState& state);
  ~ArticleFiles();

  // Opens the stock tables when needed (its messages when they cannot be).
  bool ensureStock();
  // Positions the article table on `code`; false when absent.
  bool Trouver_Article(const QString& code);
  db::Recordset& articles();
  // Positions the sections table on `code`; false when absent or without planning database.
  bool Chercher_Section(const QString& code);
  db::Recordset& sections() { return m_sections; }
  // The links table, index PrimaryKey (parent, parent variant, component, component variant).
  db::Recordset& Ouvrir_Liens();
  // The routing table, index PrimaryKey; not open without a planning database.
  db::Recordset& routings();
  bool hasRoutings();
  // The supplier tariff line of a supplier and reference; false when absent.
  bool findTariffLine(const QString& supplier, const QString& reference);
  db::Recordset& tariffs() { return m_tariffs; }

  db::Database& stockDatabase();
  db::Database& planningDatabase();
  DataStamp dataStamp();
  // What the roll-ups keep between calls while the data stays as it was.
  RollupCache& rollupMemo() { return *m_rollups; }
  // The links of `parent` whose parent variant is "00", in order number order; null when it
  // has none. All links are read at once and kept until the stock base changes; a list handed
  // out stays as it was read while it is held, also when the links are read again meanwhile.
  std::shared_ptr<const std::vector<ExplosionLink>> explosionLinks(const QString& parent);

 private:
  core::ProcessState& m_s;
  std::unique_ptr<RollupCache> m_rollups;
  using LinksByParent = QHash<QString, std::vector<ExplosionLink>>;  // by upper-case parent
  std::shared_ptr<const LinksByParent> m_explosionLinks;
  std::optional<quint64> m_explosionStamp;
  db::Recordset m_links;
  db::Recordset m_sections;
  db::Recordset m_tariffs;
};

// A link is valid on `day` when it started before or on it and has not ended before it.
bool Lien_Valide(const db::Recordset& link, const QDate& day);
bool Lien_Valide(const QVariant& from, const QVariant& to, const QDate& day);
// Unit cost price of a bought article: PMP × (1 + overhead % / 100), current record.
double Prix_Revient_Article(const db::Recordset& article);
double Prix_Revient_Article(double pmp, double coeffrg);

}  // namespace tarovent::articles
