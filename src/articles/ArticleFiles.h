#pragma once

#include <QDate>
#include <QString>

#include "platform/db/Recordset.h"

namespace tarovent::core {
class ProcessState;
}

namespace tarovent::articles {

// Access to the sibling products' article, bill-of-materials, routing, section and supplier
// tariff tables, shared by pricing, explosion and recalculation.
class ArticleFiles {
 public:
  explicit ArticleFiles(core::ProcessState& state) : m_s(state) {}

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

 private:
  core::ProcessState& m_s;
  db::Recordset m_links;
  db::Recordset m_sections;
  db::Recordset m_tariffs;
};

// A link is valid on `day` when it started before or on it and has not ended before it.
bool Lien_Valide(const db::Recordset& link, const QDate& day);
// Unit cost price of a bought article: PMP × (1 + overhead % / 100), current record.
double Prix_Revient_Article(const db::Recordset& article);

}  // namespace tarovent::articles
